// A disc program's argument text, split by the Windows rules: the input as the text itself, and the
// input's NUL-separated pieces as arguments, quoted the way Windows programs quote an argument vector,
// which must split back to the very same arguments.
#include "FuzzSupport.h"
#include "linux/WindowsCommandLine.h"

namespace {

// The quoting that the Windows rules undo exactly: an argument with a blank or a quote (or none at all) goes
// in quotes; backslashes before a quote, or before the closing quote, are doubled; a quote gets one.
std::string quoteForWindows(std::string_view arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string_view::npos)
        return std::string(arg);
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asText(data, size);

    std::size_t total = 0;
    for (const std::string& arg : lnx::splitWindowsCommandLine(text))
        total += arg.size() + 1;
    fuzz::check(total <= size + 1, "splitting never makes more text than it was given", text);

    const std::vector<std::string_view> pieces = fuzz::split(text, '\0');
    std::string line;
    for (std::string_view arg : pieces)
        line += (line.empty() ? "" : " ") + quoteForWindows(arg);
    const std::vector<std::string> args = lnx::splitWindowsCommandLine(line);
    fuzz::check(args == std::vector<std::string>(pieces.begin(), pieces.end()),
                "quoted arguments split back to themselves", line);
    return 0;
}
