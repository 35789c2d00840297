#pragma once
// The icon resources of a Windows program file, whichever of its two executable formats it has: the
// 32- and 64-bit PE and the 16-bit NE of Windows 3.x setup programs. The icon reader asks both the same
// questions and reads the answers with the same bounded reads.
#include "linux/OwnedFd.h"
#include "linux/PeIcons.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lnx {

inline std::uint16_t le16(const unsigned char* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(le16(p)) | (std::uint32_t(le16(p + 2)) << 16);
}

// Where a resource's bytes lie in the file.
struct FileSpan {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
};

// An open program file. Every read is checked against the file's size and counted.
class ResourceFile {
  public:
    explicit ResourceFile(PeIconStats* stats) : m_stats(stats) {}

    bool open(const std::string& path);
    std::uint64_t size() const { return m_size; }
    bool readAt(std::uint64_t offset, void* out, std::size_t size);
    // A whole resource, refused when larger than limit: a hostile size must not decide an allocation.
    std::optional<std::vector<unsigned char>> read(const FileSpan& span, std::uint32_t limit);

  private:
    PeIconStats* m_stats;
    OwnedFd m_fd;
    std::uint64_t m_size = 0;
};

// The icon groups and icon images of one file. Each answer is found with a number of reads that no
// content of the file can raise.
class IconResources {
  public:
    virtual ~IconResources() = default;
    virtual int groupCount() = 0;
    // The data of the group at index: a position in the order the file stores the groups, or the group
    // whose id is -index when negative.
    virtual std::optional<FileSpan> group(int index) = 0;
    // The data of the icon image (RT_ICON) with this id.
    virtual std::optional<FileSpan> icon(std::uint16_t id) = 0;
};

// The size of the header the format readers are handed: an NE header, and more than a PE file header.
inline constexpr std::size_t kExeHeaderBytes = 64;

// The resources of the file whose DOS header points at header (kExeHeaderBytes read at headerOffset);
// nothing when the header is not of that format or the file is damaged.
std::unique_ptr<IconResources> peResources(ResourceFile& file, std::uint32_t headerOffset,
                                           const unsigned char* header);
std::unique_ptr<IconResources> neResources(ResourceFile& file, std::uint32_t headerOffset,
                                           const unsigned char* header);

// The resources of a PE or NE file; nothing for any other file.
std::unique_ptr<IconResources> programResources(ResourceFile& file);

} // namespace lnx
