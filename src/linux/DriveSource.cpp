#include "linux/DriveSource.h"

#include "app/Text.h"
#include "linux/DeviceLabel.h"
#include "linux/DriveChanges.h"
#include "linux/LinuxCodec.h"
#include "linux/Mountinfo.h"
#include "linux/OwnedFd.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits> // linux/cdrom.h uses INT_MAX without including it
#include <dirent.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lnx {

namespace {

// Files of sysfs and udev are small; a cap keeps a hostile fake from filling memory.
constexpr std::size_t kMaxSmallFile = 1 << 20;
// The mount table of a host with containers can pass 1 MiB (about 9,000 mounts); this cap allows some
// 400,000.
constexpr std::size_t kMaxMountTable = 64 << 20;

// The whole of a small file, read into storage kept from read to read (it only grows: no zero-filling
// of a fresh buffer at every read).
class FileBuffer {
  public:
    // False when the file cannot be read or is larger than the cap. O_NONBLOCK: a fifo in place of a
    // file must not hang a poll.
    bool read(const char* path, std::size_t cap = kMaxSmallFile) {
        m_size = 0;
        const OwnedFd fd(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        if (!fd)
            return false;
        constexpr std::size_t kChunk = 4096;
        for (;;) {
            if (m_bytes.size() < m_size + kChunk)
                m_bytes.resize(m_size + kChunk);
            const ssize_t got = ::read(fd.get(), m_bytes.data() + m_size, m_bytes.size() - m_size);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                break;
            if (got == 0)
                return true;
            m_size += static_cast<std::size_t>(got);
            if (m_size > cap)
                break;
        }
        m_size = 0;
        return false;
    }
    std::string_view text() const { return std::string_view(m_bytes.data(), m_size); }

  private:
    std::string m_bytes;
    std::size_t m_size = 0;
};

// The sr* and loop* entries of a folder, each ordered by number; false when the folder cannot be
// listed. A failure half-way keeps what was listed so far.
using NumberedNames = std::vector<std::pair<unsigned, std::string>>;
bool listBlockNames(const std::string& folder, NumberedNames& optical, NumberedNames& loops);

// Whether the text is a whole unsigned number, which goes to `value`.
bool parseUnsigned(std::string_view text, unsigned& value) {
    const auto number = app::parseNumber<unsigned>(text);
    value = number.value_or(value);
    return number.has_value();
}

// "sr12" -> 12 for prefix "sr"; nothing for other names.
std::optional<unsigned> nameNumber(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    unsigned number = 0;
    if (!parseUnsigned(name.substr(prefix.size()), number))
        return std::nullopt;
    return number;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void cutAtNulAndTrim(std::string& label) {
    const auto nul = label.find('\0');
    if (nul != std::string::npos)
        label.resize(nul);
    while (!label.empty() && label.back() == ' ')
        label.pop_back();
}

bool listBlockNames(const std::string& folder, NumberedNames& optical, NumberedNames& loops) {
    optical.clear();
    loops.clear();
    const OwnedFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return false;
    alignas(dirent64) char buffer[8192];
    for (;;) {
        const ssize_t got = ::getdents64(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            const std::string_view name(entry->d_name);
            if (auto number = nameNumber(name, "sr"))
                optical.emplace_back(*number, std::string(name));
            else if (auto loop = nameNumber(name, "loop"))
                loops.emplace_back(*loop, std::string(name));
        }
    }
    std::sort(optical.begin(), optical.end());
    std::sort(loops.begin(), loops.end());
    return true;
}

// "11:0" -> 11 and 0; false for anything else.
bool parseDeviceNumber(std::string_view text, CdDrive& drive) {
    const auto colon = text.find(':');
    return colon != std::string_view::npos && parseUnsigned(text.substr(0, colon), drive.major) &&
           parseUnsigned(text.substr(colon + 1), drive.minor);
}

// The value of `key` ("E:ID_FS_TYPE=") in a udev database line; nothing on other lines.
std::optional<std::string_view> udevValue(std::string_view line, std::string_view key) {
    if (line.substr(0, key.size()) != key)
        return std::nullopt;
    return app::trim(line.substr(key.size()), " \t\r\n");
}

// Calls `each` with every line of `text`.
template <class Each> void forEachLine(std::string_view text, Each each) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        each(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
}

} // namespace

// What the copies of one DriveSource share.
struct DriveSource::State {
    explicit State(DriveSourceConfig c) : config(std::move(c)), changes(config) {}

    DriveSourceConfig config;
    // What may have changed since the last refresh: an idle poll reads nothing else.
    DriveChanges changes;
    // What sysfs said of each sr* device, by kernel name: a device's type and number do not change
    // while its name stays, so a listing that finds the same names reads no device file again.
    NumberedNames knownNames;
    std::vector<CdDrive> optical;
    // The optical drives, then the disc images; drives[i] has the letter 'D' + i.
    std::vector<CdDrive> drives;
    std::vector<std::string> udevFiles;
    bool listed = false; // the last listing worked
    NumberedNames listing, loopListing;
    // The mount table as last read, parsed again only when its text changed.
    std::string mountText;
    std::vector<MountEntry> mounts;
    bool mountsRead = false;
    std::vector<const MountEntry*> driveMounts; // by drive, null when not mounted
    FileBuffer buffer;
    int pollDepth = 0;

