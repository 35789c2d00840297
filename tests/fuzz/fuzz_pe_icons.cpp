// A program file from a disc (32- or 64-bit PE, or 16-bit NE), read for its icons: the input is the whole
// file, held in memory and opened by path as the icon reader opens a disc's file.
#include "FuzzSupport.h"
#include "linux/PeIcons.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}
std::uint32_t be32(const Bytes& b, std::size_t at) {
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 |
           b[at + 3];
}

// Whatever the file holds, the reader makes a bounded number of reads: no walk of the resource tree loops.
// At most 15 for the headers, the directories walked, the group and the image returned; then three for each
// image a group names (its language, its data entry, its first bytes), up to the entries considered.
constexpr int kMostReads = 15 + 3 * int(lnx::kMaxPeIconGroupEntries);

// What an .ico entry can say of a side: 0 for 256 and more.
int entrySide(std::int64_t side) {
    return side >= 256 ? 0 : int(side);
}

// A returned icon is a complete single-image .ico whose one image is a PNG or a DIB.
void checkIco(const Bytes& ico) {
    const std::string_view text(reinterpret_cast<const char*>(ico.data()), ico.size());
    fuzz::check(ico.size() >= 22 + 26, "an icon holds a header, an entry and an image's header", text);
    fuzz::check(ico[0] == 0 && ico[1] == 0 && ico[2] == 1 && ico[3] == 0 && ico[4] == 1 && ico[5] == 0,
                "an icon file of one image", text.substr(0, 6));
    fuzz::check(le32(ico, 14) == ico.size() - 22 && le32(ico, 18) == 22,
                "the entry gives the image's true size and place", text.substr(0, 22));
    fuzz::check(ico.size() - 22 <= lnx::kMaxPeIconImageBytes, "an image is never larger than the limit");
    const bool png = text.substr(22, 8) == "\x89PNG\r\n\x1A\n";
    fuzz::check(png || (ico.size() >= 22 + 40 && le32(ico, 22) >= 12), "the image is a PNG or a DIB",
                text.substr(22, 8));
    // A DIB's height counts its mask; a reader of .ico files refuses an entry that disagrees with its image.
    const bool core = !png && le32(ico, 22) == 12;
    const std::int64_t width = png    ? be32(ico, 38)
                               : core ? le32(ico, 26) & 0xFFFF
                                      : std::int32_t(le32(ico, 26));
    const std::int64_t height =
        png ? be32(ico, 42) : (core ? le32(ico, 28) & 0xFFFF : std::int32_t(le32(ico, 30))) / 2;
    fuzz::check(ico[6] == entrySide(width) && ico[7] == entrySide(height),
                "the entry gives the image's own size", text.substr(0, 22 + 26));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::MemoryFile file(fuzz::asText(data, size));
    const std::string path = file.path();

    lnx::PeIconStats stats;
    const int groups = lnx::countPeIconGroups(path, &stats);
    fuzz::check(groups >= 0 && groups <= 2 * 0xFFFF, "a directory counts at most 2 x 65535 entries");
    fuzz::check(stats.reads <= kMostReads, "counting makes a bounded number of reads");

    // Indexes a disc's AUTORUN.INF can name: positions (the last one and one past it) and resource ids.
    const int lastByte = size > 0 ? data[size - 1] : 0;
    for (const int index : {0, 1, groups - 1, groups, -1, -lastByte, -32768}) {
        for (const int wanted : {16, 32, 48}) {
            lnx::PeIconStats one;
            const auto ico = lnx::extractPeIcon(path, index, wanted, &one);
            fuzz::check(one.reads <= kMostReads, "extracting makes a bounded number of reads");
            if (!ico)
                continue;
            fuzz::check(index >= 0 ? index < groups : groups > 0, "only an existing group gives an icon");
            checkIco(*ico);
        }
    }
    return 0;
}
