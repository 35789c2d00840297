#include "linux/LinuxCodec.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace lnx {

namespace {

// Owns one iconv conversion descriptor.
class IconvHandle {
  public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid())
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    IconvHandle(IconvHandle&& other) noexcept : m_cd(other.m_cd) { other.m_cd = invalidHandle(); }
    IconvHandle& operator=(IconvHandle&& other) noexcept {
        if (this != &other) {
            if (valid())
                iconv_close(m_cd);
            m_cd = other.m_cd;
            other.m_cd = invalidHandle();
        }
        return *this;
    }
    bool valid() const { return m_cd != invalidHandle(); }
    iconv_t get() const { return m_cd; }

  private:
    static iconv_t invalidHandle() { return reinterpret_cast<iconv_t>(-1); }
    iconv_t m_cd;
};

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The bytes converted by `cd`; where it fails, `replacement` stands for the `skip(rest)` bytes that start
// `rest`, and the conversion goes on after them.
template <typename Skip>
std::string convert(const IconvHandle& cd, std::string_view bytes, std::string_view replacement, Skip skip) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2 + 4);
    char* in = const_cast<char*>(bytes.data()); // iconv takes a non-const pointer but does not write
    std::size_t inLeft = bytes.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (rc != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // EILSEQ, or EINVAL for a sequence cut off at the end.
        out += replacement;
        const std::size_t n = std::min(inLeft, skip(std::string_view(in, inLeft)));
        in += n;
        inLeft -= n;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

// The length of the UTF-8 character that starts `text`: its lead byte and the continuation bytes after it.
std::size_t utf8CharLength(std::string_view text) {
    std::size_t n = 1;
    while (n < text.size() && n < 4 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = 0;
        unsigned lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0)
                lo = 0xA0; // overlong
            else if (c == 0xED)
                hi = 0x9F; // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0)
                lo = 0x90; // overlong
            else if (c == 0xF4)
                hi = 0x8F; // past U+10FFFF
        } else {
            return false;
        }
        if (n - i < len)
            return false;
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < lo || second > hi)
            return false;
        for (std::size_t k = 2; k < len; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            if (b < 0x80 || b > 0xBF)
                return false;
        }
        i += len;
    }
    return true;
}

std::string utf8OrCp932ToUtf8(std::string_view bytes) {
    if (isValidUtf8(bytes))
        return std::string(bytes);
    IconvHandle cd("UTF-8", "CP932");
    if (!cd.valid()) {
        // Without the converter keep the ASCII part readable and mark the rest.
        std::string out;
        for (char ch : bytes) {
            if (static_cast<unsigned char>(ch) < 0x80)
                out += ch;
            else
                out += kReplacement;
        }
        return out;
    }
    return convert(cd, bytes, kReplacement, [](std::string_view) { return std::size_t{1}; });
}

std::string LinuxCodec::ansiToUtf8(std::string_view bytes) {
    return utf8OrCp932ToUtf8(bytes);
}

std::string LinuxCodec::utf8ToAnsi(std::string_view text) {
    return std::string(text);
}

// A line is read whole, as UTF-8 or as CP932 (see utf8OrCp932ToUtf8): text added to a CP932 line in UTF-8
// would turn into CP932 mojibake. So a CP932 line gets CP932, where a character CP932 lacks becomes "?" as
// in the Windows code page; unless the new line would then be valid UTF-8, and so read as UTF-8.
std::string LinuxCodec::utf8ToAnsiInLine(std::string_view text, std::string_view line,
                                         std::string_view kept) {
    if (isValidUtf8(line))
        return std::string(text);
    IconvHandle cd("CP932", "UTF-8");
    if (!cd.valid())
        return std::string(text);
    std::string bytes = convert(cd, text, "?", utf8CharLength);
    return isValidUtf8(std::string(kept) + bytes) ? std::string(text) : bytes;
}

} // namespace lnx
