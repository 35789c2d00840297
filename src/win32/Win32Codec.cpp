#include "win32/Win32Codec.h"

#include "win32/WideText.h"

namespace win {

std::string Win32Codec::ansiToUtf8(std::string_view bytes) {
    return toUtf8(widen(bytes, CP_ACP));
}

std::string Win32Codec::utf8ToAnsi(std::string_view text) {
    return narrow(toWide(text), CP_ACP);
}

} // namespace win
