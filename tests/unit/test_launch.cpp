#include "drives/code_CDRom.h"
#include "drives/code_DropSet.h"
#include "drives/code_LoadFile.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace {

using app::code_LoadFile::LaunchProgram;
using app::code_LoadFile::WriteShortcut;

class LaunchTest : public ::testing::Test {
  protected:
    fakes::Platform p;
    app::Program program{p.services};
    void SetUp() override { program.accessor.SetFile(p.process.settingsFile); }
    const fakes::ScriptHost::Lnk& launchFile() { return p.host.saved.at("C:\\Apps\\autorun.lnk"); }
};

TEST_F(LaunchTest, TheProgramLineSplitsAtItsFirstSpace) {
    struct Case {
        const char* line;
        const char* target;
        const char* arguments;
    };
    const Case cases[] = {
        {"setup.exe /auto", "E:\\setup.exe", "/auto"},
        {"setup.exe", "E:\\setup.exe", ""},
        {"explorer .", "explorer", "."},
        {"My Setup.exe", "My", "Setup.exe"},
        {"setup /x", "setup", "/x"},
        {"", "E:\\", ""},
        {"bin\\a.exe  x  \"y z\" ", "E:\\bin\\a.exe", " x  \"y z\" "},
        {" lead.exe", "", "lead.exe"},
    };
    for (const auto& c : cases) {
        auto shell = WriteShortcut(program, c.line, "E:\\", "C:\\Menu\\", "x.lnk", "E:\\a.ico,1");
        ASSERT_NE(shell, nullptr);
        const auto& lnk = p.host.saved.at("C:\\Menu\\x.lnk");
        EXPECT_EQ(lnk.TargetPath, c.target) << c.line;
        EXPECT_EQ(lnk.Arguments, c.arguments) << c.line;
        EXPECT_EQ(lnk.WorkingDirectory, "E:\\") << c.line;
        EXPECT_EQ(lnk.IconLocation, "E:\\a.ico,1") << c.line;
    }
    EXPECT_TRUE(p.messages.shown.empty());
    EXPECT_TRUE(p.host.runs.empty()) << "writing a shortcut runs nothing";
}

TEST_F(LaunchTest, ALaunchWritesTheLaunchFileAndRunsItQuoted) {
    LaunchProgram(program, "setup.exe /auto", "E:\\");
    EXPECT_EQ(p.host.runs, std::vector<std::string>{"\"C:\\Apps\\autorun.lnk\""});
    EXPECT_EQ(launchFile().TargetPath, "E:\\setup.exe");
    // A later launch without arguments must not inherit the earlier ones.
    LaunchProgram(program, "other.exe", "F:\\");
    EXPECT_EQ(launchFile().TargetPath, "F:\\other.exe");
    EXPECT_EQ(launchFile().Arguments, "");
    EXPECT_EQ(p.host.runs.size(), 2u);
}

TEST_F(LaunchTest, AppNameCheckShowsTheShortcutBeforeItIsSaved) {
    p.fs.files[p.process.settingsFile] = "[Mode]\r\nAppNameCheck=true\r\n";
    bool savedWhileShown = true;
    p.messages.onShow = [&] { savedWhileShown = p.host.saved.count("C:\\Apps\\autorun.lnk") > 0; };
    LaunchProgram(program, "setup.exe /auto", "E:\\");
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].text,
              "プログラム：[E:\\setup.exe]\r\nオプション：[/auto]\r\n作業フォルダ：[E:\\]");
    EXPECT_EQ(p.messages.shown[0].caption, "Tavimoro");
    EXPECT_FALSE(savedWhileShown);
    EXPECT_EQ(p.host.runs.size(), 1u);
}

TEST_F(LaunchTest, AppNameCheckOffOrUnreadableShowsNothing) {
    for (const char* value : {"False", "0", "bogus", ""}) {
        p.fs.files[p.process.settingsFile] = std::string("[Mode]\r\nAppNameCheck=") + value + "\r\n";
        LaunchProgram(program, "setup.exe", "E:\\");
        EXPECT_TRUE(p.messages.shown.empty()) << value;
    }
}

TEST_F(LaunchTest, FailuresAreToldOnceAndNothingRunsAfterThem) {
    p.host.shellAvailable = false;
    p.process.exeName_ = "tavimoro";
    LaunchProgram(program, "setup.exe", "E:\\");
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].text, app::code_LoadFile::kScriptHostMessage);
    EXPECT_EQ(p.messages.shown[0].caption, "tavimoro");
    EXPECT_TRUE(p.host.runs.empty());

    p.host.shellAvailable = true;
    p.messages.shown.clear();
    p.host.saveError = "書き込めません";
    LaunchProgram(program, "setup.exe", "E:\\");
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_NE(p.messages.shown[0].text.find("書き込めません"), std::string::npos);
    EXPECT_NE(p.messages.shown[0].text.find("C:\\Apps\\autorun.lnk"), std::string::npos);
    EXPECT_TRUE(p.host.runs.empty());

    // A failure without a text of its own is still a failure.
    p.messages.shown.clear();
    p.host.saveError = "";
    LaunchProgram(program, "setup.exe", "E:\\");
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].text,
              "ショートカットを保存できませんでした。\r\nC:\\Apps\\autorun.lnk\r\n");
    EXPECT_TRUE(p.host.runs.empty());

    p.host.saveError.reset();
    p.messages.shown.clear();
    p.host.refusedShortcuts.insert("C:\\Apps\\autorun.lnk");
    LaunchProgram(program, "setup.exe", "E:\\");
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].text, "ショートカットを作成できません。\r\nC:\\Apps\\autorun.lnk");
    EXPECT_TRUE(p.host.runs.empty());

    p.host.refusedShortcuts.clear();
    p.messages.shown.clear();
    p.host.runError = "Wine が必要です";
    LaunchProgram(program, "setup.exe", "E:\\");
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_NE(p.messages.shown[0].text.find("Wine が必要です"), std::string::npos);
}

