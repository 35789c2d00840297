#include "linux/DesktopEntry.h"

#include "app/Text.h"
namespace lnx {

namespace {

bool isReserved(char c) {
    switch (c) {
    case ' ':
    case '\t':
    case '\n':
    case '\r': // not in the reserved list, but a bare CR would be lost by readers that trim lines
    case '"':
    case '\'':
    case '\\':
    case '>':
    case '<':
    case '~':
    case '|':
    case '&':
    case ';':
    case '$':
    case '*':
    case '?':
    case '#':
    case '(':
    case ')':
    case '`':
        return true;
    default:
        return false;
    }
}

bool escapedInQuotes(char c) {
    return c == '"' || c == '`' || c == '$' || c == '\\';
}

bool isFieldCode(char c) {
    switch (c) {
    case 'f':
    case 'F':
    case 'u':
    case 'U':
    case 'd':
    case 'D':
    case 'n':
    case 'N':
    case 'i':
    case 'c':
    case 'k':
    case 'v':
    case 'm':
        return true;
    default:
        return false;
    }
}

} // namespace

std::string quoteExecArgument(std::string_view arg) {
    bool quote = arg.empty();
    for (char c : arg) {
        if (isReserved(c)) {
            quote = true;
            break;
        }
    }
    std::string out;
    if (quote)
        out += '"';
    for (char c : arg) {
        if (quote && escapedInQuotes(c))
            out += '\\';
        if (c == '%')
            out += '%';
        out += c;
    }
    if (quote)
        out += '"';
    return out;
}

std::string joinExecLine(const std::vector<std::string>& argv) {
    std::string line;
    for (const auto& arg : argv) {
        if (!line.empty())
            line += ' ';
        line += quoteExecArgument(arg);
    }
    return line;
}

std::optional<std::vector<std::string>> splitExecLine(std::string_view line) {
    std::vector<std::string> argv;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && line[i] == ' ')
            ++i;
        if (i >= n)
            break;
        std::string arg;
        bool onlyFieldCodes = true; // an argument made of field codes alone disappears
        bool inQuotes = false;
        while (i < n && (inQuotes || line[i] != ' ')) {
            const char c = line[i];
            if (c == '"') {
                inQuotes = !inQuotes;
                onlyFieldCodes = false;
                ++i;
            } else if (inQuotes && c == '\\') {
                if (i + 1 >= n || !escapedInQuotes(line[i + 1]))
                    return std::nullopt;
                arg += line[i + 1];
                onlyFieldCodes = false;
                i += 2;
            } else if (c == '%') {
                if (i + 1 >= n)
                    return std::nullopt;
                const char code = line[i + 1];
                if (code == '%') {
                    arg += '%';
                    onlyFieldCodes = false;
                } else if (!isFieldCode(code)) {
                    return std::nullopt;
                }
                i += 2;
            } else {
                arg += c;
                onlyFieldCodes = false;
                ++i;
            }
        }
        if (inQuotes)
            return std::nullopt;
        if (!onlyFieldCodes)
            argv.push_back(std::move(arg));
    }
    return argv;
}

std::string escapeValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case ' ':
            // Readers trim the blanks after "="; a leading one survives only as an escape.
            out += i == 0 ? "\\s" : " ";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescapeValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c != '\\' || i + 1 >= value.size()) {
            out += c;
            continue;
        }
        const char e = value[++i];
        switch (e) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += e;
        }
    }
    return out;
}

bool storableInValue(std::string_view text) {
    for (unsigned char c : text) {
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f)
            return false;
    }
    return true;
}

namespace {

// The length of the well-formed UTF-8 character at the start of `text`, or 0.
std::size_t utf8Length(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

bool isUtf8(std::string_view text) {
    while (!text.empty()) {
        const std::size_t length = utf8Length(text);
        if (length == 0)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

std::string toUtf8Lossy(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        const std::size_t length = utf8Length(text);
        out += length ? text.substr(0, length) : std::string_view("\xEF\xBF\xBD");
        text.remove_prefix(length ? length : 1);
    }
    return out;
}

bool isDesktopFileName(std::string_view name) {
    if (name.size() <= kDesktopExtension.size())
        return false;
    name.remove_prefix(name.size() - kDesktopExtension.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] - 'A' + 'a') : name[i];
        if (c != kDesktopExtension[i])
            return false;
    }
    return true;
}

std::string writeDesktopEntry(const DesktopEntry& entry) {
    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + escapeValue(entry.name) + "\n";
    text += "Exec=" + escapeValue(joinExecLine(entry.exec)) + "\n";
    if (!entry.path.empty())
        text += "Path=" + escapeValue(entry.path) + "\n";
    if (!entry.icon.empty())
        text += "Icon=" + escapeValue(entry.icon) + "\n";
    text += std::string(kOwnEntryKey) + "=true\n";
    return text;
}

std::optional<DesktopEntry> readDesktopEntry(std::string_view text) {
    DesktopEntry entry;
    bool inGroup = false;
    bool sawGroup = false;
    std::optional<std::string> exec;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            // Only the first [Desktop Entry] group counts; a repeated one is an error readers skip.
            inGroup = !sawGroup && line == "[Desktop Entry]";
            sawGroup = sawGroup || inGroup;
            continue;
        }
        if (!inGroup)
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = app::trim(line.substr(0, eq), " \t\r");
        std::string_view raw = line.substr(eq + 1);
        while (!raw.empty() && (raw.front() == ' ' || raw.front() == '\t'))
            raw.remove_prefix(1);
        // First occurrence wins, as in the group's key lookup of common readers.
        if (key == "Exec" && !exec) {
            exec = unescapeValue(raw);
        } else if (key == "Path" && entry.path.empty()) {
            entry.path = unescapeValue(raw);
        } else if (key == "Icon" && entry.icon.empty()) {
            entry.icon = unescapeValue(raw);
        } else if (key == "Name" && entry.name.empty()) {
            entry.name = unescapeValue(raw);
        } else if (key == kOwnEntryKey) {
            entry.ours = raw == "true";
        }
    }
    if (!exec)
        return std::nullopt;
    auto argv = splitExecLine(*exec);
    if (!argv)
        return std::nullopt;
    entry.exec = std::move(*argv);
    return entry;
}

} // namespace lnx
