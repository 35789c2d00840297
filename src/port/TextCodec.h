#pragma once
// Conversion between the bytes of a legacy text file (settings file, AUTORUN.INF) and UTF-8.
#include <string>
#include <string_view>

namespace port {

class ITextCodec {
  public:
    virtual ~ITextCodec() = default;
    // Bytes in the system's ANSI code page (or UTF-8 where the platform is UTF-8) to UTF-8.
    virtual std::string ansiToUtf8(std::string_view bytes) = 0;
    // UTF-8 to the bytes a file in the ANSI code page holds.
    virtual std::string utf8ToAnsi(std::string_view text) = 0;
    // UTF-8 to the bytes that end a line of such a file being rewritten: `line` is the line as it stood,
    // `kept` its first bytes, which stay. Where each line is read in an encoding of its own, the text takes
    // the one the line was read in, so that the new line reads back as `kept` did, then the text.
    virtual std::string utf8ToAnsiInLine(std::string_view text, std::string_view line,
                                         std::string_view kept) = 0;
};

} // namespace port
