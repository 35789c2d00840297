#include "drives_test_support.h"
#include "linux/DiscPaths.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

using drivetest::TempDir;
using drivetest::writeFile;

// Drive D: (sr0) is empty, drive E: (sr1) has its medium mounted on <tmp>/media/My Disc\1: a mount point
// is a folder of this machine, whose "\" separates nothing.
class MountedDisc : public ::testing::Test {
  protected:
    void SetUp() override {
        m_config.sysBlock = m_dir / "sys";
        m_config.udevData = m_dir / "udev";
        m_config.mountinfo = m_dir / "mountinfo";
        m_config.devDir = m_dir / "dev";
        for (int n = 0; n < 2; ++n) {
            const std::string base = m_config.sysBlock + "/sr" + std::to_string(n);
            writeFile(base + "/dev", "11:" + std::to_string(n) + "\n");
            writeFile(base + "/device/type", "5\n");
        }
        m_mount = m_dir / "media/My Disc\\1";
        std::string escaped = m_mount;
        escaped.replace(escaped.find('\\'), 1, "\\134");
        escaped.replace(escaped.find(' '), 1, "\\040");
        writeFile(m_config.mountinfo, "60 22 11:1 / " + escaped + " ro - iso9660 /dev/sr1 ro\n");

        writeFile(m_mount + "/autorun.inf", "[AutoRun]\n");
        writeFile(m_mount + "/bin/setup.sh", "#!/bin/sh\n");
        writeFile(m_mount + "/Data/a", "lower");
        writeFile(m_mount + "/Data/A", "upper");
        writeFile(m_mount + "/Ünïcode/ｆｕｌｌ.txt", "x");
        writeFile(m_mount + "/Sub/.hidden", "h");
        writeFile(m_mount + "/Sub/Inner/deep.txt", "d");
    }
    lnx::DriveSource source() const { return lnx::DriveSource(m_config); }

    TempDir m_dir;
    lnx::DriveSourceConfig m_config;
    std::string m_mount;
};

TEST_F(MountedDisc, resolvesWindowsPathsComponentByComponent) {
    const lnx::DiscPaths paths(source());
    const std::string& m = m_mount;
    const std::vector<std::pair<std::string, std::string>> cases{
        {"E:\\Bin\\SETUP.sh", m + "/bin/setup.sh"},
        {"e:/bin/Setup.SH", m + "/bin/setup.sh"},
        {"E:", m},
        {"E:\\", m + "/"},
        {"E:\\\\AUTORUN.INF", m + "/autorun.inf"},
        {"E:\\Data\\a", m + "/Data/a"}, // exact match wins over the other case
        {"E:\\DATA\\A", m + "/Data/A"},
        {"E:\\data\\NEW\\x.txt", m + "/Data/NEW/x.txt"}, // missing components stay as written
        {"E:\\Missing\\bin", m + "/Missing/bin"},
        {"E:\\üNÏCODE\\ＦＵＬＬ.TXT", m + "/Ünïcode/ｆｕｌｌ.txt"},
        // "." and ".." go by name, and never above the drive's root, as on Windows.
        {"E:\\bin\\..\\Data\\a", m + "/Data/a"},
        {"E:\\..\\..\\..\\bin\\SETUP.sh", m + "/bin/setup.sh"},
        {"E:\\Missing\\..\\.\\BIN\\.\\setup.SH", m + "/bin/setup.sh"},
        {"e:\\..", m},
        {m + "\\..\\..\\Data\\a", m + "/Data/a"},
        {"/usr/../tmp/./x", "/usr/../tmp/./x"}, // a path off the discs is the system's to take apart
        {"E:\\\xE0\x81\x81UTORUN.INF", m + "/\xE0\x81\x81UTORUN.INF"}, // an overlong "A" is no letter
        {m + "/Bin\\SETUP.sh", m + "/bin/setup.sh"},
        {"D:\\setup.sh", "D:\\setup.sh"}, // empty drive: left unresolved
        {"C:\\Windows", "C:\\Windows"},   // not a CD-ROM drive
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(paths.resolve(in), out) << in;
    EXPECT_FALSE(std::filesystem::exists(paths.resolve("D:\\setup.sh")));
}

TEST_F(MountedDisc, relativePathsResolveAgainstTheCurrentFolder) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(m_mount);
    const lnx::DiscPaths paths(source());
    const std::string bin = paths.resolve("BIN\\Setup.sh");
    const std::string missing = paths.resolve("nothing\\here");
    std::filesystem::current_path(previous);
    EXPECT_EQ(bin, "bin/setup.sh");
    EXPECT_EQ(missing, "nothing/here");
}

TEST(FoldCase, foldsLettersAndKeepsBrokenBytes) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"SETUP.EXE", "setup.exe"},
        {"ÀÉÎÕÜ×", "àéîõü×"},
        {"ŁĄŽ", "łąž"},
        {"ΔΣΩ", "δσω"},
        {"ДЖЁ", "джё"},
        {"ＡＢＣ", "ａｂｃ"},
        {"セットアップ", "セットアップ"},
        {"A\xFF\x83Z", "a\xFF\x83z"},
        // Overlong forms, surrogates and code points past U+10FFFF are no UTF-8: an overlong "A" or "/"
        // must not turn into the letter or the separator.
        {"\xE0\x81\x81UTORUN", "\xE0\x81\x81utorun"},
        {"\xE0\x80\xAF\xF0\x80\x81\x81", "\xE0\x80\xAF\xF0\x80\x81\x81"},
        {"\xED\xA0\x80X", "\xED\xA0\x80x"},
        {"\xF4\x90\x80\x80X", "\xF4\x90\x80\x80x"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(lnx::foldCase(in), out) << in;
}

} // namespace
