#include "drives/PathLauncher.h"
#include "drives/Shortcuts.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace {

class LaunchTest : public ::testing::Test {
  protected:
    fakes::Platform p;
    app::IniFile settingsFile{p.fs, p.codec};
    drives::ShortcutWriter writer{{p.shortcuts, p.shortcuts, p.fs, p.messages, p.process, settingsFile}};
    void SetUp() override { settingsFile.setFile(p.process.settingsFile); }
    const port::Shortcut& launchFile() { return p.shortcuts.saved.at("C:\\Apps\\autorun.lnk"); }
};

TEST(Shortcut, TheProgramLineSplitsAtItsFirstSpace) {
    struct Case {
        const char* line;
        const char* program;
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
        const port::Shortcut shortcut = drives::shortcutFor(c.line, "E:\\", "E:\\a.ico,1");
        EXPECT_EQ(shortcut.program, c.program) << c.line;
        EXPECT_EQ(shortcut.arguments, c.arguments) << c.line;
        EXPECT_EQ(shortcut.folder, "E:\\") << c.line;
        EXPECT_EQ(shortcut.icon, "E:\\a.ico,1") << c.line;
    }
}

TEST(Shortcut, AnIconFileWithoutAnIndexIsItsIconZero) {
    const std::pair<const char*, const char*> cases[] = {
        {"E:\\CTRun\\SB.ICO", "E:\\CTRun\\SB.ICO,0"},
        {"E:\\autorun.exe", "E:\\autorun.exe,0"},
        {"E:\\setup.exe,2", "E:\\setup.exe,2"},
        {"E:\\", "E:\\"},
        {"", ""},
        {"/media/a,b/DISC.ICO", "/media/a,b/DISC.ICO,0"},
    };
    for (const auto& [icon, stored] : cases) {
        const std::string folder = std::string(icon).rfind("/media", 0) == 0 ? "/media/a,b/" : "E:\\";
        EXPECT_EQ(drives::shortcutFor("setup.exe", folder, icon).icon, stored) << icon;
    }
}

TEST_F(LaunchTest, ALaunchWritesTheLaunchFileAndStartsIt) {
    EXPECT_TRUE(writer.launch("setup.exe /auto", "E:\\"));
    EXPECT_EQ(launchFile().program, "E:\\setup.exe");
    // A later launch without arguments must not inherit the earlier ones.
    EXPECT_TRUE(writer.launch("other.exe", "F:\\"));
    EXPECT_EQ(launchFile().program, "F:\\other.exe");
    EXPECT_EQ(launchFile().arguments, "");
    EXPECT_EQ(p.shortcuts.launched.size(), 2u);
    EXPECT_TRUE(p.messages.shown.empty());
}

TEST_F(LaunchTest, AppNameCheckShowsTheShortcutBeforeItIsSaved) {
    p.fs.files[p.process.settingsFile] = "[Mode]\r\nAppNameCheck=true\r\n";
    bool savedWhileShown = true;
    p.messages.onShow = [&] { savedWhileShown = p.shortcuts.saved.count("C:\\Apps\\autorun.lnk") > 0; };
    writer.launch("setup.exe /auto", "E:\\");
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].text,
              "プログラム：[E:\\setup.exe]\r\nオプション：[/auto]\r\n作業フォルダ：[E:\\]");
    EXPECT_EQ(p.messages.shown[0].caption, "Tavimoro");
    EXPECT_FALSE(savedWhileShown);
    EXPECT_EQ(p.shortcuts.launched.size(), 1u);

    for (const char* value : {"False", "0", "bogus", ""}) {
        p.messages.shown.clear();
        p.fs.files[p.process.settingsFile] = std::string("[Mode]\r\nAppNameCheck=") + value + "\r\n";
        writer.launch("setup.exe", "E:\\");
        EXPECT_TRUE(p.messages.shown.empty()) << value;
    }
}

