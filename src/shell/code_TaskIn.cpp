#include "shell/code_TaskIn.h"

namespace app::code_TaskIn {

std::string tipText(const std::string& text) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Each byte that is not a continuation byte starts a character.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && characters++ == kTipCharacters)
            return text.substr(0, i);
    }
    return text;
}

void AddTaskIcon(port::ITrayIcon& tray, const std::string& tip) {
    tray.add(tipText(tip));
}

void DeleteTaskIcon(port::ITrayIcon& tray) {
    tray.remove();
}

} // namespace app::code_TaskIn
