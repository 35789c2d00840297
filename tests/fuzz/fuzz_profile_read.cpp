// The settings engine reading a file it did not write: every section and key the file's own lines name
// (and the program's own names) read as a value, as a value cut to a small buffer, and as a section.
#include "ProfileRules.h"
#include "linux/LinuxCodec.h"

namespace {

using namespace app::profile;
using fuzz::Form;
using fuzz::formOf;
using fuzz::trimmed;

void checkValue(std::string_view bytes, const std::string& section, const std::string& key,
                std::size_t smallBuffer, port::ITextCodec& codec) {
    const std::optional<std::string> value = findValue(bytes, section, key, codec);
    const std::vector<std::string> lines = getSection(bytes, section, codec);

    // The section read and the value read agree: the first entry line of that name gives the value.
    std::optional<std::string> fromLines;
    for (const std::string& line : lines) {
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos && fuzz::nameKey(line.substr(0, eq)) == fuzz::argumentKey(key)) {
            fromLines = fuzz::valueAsRead(line.substr(eq + 1));
            break;
        }
    }
    fuzz::check(value == fromLines, "a value is what the section's first entry of that name holds",
                section + "/" + key);

    for (const std::string& line : lines) {
        fuzz::check(!line.empty() && line.find_first_of("\r\n") == std::string::npos,
                    "a section line is one non-empty line", line);
        fuzz::check(line.front() != '[' && line.front() != ';', "headers and comments are not entries", line);
    }
    if (value)
        fuzz::check(value->find_first_of("\r\n") == std::string::npos, "a value is one line", *value);
    if (formOf(bytes) != Form::Utf8) {
        // Decoded text: UTF-16 and the ANSI code page always give well-formed UTF-8.
        fuzz::check(!value || fuzz::isStrictUtf8(*value), "a decoded value is UTF-8", *value);
        for (const std::string& line : lines)
            fuzz::check(fuzz::isStrictUtf8(line), "a decoded section line is UTF-8", line);
    }

    const std::string whole = getString(bytes, section, key, "dflt\t ", codec);
    fuzz::check(whole.size() < kDefaultBufferSize && whole.find('\0') == std::string::npos,
                "a value read fits the buffer and holds no NUL", whole);
    if (value)
        fuzz::check(value->compare(0, whole.size(), whole) == 0, "a value read is the value, cut", whole);
    else
        fuzz::check(whole == "dflt\t", "a missing value reads as the default less its trailing spaces",
                    whole);

    // A small buffer gets the same text cut short, never inside a character.
    const std::string cut = getString(bytes, section, key, "dflt\t ", codec, smallBuffer);
    fuzz::check(cut.size() < smallBuffer && whole.compare(0, cut.size(), cut) == 0,
                "a small buffer gets the start of the value", cut);
    fuzz::check(cut.size() == whole.size() || cut.size() + 4 >= smallBuffer,
                "a cut gives up at most one character", cut);
    if (fuzz::isStrictUtf8(whole))
        fuzz::check(fuzz::isStrictUtf8(cut), "a cut keeps UTF-8 whole", cut);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::asText(data, size);
    std::set<std::string> sections{"AutoRun", "Mode", "CD", ""};
    std::set<std::string> keys{"open", "icon", "Standby", ""};
    fuzz::scanNames(bytes, sections, keys, 32);

    lnx::LinuxCodec codec;
    const std::size_t smallBuffer = 1 + size % 9;
    for (const std::string& section : sections)
        for (const std::string& key : keys)
            checkValue(bytes, section, key, smallBuffer, codec);
    return 0;
}
