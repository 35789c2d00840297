#include "linux/IsoLabel.h"

#include "app/Text.h"
#include "linux/LinuxCodec.h"
#include "linux/OwnedFd.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace lnx {

namespace {

using app::appendUtf8;

constexpr off_t kFirstDescriptor = 16 * 2048;
constexpr std::size_t kSectorSize = 2048;
constexpr std::size_t kLabelOffset = 40;
constexpr std::size_t kLabelSize = 32;
constexpr std::size_t kEscapeOffset = 88;

enum : unsigned char { kTypePrimary = 1, kTypeSupplementary = 2, kTypeTerminator = 255 };

using Sector = std::array<unsigned char, kSectorSize>;

bool readSector(int fd, off_t offset, Sector& sector) {
    std::size_t done = 0;
    while (done < sector.size()) {
        const ssize_t got = ::pread(fd, sector.data() + done, sector.size() - done, offset + off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false; // error or end of data: a truncated image has no more descriptors
        done += std::size_t(got);
    }
    return true;
}

void trimTrailingBlanks(std::string& text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
}

// The 16 big-endian UCS-2 characters of a Joliet label, cut at the first NUL. Pairs of surrogates are
// joined (some authoring tools write UTF-16); a lone surrogate becomes U+FFFD.
std::string jolietLabel(const Sector& sector) {
    std::string out;
    const unsigned char* p = sector.data() + kLabelOffset;
    for (std::size_t i = 0; i + 1 < kLabelSize; i += 2) {
        char32_t unit = char32_t(p[i] << 8 | p[i + 1]);
        if (unit == 0)
            break;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < kLabelSize) {
            const char32_t low = char32_t(p[i + 2] << 8 | p[i + 3]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF)
            unit = 0xFFFD;
        appendUtf8(out, unit);
    }
    trimTrailingBlanks(out);
    return out;
}

std::string primaryLabel(const Sector& sector) {
    const char* p = reinterpret_cast<const char*>(sector.data()) + kLabelOffset;
    std::string raw(p, strnlen(p, kLabelSize));
    trimTrailingBlanks(raw);
    return utf8OrCp932ToUtf8(raw);
}

bool isJoliet(const Sector& sector) {
    const unsigned char* e = sector.data() + kEscapeOffset;
    return e[0] == '%' && e[1] == '/' && (e[2] == '@' || e[2] == 'C' || e[2] == 'E');
}

std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

unsigned le16(const unsigned char* p) {
    return unsigned(p[0]) | unsigned(p[1]) << 8;
}

// A UDF descriptor tag: its identifier when the checksum holds and it says it lives where it was read.
std::optional<unsigned> udfTag(const Sector& sector, std::uint32_t location) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < 16; ++i) {
        if (i != 4)
            sum += sector[i];
    }
    if ((sum & 0xFF) != sector[4] || le32(sector.data() + 12) != location)
        return std::nullopt;
    return le16(sector.data());
}

// An OSTA CS0 "dstring": a compression byte (8: one byte a character, 16: UCS-2 big-endian), the
// characters, and the used length in the last byte.
std::string udfDstring(const unsigned char* field, std::size_t size) {
    std::size_t used = std::min<std::size_t>(field[size - 1], size - 1);
    std::string out;
    const unsigned compression = field[0];
    if (compression == 8 || compression == 254) {
        for (std::size_t i = 1; i < used; ++i)
            appendUtf8(out, field[i]);
    } else if (compression == 16 || compression == 255) {
        for (std::size_t i = 1; i + 1 < used; i += 2) {
            char32_t unit = char32_t(field[i] << 8 | field[i + 1]);
            if (unit >= 0xD800 && unit <= 0xDFFF)
                unit = 0xFFFD;
            appendUtf8(out, unit);
        }
    }
    const auto nul = out.find('\0');
    if (nul != std::string::npos)
        out.resize(nul);
    trimTrailingBlanks(out);
    return out;
}

constexpr std::uint32_t kUdfAnchor = 256;
constexpr unsigned kTagAnchor = 2, kTagLogicalVolume = 6, kTagTerminating = 8;
constexpr std::size_t kLogicalVolumeIdOffset = 84, kLogicalVolumeIdSize = 128;

// The logical volume identifier from the volume descriptor sequence the anchor points at (the main
// one, else its reserve copy). The walk is bounded like the ISO one.
std::optional<std::string> udfLabel(int fd) {
    Sector sector;
    if (!readSector(fd, off_t(kUdfAnchor) * off_t(kSectorSize), sector) ||
        udfTag(sector, kUdfAnchor) != kTagAnchor)
        return std::nullopt;
    const std::uint32_t extents[2][2] = {{le32(sector.data() + 16), le32(sector.data() + 20)},
                                         {le32(sector.data() + 24), le32(sector.data() + 28)}};
    for (const auto& [length, location] : extents) {
        const std::uint32_t count = std::min<std::uint32_t>(length / kSectorSize, kMaxIsoDescriptors);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t where = location + i;
            if (where < location || !readSector(fd, off_t(where) * off_t(kSectorSize), sector))
                break;
            const auto tag = udfTag(sector, where);
            if (!tag || *tag == kTagTerminating)
                break;
            if (*tag == kTagLogicalVolume)
                return udfDstring(sector.data() + kLogicalVolumeIdOffset, kLogicalVolumeIdSize);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> readIsoLabel(int fd) {
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> primary;
    std::optional<std::string> joliet;
    bool isoEnded = false;
    bool udf = false;
    Sector sector;
    // ISO 9660 descriptors, then (on UDF media) the volume recognition sequence after the terminator.
    for (int i = 0; i < kMaxIsoDescriptors; ++i) {
        if (!readSector(fd, kFirstDescriptor + off_t(i) * off_t(kSectorSize), sector))
            break;
        const std::string_view id(reinterpret_cast<const char*>(sector.data()) + 1, 5);
        if (id == "CD001" && !isoEnded) {
            const unsigned char type = sector[0];
            if (type == kTypeTerminator)
                isoEnded = true;
            else if (type == kTypePrimary && !primary)
                primary = primaryLabel(sector);
            else if (type == kTypeSupplementary && !joliet && isJoliet(sector))
                joliet = jolietLabel(sector);
        } else if (id == "NSR02" || id == "NSR03") {
            udf = true;
        } else if (id == "BEA01" || id == "BOOT2" || id == "CDW02") {
            isoEnded = true;
        } else {
            break; // "TEA01", the end of the sequence, or anything unknown
        }
    }
    // Windows mounts a UDF bridge disc as UDF and shows that label.
    if (udf) {
        if (auto label = udfLabel(fd))
            return label;
    }
    if (joliet)
        return joliet;
    return primary;
}

std::optional<std::string> readIsoLabelFile(const std::string& path) {
    const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    return readIsoLabel(fd.get());
}

} // namespace lnx
