#include "drives/DriveRecord.h"
#include "support/FakeView.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace {

class DriveRecordTest : public ::testing::Test {
  protected:
    fakes::Platform p;
    app::IniFile settingsFile{p.fs, p.codec};
    drives::ShortcutWriter shortcuts{{p.shortcuts, p.shortcuts, p.fs, p.messages, p.process, settingsFile}};
    fakes::Icons icons;
    fakes::Button button;
    fakes::Label volumeName, drive;
    drives::MenuItem menu;

    void SetUp() override {
        settingsFile.setFile(p.process.settingsFile);
        p.shortcuts.startMenu = "C:\\Menu\\";
        p.fs.addFolder("C:\\Menu");
        button.row = 3;
    }
    std::unique_ptr<drives::DriveRecord> record(bool entry = false) {
        auto r = std::make_unique<drives::DriveRecord>(
            drives::DriveRecord::Context{p.drives, p.fs, p.codec, icons, shortcuts, fakes::textWidth}, 'E');
        r->setStartMenuEntry(entry);
        r->attach(button, volumeName, drive, menu);
        return r;
    }
    void insert(const std::string& label, const std::string& autorun) {
        p.fs.files.clear();
        p.fs.addFolder("C:\\Menu");
        p.drives.discs['E'] = {label, "E:\\"};
        p.fs.addFolder("E:");
        if (!autorun.empty())
            p.fs.addFile("E:\\autorun.inf", autorun);
    }
    // Whether the check saw another disc, and whether the record then holds autorun data.
    std::pair<bool, bool> check(drives::DriveRecord& r) {
        const auto autorun = r.check();
        return {autorun.has_value(), autorun.value_or(false)};
    }
};

TEST_F(DriveRecordTest, TheFirstCheckAlwaysCountsAsAChange) {
    auto r = record();
    EXPECT_EQ(check(*r), std::make_pair(true, false)) << "an empty drive differs from the unchecked state";
    EXPECT_FALSE(button.isEnabled);
    EXPECT_EQ(r->folder(), "E:\\");
    EXPECT_EQ(volumeName.text, "");
    EXPECT_EQ(drive.text, "(E:)");
    EXPECT_EQ(button.accessibleName, "(E:)") << "an empty drive's button is named after its drive";
    EXPECT_EQ(drive.w, 400 + 60);
    EXPECT_FALSE(menu.visible);
    EXPECT_EQ(button.pictureText(), "window");
    EXPECT_EQ(check(*r), std::make_pair(false, false)) << "an empty drive stays unchanged";
}

TEST_F(DriveRecordTest, AnAutorunDiscFillsTheRow) {
    insert(std::string("MYDISC\0garbage", 14), "[AutoRun]\r\nopen=setup.exe\r\n"); // a label ends at a NUL
    auto r = record();
    EXPECT_EQ(check(*r), std::make_pair(true, true));
    EXPECT_EQ(r->program(), "setup.exe");
    EXPECT_EQ(r->folder(), "E:\\");
    EXPECT_EQ(r->iconSpec(), "E:\\setup.exe");
    EXPECT_TRUE(button.isEnabled);
    EXPECT_EQ(button.pictureText(), "extract E:\\setup.exe,0 large");
    EXPECT_EQ(volumeName.text, "MYDISC");
    EXPECT_EQ(button.accessibleName, "MYDISC (E:)");
    EXPECT_EQ(volumeName.w, 600 + 60);
    EXPECT_EQ(menu.caption, "(E:) MYDISC");
    EXPECT_TRUE(menu.visible);
    EXPECT_EQ(check(*r), std::make_pair(false, false));
}

TEST_F(DriveRecordTest, TheIconReferenceChoosesThePicture) {
    struct Case {
        const char* autorun;
        const char* iconSpec;
        const char* picture; // "" for none
    };
    const Case cases[] = {
        {"open=setup.exe /auto", "E:\\setup.exe /auto", ""},
        {"open=setup.exe\r\nicon=disc.ico", "E:\\disc.ico", "ico E:\\disc.ico"},
        {"icon=setup.exe,2", "E:\\setup.exe,2", "extract E:\\setup.exe,2 large"},
        {"icon=setup.exe,-101", "E:\\setup.exe,-101", "extract E:\\setup.exe,-101 large"},
        {"icon=Setup.Exe", "E:\\Setup.Exe", "extract E:\\Setup.Exe,0 large"},
        {"icon=lib.dll,1,junk", "E:\\lib.dll,1,junk", "extract E:\\lib.dll,1 large"},
        {"icon=setup.exe,x", "E:\\setup.exe,x", ""},
        {"icon=setup.exe,99999999999", "E:\\setup.exe,99999999999", ""},
        {"icon=readme.txt", "E:\\readme.txt", ""},
        {"", "E:\\", "window"},
        {"open=setup.exe\r\nicon=", "E:\\", "window"},
    };
    for (const auto& c : cases) {
        insert("DISC", std::string("[AutoRun]\r\n") + c.autorun + "\r\n");
        auto r = record();
        EXPECT_EQ(check(*r), std::make_pair(true, true)) << c.autorun;
        EXPECT_EQ(r->iconSpec(), c.iconSpec) << c.autorun;
        EXPECT_EQ(button.pictureText(), c.picture) << c.autorun;
        EXPECT_TRUE(button.isEnabled) << c.autorun;
    }
}

