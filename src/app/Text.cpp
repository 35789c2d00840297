#include "app/Text.h"

#include "port/Paths.h"

namespace app {

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return upperAscii(a) == upperAscii(b);
}

std::string cutAtNul(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

bool endsWithSeparator(std::string_view path) {
    return !path.empty() && port::isPathSeparator(path.back());
}

std::string withSeparator(std::string path) {
    if (!endsWithSeparator(path))
        path += port::pathSeparator();
    return path;
}

std::size_t lastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i-- > 0;)
        if (port::isPathSeparator(path[i]))
            return i;
    return std::string_view::npos;
}

std::string_view trim(std::string_view text, std::string_view blanks) {
    const auto begin = text.find_first_not_of(blanks);
    if (begin == std::string_view::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(blanks) - begin + 1);
}

namespace {
bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
} // namespace

std::size_t utf8Boundary(std::string_view text, std::size_t limit) {
    if (limit >= text.size())
        return text.size();
    // A well-formed character has at most three continuation bytes after its lead byte.
    std::size_t cut = limit;
    for (int k = 0; k < 3 && cut > 0 && isContinuation(text[cut]); ++k)
        --cut;
    return isContinuation(text[cut]) ? limit : cut;
}

std::string cutUtf8(std::string_view text, std::size_t limit) {
    return std::string(text.substr(0, utf8Boundary(text, limit)));
}

std::string firstCharacters(std::string_view text, std::size_t count) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!isContinuation(text[i]) && characters++ == count)
            return std::string(text.substr(0, i));
    return std::string(text);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace app
