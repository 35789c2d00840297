#include "win32/WideText.h"

#include <climits>

namespace win {

std::wstring widen(std::string_view bytes, UINT codePage) {
    if (bytes.empty() || bytes.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), length, wide.data(), n);
    return wide;
}

std::string narrow(std::wstring_view wide, UINT codePage) {
    if (wide.empty() || wide.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), length, bytes.data(), n, nullptr, nullptr);
    return bytes;
}

std::wstring folderOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos)
        return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) : std::wstring();
    if (cut == 0 || (cut == 2 && path[1] == L':'))
        return path.substr(0, cut + 1);
    return path.substr(0, cut);
}

} // namespace win
