// A path a disc's AUTORUN.INF names ("open=Bin\SETUP.EXE", "icon=D:\Icons\ディスク.ico"), resolved on the
// mounted disc of drive D: the input is the path. A resolved path resolves to itself again, and every
// part of it that exists is the part asked for, or the same name in another letter case.
#include "DriveTree.h"
#include "linux/DiscPaths.h"

namespace {

constexpr const char* kDiscFiles[] = {
    "disc/AUTORUN.INF",
    "disc/Bin/setup.sh",
    "disc/bin/Other.txt",
    "disc/ÄÖ/Ünï.TXT",
    "disc/セットアップ/ＳＥＴＵＰ.exe",
    "disc/Case/CASE",
    "disc/case/case",
    "disc/Ωμέγα/ΣΊΣΥΦΟΣ",
};

struct Machine {
    fuzz::DriveTree tree;
    std::string disc = tree.path("disc");
    Machine() {
        for (const char* file : kDiscFiles)
            tree.write(file, "x");
        tree.setMountTable("36 25 11:0 / " + disc + " ro,relatime - iso9660 /dev/sr0 ro\n");
    }
};

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// The parts of a path between its separators, "." and ".." included.
std::vector<std::string> parts(std::string_view path) {
    std::vector<std::string> out;
    std::string part;
    for (char c : path) {
        if (!isSeparator(c)) {
            part += c;
        } else if (!part.empty()) {
            out.push_back(std::move(part));
            part.clear();
        }
    }
    if (!part.empty())
        out.push_back(std::move(part));
    return out;
}

// The parts of a path on a drive as the drive takes them: "." dropped, ".." going up, never above the root.
std::vector<std::string> onDrive(std::vector<std::string> asked) {
    std::vector<std::string> out;
    for (std::string& part : asked)
        if (part == ".." && !out.empty())
            out.pop_back();
        else if (part != "." && part != "..")
            out.push_back(std::move(part));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Machine machine;
    const std::string_view asked = fuzz::asText(data, size);

    const std::string folded = lnx::foldCase(asked);
    fuzz::check(lnx::foldCase(folded) == folded, "folding twice folds nothing more", asked);
    fuzz::check(folded.size() == asked.size(), "folding keeps every character's length", asked);

    const lnx::DriveSource source = machine.tree.source();
    const lnx::DiscPaths paths(source);
    const std::string resolved = paths.resolve(asked);
    if (asked.size() >= 2 && (asked[0] == 'D' || asked[0] == 'd') && asked[1] == ':' &&
        (asked.size() == 2 || isSeparator(asked[2])))
        fuzz::check(resolved.rfind(machine.disc, 0) == 0 &&
                        resolved.find("/../", machine.disc.size() - 1) == std::string::npos,
                    "a path on drive D: stays below its mount point", resolved);
    if (asked.find('\0') != std::string_view::npos || !std::filesystem::path(resolved).is_absolute())
        return 0;
    fuzz::check(paths.resolve(resolved) == resolved, "a resolved path resolves to itself", resolved);

    // Where the path exists, each part below the mount point is the asked part in some letter case.
    std::error_code ec;
    if (!std::filesystem::exists(resolved, ec) || resolved.rfind(machine.disc, 0) != 0 || asked.size() < 2 ||
        asked[1] != ':')
        return 0;
    const std::vector<std::string> want = onDrive(parts(asked.substr(2)));
    const std::vector<std::string> got = parts(std::string_view(resolved).substr(machine.disc.size()));
    fuzz::check(want.size() == got.size(), "a resolved path has the parts asked for", resolved);
    for (std::size_t i = 0; i < want.size(); ++i)
        fuzz::check(lnx::foldCase(want[i]) == lnx::foldCase(got[i]), "a part differs only in letter case",
                    got[i]);
    return 0;
}