    void refresh();
    void refreshOutsidePoll() {
        if (pollDepth == 0)
            refresh();
    }
    void takeListing();
    // Reads the mount table; true when it says something else now.
    bool readMountTable();
    // The attached loop devices whose file holds a disc's file system, lettered after `optical`.
    std::vector<CdDrive> images();
    // The index of the drive with that letter, or -1.
    int find(char letter) const;
    // What udev's database says of drive `index`'s medium.
    struct UdevMedium {
        bool present = false;    // ID_CDROM_MEDIA=1
        bool fileSystem = false; // ID_FS_TYPE names one
        std::optional<std::string> label;
    };
    // By drive: what its udev file said when last read, until the file changes.
    std::vector<std::optional<UdevMedium>> udevMedia;
    UdevMedium udevMedium(std::size_t index);
    UdevMedium readUdevMedium(std::size_t index);
    std::string deviceLabel(const CdDrive& drive) const;
};

void DriveSource::State::refresh() {
    const ChangedInputs changed = changes.take(drives);
    if (changed.devices)
        listed = listBlockNames(config.sysBlock, listing, loopListing);
    if (changed.devices && listed && listing != knownNames)
        takeListing();
    bool drivesChanged = false;
    if (changed.devices && listed) {
        // Images come and go without a change of names: loop devices stay listed while detached.
        std::vector<CdDrive> next = optical;
        std::vector<CdDrive> attached = images();
        next.insert(next.end(), std::make_move_iterator(attached.begin()),
                    std::make_move_iterator(attached.end()));
        if (next.size() > std::size_t('Z' - 'D' + 1))
            next.resize(std::size_t('Z' - 'D' + 1));
        for (std::size_t i = 0; i < next.size(); ++i)
            next[i].letter = char('D' + i);
        drivesChanged = next != drives;
        if (drivesChanged) {
            drives = std::move(next);
            udevFiles.clear();
            for (const CdDrive& drive : drives)
                udevFiles.push_back(config.udevData + "/b" + std::to_string(drive.major) + ":" +
                                    std::to_string(drive.minor));
            udevMedia.assign(drives.size(), std::nullopt);
        }
    }
    for (std::size_t i = 0; !drivesChanged && i < drives.size(); ++i)
        if (changed.udevFileChanged(drives[i].major, drives[i].minor))
            udevMedia[i].reset();
    const bool mountsChanged = changed.mountTable && readMountTable();
    if (drivesChanged || mountsChanged) {
        driveMounts.assign(drives.size(), nullptr);
        for (std::size_t i = 0; i < drives.size(); ++i)
            for (const MountEntry& entry : mounts)
                if (entry.major == drives[i].major && entry.minor == drives[i].minor && entry.root == "/" &&
                    !entry.mountPoint.empty()) {
                    driveMounts[i] = &entry;
                    break;
                }
    }
}

bool DriveSource::State::readMountTable() {
    if (!buffer.read(config.mountinfo.c_str(), kMaxMountTable)) {
        const bool wasRead = mountsRead;
        mountsRead = false;
        mounts.clear();
        mountText.clear();
        return wasRead;
    }
    const bool changed = !mountsRead || buffer.text() != mountText;
    if (changed) {
        mountText.assign(buffer.text());
        mounts = parseMountinfo(mountText);
    }
    mountsRead = true;
    return changed;
}

void DriveSource::State::takeListing() {
    optical.clear();
    for (const auto& [number, name] : listing) {
        if (optical.size() > std::size_t('Z' - 'D'))
            break;
        const std::string base = config.sysBlock + "/" + name;
        if (!buffer.read((base + "/device/type").c_str()) || app::trim(buffer.text(), " \t\r\n") != "5")
            continue;
        CdDrive drive;
        if (!buffer.read((base + "/dev").c_str()) ||
            !parseDeviceNumber(app::trim(buffer.text(), " \t\r\n"), drive))
            continue;
        drive.kernelName = name;
        optical.push_back(std::move(drive));
    }
    knownNames = listing;
}

std::vector<CdDrive> DriveSource::State::images() {
    std::vector<CdDrive> found;
    for (const auto& [number, name] : loopListing) {
        const std::string base = config.sysBlock + "/" + name;
        // Only an attached loop device has a backing file.
        if (!buffer.read((base + "/loop/backing_file").c_str()))
            continue;
        CdDrive drive;
        drive.imageFile = std::string(app::trim(buffer.text(), " \t\r\n"));
        if (drive.imageFile.empty() || !buffer.read((base + "/dev").c_str()) ||
            !parseDeviceNumber(app::trim(buffer.text(), " \t\r\n"), drive))
            continue;
        const std::string udev =
            config.udevData + "/b" + std::to_string(drive.major) + ":" + std::to_string(drive.minor);
        if (!buffer.read(udev.c_str()))
            continue;
        bool disc = false;
        forEachLine(buffer.text(), [&disc](std::string_view line) {
            if (const auto type = udevValue(line, "E:ID_FS_TYPE="))
                disc = *type == "iso9660" || *type == "udf";
        });
        if (!disc)
            continue;
        drive.kernelName = name;
        found.push_back(std::move(drive));
    }
    return found;
}

int DriveSource::State::find(char letter) const {
    if (letter >= 'a' && letter <= 'z')
        letter = char(letter - 'a' + 'A');
    const int index = letter - 'D';
    if (!listed || letter < 'D' || letter > 'Z' || index >= static_cast<int>(drives.size()))
        return -1;
    return index;
}

std::string decodeUdevEscapes(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 3 < value.size() && value[i + 1] == 'x') {
            const int hi = hexValue(value[i + 2]);
            const int lo = hexValue(value[i + 3]);
            if (hi >= 0 && lo >= 0) {
                out += char(hi * 16 + lo);
                i += 3;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

DriveSource::DriveSource(DriveSourceConfig config) : m_state(std::make_shared<State>(std::move(config))) {}

const DriveSourceConfig& DriveSource::config() const {
    return m_state->config;
}

void DriveSource::beginPoll() const {
    if (m_state->pollDepth++ == 0)
        m_state->refresh();
}

void DriveSource::endPoll() const {
    if (m_state->pollDepth > 0)
        --m_state->pollDepth;
}

std::vector<CdDrive> DriveSource::drives() const {
    m_state->refreshOutsidePoll();
    return m_state->listed ? m_state->drives : std::vector<CdDrive>{};
}

std::optional<CdDrive> DriveSource::drive(char letter) const {
    m_state->refreshOutsidePoll();
    const int index = m_state->find(letter);
    if (index < 0)
        return std::nullopt;
    return m_state->drives[std::size_t(index)];
}

std::optional<std::string> DriveSource::mountPoint(char letter) const {
    m_state->refreshOutsidePoll();
    const int index = m_state->find(letter);
    if (index < 0 || !m_state->driveMounts[std::size_t(index)])
        return std::nullopt;
    return m_state->driveMounts[std::size_t(index)]->mountPoint;
}

Medium DriveSource::medium(char letter) const {
    State& state = *m_state;
    state.refreshOutsidePoll();
    const int index = state.find(letter);
    if (index < 0)
        return {};
    const MountEntry* mounted = state.driveMounts[std::size_t(index)];
    State::UdevMedium udev = state.udevMedium(std::size_t(index));
    // An image is a disc that is always in its drive.
    const bool present = udev.present || !state.drives[std::size_t(index)].imageFile.empty();
    if (!mounted) {
        if (!present || !udev.fileSystem)
            return {};
        return Medium{udev.label.value_or(std::string()), std::nullopt, true};
    }
    std::string label =
        udev.label ? std::move(*udev.label) : state.deviceLabel(state.drives[std::size_t(index)]);
    return Medium{std::move(label), mounted->mountPoint, false};
}

DriveSource::State::UdevMedium DriveSource::State::udevMedium(std::size_t index) {
    if (!udevMedia[index])
        udevMedia[index] = readUdevMedium(index);
    return *udevMedia[index];
}

DriveSource::State::UdevMedium DriveSource::State::readUdevMedium(std::size_t index) {
    UdevMedium medium;
    if (!buffer.read(udevFiles[index].c_str()))
        return medium;
    forEachLine(buffer.text(), [&medium](std::string_view line) {
        if (const auto media = udevValue(line, "E:ID_CDROM_MEDIA=")) {
            medium.present = *media == "1";
        } else if (const auto type = udevValue(line, "E:ID_FS_TYPE=")) {
            medium.fileSystem = !type->empty();
        } else if (const auto encoded = udevValue(line, "E:ID_FS_LABEL_ENC="); encoded && !medium.label) {
            std::string label = utf8OrCp932ToUtf8(decodeUdevEscapes(*encoded));
            cutAtNulAndTrim(label);
            medium.label = std::move(label);
        }
    });
    return medium;
}

std::string DriveSource::State::deviceLabel(const CdDrive& d) const {
    const std::string path = config.devDir + "/" + d.kernelName;
    // O_NONBLOCK: a plain open of a CD-ROM device can close an open tray.
    const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return {};
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return {};
    // A loop device answers no CD-ROM questions; its medium is always there.
    if (S_ISBLK(st.st_mode) && d.imageFile.empty() &&
        ::ioctl(fd.get(), CDROM_DRIVE_STATUS, CDSL_CURRENT) != CDS_DISC_OK)
        return {};
    if (!S_ISBLK(st.st_mode) && !S_ISREG(st.st_mode))
        return {}; // a fifo or socket would block or never end
    return readDeviceLabel(fd.get()).value_or(std::string());
}

} // namespace lnx