TEST_F(LaunchTest, EachFailureIsToldOnceInItsOwnWords) {
    struct Case {
        std::optional<port::ShortcutFault> fault;
        const char* reason;
        const char* text;
        const char* caption;
        port::MessageIcon icon;
    };
    const Case cases[] = {
        {port::ShortcutFault::Unavailable, "この環境では起動できません", "この環境では起動できません",
         "tavimoro", port::MessageIcon::None},
        {port::ShortcutFault::Refused, "", "ショートカットを作成できません。\r\nC:\\Apps\\autorun.lnk",
         "Tavimoro", port::MessageIcon::Exclamation},
        {port::ShortcutFault::NotSaved, "書き込めません",
         "ショートカットを保存できませんでした。\r\nC:\\Apps\\autorun.lnk\r\n書き込めません", "Tavimoro",
         port::MessageIcon::Exclamation},
        // A failure without a text of its own is still a failure.
        {port::ShortcutFault::NotSaved, "",
         "ショートカットを保存できませんでした。\r\nC:\\Apps\\autorun.lnk\r\n", "Tavimoro",
         port::MessageIcon::Exclamation},
        {port::ShortcutFault::NotStarted, "Wine が必要です",
         "プログラムを起動できませんでした。\r\nWine が必要です", "Tavimoro", port::MessageIcon::Exclamation},
        {port::ShortcutFault::Missing, "",
         "プログラムを起動できませんでした。\r\nプログラムが見つかりません: E:\\setup.exe", "Tavimoro",
         port::MessageIcon::Exclamation},
    };
    for (const Case& c : cases) {
        p.messages.shown.clear();
        p.shortcuts.launched.clear();
        p.shortcuts.unavailable.reset();
        if (c.fault == port::ShortcutFault::Unavailable)
            p.shortcuts.unavailable = c.reason;
        p.shortcuts.fault = c.fault;
        p.shortcuts.reason = c.reason;
        EXPECT_FALSE(writer.launch("setup.exe", "E:\\")) << c.text;
        ASSERT_EQ(p.messages.shown.size(), 1u) << c.text;
        EXPECT_EQ(p.messages.shown[0].text, c.text);
        EXPECT_EQ(p.messages.shown[0].caption, c.caption) << c.text;
        EXPECT_EQ(p.messages.shown[0].icon, c.icon) << c.text;
        EXPECT_TRUE(p.shortcuts.launched.empty()) << c.text;
    }
}

// Drops and command-line paths.
class PathLauncherTest : public LaunchTest {
  protected:
    drives::PathLauncher paths{p.fs, p.codec, p.drives, writer};
};

