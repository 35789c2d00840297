#include "shell/code_Window.h"

#include <cmath>

namespace app::code_Window {
namespace {

// Rounds to nearest with halves to even: the default floating-point rounding mode.
int toPixels(double twips, double twipsPerPixel) {
    return static_cast<int>(std::lrint(twips / twipsPerPixel));
}

} // namespace

port::PixelRect pixelPlacement(port::IMainView& window) {
    const double x = window.TwipsPerPixelX();
    const double y = window.TwipsPerPixelY();
    return {toPixels(window.Left(), x), toPixels(window.Top(), y), toPixels(window.Width(), x),
            toPixels(window.Height(), y)};
}

void SetWindowTop(port::IMainView& window, port::IWindowTop& top, bool topmost) {
    top.setTopmost(topmost, pixelPlacement(window));
}

} // namespace app::code_Window
