#include "linux/Mountinfo.h"

#include <charconv>

namespace lnx {

namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool parseUnsigned(std::string_view text, unsigned& value) {
    if (text.empty())
        return false;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

} // namespace

std::string unescapeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2]) &&
            isOctal(field[i + 3])) {
            const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xFF) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<MountEntry> parseMountinfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const auto fields = splitFields(text.substr(pos, end - pos));
        pos = end + 1;

        // id parent major:minor root mountpoint options [optional fields...] - fstype source superopts
        if (fields.size() < 7)
            continue;
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-")
            ++dash;
        if (dash >= fields.size())
            continue;
        const std::string_view dev = fields[2];
        const std::size_t colon = dev.find(':');
        MountEntry entry;
        if (colon == std::string_view::npos || !parseUnsigned(dev.substr(0, colon), entry.major) ||
            !parseUnsigned(dev.substr(colon + 1), entry.minor))
            continue;
        entry.root = unescapeMountField(fields[3]);
        entry.mountPoint = unescapeMountField(fields[4]);
        if (dash + 1 < fields.size())
            entry.fsType = unescapeMountField(fields[dash + 1]);
        if (dash + 2 < fields.size())
            entry.source = unescapeMountField(fields[dash + 2]);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<std::string> findMountPoint(const std::vector<MountEntry>& entries, unsigned major,
                                          unsigned minor) {
    for (const auto& entry : entries) {
        if (entry.major == major && entry.minor == minor && entry.root == "/" && !entry.mountPoint.empty())
            return entry.mountPoint;
    }
    return std::nullopt;
}

} // namespace lnx
