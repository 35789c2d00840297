#include "linux/PeIcons.h"

#include "linux/ProgramResources.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lnx {

namespace {

constexpr std::size_t kGroupHeaderSize = 6;
constexpr std::size_t kGroupEntrySize = 14;
constexpr std::size_t kIcoHeaderSize = 6;
constexpr std::size_t kIcoEntrySize = 16;
// Of a group only the entries considered are read, however many it claims.
constexpr std::uint32_t kMaxGroupBytes = kGroupHeaderSize + kGroupEntrySize * kMaxPeIconGroupEntries;
// A PNG's signature and its IHDR chunk up to the colour type: also more than a DIB header needs for its
// size and depth.
constexpr std::size_t kImageHeadBytes = 26;
constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int kLargestIcon = 256; // an .ico entry says 0 for this size and any larger one
// Images larger than icons are drawn at (a logo in a group) are still images of the group; a larger
// side is no icon's, only a hostile header's.
constexpr std::int64_t kLargestImageSide = 1024;

std::uint32_t be32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
void put16(std::vector<unsigned char>& out, std::uint16_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>((v >> shift) & 0xFF));
}

// What an icon image says of itself. The group that names an image says it too, but real files get it
// wrong (a DIB's height claimed with its mask, twice the real one), and readers of .ico files refuse an
// entry that disagrees with its image; Windows goes by the image.
struct ImageFormat {
    int width;
    int height;
    int bitCount;
};

bool isImageSide(std::int64_t side) {
    return side >= 1 && side <= kLargestImageSide;
}
unsigned char entrySide(int side) {
    return side >= kLargestIcon ? 0 : static_cast<unsigned char>(side);
}

std::optional<ImageFormat> pngFormat(const unsigned char* head) {
    if (std::memcmp(head + 12, "IHDR", 4) != 0)
        return std::nullopt;
    const std::uint32_t width = be32(head + 16);
    const std::uint32_t height = be32(head + 20);
    int channels = 0;
    switch (head[25]) { // colour type
    case 0:             // grey
    case 3:             // palette
        channels = 1;
        break;
    case 4: // grey and alpha
        channels = 2;
        break;
    case 2: // RGB
        channels = 3;
        break;
    case 6: // RGB and alpha
        channels = 4;
        break;
    default:
        return std::nullopt;
    }
    if (!isImageSide(width) || !isImageSide(height) || head[24] == 0 || head[24] > 16)
        return std::nullopt;
    return ImageFormat{int(width), int(height), head[24] * channels};
}

// A DIB's height counts its colour bitmap and its mask: the icon is half as high.
std::optional<ImageFormat> dibFormat(const unsigned char* head) {
    std::int64_t width = 0;
    std::int64_t doubledHeight = 0;
    int bitCount = 0;
    switch (le32(head)) { // the header's size names its kind
    case 12:
        width = le16(head + 4);
        doubledHeight = le16(head + 6);
        bitCount = le16(head + 10);
        break;
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        width = std::int32_t(le32(head + 4));
        doubledHeight = std::int32_t(le32(head + 8));
        bitCount = le16(head + 14);
        break;
    default:
        return std::nullopt;
    }
    if (!isImageSide(width) || !isImageSide(doubledHeight / 2) || bitCount < 1 || bitCount > 32)
        return std::nullopt;
    return ImageFormat{int(width), int(doubledHeight / 2), bitCount};
}

// head holds the first kImageHeadBytes of an image of size bytes: a PNG, or a DIB as icons store it.
std::optional<ImageFormat> imageFormat(const unsigned char* head, std::uint32_t size) {
    if (size < kImageHeadBytes)
        return std::nullopt;
    if (std::memcmp(head, kPngSignature, sizeof kPngSignature) == 0)
        return pngFormat(head);
    if (size < 40) // the smallest DIB of an icon: a header, a palette or a pixel, and a mask
        return std::nullopt;
    return dibFormat(head);
}

struct Candidate {
    ImageFormat format;
    FileSpan span;
};

