#pragma once
// The rules of a settings file as a reader sees them, written out for the settings engine's fuzz targets:
// which characters are blanks, how names compare, what a value line gives, and the file's three forms.
// Names of sections and entries found by a plain scan of the file, without the engine.
#include "FuzzSupport.h"
#include "app/Profile.h"
#include "app/Text.h"

#include <set>

namespace fuzz {

inline bool isProfileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

inline std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isProfileBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isProfileBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A name on a line of the file as names compare: blanks around it dropped, ASCII letters in one case, other
// bytes as they are.
inline std::string nameKey(std::string_view name) {
    std::string out(trimmed(name));
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// A section or key name given as an argument, as it compares: it ends at a NUL (a C string), only the
// spaces around it are dropped (a tab there is part of the name), ASCII letters in one case.
inline std::string argumentKey(std::string_view name) {
    name = name.substr(0, name.find('\0'));
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// What the text after an entry's "=" reads as: blanks around removed, then one pair of enclosing quotes.
inline std::string valueAsRead(std::string_view raw) {
    std::string_view v = trimmed(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

enum class Form { Ansi, Utf8, Utf16 };

inline Form formOf(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return Form::Utf16;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return Form::Utf8;
    return Form::Ansi;
}

// The names between "[" and "]" and before "=" on the file's lines, up to `most` of them in all.
inline void scanNames(std::string_view bytes, std::set<std::string>& sections, std::set<std::string>& keys,
                      std::size_t most) {
    const std::string text =
        formOf(bytes) == Form::Utf16 ? app::utf16leToUtf8(bytes.substr(2)) : std::string(bytes);
    for (std::string_view line : split(text, '\n')) {
        if (sections.size() + keys.size() >= most)
            return;
        const std::size_t open = line.find('[');
        if (open != std::string_view::npos)
            sections.emplace(line.substr(open + 1, line.find(']', open) - open - 1));
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos)
            keys.emplace(line.substr(0, eq));
    }
}

} // namespace fuzz
