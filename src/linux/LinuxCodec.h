#pragma once
// Text of legacy files on Linux: UTF-8 is written, and old Japanese discs arrive in CP932.
#include "port/TextCodec.h"

#include <string>
#include <string_view>

namespace lnx {

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// The bytes themselves when they are valid UTF-8, else the bytes read as CP932. Sequences CP932 cannot
// decode become U+FFFD, so the result is always valid UTF-8.
std::string utf8OrCp932ToUtf8(std::string_view bytes);

class LinuxCodec : public port::ITextCodec {
  public:
    std::string ansiToUtf8(std::string_view bytes) override;
    // Linux writes its text files in UTF-8.
    std::string utf8ToAnsi(std::string_view text) override;
    // A line read as CP932 stays CP932.
    std::string utf8ToAnsiInLine(std::string_view text, std::string_view line,
                                 std::string_view kept) override;
};

} // namespace lnx
