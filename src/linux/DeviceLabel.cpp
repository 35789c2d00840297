#include "linux/DeviceLabel.h"

#include "linux/LinuxCodec.h"
#include "linux/OwnedFd.h"

#include <blkid.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace lnx {

namespace {

// A libblkid probe with one owner.
class BlkidProbe {
  public:
    BlkidProbe() : m_probe(blkid_new_probe()) {}
    BlkidProbe(BlkidProbe&& other) noexcept : m_probe(other.m_probe) { other.m_probe = nullptr; }
    BlkidProbe& operator=(BlkidProbe&& other) noexcept {
        if (this != &other) {
            reset();
            m_probe = other.m_probe;
            other.m_probe = nullptr;
        }
        return *this;
    }
    BlkidProbe(const BlkidProbe&) = delete;
    BlkidProbe& operator=(const BlkidProbe&) = delete;
    ~BlkidProbe() { reset(); }

    blkid_probe get() const { return m_probe; }
    explicit operator bool() const { return m_probe != nullptr; }

  private:
    void reset() {
        if (m_probe)
            blkid_free_probe(m_probe);
        m_probe = nullptr;
    }

    blkid_probe m_probe;
};

} // namespace

std::optional<std::string> readDeviceLabel(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISBLK(st.st_mode)))
        return std::nullopt;
    BlkidProbe probe;
    // The probe reads through the descriptor and leaves it open; size 0 is "to the end".
    if (!probe || blkid_probe_set_device(probe.get(), fd, 0, 0) != 0)
        return std::nullopt;
    // Partition tables are not looked at, as on a disc the file system starts at the first sector.
    if (blkid_probe_enable_superblocks(probe.get(), 1) != 0 ||
        blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_LABEL) != 0)
        return std::nullopt;
    // 1: nothing found; -2: two file systems claim the data, and udev then stores no label either.
    if (blkid_do_safeprobe(probe.get()) != 0)
        return std::nullopt;
    const char* value = nullptr;
    std::size_t size = 0;
    if (blkid_probe_lookup_value(probe.get(), "LABEL", &value, &size) != 0 || value == nullptr)
        return std::nullopt;
    // The size counts the closing NUL. A primary ISO 9660 label comes as the disc's bytes, unconverted.
    std::string label(value, size > 0 ? size - 1 : 0);
    const auto nul = label.find('\0');
    if (nul != std::string::npos)
        label.resize(nul);
    label = utf8OrCp932ToUtf8(label);
    while (!label.empty() && label.back() == ' ')
        label.pop_back();
    return label;
}

std::optional<std::string> readDeviceLabelFile(const std::string& path) {
    const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    return readDeviceLabel(fd.get());
}

} // namespace lnx