// The images the group at span names, as far as it holds entries, each with the size and depth its
// own header gives. An entry whose image is missing or not an icon image is passed over.
std::vector<Candidate> groupImages(ResourceFile& file, IconResources& resources, const FileSpan& span) {
    std::vector<Candidate> images;
    if (span.size < kGroupHeaderSize)
        return images;
    // Only the entries considered are read, however long the group says it is.
    const auto raw = file.read(FileSpan{span.offset, std::min(span.size, kMaxGroupBytes)}, kMaxGroupBytes);
    if (!raw || le16(&(*raw)[0]) != 0 || le16(&(*raw)[2]) != 1)
        return images; // reserved 0, type 1 = icon (2 would be a cursor)
    const std::size_t declared = le16(&(*raw)[4]);
    const std::size_t fits = (raw->size() - kGroupHeaderSize) / kGroupEntrySize;
    for (std::size_t i = 0; i < declared && i < fits; ++i) {
        const auto image = resources.icon(le16(&(*raw)[kGroupHeaderSize + i * kGroupEntrySize + 12]));
        std::array<unsigned char, kImageHeadBytes> head{};
        if (!image || image->size > kMaxPeIconImageBytes || image->size < head.size() ||
            !file.readAt(image->offset, head.data(), head.size()))
            continue;
        if (const auto format = imageFormat(head.data(), image->size))
            images.push_back(Candidate{*format, *image});
    }
    return images;
}

// The image Windows takes for a square icon of `wanted` pixels: the exact size, else the nearest
// larger, else the largest smaller; within one size the most colours; on a full tie the first.
std::size_t chooseImage(const std::vector<Candidate>& images, int wanted) {
    auto rank = [wanted](const Candidate& c) {
        const int w = c.format.width;
        const int h = c.format.height;
        const int size = std::max(w, h);
        int fit = 0; // exact
        int distance = 0;
        if (w != wanted || h != wanted) {
            fit = size >= wanted ? 1 : 2;
            distance = size >= wanted ? size - wanted : wanted - size;
        }
        return std::array<int, 3>{fit, distance, -c.format.bitCount};
    };
    std::size_t best = 0;
    for (std::size_t i = 1; i < images.size(); ++i) {
        if (rank(images[i]) < rank(images[best]))
            best = i;
    }
    return best;
}

std::vector<unsigned char> singleImageIco(const ImageFormat& format,
                                          const std::vector<unsigned char>& image) {
    std::vector<unsigned char> ico;
    ico.reserve(kIcoHeaderSize + kIcoEntrySize + image.size());
    put16(ico, 0); // reserved
    put16(ico, 1); // icon
    put16(ico, 1); // one image
    ico.push_back(entrySide(format.width));
    ico.push_back(entrySide(format.height));
    ico.push_back(format.bitCount < 8 ? static_cast<unsigned char>(1 << format.bitCount) : 0); // colours
    ico.push_back(0);
    put16(ico, 1); // planes
    put16(ico, std::uint16_t(format.bitCount));
    put32(ico, std::uint32_t(image.size()));
    put32(ico, std::uint32_t(kIcoHeaderSize + kIcoEntrySize));
    ico.insert(ico.end(), image.begin(), image.end());
    return ico;
}

} // namespace

std::optional<std::vector<unsigned char>> extractPeIcon(const std::string& path, int index, int wantedSize,
                                                        PeIconStats* stats) {
    ResourceFile file(stats);
    if (!file.open(path))
        return std::nullopt;
    const auto resources = programResources(file);
    const auto group = resources ? resources->group(index) : std::nullopt;
    if (!group)
        return std::nullopt;
    const std::vector<Candidate> images = groupImages(file, *resources, *group);
    if (images.empty())
        return std::nullopt;
    const Candidate& chosen = images[chooseImage(images, std::clamp(wantedSize, 1, kLargestIcon))];
    const auto image = file.read(chosen.span, kMaxPeIconImageBytes);
    // Described by the bytes returned, not by what was read of them before.
    const auto format = image ? imageFormat(image->data(), std::uint32_t(image->size())) : std::nullopt;
    if (!format)
        return std::nullopt;
    return singleImageIco(*format, *image);
}

int countPeIconGroups(const std::string& path, PeIconStats* stats) {
    ResourceFile file(stats);
    if (!file.open(path))
        return 0;
    const auto resources = programResources(file);
    return resources ? resources->groupCount() : 0;
}

} // namespace lnx
