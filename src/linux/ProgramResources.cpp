#include "linux/ProgramResources.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lnx {

bool ResourceFile::open(const std::string& path) {
    // O_NONBLOCK: a FIFO named in place of a program file must not hang the caller.
    m_fd = OwnedFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!m_fd)
        return false;
    struct stat info {};
    if (::fstat(m_fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return false;
    m_size = std::uint64_t(info.st_size);
    return true;
}

bool ResourceFile::readAt(std::uint64_t offset, void* out, std::size_t size) {
    if (offset > m_size || size > m_size - offset)
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

std::optional<std::vector<unsigned char>> ResourceFile::read(const FileSpan& span, std::uint32_t limit) {
    if (span.size > limit || span.size > m_size)
        return std::nullopt;
    std::vector<unsigned char> bytes(span.size);
    if (!readAt(span.offset, bytes.data(), bytes.size()))
        return std::nullopt;
    return bytes;
}

std::unique_ptr<IconResources> programResources(ResourceFile& file) {
    std::array<unsigned char, 64> dos{};
    if (!file.readAt(0, dos.data(), dos.size()) || dos[0] != 'M' || dos[1] != 'Z')
        return nullptr;
    const std::uint32_t headerOffset = le32(&dos[0x3C]);
    std::array<unsigned char, kExeHeaderBytes> header{};
    if (!file.readAt(headerOffset, header.data(), header.size()))
        return nullptr;
    if (header[0] == 'P' && header[1] == 'E')
        return peResources(file, headerOffset, header.data());
    if (header[0] == 'N' && header[1] == 'E')
        return neResources(file, headerOffset, header.data());
    return nullptr;
}

} // namespace lnx
