#pragma once
// Small text helpers shared by the portable code.
#include <string>
#include <string_view>

namespace app {

// Letter case folded the way the program compares file and key names: ASCII letters only, so that
// multi-byte text is never altered.
std::string upperAscii(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// The text up to, not including, its first NUL character.
std::string cutAtNul(std::string_view text);
bool endsWithSeparator(std::string_view path);
// The path with the platform's separator appended unless it already ends in one.
std::string withSeparator(std::string path);
// Appends one code point to UTF-8 text.
void appendUtf8(std::string& out, char32_t codePoint);
// Position of the last separator in a path, or npos.
std::size_t lastSeparator(std::string_view path);

} // namespace app
