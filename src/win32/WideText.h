#pragma once
// Text at the Windows API: UTF-8 inside, UTF-16 at the wide functions, and the ANSI code page of files
// written by older programs; and the path pieces the Windows parts take apart.
#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// Text in a code page to UTF-16 and back. Bytes not valid in the code page become the system's
// replacement character, characters it lacks its default character ("?"); embedded NULs pass.
std::wstring widen(std::string_view bytes, UINT codePage);
std::string narrow(std::wstring_view wide, UINT codePage);
inline std::wstring toWide(std::string_view utf8) {
    return widen(utf8, CP_UTF8);
}
inline std::string toUtf8(std::wstring_view wide) {
    return narrow(wide, CP_UTF8);
}

// The folder part of a path without its last separator, but kept whole for a root ("C:\", "\"), "C:" for
// "C:name", and empty for a bare name.
std::wstring folderOf(const std::wstring& path);

} // namespace win
