#include "linux/PeIcons.h"

#include "linux/OwnedFd.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lnx {

namespace {

constexpr std::uint32_t kTypeIcon = 3;
constexpr std::uint32_t kTypeGroupIcon = 14;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr std::uint32_t kNameFlag = 0x80000000u;
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::size_t kGroupHeaderSize = 6;
constexpr std::size_t kGroupEntrySize = 14;
constexpr std::size_t kIcoHeaderSize = 6;
constexpr std::size_t kIcoEntrySize = 16;
constexpr std::size_t kSectionHeaderSize = 40;
// A group holds at most 65535 entries of 14 bytes; anything longer is not a group.
constexpr std::uint32_t kMaxGroupBytes = kGroupHeaderSize + kGroupEntrySize * 0xFFFFu;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;

std::uint16_t le16(const unsigned char* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
void put16(std::vector<unsigned char>& out, std::uint16_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>((v >> shift) & 0xFF));
}

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

struct DirectoryEntry {
    std::uint32_t name;   // an id, or kNameFlag | offset of a name string
    std::uint32_t target; // kSubdirectoryFlag | offset of a directory, or offset of a data entry
};

struct Directory {
    std::uint32_t namedCount = 0;
    std::uint32_t idCount = 0;
    std::uint32_t total() const { return namedCount + idCount; }
};

struct DataEntry {
    std::uint32_t rva;
    std::uint32_t size;
};

struct GroupEntry {
    unsigned char width;
    unsigned char height;
    unsigned char colorCount;
    std::uint16_t planes;
    std::uint16_t bitCount;
    std::uint16_t id;
};

// An open PE file, its sections and the place of its resource directory. Every read is checked
// against the file's size and counted.
class PeReader {
  public:
    explicit PeReader(PeIconStats* stats) : m_stats(stats) {}

