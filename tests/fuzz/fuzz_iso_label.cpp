// The volume label of a disc image, read from its ISO 9660, Joliet and UDF descriptors.
//
// An image's descriptors lie far apart (sector 16 on, the UDF anchor at 256) with little but zeros
// between, so the input holds only the sectors that carry data: records of a sector number (2 bytes,
// little-endian) and 2048 bytes, a short last record padded with zeros. They are laid out in a sparse
// file in memory; tests/fuzz/make_seeds.sh makes such records from real images.
#include "FuzzSupport.h"
#include "linux/IsoLabel.h"

namespace {

constexpr std::size_t kSector = 2048;
constexpr std::size_t kRecord = 2 + kSector;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::MemoryFile image;
    for (std::size_t at = 0; at + 2 < size; at += kRecord) {
        const unsigned sector = data[at] | data[at + 1] << 8;
        std::string bytes(fuzz::asText(data + at + 2, std::min(kSector, size - at - 2)));
        bytes.resize(kSector, '\0');
        image.writeAt(static_cast<off_t>(sector) * static_cast<off_t>(kSector), bytes);
    }

    const std::optional<std::string> label = lnx::readIsoLabel(image.fd());
    fuzz::check(label == lnx::readIsoLabelFile(image.path()), "reading by path gives the same label");
    if (!label)
        return 0;
    fuzz::check(fuzz::isStrictUtf8(*label), "a label is UTF-8", *label);
    fuzz::check(label->find('\0') == std::string::npos, "a label ends at its first NUL", *label);
    fuzz::check(label->empty() || label->back() != ' ', "a label has no trailing blanks", *label);
    // 127 UCS-2 characters of a UDF identifier, three UTF-8 bytes each, is the longest there is.
    fuzz::check(label->size() <= 127 * 3, "a label is no longer than its field allows", *label);
    return 0;
}
