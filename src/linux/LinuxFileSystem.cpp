#include "linux/LinuxFileSystem.h"

#include "app/Text.h"
#include "linux/OwnedFd.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace lnx {

namespace {

namespace fs = std::filesystem;

// The process's umask, read without changing it (umask(2) can only be read by setting it, which would
// race with other threads creating files).
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) != 0)
            continue;
        const char* digits = line.c_str() + 6;
        char* end = nullptr;
        unsigned long mask = std::strtoul(digits, &end, 8);
        if (end != digits)
            return static_cast<mode_t>(mask & 0777);
        break;
    }
    return 022;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Removes the temporary file unless the rename has taken it over.
class TempFile {
  public:
    explicit TempFile(std::string path) : m_path(std::move(path)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    const std::string& path() const { return m_path; }
    void keep() { m_path.clear(); }

  private:
    std::string m_path;
};

// The failure of an operation on `path`, with the system's word for the cause in `error`.
port::Error failure(const char* what, const std::string& path, int error) {
    const std::string cause = std::strerror(error);
    return port::fail(what + path + " (" + cause + ")", cause);
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// A replacement writes ".NAME.PID.XXXXXX" beside the target. A writer killed before its rename leaves
// that file behind, and the PID in its name tells a later writer whether its owner is gone.
//
// The temporary name must fit wherever NAME fits. When it would not with the longest PID, NAME's part is
// cut (on a UTF-8 character boundary) and followed by "~" and a hash of the whole NAME, so that targets
// with the same start keep prefixes of their own. The longest PID decides, not this writer's, so that
// every writer of a target uses the same prefix and finds the others' leftovers.
std::string temporaryPrefix(const fs::path& folder, const fs::path& target) {
    constexpr std::size_t kLongestOwner = std::numeric_limits<pid_t>::digits10 + 1 + 7; // "PID.XXXXXX"
    constexpr std::size_t kHashDigits = 16;
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t longest = limit > 0 ? static_cast<std::size_t>(limit) : 255;
    const std::string name = target.filename().string();
    if (name.size() + 2 + kLongestOwner <= longest)
        return "." + name + ".";

    std::uint64_t hash = 0xCBF29CE484222325; // FNV-1a
    for (const char c : name)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3;
    const std::size_t kept = 3 + kHashDigits + kLongestOwner; // ".", "~", hash, ".", owner
    const std::size_t cut = app::utf8Boundary(name, longest > kept ? longest - kept : 0);
    std::string prefix = "." + name.substr(0, cut) + "~";
    for (std::size_t digit = kHashDigits; digit-- > 0;)
        prefix += "0123456789abcdef"[(hash >> (4 * digit)) & 0xF];
    return prefix + ".";
}

// The PID in a temporary file's name (after the prefix: "PID.XXXXXX"), or 0 when the name is not one.
pid_t temporaryOwner(std::string_view rest) {
    const std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos || rest.size() - dot - 1 != 6 ||
        rest.find('.', dot + 1) != std::string_view::npos)
        return 0;
    pid_t pid = 0;
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + dot, pid);
    return ec == std::errc() && end == rest.data() + dot && pid > 0 ? pid : 0;
}

// Removes the temporary files that writers of the same target, since killed, left behind. Those of live
// processes are writes in progress and stay.
void removeAbandonedTemporaries(const fs::path& folder, const std::string& prefix) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return;
    const pid_t self = ::getpid();
    while (dirent* entry = ::readdir(dir.get())) {
        std::string_view name = entry->d_name;
        if (!name.starts_with(prefix))
            continue;
        const pid_t owner = temporaryOwner(name.substr(prefix.size()));
        if (owner == 0 || owner == self || ::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
}

} // namespace

LinuxFileSystem::LinuxFileSystem(Resolver resolve) : m_resolve(std::move(resolve)) {}

std::string LinuxFileSystem::resolve(const std::string& path) const {
    return m_resolve ? m_resolve(path) : path;
}

