// The resource tree of a PE file: type, then name or id, then language, each level a directory.
#include "linux/ProgramResources.h"

#include <array>
#include <cstring>

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
constexpr std::size_t kFileHeaderSize = 24; // signature and file header
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;

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

// A directory with the id entries a lookup scans, read once.
struct IdDirectory {
    std::uint32_t offset = 0;
    Directory header;
    std::vector<DirectoryEntry> ids;
};

std::optional<std::uint32_t> subdirectoryOf(const DirectoryEntry& e) {
    if ((e.target & kSubdirectoryFlag) == 0)
        return std::nullopt;
    return e.target & ~kSubdirectoryFlag;
}

std::optional<std::uint32_t> subdirectoryById(const IdDirectory& dir, std::uint32_t id) {
    for (const DirectoryEntry& e : dir.ids) {
        if ((e.name & kNameFlag) == 0 && e.name == id)
            return subdirectoryOf(e);
    }
    return std::nullopt;
}

class PeResources final : public IconResources {
  public:
    explicit PeResources(ResourceFile& file) : m_file(file) {}

    bool readHeaders(std::uint32_t headerOffset, const unsigned char* header) {
        if (std::memcmp(header, "PE\0\0", 4) != 0)
            return false;
        const std::uint16_t sectionCount = le16(&header[6]);
        const std::uint16_t optionalSize = le16(&header[20]);
        const std::uint64_t optionalOffset = std::uint64_t(headerOffset) + kFileHeaderSize;

        std::vector<unsigned char> optional(optionalSize);
        if (optionalSize < 2 || !m_file.readAt(optionalOffset, optional.data(), optional.size()))
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
        if (!m_file.readAt(optionalOffset + optionalSize, table.data(), table.size()))
            return false;
        m_sections.reserve(sectionCount);
        for (std::size_t at = 0; at < tableBytes; at += kSectionHeaderSize)
            m_sections.push_back(
                Section{le32(&table[at + 12]), le32(&table[at + 16]), le32(&table[at + 20])});
        return true;
    }

    int groupCount() override {
        const auto groups = typeDirectory(kTypeGroupIcon);
        return groups ? int(groups->header.total()) : 0;
    }

    std::optional<FileSpan> group(int index) override {
        const auto groups = typeDirectory(kTypeGroupIcon);
        if (!groups)
            return std::nullopt;
        if (index >= 0) {
            if (std::uint32_t(index) >= groups->header.total())
                return std::nullopt;
            const auto entry = entryAt(groups->offset, std::uint32_t(index));
            const auto languages = entry ? subdirectoryOf(*entry) : std::nullopt;
            return languages ? firstLanguageData(*languages) : std::nullopt;
        }
        // -index in 64 bits: the most negative int names an id no resource can have, not a crash.
        const std::int64_t id = -std::int64_t(index);
        const auto languages = id > 0xFFFF ? std::nullopt : subdirectoryById(*groups, std::uint32_t(id));
        return languages ? firstLanguageData(*languages) : std::nullopt;
    }

    std::optional<FileSpan> icon(std::uint16_t id) override {
        const auto icons = typeDirectory(kTypeIcon);
        const auto languages = icons ? subdirectoryById(*icons, id) : std::nullopt;
        return languages ? firstLanguageData(*languages) : std::nullopt;
    }

  private:
    // The file's span of bytes at an address of the loaded image; the whole range must lie in one
    // section's file data.
    std::optional<FileSpan> spanOfRva(std::uint64_t rva, std::uint32_t size) const {
        for (const Section& s : m_sections) {
            if (rva < s.virtualAddress)
                continue;
            const std::uint64_t into = rva - s.virtualAddress;
            if (into >= s.rawSize || size > s.rawSize - into)
                continue;
            return FileSpan{std::uint64_t(s.rawOffset) + into, size};
        }
        return std::nullopt;
    }

