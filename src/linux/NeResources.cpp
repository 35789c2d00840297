// The resource table of a 16-bit NE program (Windows 3.x setup programs): an alignment shift, then one
// block per type, each a type id, a count and that many resource entries, ended by a type id of 0.
#include "linux/ProgramResources.h"

namespace lnx {

namespace {

constexpr std::uint16_t kIntegerId = 0x8000; // without it an id is the offset of a name string
constexpr std::uint16_t kTypeIcon = kIntegerId | 3;
constexpr std::uint16_t kTypeGroupIcon = kIntegerId | 14;
constexpr std::size_t kResourceTableAt = 0x24; // both relative to the NE header
constexpr std::size_t kResidentNamesAt = 0x26; // the table that follows the resource table
constexpr std::size_t kTypeHeaderSize = 8;
constexpr std::size_t kEntrySize = 12;
// Offsets and lengths count in units of 1 << shift; real linkers use 4 to 9. A larger shift could only
// point past any file a disc holds.
constexpr unsigned kMaxAlignShift = 16;

struct Resource {
    std::uint16_t type;
    std::uint16_t id;
    FileSpan span;
};

class NeResources final : public IconResources {
  public:
    // The table is at most 64 KB (its bounds are 16-bit offsets) and read whole; walking it only ever
    // moves forward, so a damaged one ends the walk where it stops making sense.
    bool readTable(ResourceFile& file, std::uint32_t headerOffset, const unsigned char* header) {
        const std::uint16_t start = le16(header + kResourceTableAt);
        const std::uint16_t end = le16(header + kResidentNamesAt);
        if (end <= start)
            return true; // no resource table: a program without icons
        std::vector<unsigned char> table(end - start);
        if (!file.readAt(std::uint64_t(headerOffset) + start, table.data(), table.size()) || table.size() < 2)
            return false;
        const unsigned shift = le16(table.data());
        if (shift > kMaxAlignShift)
            return false;
        std::size_t at = 2;
        while (at + kTypeHeaderSize <= table.size()) {
            const std::uint16_t type = le16(&table[at]);
            const std::size_t count = le16(&table[at + 2]);
            at += kTypeHeaderSize;
            if (type == 0 || count > (table.size() - at) / kEntrySize)
                break;
            for (std::size_t i = 0; i < count; ++i, at += kEntrySize) {
                if (type != kTypeIcon && type != kTypeGroupIcon)
                    continue;
                const std::uint64_t offset = std::uint64_t(le16(&table[at])) << shift;
                std::uint32_t length = std::uint32_t(le16(&table[at + 2])) << shift;
                // Lengths count whole units: the last resource of a file not padded to one ends up to a
                // unit early. A length past that is damage, left for the read to refuse.
                if (offset < file.size() && length > file.size() - offset &&
                    length - (file.size() - offset) < (std::uint64_t(1) << shift))
                    length = std::uint32_t(file.size() - offset);
                m_resources.push_back(Resource{type, le16(&table[at + 6]), FileSpan{offset, length}});
            }
        }
        return true;
    }

    int groupCount() override {
        int count = 0;
        for (const Resource& r : m_resources)
            count += r.type == kTypeGroupIcon ? 1 : 0;
        return count;
    }

    std::optional<FileSpan> group(int index) override {
        if (index < 0)
            return byId(kTypeGroupIcon, -std::int64_t(index));
        int position = 0;
        for (const Resource& r : m_resources) {
            if (r.type == kTypeGroupIcon && position++ == index)
                return r.span;
        }
        return std::nullopt;
    }

    std::optional<FileSpan> icon(std::uint16_t id) override { return byId(kTypeIcon, id); }

  private:
    // A named resource has no id: no id matches it.
    std::optional<FileSpan> byId(std::uint16_t type, std::int64_t id) const {
        if (id < 0 || id >= kIntegerId)
            return std::nullopt;
        for (const Resource& r : m_resources) {
            if (r.type == type && r.id == (kIntegerId | id))
                return r.span;
        }
        return std::nullopt;
    }

    std::vector<Resource> m_resources;
};

} // namespace

std::unique_ptr<IconResources> neResources(ResourceFile& file, std::uint32_t headerOffset,
                                           const unsigned char* header) {
    auto resources = std::make_unique<NeResources>();
    if (!resources->readTable(file, headerOffset, header))
        return nullptr;
    return resources;
}

} // namespace lnx
