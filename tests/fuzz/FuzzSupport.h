#pragma once
// What the fuzz targets share: a broken rule that libFuzzer records as a crash, a strict UTF-8 check
// written apart from the program's own, splitting of the input, files in memory for readers that take a
// path or a descriptor.
#include "linux/OwnedFd.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace fuzz {

// The bytes as C escapes, for the message of a broken rule.
inline std::string visible(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// Prints the broken rule and aborts: libFuzzer saves the input that did it.
[[noreturn]] inline void fail(const char* rule, std::string_view detail = {}) {
    std::fprintf(stderr, "broken rule: %s\n", rule);
    if (!detail.empty())
        std::fprintf(stderr, "  %s\n", visible(detail).c_str());
    std::abort();
}

inline void check(bool ok, const char* rule, std::string_view detail = {}) {
    if (!ok)
        fail(rule, detail);
}

// Well-formed UTF-8, decided by the code point each sequence gives: no overlong form, no surrogate,
// nothing past U+10FFFF, no cut-off sequence.
inline bool isStrictUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80       ? 1
                             : lead >> 5 == 6  ? 2
                             : lead >> 4 == 14 ? 3
                             : lead >> 3 == 30 ? 4
                                               : 0;
        if (length == 0 || text.size() - i < length)
            return false;
        std::uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if (next >> 6 != 2)
                return false;
            cp = cp << 6 | (next & 0x3F);
        }
        static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The pieces of the input between separators; there is always at least one.
inline std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

// The piece at index, or empty text past the last one.
inline std::string piece(const std::vector<std::string_view>& pieces, std::size_t index) {
    return index < pieces.size() ? std::string(pieces[index]) : std::string();
}

// A file that lives in memory only: readers open it by its /proc path or read its descriptor.
class MemoryFile {
  public:
    MemoryFile() : m_fd(::memfd_create("tavimoro-fuzz", MFD_CLOEXEC)) {
        check(static_cast<bool>(m_fd), "memfd_create works");
    }
    explicit MemoryFile(std::string_view bytes) : MemoryFile() { writeAt(0, bytes); }

    // Bytes at an offset; the gap before them reads as zeros without taking memory.
    void writeAt(off_t offset, std::string_view bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(m_fd.get(), bytes.data() + done, bytes.size() - done,
                                       offset + static_cast<off_t>(done));
            check(n > 0, "writing a memory file works");
            done += static_cast<std::size_t>(n);
        }
    }

    int fd() const { return m_fd.get(); }
    std::string path() const { return "/proc/self/fd/" + std::to_string(m_fd.get()); }

  private:
    lnx::OwnedFd m_fd;
};

// A folder of its own under the temporary folder, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavimoro-fuzz-XXXXXX").string();
        check(::mkdtemp(pattern.data()) != nullptr, "mkdtemp works");
        m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string operator/(std::string_view relative) const { return (m_path / relative).string(); }

    // Writes (or replaces) a file below the folder, making the folders on the way.
    void write(std::string_view relative, std::string_view bytes) const {
        const std::filesystem::path file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        check(static_cast<bool>(out), "writing a temporary file works");
    }

  private:
    std::filesystem::path m_path;
};

} // namespace fuzz
