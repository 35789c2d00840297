// The drive letters of a Wine prefix: fake prefixes whose dosdevices links lead to a disc's mount point.
#include "linux/WineDrives.h"
#include "shell_test_support.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

TEST(WineDrives, namesAFileOfTheDiscOnTheLetterWhoseLinkLeadsToItsMountPoint) {
    namespace fs = std::filesystem;
    shelltest::TempFolder temp;
    const std::string cd = temp / "media/cd";
    fs::create_directories(cd);
    // A link in dosdevices, its target, the mount point, a file below it and its path on Wine's drive.
    using Case = std::tuple<const char*, std::string, std::string, std::string, std::optional<std::string>>;
    const Case cases[] = {
        {"d:", temp / "media/./cd/", cd + "/", "/Bin//SETUP.EXE", "D:\\Bin\\SETUP.EXE"},
        {"d:", cd, cd, "", "D:\\"},
        {"e:", "../../media/cd", cd, "/a.exe", "E:\\a.exe"},
        {"d:", temp / "media", cd, "/a.exe", {}},
        {"d:", temp / "gone", cd, "/a.exe", {}},
        {"d::", cd, cd, "/a.exe", {}},
        {"d:", "d:", cd, "/a.exe", {}}, // a loop
        {"d:", cd, cd, "/a?.exe", {}},
        {"d:", cd, cd, "rom/a.exe", {}},
    };
    int n = 0;
    for (const auto& [link, target, mountPoint, file, windows] : cases) {
        const std::string prefix = temp / ("prefix" + std::to_string(n++));
        fs::create_directories(prefix + "/dosdevices");
        fs::create_symlink(target, prefix + "/dosdevices/" + link);
        EXPECT_EQ(lnx::wineDrivePath(prefix, mountPoint, cd + file), windows) << link << " " << file;
    }
    EXPECT_EQ(lnx::wineLetterFor(temp / "no prefix", cd), std::nullopt);
}

} // namespace