// Drops and command-line paths.
class DropTest : public LaunchTest {
  protected:
    bool launch(const std::string& path) { return app::code_DropSet::LaunchFromPath(program, path); }
};

TEST_F(DropTest, AFolderOrAnAutorunFileLaunchesAnythingElseDoesNot) {
    p.fs.addFile("D:\\Disc\\autorun.inf", "[autorun]\r\nOPEN=setup.exe /go\r\n");
    p.fs.addFile("D:\\Disc\\readme.txt");
    p.fs.addFolder("D:\\Empty");
    p.fs.addFile("C:\\work\\rel\\AUTORUN.INF", "[AutoRun]\r\nopen=r.exe\r\n");
    struct Case {
        const char* path;
        bool launched;
        const char* workingFolder;
    };
    const Case cases[] = {
        {"D:\\Disc", true, "D:\\Disc\\"},
        {"D:\\Disc\\", true, "D:\\Disc\\"},
        {"D:\\Disc\\AUTORUN.INF", true, "D:\\Disc\\"},
        {"D:\\Disc\\autorun.inf", true, "D:\\Disc\\"},
        {"D:\\Disc\\readme.txt", false, ""},
        {"D:\\Empty", false, ""},
        {"D:\\Nowhere", false, ""},
        {"D:\\Nowhere\\AUTORUN.INF", false, ""},
        {"rel", true, "C:\\work\\rel\\"},
        {"AUTORUN.INF", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        p.host.runs.clear();
        p.host.saved.clear();
        EXPECT_EQ(launch(c.path), c.launched) << c.path;
        EXPECT_EQ(p.host.runs.size(), c.launched ? 1u : 0u) << c.path;
        if (c.launched) {
            EXPECT_EQ(launchFile().WorkingDirectory, c.workingFolder) << c.path;
        }
    }
}

TEST_F(DropTest, AnAutorunWithoutOpenPointsAtItsFolder) {
    p.fs.addFile("D:\\Disc\\AUTORUN.INF", "[AutoRun]\r\nicon=a.ico\r\n");
    EXPECT_TRUE(launch("D:\\Disc"));
    EXPECT_EQ(launchFile().TargetPath, "D:\\Disc\\");
    EXPECT_EQ(launchFile().Arguments, "");
}

class FakeDrop : public port::IDropData {
  public:
    bool list = true;
    std::vector<std::string> paths;
    int countReads = 0;
    bool hasFileList() override { return list; }
    int fileCount() override {
        ++countReads;
        return static_cast<int>(paths.size());
    }
    std::string file(int position) override { return paths.at(static_cast<std::size_t>(position - 1)); }
};

TEST_F(DropTest, EveryDroppedPathIsTried) {
    p.fs.addFile("D:\\A\\AUTORUN.INF", "[AutoRun]\r\nopen=a.exe\r\n");
    p.fs.addFile("D:\\B\\AUTORUN.INF", "[AutoRun]\r\nopen=b.exe\r\n");
    p.fs.addFile("D:\\c.txt");
    FakeDrop drop;
    drop.paths = {"D:\\A", "D:\\c.txt", "D:\\B"};
    EXPECT_TRUE(app::code_DropSet::LaunchDroppedFiles(program, drop));
    EXPECT_EQ(p.host.runs.size(), 2u);
    EXPECT_EQ(launchFile().TargetPath, "D:\\B\\b.exe");
    EXPECT_EQ(drop.countReads, 1);

    drop.paths = {"D:\\c.txt"};
    EXPECT_FALSE(app::code_DropSet::LaunchDroppedFiles(program, drop));
    drop.list = false;
    drop.paths = {"D:\\A"};
    EXPECT_FALSE(app::code_DropSet::LaunchDroppedFiles(program, drop));
    EXPECT_EQ(p.host.runs.size(), 2u);
}

TEST(CdRom, OnlyCdRomDrivesAreListedAndLabelsStopAtNul) {
    fakes::Platform p;
    p.host.drives = {{2, "C"}, {4, "E"}, {1, "A"}, {4, "D"}, {3, "Z"}, {5, "R"}, {0, "U"}};
    EXPECT_EQ(app::code_CDRom::GetCDRomDrives(p.host), (std::vector<std::string>{"E", "D"}));
    p.host.drives = {{2, "C"}};
    EXPECT_TRUE(app::code_CDRom::GetCDRomDrives(p.host).empty());
    p.host.drives = {{4, "E"}};
    p.host.drivesReadable = false;
    EXPECT_TRUE(app::code_CDRom::GetCDRomDrives(p.host).empty());
    p.host.drivesReadable = true;
    p.host.fsoAvailable = false;
    EXPECT_TRUE(app::code_CDRom::GetCDRomDrives(p.host).empty());

    p.volumes.labels["E:"] = std::string("DISC\0garbage", 12);
    EXPECT_EQ(app::code_CDRom::GetVolumeName(p.volumes, "E:"), "DISC");
    EXPECT_EQ(app::code_CDRom::GetVolumeName(p.volumes, "F:"), "");
}

} // namespace
