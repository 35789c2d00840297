// The mount table (/proc/self/mountinfo): the input as the table's text, parsed and asked for drive D:'s
// mount point; and a line made from the input's NUL-separated pieces (mount point, root, file-system type,
// source), escaped as the kernel escapes them, which must parse back to the very same fields.
#include "DriveTree.h"
#include "linux/Mountinfo.h"

namespace {

// The kernel's escaping of a mountinfo field: space, tab, newline and backslash as three octal digits.
std::string kernelEscape(std::string_view field) {
    std::string out;
    for (char c : field) {
        switch (c) {
        case ' ':
            out += "\\040";
            break;
        case '\t':
            out += "\\011";
            break;
        case '\n':
            out += "\\012";
            break;
        case '\\':
            out += "\\134";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string orElse(std::string text, const char* fallback) {
    return text.empty() ? std::string(fallback) : text;
}

void checkTable(fuzz::DriveTree& tree, std::string_view text) {
    const std::vector<lnx::MountEntry> entries = lnx::parseMountinfo(text);
    fuzz::check(entries.size() <= fuzz::split(text, '\n').size(), "at most one entry a line");
    for (const lnx::MountEntry& e : entries) {
        fuzz::check(!e.mountPoint.empty() && !e.root.empty(), "an entry has a mount point and a root",
                    e.mountPoint);
        if (e.root == "/")
            fuzz::check(lnx::findMountPoint(entries, e.major, e.minor).has_value(),
                        "a whole volume's device has a mount point", e.mountPoint);
    }
    for (std::string_view field : fuzz::split(text, ' ')) {
        const std::string plain = lnx::unescapeMountField(field);
        fuzz::check(plain.size() <= field.size(), "unescaping never lengthens a field", field);
        if (field.find('\\') == std::string_view::npos)
            fuzz::check(plain == field, "a field without escapes stays as written", field);
    }
    fuzz::check(tree.source().mountPoint('D') == lnx::findMountPoint(entries, 11, 0),
                "the drive reader finds the mount point the table gives", text);
}

void checkRoundTrip(fuzz::DriveTree& tree, std::string_view input) {
    const std::vector<std::string_view> pieces = fuzz::split(input, '\0');
    const std::string mountPoint = orElse(fuzz::piece(pieces, 0), "/media/cd");
    const std::string root = orElse(fuzz::piece(pieces, 1), "/");
    const std::string fsType = orElse(fuzz::piece(pieces, 2), "iso9660");
    const std::string source = orElse(fuzz::piece(pieces, 3), "/dev/sr0");
    const std::string line = "36 25 11:0 " + kernelEscape(root) + " " + kernelEscape(mountPoint) +
                             " ro,relatime shared:7 - " + kernelEscape(fsType) + " " + kernelEscape(source) +
                             " ro\n";

    const std::vector<lnx::MountEntry> entries = lnx::parseMountinfo(line);
    fuzz::check(entries.size() == 1, "a kernel line parses", line);
    const lnx::MountEntry& e = entries.front();
    fuzz::check(e.major == 11 && e.minor == 0, "the device number parses", line);
    fuzz::check(e.mountPoint == mountPoint, "the mount point comes back", e.mountPoint);
    fuzz::check(e.root == root, "the root comes back", e.root);
    fuzz::check(e.fsType == fsType, "the file-system type comes back", e.fsType);
    fuzz::check(e.source == source, "the source comes back", e.source);

    tree.setMountTable(line);
    const std::optional<std::string> found = tree.source().mountPoint('D');
    fuzz::check(found == (root == "/" ? std::optional<std::string>(mountPoint) : std::nullopt),
                "drive D: is mounted where its whole volume is", line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::DriveTree tree;
    const std::string_view text = fuzz::asText(data, size);
    tree.setMountTable(text);
    checkTable(tree, text);
    checkRoundTrip(tree, text);
    return 0;
}
