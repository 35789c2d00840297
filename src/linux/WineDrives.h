#pragma once
// The drive letters of the user's Wine prefix. Wine shows a mounted disc as a CD-ROM drive with its
// label only under the letter its mount manager (or winecfg) links to the disc's mount point; under Z:
// it is a folder of a fixed disk, where old installers do not find their disc.
#include <optional>
#include <string>
#include <string_view>

namespace lnx {

// The prefix a started `wine` uses: $WINEPREFIX, else ~/.wine. Empty when that is no absolute path, as
// wine refuses a relative one.
std::string winePrefix();

// The drive letter ('D') whose link `prefix`/dosdevices/d: leads to `mountPoint`, both compared as
// canonical paths; of several, the first from A: on. Only the letters count, not device entries
// ("d::"); a dangling or looping link leads nowhere. Nothing when no letter leads there.
std::optional<char> wineLetterFor(const std::string& prefix, const std::string& mountPoint);

// `path`, a file below `mountPoint`, as the programs of `prefix` find it on the letter of the mount
// point: "D:\Bin\SETUP.EXE". Nothing without such a letter, or when a name below the mount point is
// not UTF-8 or holds what a Windows name cannot (Wine would show it under another name).
std::optional<std::string> wineDrivePath(const std::string& prefix, std::string_view mountPoint,
                                         std::string_view path);

} // namespace lnx