TEST_F(PathLauncherTest, AFolderOrAnAutorunFileLaunchesAnythingElseDoesNot) {
    p.fs.addFile("D:\\Disc\\autorun.inf", "[autorun]\r\nOPEN=setup.exe /go\r\n");
    p.fs.addFile("D:\\Disc\\readme.txt");
    p.fs.addFolder("D:\\Empty");
    p.fs.addFile("C:\\work\\rel\\AUTORUN.INF", "[AutoRun]\r\nopen=r.exe\r\n");
    struct Case {
        const char* path;
        bool launched;
        const char* workingFolder;
        const char* located = ""; // what locate gives when set: the AUTORUN.INF, or why there is none
    };
    const Case cases[] = {
        {"D:\\Disc", true, "D:\\Disc\\"},
        {"D:\\Disc\\", true, "D:\\Disc\\"},
        {"D:\\Disc\\AUTORUN.INF", true, "D:\\Disc\\"},
        {"D:\\Disc\\autorun.inf", true, "D:\\Disc\\"},
        {"D:\\Disc\\readme.txt", false, "", "「D:\\Disc\\readme.txt」は AUTORUN.INF ではありません。"},
        {"D:\\Empty", false, "", "フォルダー「D:\\Empty」に AUTORUN.INF がありません。"},
        {"D:\\Nowhere", false, "", "「D:\\Nowhere」が見つかりません。"},
        {"D:\\Nowhere\\AUTORUN.INF", false, ""},
        {"rel", true, "C:\\work\\rel\\", "C:\\work\\rel\\AUTORUN.INF"},
        {"AUTORUN.INF", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        p.shortcuts.launched.clear();
        p.shortcuts.saved.clear();
        EXPECT_EQ(paths.launch(c.path), c.launched) << c.path;
        EXPECT_EQ(p.shortcuts.launched.size(), c.launched ? 1u : 0u) << c.path;
        if (c.launched) {
            EXPECT_EQ(launchFile().folder, c.workingFolder) << c.path;
        }
        if (const auto located = drives::PathLauncher::locate(p.fs, c.path); *c.located) {
            EXPECT_EQ(located ? *located : located.error(), c.located) << c.path;
        }
    }
    p.shortcuts.fault = port::ShortcutFault::NotStarted; // a program that does not start is no launch
    EXPECT_FALSE(paths.launch("D:\\Disc"));
}

TEST_F(PathLauncherTest, ADiscImageIsOpenedAsADiscAndLaunchesFromItsRoot) {
    p.drives.images = {{"D:\\game.iso", "G:\\"}, {"D:\\blank.iso", "H:\\"}};
    p.fs.addFile("D:\\game.iso");
    p.fs.addFile("D:\\blank.iso");
    p.fs.addFile("D:\\notes.txt");
    p.fs.addFile("G:\\AUTORUN.INF", "[AutoRun]\r\nopen=g.exe\r\n");
    p.fs.addFolder("H:\\");
    const std::pair<const char*, const char*> cases[] = {
        {"D:\\game.iso", "G:\\AUTORUN.INF"},
        {"D:\\blank.iso", "ディスク イメージ「D:\\blank.iso」に AUTORUN.INF がありません。"},
        {"D:\\notes.txt", "「D:\\notes.txt」は AUTORUN.INF ではありません。"}, // no image: as any file
    };
    for (const auto& [path, expected] : cases) {
        const auto located = drives::PathLauncher::locateOrOpen(p.fs, p.drives, path);
        EXPECT_EQ(located ? *located : located.failure().text, expected) << path;
    }
    EXPECT_TRUE(paths.launch("D:\\game.iso"));
    EXPECT_EQ(launchFile().program, "G:\\g.exe");
    p.drives.imageRefusal = "not allowed";
    EXPECT_FALSE(paths.launch("D:\\game.iso"));
    EXPECT_EQ(p.messages.shown.back().text, "not allowed") << "a refused image is told";
}

TEST_F(PathLauncherTest, AnAutorunWithoutOpenPointsAtItsFolder) {
    p.fs.addFile("D:\\Disc\\AUTORUN.INF", "[AutoRun]\r\nicon=a.ico\r\n");
    EXPECT_TRUE(paths.launch("D:\\Disc"));
    EXPECT_EQ(launchFile().program, "D:\\Disc\\");
    EXPECT_EQ(launchFile().arguments, "");
}

TEST_F(PathLauncherTest, EveryDroppedPathIsTried) {
    p.fs.addFile("D:\\A\\AUTORUN.INF", "[AutoRun]\r\nopen=a.exe\r\n");
    p.fs.addFile("D:\\B\\AUTORUN.INF", "[AutoRun]\r\nopen=b.exe\r\n");
    p.fs.addFile("D:\\c.txt");
    EXPECT_TRUE(paths.launchAll({"D:\\A", "D:\\c.txt", "D:\\B"}));
    EXPECT_EQ(p.shortcuts.launched.size(), 2u);
    EXPECT_EQ(launchFile().program, "D:\\B\\b.exe");
    EXPECT_FALSE(paths.launchAll({"D:\\c.txt"}));
    EXPECT_FALSE(paths.launchAll({}));
    EXPECT_EQ(p.shortcuts.launched.size(), 2u);
}

} // namespace
