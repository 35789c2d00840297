#pragma once
// The system's ANSI code page (932 on a Japanese system) to and from UTF-8.
#include "port/TextCodec.h"

namespace win {

class Win32Codec : public port::ITextCodec {
  public:
    std::string ansiToUtf8(std::string_view bytes) override;
    std::string utf8ToAnsi(std::string_view text) override;
    // One code page reads every line.
    std::string utf8ToAnsiInLine(std::string_view text, std::string_view, std::string_view) override {
        return utf8ToAnsi(text);
    }
};

} // namespace win
