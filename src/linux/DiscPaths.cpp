#include "linux/DiscPaths.h"
#include "app/Text.h"

#include <filesystem>
#include <vector>

namespace lnx {

namespace {

using app::appendUtf8;

namespace fs = std::filesystem;

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// One UTF-8 sequence at text[i]; its length, or 0 when it is not a well-formed sequence (overlong,
// a surrogate, past U+10FFFF or cut off).
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& cp) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t len = 0;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (text.size() - i < len)
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    // An overlong form would fold as the character it spells the long way ("\xE0\x81\x81" as "a").
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

char32_t foldCodePoint(char32_t cp) {
    if (cp >= 'A' && cp <= 'Z')
        return cp + 0x20;
    if (cp < 0x80)
        return cp;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) // Latin-1 capitals
        return cp + 0x20;
    if ((cp >= 0x100 && cp <= 0x12F) || (cp >= 0x132 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177))
        return cp | 1; // Latin Extended-A: capital even, small odd
    if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E))
        return (cp & 1) ? cp + 1 : cp;             // here capital odd, small even
    if (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) // Greek capitals
        return cp + 0x20;
    if (cp >= 0x410 && cp <= 0x42F) // Cyrillic capitals
        return cp + 0x20;
    if (cp >= 0x400 && cp <= 0x40F)
        return cp + 0x50;
    if (cp >= 0xFF21 && cp <= 0xFF3A) // full-width Latin capitals
        return cp + 0x20;
    return cp;
}

std::string join(const std::string& base, std::string_view name) {
    if (base.empty())
        return std::string(name);
    std::string out = base;
    if (out.back() != '/')
        out += '/';
    out += name;
    return out;
}

bool entryExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The name in folder that matches wanted without regard to case. Of several, the smallest in byte order,
// so the answer does not depend on the order the folder lists them in.
std::optional<std::string> findFolded(const std::string& folder, std::string_view wanted) {
    const std::string key = foldCase(wanted);
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? std::string(".") : folder, ec);
    if (ec)
        return std::nullopt;
    std::optional<std::string> best;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        std::string name = it->path().filename().string();
        if (foldCase(name) == key && (!best || name < *best))
            best = std::move(name);
    }
    return best;
}

} // namespace

std::string foldCase(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        char32_t cp = 0;
        const std::size_t len = decodeUtf8(name, i, cp);
        if (len == 0) {
            out += name[i++];
            continue;
        }
        appendUtf8(out, foldCodePoint(cp));
        i += len;
    }
    return out;
}

std::optional<std::string> DiscPaths::mountPointAtStart(std::string_view path) const {
    std::optional<std::string> found;
    m_source.beginPoll();
    for (const CdDrive& drive : m_source.drives()) {
        auto mount = m_source.mountPoint(drive.letter);
        if (mount && path.starts_with(*mount) &&
            (path.size() == mount->size() || isSeparator(path[mount->size()])) &&
            (!found || mount->size() > found->size()))
            found = std::move(mount);
    }
    m_source.endPoll();
    return found;
}

std::string DiscPaths::resolve(std::string_view path) const {
    std::string resolved;
    std::string_view rest = path;
    const bool hasDrive = path.size() >= 2 && path[1] == ':' &&
                          ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                          (path.size() == 2 || isSeparator(path[2]));
    bool onDisc = false;
    if (hasDrive) {
        const auto mount = m_source.mountPoint(path[0]);
        if (!mount)
            return std::string(path);
        resolved = *mount;
        rest.remove_prefix(2);
        onDisc = true;
    } else if (const auto mount =
                   path.find('\\') != std::string_view::npos ? mountPointAtStart(path) : std::nullopt) {
        // A disc's root is its mount point, whatever its name holds ("\" included).
        resolved = *mount;
        rest.remove_prefix(mount->size());
        onDisc = true;
    } else if (!rest.empty() && isSeparator(rest.front())) {
        // Appended, not assigned: GCC 12 takes an assignment of "/" here for an overlapping copy.
        resolved.push_back('/');
    }
    const bool trailingSeparator = !rest.empty() && isSeparator(rest.back());

    std::vector<std::string_view> components;
    for (std::size_t i = 0; i < rest.size();) {
        while (i < rest.size() && isSeparator(rest[i]))
            ++i;
        const std::size_t start = i;
        while (i < rest.size() && !isSeparator(rest[i]))
            ++i;
        const std::string_view component = rest.substr(start, i - start);
        // On a disc, as on a Windows drive, "." and ".." are taken by name before any lookup, and ".."
        // never climbs above the drive's root. Elsewhere they are left to the system.
        if (!onDisc || (component != "." && component != ".."))
            components.push_back(component);
        else if (component == ".." && !components.empty())
            components.pop_back();
    }

    // Once a component is missing nothing below it can exist: the rest is kept as written.
    bool matching = true;
    for (const std::string_view component : components) {
        if (component.empty())
            break;
        if (component == "." || component == ".." || !matching) {
            resolved = join(resolved, component);
            continue;
        }
        const std::string exact = join(resolved, component);
        if (entryExists(exact)) {
            resolved = exact;
            continue;
        }
        if (auto found = findFolded(resolved, component)) {
            resolved = join(resolved, *found);
            continue;
        }
        matching = false;
        resolved = exact;
    }
    if (trailingSeparator && !resolved.empty() && resolved.back() != '/')
        resolved += '/';
    return resolved;
}

} // namespace lnx
