// A disc's AUTORUN.INF, in whatever encoding the disc's maker chose (CP932, UTF-16 with its mark, UTF-8):
// the Linux text codec over its bytes, and the program's one reader of its "open" and "icon" lines.
#include "FuzzSupport.h"
#include "drives/Autorun.h"
#include "linux/LinuxCodec.h"
#include "support/Fakes.h"

namespace {

const std::string kAutorun = "E:\\AUTORUN.INF";

void checkCodec(std::string_view bytes) {
    const bool utf8 = fuzz::isStrictUtf8(bytes);
    fuzz::check(lnx::isValidUtf8(bytes) == utf8, "the codec tells UTF-8 as a strict decoder does", bytes);
    const std::string text = lnx::utf8OrCp932ToUtf8(bytes);
    fuzz::check(fuzz::isStrictUtf8(text), "decoded text is UTF-8", text);
    if (utf8)
        fuzz::check(text == bytes, "UTF-8 passes unchanged", text);
}

// What the drive record and the path launcher read: the program line, and the icon (the program line when
// "icon" is missing).
void checkLines(std::string_view bytes) {
    fakes::FileSystem files;
    files.files[kAutorun] = std::string(bytes);
    lnx::LinuxCodec codec;
    const drives::AutorunLines lines = drives::readAutorun(files, codec, kAutorun);
    // A file marked UTF-8 is taken as it stands, even where it is not.
    const bool decoded = bytes.substr(0, 3) != "\xEF\xBB\xBF";
    for (const std::string& value : {lines.open, lines.icon}) {
        fuzz::check(value.size() < 4096, "a value fits the profile buffer", value);
        fuzz::check(value.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos,
                    "a value is one line without NUL", value);
        if (decoded)
            fuzz::check(fuzz::isStrictUtf8(value), "a decoded value is UTF-8", value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::asText(data, size);
    checkCodec(bytes);
    checkLines(bytes);
    return 0;
}
