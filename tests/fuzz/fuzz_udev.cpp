// The udev database entry of drive D:'s medium: the input as the entry's text, read for the volume
// label; and a label made from the input's first NUL-separated piece, escaped as udev escapes
// ID_FS_LABEL_ENC, which must decode back to the same bytes and read as the same label.
#include "DriveTree.h"
#include "linux/DriveSource.h"

namespace {

bool keptByUdev(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           std::string_view("#+-.:=@_").find(static_cast<char>(c)) != std::string_view::npos;
}

// udev writes its safe characters as they are and every other byte as \xHH; bytes of UTF-8 text it may
// keep as they are too (`keepHigh`).
std::string udevEscape(std::string_view label, bool keepHigh) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : label) {
        if (keptByUdev(c) || (keepHigh && c >= 0x80)) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

void checkLabel(const std::string& label) {
    fuzz::check(fuzz::isStrictUtf8(label), "a label is UTF-8", label);
    fuzz::check(label.find('\0') == std::string::npos, "a label ends at its first NUL", label);
    fuzz::check(label.empty() || label.back() != ' ', "a label has no trailing blanks", label);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::DriveTree tree;
    const std::string_view text = fuzz::asText(data, size);
    tree.setUdevData(text);
    checkLabel(tree.source().label('D'));

    const std::string wanted = fuzz::piece(fuzz::split(text, '\0'), 0);
    const std::string escaped = udevEscape(wanted, size % 2 == 1);
    fuzz::check(lnx::decodeUdevEscapes(escaped) == wanted, "udev escapes decode to the same bytes", escaped);
    tree.setUdevData("S:disk/by-label/x\nE:ID_FS_TYPE=iso9660\nE:ID_FS_LABEL_ENC=" + escaped +
                     "\nE:ID_CDROM=1\n");
    const std::string label = tree.source().label('D');
    checkLabel(label);
    if (fuzz::isStrictUtf8(wanted)) {
        std::string shown = wanted;
        while (!shown.empty() && shown.back() == ' ')
            shown.pop_back();
        fuzz::check(label == shown, "the label udev stored is the label shown", label);
    }
    return 0;
}