std::optional<std::string> readRegularFile(const std::string& path, std::size_t limit) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer, for good.
    OwnedFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return std::nullopt;
    // errno tells the caller why.
    if (!S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > limit) {
        errno = !S_ISREG(st.st_mode) ? (S_ISDIR(st.st_mode) ? EISDIR : EINVAL) : EFBIG;
        return std::nullopt;
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        data.append(buf, static_cast<std::size_t>(n));
        // The file may grow while it is read.
        if (data.size() > limit) {
            errno = EFBIG;
            return std::nullopt;
        }
    }
    return data;
}

port::Result<std::string> LinuxFileSystem::readFile(const std::string& path, std::size_t limit) {
    if (auto data = readRegularFile(resolve(path), std::min(limit, kMaxFileSize)))
        return std::move(*data);
    return failure("ファイルを読み込めません: ", path, errno);
}

port::Result<void> LinuxFileSystem::replaceFile(const std::string& path, std::string_view bytes) {
    constexpr const char* kWhat = "ファイルを書き込めません: ";
    fs::path target = resolve(path);
    if (target.empty())
        return failure(kWhat, path, ENOENT);
    std::error_code ec;
    // A symbolic link stays a link: the file it points to is the one replaced.
    if (fs::is_symlink(target, ec)) {
        fs::path real = fs::canonical(target, ec);
        if (!ec)
            target = real;
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return failure(kWhat, path, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
    // A file nobody may write is read-only, as Windows keeps one: it is not replaced, even by root.
    if (exists && (old.st_mode & 0222) == 0)
        return failure(kWhat, path, EACCES);

    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    const std::string prefix = temporaryPrefix(folder, target);
    removeAbandonedTemporaries(folder, prefix);
    std::string pattern = (folder / (prefix + std::to_string(::getpid()) + ".XXXXXX")).string();
    OwnedFd fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd)
        return failure(kWhat, path, errno);
    TempFile temp(pattern);

    // The content and the mode reach the disk before the rename makes them the file.
    const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    if (!writeAll(fd.get(), bytes) || ::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0)
        return failure(kWhat, path, errno);
    if (::close(fd.release()) != 0)
        return failure(kWhat, path, errno);
    if (::rename(temp.path().c_str(), target.c_str()) != 0)
        return failure(kWhat, path, errno);
    temp.keep();

    // The rename itself reaches the disk with the folder's own sync.
    OwnedFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir)
        ::fsync(dir.get());
    return {};
}

port::Result<port::FileKind> LinuxFileSystem::kind(const std::string& path) {
    struct stat st {};
    if (::stat(resolve(path).c_str(), &st) != 0)
        return failure("ファイルが見つかりません: ", path, errno);
    return S_ISDIR(st.st_mode) ? port::FileKind::Folder : port::FileKind::File;
}

port::Result<std::vector<std::string>> LinuxFileSystem::folderFiles(const std::string& folder) {
    std::error_code ec;
    fs::directory_iterator it(resolve(folder), ec);
    if (ec)
        return failure("フォルダを開けません: ", folder, ec.value());
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        std::error_code typeError;
        if (it->is_regular_file(typeError))
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

port::Result<void> LinuxFileSystem::deleteFile(const std::string& path) {
    const std::string real = resolve(path);
    struct stat st {};
    // unlink() would not remove a folder anyway; refuse it the same way as any other failure.
    if (::lstat(real.c_str(), &st) != 0 || S_ISDIR(st.st_mode) || ::unlink(real.c_str()) != 0)
        return port::fail("ファイルを削除できません: " + path);
    return {};
}

port::Result<void> LinuxFileSystem::createDirectories(const std::string& path) {
    const fs::path real = resolve(path);
    std::error_code ec;
    fs::create_directories(real, ec);
    std::error_code isError;
    if (fs::is_directory(real, isError))
        return {};
    return failure("フォルダを作成できません: ", path, ec ? ec.value() : ENOTDIR);
}

port::Result<std::string> LinuxFileSystem::currentDirectory() {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    if (ec)
        return failure("作業フォルダがわかりません: ", "", ec.value());
    return cwd.string();
}

} // namespace lnx
