// A program file from a disc, read for its icons: the input is the whole file, held in memory and opened
// by path as the icon reader opens a disc's file.
#include "FuzzSupport.h"
#include "linux/PeIcons.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

// Whatever the file holds, the reader makes a fixed number of reads: no walk of the resource tree loops.
constexpr int kMostReads = 24;

// A returned icon is a complete single-image .ico whose one image is a PNG or a DIB.
void checkIco(const Bytes& ico) {
    const std::string_view text(reinterpret_cast<const char*>(ico.data()), ico.size());
    fuzz::check(ico.size() > 22, "an icon holds a header, an entry and an image", text);
    fuzz::check(ico[0] == 0 && ico[1] == 0 && ico[2] == 1 && ico[3] == 0 && ico[4] == 1 && ico[5] == 0,
                "an icon file of one image", text.substr(0, 6));
    fuzz::check(le32(ico, 14) == ico.size() - 22 && le32(ico, 18) == 22,
                "the entry gives the image's true size and place", text.substr(0, 22));
    fuzz::check(ico.size() - 22 <= lnx::kMaxPeIconImageBytes, "an image is never larger than the limit");
    const bool png = text.substr(22, 8) == "\x89PNG\r\n\x1A\n";
    fuzz::check(png || (ico.size() >= 22 + 40 && le32(ico, 22) >= 12), "the image is a PNG or a DIB",
                text.substr(22, 8));
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