TEST_F(DriveRecordTest, AnIconThatCannotBeLoadedLeavesTheButtonWithoutPicture) {
    icons.fail = true;
    insert("DISC", "[AutoRun]\r\nopen=setup.exe\r\n");
    auto r = record();
    EXPECT_EQ(check(*r), std::make_pair(true, true));
    EXPECT_FALSE(button.hasPicture());
    EXPECT_TRUE(button.isEnabled);
}

TEST_F(DriveRecordTest, SwappingAutorunDiscsTakesTwoChecks) {
    insert("ONE", "[AutoRun]\r\nopen=one.exe\r\n");
    auto r = record();
    check(*r);
    insert("TWO", "[AutoRun]\r\nopen=two.exe\r\n");
    EXPECT_EQ(check(*r), std::make_pair(true, false));
    EXPECT_EQ(r->program(), "");
    EXPECT_FALSE(button.isEnabled);
    EXPECT_EQ(check(*r), std::make_pair(true, true));
    EXPECT_EQ(r->program(), "two.exe");
    EXPECT_EQ(check(*r), std::make_pair(false, false));
}

TEST_F(DriveRecordTest, ALabelledDiscWithoutAutorunCountsAsAChangeAtEveryCheck) {
    insert("DATA", "");
    auto r = record();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(check(*r), std::make_pair(true, false)) << i;
    EXPECT_EQ(volumeName.text, "");
}

TEST_F(DriveRecordTest, OneShortcutFollowsTheDisc) {
    insert("MYDISC", "[AutoRun]\r\nopen=setup.exe /auto\r\nicon=disc.ico\r\n");
    auto r = record(true);
    check(*r);
    const std::string path = "C:\\Menu\\(E) MYDISC.lnk";
    ASSERT_EQ(r->entries(), std::vector<std::string>{path});
    const auto& lnk = p.shortcuts.saved.at(path);
    EXPECT_EQ(lnk.program, "E:\\setup.exe");
    EXPECT_EQ(lnk.arguments, "/auto");
    EXPECT_EQ(lnk.icon, "E:\\disc.ico");
    EXPECT_TRUE(p.shortcuts.launched.empty());

    const auto saves = p.shortcuts.saved.size();
    r->setStartMenuEntry(true);
    EXPECT_EQ(p.shortcuts.saved.size(), saves) << "switching on again writes nothing";
    r->setStartMenuEntry(false);
    EXPECT_FALSE(p.fs.files.count(path));
    EXPECT_TRUE(r->entries().empty());
    r->setStartMenuEntry(true);
    EXPECT_TRUE(p.fs.files.count(path));

    p.drives.discs['E'] = {"", "E:\\"};
    check(*r);
    EXPECT_FALSE(p.fs.files.count(path)) << "the shortcut goes with the disc";
    EXPECT_TRUE(r->entries().empty());
}

TEST_F(DriveRecordTest, TheShortcutGoesWithTheRecord) {
    insert("MYDISC", "[AutoRun]\r\nopen=setup.exe\r\n");
    auto r = record(true);
    check(*r);
    ASSERT_TRUE(p.fs.files.count("C:\\Menu\\(E) MYDISC.lnk"));
    r.reset();
    EXPECT_FALSE(p.fs.files.count("C:\\Menu\\(E) MYDISC.lnk"));
}

TEST_F(DriveRecordTest, NoShortcutIsRecordedWithoutAutorunOrWhenWritingFails) {
    auto r = record(true);
    check(*r);
    EXPECT_TRUE(r->entries().empty());
    insert("MYDISC", "[AutoRun]\r\nopen=setup.exe\r\n");
    p.shortcuts.fault = port::ShortcutFault::NotSaved;
    check(*r);
    EXPECT_TRUE(r->hasAutorun());
    EXPECT_TRUE(r->entries().empty());
    EXPECT_EQ(p.messages.shown.size(), 1u);
}

TEST(ShortcutName, ALabelCannotLeaveTheFolderAndIsCutToWhatTheFolderTakes) {
    std::string kanji126; // a UDF label's worth of Japanese characters
    for (int i = 0; i < 126; ++i)
        kanji126 += "漢";
    const std::string deep = "C:\\" + std::string(190, 'x') + "\\";
    const std::tuple<std::string, char, std::string, std::string> cases[] = {
        {"C:\\Menu\\", 'E', "MYDISC", "(E) MYDISC.lnk"},
        {"C:\\Menu\\", 'E', "..\\..\\evil", "(E) .._.._evil.lnk"},
        {"C:\\Menu\\", 'F', "a/b:c*d?e\"f<g>h|i", "(F) a_b_c_d_e_f_g_h_i.lnk"},
        {"C:\\Menu\\", 'G', "tab\there", "(G) tab_here.lnk"},
        {"C:\\Menu\\", 'H', "ディスク", "(H) ディスク.lnk"},
        // 126 characters fit in a name of 255; a folder of 194 characters leaves 65 for the name.
        {"C:\\Menu\\", 'J', kanji126, "(J) " + kanji126 + ".lnk"},
        {deep, 'K', kanji126, "(K) " + kanji126.substr(0, 57 * 3) + ".lnk"},
        {deep, 'L', std::string(300, 'a'), "(L) " + std::string(57, 'a') + ".lnk"},
    };
    for (const auto& [folder, letter, label, expected] : cases)
        EXPECT_EQ(drives::startMenuEntryName(folder, letter, label, ".lnk"), expected) << label;
}

} // namespace
