#include "win32/Win32Codec.h"

#include "win32/Handles.h"
#include "win32/WideText.h"

#include <climits>

namespace win {

// Bytes that are not valid in the code page become the system's replacement character; embedded NUL
// characters pass through, since the lengths are given.
std::string Win32Codec::ansiToUtf8(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX)
        return {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return toUtf8(wide);
}

// Characters the code page lacks become its default character ("?").
std::string Win32Codec::utf8ToAnsi(std::string_view text) {
    std::wstring wide = toWide(text);
    if (wide.empty() || wide.size() > INT_MAX)
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                nullptr);
    if (n <= 0)
        return {};
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n, nullptr,
                        nullptr);
    return bytes;
}

} // namespace win
