#include "drives/Autorun.h"
#include "drives/DriveRecord.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>
#include <string_view>

namespace {

class DriveRecordTest : public ::testing::Test {
  protected:
    fakes::Platform p;
    app::IniFile settingsFile{p.fs, p.codec};
    drives::ShortcutWriter shortcuts{{p.shortcuts, p.shortcuts, p.fs, p.messages, p.process, settingsFile}};

    void SetUp() override {
        settingsFile.setFile(p.process.settingsFile);
        p.shortcuts.startMenu = "C:\\Menu\\";
        p.fs.addFolder("C:\\Menu");
    }
    std::unique_ptr<drives::DriveRecord> record(bool entry = false) {
        auto r = std::make_unique<drives::DriveRecord>(
            drives::DriveRecord::Context{p.drives, p.fs, p.codec, shortcuts}, 'E');
        r->setStartMenuEntry(entry);
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

// What a drive's state says after each check, as a row of a table.
std::string describe(const drives::DriveState& s) {
    return s.driveText() + " [" + s.label + "] " + (s.program.empty() ? "" : s.program + " ") + "@" +
           s.folder + (s.clickable() ? " clickable" : "");
}

TEST_F(DriveRecordTest, EachCheckSaysWhatTheDriveHolds) {
    using namespace std::string_view_literals;
    constexpr auto stays = "<stays>"sv;
    struct Step {
        std::string_view label; // the disc put in before the check
        const char* autorun;
        std::pair<bool, bool> change;
        const char* state;
    };
    const Step steps[] = {
        {""sv, "", {true, false}, "(E:) [] @E:\\"}, // the first check always counts as a change
        {stays, "", {false, false}, "(E:) [] @E:\\"},
        // A label ends at a NUL.
        {"MYDISC\0junk"sv, "open=setup.exe", {true, true}, "(E:) [MYDISC] setup.exe @E:\\ clickable"},
        {stays, "", {false, false}, "(E:) [MYDISC] setup.exe @E:\\ clickable"},
        // Swapped for another autorun disc: cleared at the first check, read at the second.
        {"TWO"sv, "open=two.exe", {true, false}, "(E:) [] @E:\\"},
        {stays, "", {true, true}, "(E:) [TWO] two.exe @E:\\ clickable"},
        // A labelled disc without autorun data shows no label and counts as a change at every check.
        {"DATA"sv, "", {true, false}, "(E:) [] @E:\\"},
        {stays, "", {true, false}, "(E:) [] @E:\\"},
    };
    auto r = record();
    for (const Step& s : steps) {
        if (s.label != stays)
            insert(std::string(s.label), *s.autorun ? std::string("[AutoRun]\r\n") + s.autorun + "\r\n" : "");
        EXPECT_EQ(check(*r), s.change) << s.state;
        EXPECT_EQ(describe(r->state()), s.state);
    }
}

TEST_F(DriveRecordTest, TheIconReferenceChoosesThePicture) {
    using K = drives::IconRef::Kind;
    struct Case {
        const char* autorun;
        K kind;
        const char* file;
        int index;
    };
    const Case cases[] = {
        {"open=setup.exe /auto", K::None, "", 0},
        {"open=setup.exe\r\nicon=disc.ico", K::IconFile, "E:\\disc.ico", 0},
        {"icon=setup.exe,2", K::ProgramFile, "E:\\setup.exe", 2},
        {"icon=setup.exe,-101", K::ProgramFile, "E:\\setup.exe", -101},
        {"icon=Setup.Exe", K::ProgramFile, "E:\\Setup.Exe", 0},
        {"icon=lib.dll, +1 ,junk", K::ProgramFile, "E:\\lib.dll", 1},
        {"icon=setup.exe,x", K::None, "", 0},
        {"icon=setup.exe,99999999999", K::None, "", 0},
        {"icon=readme.txt", K::None, "", 0},
        {"", K::ProgramIcon, "", 0},
        {"open=setup.exe\r\nicon=", K::ProgramIcon, "", 0},
    };
    for (const auto& c : cases) {
        insert("DISC", std::string("[AutoRun]\r\n") + c.autorun + "\r\n");
        auto r = record();
        EXPECT_EQ(check(*r), std::make_pair(true, true)) << c.autorun;
        const drives::IconRef& icon = r->state().icon;
        EXPECT_EQ(icon.kind, c.kind) << c.autorun;
        EXPECT_EQ(icon.file, c.file) << c.autorun;
        EXPECT_EQ(icon.index, c.index) << c.autorun;
        EXPECT_TRUE(r->state().clickable()) << c.autorun;
    }
}

TEST_F(DriveRecordTest, ACheckReadsAutorunOnceAndNoMoreOfItThanARealFileHolds) {
    const std::string lines = "[AutoRun]\r\nopen=setup.exe\r\nicon=disc.ico\r\n";
    struct Case {
        std::size_t padding; // comment lines after the section
        const char* program;
        drives::IconRef::Kind icon;
    };
    const Case cases[] = {
        {0, "setup.exe", drives::IconRef::Kind::IconFile},
        {drives::kMaxAutorunBytes - lines.size(), "setup.exe", drives::IconRef::Kind::IconFile},
        {drives::kMaxAutorunBytes, "", drives::IconRef::Kind::ProgramIcon}};
    for (const Case& c : cases) {
        insert("DISC", lines + std::string(c.padding, ';'));
        auto r = record();
        p.fs.reads = 0;
        EXPECT_EQ(check(*r), std::make_pair(true, true)) << c.padding;
        EXPECT_EQ(p.fs.reads, 1) << c.padding;
        EXPECT_EQ(r->state().program, c.program) << c.padding;
        EXPECT_EQ(r->state().icon.kind, c.icon) << c.padding;
    }
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
    EXPECT_EQ(lnk.icon, "E:\\disc.ico,0");
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
    EXPECT_TRUE(r->state().autorun);
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
