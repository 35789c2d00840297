#include "linux/DriveSource.h"

#include "linux/IsoLabel.h"
#include "linux/LinuxCodec.h"
#include "linux/Mountinfo.h"
#include "linux/OwnedFd.h"

#include <algorithm>
#include <charconv>
#include <climits> // linux/cdrom.h uses INT_MAX without including it
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/cdrom.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lnx {

namespace {

namespace fs = std::filesystem;

// Files of sysfs, udev and procfs are small; a cap keeps a hostile fake from filling memory.
constexpr std::size_t kMaxSmallFile = 1 << 20;

std::optional<std::string> readSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string data;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        data.append(buffer, std::size_t(in.gcount()));
        if (data.size() > kMaxSmallFile)
            return std::nullopt;
    }
    return data;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\n' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\n' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool parseUnsigned(std::string_view text, unsigned& value) {
    if (text.empty())
        return false;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

// "sr12" -> 12; nothing for other names.
std::optional<unsigned> srNumber(std::string_view name) {
    if (name.size() < 3 || name.substr(0, 2) != "sr")
        return std::nullopt;
    unsigned number = 0;
    if (!parseUnsigned(name.substr(2), number))
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

} // namespace

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

std::vector<CdDrive> DriveSource::drives() const {
    std::vector<std::pair<unsigned, std::string>> candidates;
    std::error_code ec;
    fs::directory_iterator it(m_config.sysBlock, ec);
    if (ec)
        return {};
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        std::string name = it->path().filename().string();
        if (auto number = srNumber(name))
            candidates.emplace_back(*number, std::move(name));
    }
    std::sort(candidates.begin(), candidates.end());
    std::vector<std::string> names;
    for (const auto& candidate : candidates)
        names.push_back(candidate.second);
    if (m_known && m_known->names == names)
        return m_known->drives;

    std::vector<CdDrive> result;
    char letter = 'D';
    for (const auto& [number, name] : candidates) {
        if (letter > 'Z')
            break;
        const std::string base = m_config.sysBlock + "/" + name;
        const auto type = readSmallFile(base + "/device/type");
        if (!type || trim(*type) != "5")
            continue;
        const auto dev = readSmallFile(base + "/dev");
        if (!dev)
            continue;
        const std::string_view devText = trim(*dev);
        const auto colon = devText.find(':');
        CdDrive drive;
        if (colon == std::string_view::npos || !parseUnsigned(devText.substr(0, colon), drive.major) ||
            !parseUnsigned(devText.substr(colon + 1), drive.minor))
            continue;
        drive.letter = letter++;
        drive.kernelName = name;
        result.push_back(std::move(drive));
    }
    m_known = std::make_shared<Known>(Known{std::move(names), result});
    return result;
}

std::optional<CdDrive> DriveSource::drive(char letter) const {
    if (letter >= 'a' && letter <= 'z')
        letter = char(letter - 'a' + 'A');
    if (letter < 'D' || letter > 'Z')
        return std::nullopt;
    for (auto& d : drives()) {
        if (d.letter == letter)
            return d;
    }
    return std::nullopt;
}

std::optional<std::string> DriveSource::mountPoint(char letter) const {
    const auto d = drive(letter);
    if (!d)
        return std::nullopt;
    return mountOf(*d);
}

std::optional<std::string> DriveSource::mountOf(const CdDrive& drive) const {
    auto text = readSmallFile(m_config.mountinfo);
    if (!text)
        return std::nullopt;
    if (!m_mounts || m_mounts->text != *text) {
        auto entries = parseMountinfo(*text);
        m_mounts = std::make_shared<const Mounts>(Mounts{std::move(*text), std::move(entries)});
    }
    return findMountPoint(m_mounts->entries, drive.major, drive.minor);
}

std::string DriveSource::label(char letter) const {
    const auto d = drive(letter);
    if (!d)
        return {};
    if (!mountOf(*d))
        return {};
    if (auto fromUdev = udevLabel(*d))
        return *fromUdev;
    return deviceLabel(*d);
}

std::optional<std::string> DriveSource::udevLabel(const CdDrive& d) const {
    const auto data =
        readSmallFile(m_config.udevData + "/b" + std::to_string(d.major) + ":" + std::to_string(d.minor));
    if (!data)
        return std::nullopt;
    constexpr std::string_view kKey = "E:ID_FS_LABEL_ENC=";
    std::istringstream lines(*data);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, kKey.size(), kKey) != 0)
            continue;
        std::string label =
            utf8OrCp932ToUtf8(decodeUdevEscapes(trim(std::string_view(line).substr(kKey.size()))));
        cutAtNulAndTrim(label);
        return label;
    }
    return std::nullopt;
}

std::string DriveSource::deviceLabel(const CdDrive& d) const {
    const std::string path = m_config.devDir + "/" + d.kernelName;
    // O_NONBLOCK: a plain open of a CD-ROM device can close an open tray.
    const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return {};
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return {};
    if (S_ISBLK(st.st_mode) && ::ioctl(fd.get(), CDROM_DRIVE_STATUS, CDSL_CURRENT) != CDS_DISC_OK)
        return {};
    if (!S_ISBLK(st.st_mode) && !S_ISREG(st.st_mode))
        return {}; // a fifo or socket would block or never end
    return readIsoLabel(fd.get()).value_or(std::string());
}

} // namespace lnx