    bool open(const std::string& path) {
        // O_NONBLOCK: a FIFO named in place of a program file must not hang the caller.
        m_fd = OwnedFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
        if (!m_fd)
            return false;
        struct stat info {};
        if (::fstat(m_fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
            return false;
        m_fileSize = std::uint64_t(info.st_size);
        return readHeaders();
    }

    bool hasResources() const { return m_resourceRva != 0; }

    bool readAt(std::uint64_t offset, void* out, std::size_t size) {
        if (offset > m_fileSize || size > m_fileSize - offset)
            return false;
        auto* dest = static_cast<unsigned char*>(out);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t got = ::pread(m_fd.get(), dest + done, size - done, off_t(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false; // the file shrank under us, or an I/O error
            done += std::size_t(got);
        }
        if (m_stats) {
            m_stats->bytesRead += size;
            ++m_stats->reads;
        }
        return true;
    }

    // Bytes at an address of the loaded image; the whole range must lie in one section's file data.
    bool readRva(std::uint64_t rva, void* out, std::size_t size) {
        for (const Section& s : m_sections) {
            if (rva < s.virtualAddress)
                continue;
            const std::uint64_t into = rva - s.virtualAddress;
            if (into >= s.rawSize || size > s.rawSize - into)
                continue;
            return readAt(std::uint64_t(s.rawOffset) + into, out, size);
        }
        return false;
    }

    // Offsets inside the resource tree count from the start of the resource directory.
    bool readResource(std::uint32_t offset, void* out, std::size_t size) {
        return readRva(std::uint64_t(m_resourceRva) + offset, out, size);
    }

    std::optional<Directory> directoryAt(std::uint32_t offset) {
        std::array<unsigned char, kDirectoryHeaderSize> header{};
        if (!readResource(offset, header.data(), header.size()))
            return std::nullopt;
        return Directory{le16(&header[12]), le16(&header[14])};
    }

    std::optional<DirectoryEntry> entryAt(std::uint32_t directoryOffset, std::uint32_t position) {
        std::array<unsigned char, kDirectoryEntrySize> raw{};
        const std::uint64_t at = std::uint64_t(directoryOffset) + kDirectoryHeaderSize +
                                 std::uint64_t(position) * kDirectoryEntrySize;
        if (at > 0xFFFFFFFFu || !readResource(std::uint32_t(at), raw.data(), raw.size()))
            return std::nullopt;
        return DirectoryEntry{le32(&raw[0]), le32(&raw[4])};
    }

    // The id entries of a directory, read at once: the ids a lookup must scan.
    std::optional<std::vector<DirectoryEntry>> idEntries(std::uint32_t directoryOffset,
                                                         const Directory& dir) {
        const std::uint64_t at = std::uint64_t(directoryOffset) + kDirectoryHeaderSize +
                                 std::uint64_t(dir.namedCount) * kDirectoryEntrySize;
        const std::size_t bytes = std::size_t(dir.idCount) * kDirectoryEntrySize;
        if (at > 0xFFFFFFFFu || bytes > m_fileSize)
            return std::nullopt;
        std::vector<unsigned char> raw(bytes);
        if (bytes != 0 && !readResource(std::uint32_t(at), raw.data(), raw.size()))
            return std::nullopt;
        std::vector<DirectoryEntry> entries;
        entries.reserve(dir.idCount);
        for (std::size_t i = 0; i < bytes; i += kDirectoryEntrySize)
            entries.push_back(DirectoryEntry{le32(&raw[i]), le32(&raw[i + 4])});
        return entries;
    }

    // The subdirectory under the id entry `id` of the directory at directoryOffset.
    std::optional<std::uint32_t> subdirectoryById(std::uint32_t directoryOffset, std::uint32_t id) {
        const auto dir = directoryAt(directoryOffset);
        if (!dir)
            return std::nullopt;
        const auto entries = idEntries(directoryOffset, *dir);
        if (!entries)
            return std::nullopt;
        for (const DirectoryEntry& e : *entries) {
            if ((e.name & kNameFlag) == 0 && e.name == id)
                return subdirectoryOf(e);
        }
        return std::nullopt;
    }

    static std::optional<std::uint32_t> subdirectoryOf(const DirectoryEntry& e) {
        if ((e.target & kSubdirectoryFlag) == 0)
            return std::nullopt;
        return e.target & ~kSubdirectoryFlag;
    }

    // The data of the first language under a name's directory: the tree ends here, so an entry that
    // points at yet another directory (a loop or a deeper tree) is refused, never followed.
    std::optional<DataEntry> firstLanguageData(std::uint32_t languageDirectory) {
        const auto dir = directoryAt(languageDirectory);
        if (!dir || dir->total() == 0)
            return std::nullopt;
        const auto entry = entryAt(languageDirectory, 0);
        if (!entry || (entry->target & kSubdirectoryFlag) != 0)
            return std::nullopt;
        std::array<unsigned char, kDataEntrySize> raw{};
        if (!readResource(entry->target, raw.data(), raw.size()))
            return std::nullopt;
        return DataEntry{le32(&raw[0]), le32(&raw[4])};
    }

  private:
    bool readHeaders() {
        std::array<unsigned char, 64> dos{};
        if (!readAt(0, dos.data(), dos.size()) || dos[0] != 'M' || dos[1] != 'Z')
            return false;
        const std::uint32_t peOffset = le32(&dos[0x3C]);
        std::array<unsigned char, 24> pe{}; // signature and file header
        if (!readAt(peOffset, pe.data(), pe.size()) || std::memcmp(pe.data(), "PE\0\0", 4) != 0)
            return false;
        const std::uint16_t sectionCount = le16(&pe[6]);
        const std::uint16_t optionalSize = le16(&pe[20]);
        const std::uint64_t optionalOffset = std::uint64_t(peOffset) + pe.size();

        std::vector<unsigned char> optional(optionalSize);
        if (optionalSize < 2 || !readAt(optionalOffset, optional.data(), optional.size()))
            return false;
        std::size_t countAt = 0;
        switch (le16(optional.data())) {
        case kMagicPe32:
            countAt = 92;
            break;
        case kMagicPe32Plus:
            countAt = 108;
            break;
        default:
            return false;
        }
        const std::size_t directoriesAt = countAt + 4;
        const std::size_t resourceAt = directoriesAt + kResourceDirectoryIndex * 8;
        if (optional.size() < countAt + 4)
            return false;
        if (le32(&optional[countAt]) <= kResourceDirectoryIndex || optional.size() < resourceAt + 8)
            return true; // no resource directory: a valid file without icons
        m_resourceRva = le32(&optional[resourceAt]);
        if (m_resourceRva == 0)
            return true;

        const std::size_t tableBytes = std::size_t(sectionCount) * kSectionHeaderSize;
        std::vector<unsigned char> table(tableBytes);
        if (!readAt(optionalOffset + optionalSize, table.data(), table.size()))
            return false;
        m_sections.reserve(sectionCount);
        for (std::size_t at = 0; at < tableBytes; at += kSectionHeaderSize)
            m_sections.push_back(
                Section{le32(&table[at + 12]), le32(&table[at + 16]), le32(&table[at + 20])});
        return true;
    }

    PeIconStats* m_stats;
    OwnedFd m_fd;
    std::uint64_t m_fileSize = 0;
    std::uint32_t m_resourceRva = 0;
    std::vector<Section> m_sections;
};

// The offset of the RT_GROUP_ICON directory (one entry per group), if the file has icons at all.
std::optional<std::uint32_t> groupDirectory(PeReader& pe) {
    if (!pe.hasResources())
        return std::nullopt;
    return pe.subdirectoryById(0, kTypeGroupIcon);
}

// The language directory of the group at index (a position, or -id when negative).
std::optional<std::uint32_t> groupLanguages(PeReader& pe, std::uint32_t groups, int index) {
    if (index >= 0) {
        const auto dir = pe.directoryAt(groups);
        if (!dir || std::uint32_t(index) >= dir->total())
            return std::nullopt;
        const auto entry = pe.entryAt(groups, std::uint32_t(index));
        if (!entry)
            return std::nullopt;
        return PeReader::subdirectoryOf(*entry);
    }
    // -index in 64 bits: the most negative int names an id no resource can have, not a crash.
    const std::int64_t id = -std::int64_t(index);
    if (id > 0xFFFF)
        return std::nullopt;
    return pe.subdirectoryById(groups, std::uint32_t(id));
}

std::optional<std::vector<GroupEntry>> readGroup(PeReader& pe, const DataEntry& data) {
    if (data.size < kGroupHeaderSize || data.size > kMaxGroupBytes)
        return std::nullopt;
    std::vector<unsigned char> raw(data.size);
    if (!pe.readRva(data.rva, raw.data(), raw.size()))
        return std::nullopt;
    if (le16(&raw[0]) != 0 || le16(&raw[2]) != 1)
        return std::nullopt; // reserved 0, type 1 = icon (2 would be a cursor)
    const std::size_t declared = le16(&raw[4]);
    const std::size_t fits = (raw.size() - kGroupHeaderSize) / kGroupEntrySize;
    std::vector<GroupEntry> entries;
    for (std::size_t i = 0; i < declared && i < fits; ++i) {
        const unsigned char* p = &raw[kGroupHeaderSize + i * kGroupEntrySize];
        entries.push_back(GroupEntry{p[0], p[1], p[2], le16(p + 4), le16(p + 6), le16(p + 12)});
    }
    if (entries.empty())
        return std::nullopt;
    return entries;
}

int pixels(unsigned char stored) {
    return stored == 0 ? 256 : stored;
}

// Bits per pixel; an entry that leaves its bit count 0 says it through its colour count
// (0 there means 256 colours or more).
int colourDepth(const GroupEntry& e) {
    if (e.bitCount != 0)
        return e.bitCount;
    if (e.colorCount == 0)
        return 8;
    int bits = 0;
    while ((1 << bits) < e.colorCount)
        ++bits;
    return bits;
}

// The entry Windows takes for a square icon of `wanted` pixels: the exact size, else the nearest
// larger, else the largest smaller; within one size the most colours; on a full tie the first.
std::size_t chooseImage(const std::vector<GroupEntry>& entries, int wanted) {
    auto rank = [wanted](const GroupEntry& e) {
        const int w = pixels(e.width);
        const int h = pixels(e.height);
        const int size = std::max(w, h);
        int fit = 0; // exact
        int distance = 0;
        if (w != wanted || h != wanted) {
            fit = size >= wanted ? 1 : 2;
            distance = size >= wanted ? size - wanted : wanted - size;
        }
        return std::array<int, 3>{fit, distance, -colourDepth(e)};
    };
    std::size_t best = 0;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (rank(entries[i]) < rank(entries[best]))
            best = i;
    }
    return best;
}

// A DIB (any BITMAPINFOHEADER family size) or a PNG: what an RT_ICON can hold.
bool looksLikeIconImage(const std::vector<unsigned char>& image) {
    static constexpr unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (image.size() >= sizeof kPng && std::memcmp(image.data(), kPng, sizeof kPng) == 0)
        return true;
    if (image.size() < 40)
        return false;
    switch (le32(image.data())) {
    case 12:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        return true;
    default:
        return false;
    }
}

std::vector<unsigned char> singleImageIco(const GroupEntry& e, const std::vector<unsigned char>& image) {
    std::vector<unsigned char> ico;
    ico.reserve(kIcoHeaderSize + kIcoEntrySize + image.size());
    put16(ico, 0); // reserved
    put16(ico, 1); // icon
    put16(ico, 1); // one image
    ico.push_back(e.width);
    ico.push_back(e.height);
    ico.push_back(e.colorCount);
    ico.push_back(0);
    put16(ico, e.planes);
    put16(ico, e.bitCount);
    put32(ico, std::uint32_t(image.size())); // the real size, not the group's claim
    put32(ico, std::uint32_t(kIcoHeaderSize + kIcoEntrySize));
    ico.insert(ico.end(), image.begin(), image.end());
    return ico;
}

} // namespace

std::optional<std::vector<unsigned char>> extractPeIcon(const std::string& path, int index, int wantedSize,
                                                        PeIconStats* stats) {
    PeReader pe(stats);
    if (!pe.open(path))
        return std::nullopt;
    const auto groups = groupDirectory(pe);
    if (!groups)
        return std::nullopt;
    const auto languages = groupLanguages(pe, *groups, index);
    if (!languages)
        return std::nullopt;
    const auto groupData = pe.firstLanguageData(*languages);
    if (!groupData)
        return std::nullopt;
    const auto entries = readGroup(pe, *groupData);
    if (!entries)
        return std::nullopt;

    const GroupEntry& chosen = (*entries)[chooseImage(*entries, std::clamp(wantedSize, 1, 256))];
    const auto icons = pe.subdirectoryById(0, kTypeIcon);
    if (!icons)
        return std::nullopt;
    const auto imageLanguages = pe.subdirectoryById(*icons, chosen.id);
    if (!imageLanguages)
        return std::nullopt;
    const auto imageData = pe.firstLanguageData(*imageLanguages);
    if (!imageData || imageData->size == 0 || imageData->size > kMaxPeIconImageBytes)
        return std::nullopt;
    std::vector<unsigned char> image(imageData->size);
    if (!pe.readRva(imageData->rva, image.data(), image.size()) || !looksLikeIconImage(image))
        return std::nullopt;
    return singleImageIco(chosen, image);
}

int countPeIconGroups(const std::string& path, PeIconStats* stats) {
    PeReader pe(stats);
    if (!pe.open(path))
        return 0;
    const auto groups = groupDirectory(pe);
    if (!groups)
        return 0;
    const auto dir = pe.directoryAt(*groups);
    return dir ? int(dir->total()) : 0;
}

} // namespace lnx