    // Offsets inside the resource tree count from the start of the resource directory.
    bool readResource(std::uint64_t offset, void* out, std::size_t size) {
        const auto span = spanOfRva(std::uint64_t(m_resourceRva) + offset, std::uint32_t(size));
        return span && m_file.readAt(span->offset, out, size);
    }

    std::optional<DirectoryEntry> entryAt(std::uint32_t directoryOffset, std::uint32_t position) {
        std::array<unsigned char, kDirectoryEntrySize> raw{};
        const std::uint64_t at = std::uint64_t(directoryOffset) + kDirectoryHeaderSize +
                                 std::uint64_t(position) * kDirectoryEntrySize;
        if (!readResource(at, raw.data(), raw.size()))
            return std::nullopt;
        return DirectoryEntry{le32(&raw[0]), le32(&raw[4])};
    }

    std::optional<IdDirectory> idDirectory(std::uint32_t offset) {
        std::array<unsigned char, kDirectoryHeaderSize> header{};
        if (!readResource(offset, header.data(), header.size()))
            return std::nullopt;
        IdDirectory dir{offset, Directory{le16(&header[12]), le16(&header[14])}, {}};
        const std::uint64_t at = std::uint64_t(offset) + kDirectoryHeaderSize +
                                 std::uint64_t(dir.header.namedCount) * kDirectoryEntrySize;
        const std::size_t bytes = std::size_t(dir.header.idCount) * kDirectoryEntrySize;
        if (bytes > m_file.size())
            return std::nullopt;
        std::vector<unsigned char> raw(bytes);
        if (bytes != 0 && !readResource(at, raw.data(), raw.size()))
            return std::nullopt;
        dir.ids.reserve(dir.header.idCount);
        for (std::size_t i = 0; i < raw.size(); i += kDirectoryEntrySize)
            dir.ids.push_back(DirectoryEntry{le32(&raw[i]), le32(&raw[i + 4])});
        return dir;
    }

    // The directory of one resource type, each read at most once: a group's images are looked up one
    // after another in the same directory.
    const IdDirectory* typeDirectory(std::uint32_t type) {
        if (m_resourceRva == 0)
            return nullptr;
        if (!m_root && !(m_root = idDirectory(0)))
            return nullptr;
        std::optional<IdDirectory>& dir = type == kTypeIcon ? m_icons : m_groups;
        if (!dir) {
            const auto offset = subdirectoryById(*m_root, type);
            if (!offset || !(dir = idDirectory(*offset)))
                return nullptr;
        }
        return &*dir;
    }

    // The data of the first language under a name's directory: the tree ends here, so an entry that
    // points at yet another directory (a loop or a deeper tree) is refused, never followed.
    std::optional<FileSpan> firstLanguageData(std::uint32_t languageDirectory) {
        std::array<unsigned char, kDirectoryHeaderSize + kDirectoryEntrySize> dir{};
        if (!readResource(languageDirectory, dir.data(), dir.size()))
            return std::nullopt;
        const std::uint32_t target = le32(&dir[kDirectoryHeaderSize + 4]);
        if (le16(&dir[12]) + le16(&dir[14]) == 0 || (target & kSubdirectoryFlag) != 0)
            return std::nullopt;
        std::array<unsigned char, kDataEntrySize> raw{};
        if (!readResource(target, raw.data(), raw.size()))
            return std::nullopt;
        return spanOfRva(le32(&raw[0]), le32(&raw[4]));
    }

    ResourceFile& m_file;
    std::uint32_t m_resourceRva = 0;
    std::vector<Section> m_sections;
    std::optional<IdDirectory> m_root;
    std::optional<IdDirectory> m_groups;
    std::optional<IdDirectory> m_icons;
};

} // namespace

std::unique_ptr<IconResources> peResources(ResourceFile& file, std::uint32_t headerOffset,
                                           const unsigned char* header) {
    auto resources = std::make_unique<PeResources>(file);
    if (!resources->readHeaders(headerOffset, header))
        return nullptr;
    return resources;
}

} // namespace lnx
