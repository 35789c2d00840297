#pragma once
// Puts a window into or out of the band of windows that stay in front, leaving it where it is.
#include "port/MainView.h"
#include "port/WindowTop.h"

namespace app::code_Window {

// The window's placement in whole pixels: each twips value divided by the twips per pixel, halves
// going to the even neighbour.
port::PixelRect pixelPlacement(port::IMainView& window);
void SetWindowTop(port::IMainView& window, port::IWindowTop& top, bool topmost);

} // namespace app::code_Window
