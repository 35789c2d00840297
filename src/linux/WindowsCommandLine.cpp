#include "linux/WindowsCommandLine.h"

namespace lnx {

std::vector<std::string> splitWindowsCommandLine(std::string_view text) {
    std::vector<std::string> args;
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };

    while (true) {
        while (i < n && isBlank(text[i]))
            ++i;
        if (i >= n)
            break;

        std::string arg;
        // 0 outside quotes, 1 inside; 2 is a closing quote just seen (a third one makes a literal).
        int quotes = 0;
        std::size_t backslashes = 0;
        while (i < n && !(quotes == 0 && isBlank(text[i]))) {
            const char c = text[i];
            if (c == '\\') {
                arg += c;
                ++backslashes;
                ++i;
                continue;
            }
            if (c != '"') {
                arg += c;
                backslashes = 0;
                ++i;
                continue;
            }
            // A quote: the backslashes just copied before it are halved.
            arg.resize(arg.size() - backslashes / 2);
            if (backslashes % 2 == 1) {
                arg.back() = '"'; // the odd backslash escapes the quote
            } else {
                ++quotes;
            }
            backslashes = 0;
            ++i;
            while (i < n && text[i] == '"') {
                if (++quotes == 3) {
                    arg += '"';
                    quotes = 0;
                }
                ++i;
            }
            if (quotes == 2)
                quotes = 0;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

} // namespace lnx
