#pragma once
// UTF-8 inside, UTF-16 at the Windows API: the two conversions at that boundary.
#include <string>
#include <string_view>

namespace win {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

} // namespace win
