#pragma once
// Small text helpers shared by the portable code.
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

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
// UTF-16LE bytes to UTF-8; unpaired surrogates become U+FFFD, an odd last byte is dropped.
std::string utf16leToUtf8(std::string_view bytes);
// UTF-8 to UTF-16LE bytes; malformed sequences become U+FFFD.
std::string utf8ToUtf16le(std::string_view text);
// Appends one code point to UTF-8 text.
void appendUtf8(std::string& out, char32_t codePoint);
// Position of the last separator in a path, or npos.
std::size_t lastSeparator(std::string_view path);

// The text without the characters of `blanks` at either end.
std::string_view trim(std::string_view text, std::string_view blanks = " \t\r\n\v\f");

// The number the whole text spells: one optional "+" (or, for signed and floating types, "-"), then the
// digits of a decimal number, nothing before or after; a floating number must be finite. Nothing when
// the text is anything else or out of the type's range.
template <class Number> std::optional<Number> parseNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || (std::is_unsigned_v<Number> && text.front() == '-'))
        return std::nullopt;
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if constexpr (std::is_floating_point_v<Number>)
        if (!std::isfinite(value))
            return std::nullopt;
    return value;
}

// The longest length of at most `limit` bytes that ends between two UTF-8 characters; where the text is
// not UTF-8 at that point, `limit` itself.
std::size_t utf8Boundary(std::string_view text, std::size_t limit);
// The text cut to at most `limit` bytes without splitting a UTF-8 character.
std::string cutUtf8(std::string_view text, std::size_t limit);
// The first `count` characters of UTF-8 text (each byte that is not a continuation byte starts one).
std::string firstCharacters(std::string_view text, std::size_t count);

} // namespace app
