#include "support/MainWindowFixture.h"

#include <gtest/gtest.h>

namespace {

TEST_F(MainWindowTest, TheFirstStartRegistersEveryCdRomDrive) {
    start();
    EXPECT_EQ(setting("CD", "Drive_D"), "True");
    EXPECT_EQ(setting("CD", "Drive_E"), "True");
    EXPECT_EQ(setting("CD", "Drive_C"), "<none>");
    ASSERT_EQ(view.rowCount(), 2);
    EXPECT_EQ(view.row(1).drive.caption, "(D:)");
    EXPECT_EQ(view.row(2).drive.caption, "(E:)");
    EXPECT_EQ(view.ScaleHeight(), 2 * 735);
    EXPECT_EQ(view.ScaleWidth(), 1995);
    EXPECT_EQ(view.caption, "tavimoro");
    EXPECT_EQ(form->driveList().size(), 2u);
}

TEST_F(MainWindowTest, RowsFormAColumnOfButtonsWithTwoLinesBeside) {
    start("[CD]\r\nDrive_E=True\r\nDrive_F=1\r\nDrive_G=True\r\n");
    ASSERT_EQ(view.rowCount(), 3);
    EXPECT_EQ(view.ScaleHeight(), 2205);
    for (int n = 1; n <= 3; ++n) {
        auto row = view.row(n);
        EXPECT_EQ(row.button.top, 735.0 * (n - 1));
        EXPECT_EQ(row.button.left, 0);
        EXPECT_EQ(row.volume.top, 112.5 + 735.0 * (n - 1));
        EXPECT_EQ(row.drive.top, 367.5 + 735.0 * (n - 1));
        EXPECT_EQ(row.volume.left, 795);
        EXPECT_EQ(row.drive.left, 795);
        EXPECT_TRUE(row.button.visible && row.volume.visible && row.drive.visible);
        EXPECT_FALSE(row.button.enabled) << "an empty drive cannot be clicked";
    }
}

TEST_F(MainWindowTest, NoDrivesAtAllKeepsTheDesignHeightAndWritesNothing) {
    p.host.drives = {{2, "C"}};
    start();
    EXPECT_EQ(view.rowCount(), 0);
    EXPECT_EQ(view.ScaleHeight(), 720);
    EXPECT_EQ(view.ScaleWidth(), 1995);
    EXPECT_EQ(setting("CD", "Drive_C"), "<none>");
}

TEST_F(MainWindowTest, TheWidthFollowsTheWidestLabelOrJustTheButtons) {
    struct Case {
        const char* label;
        bool volumeName;
        double clientWidth;
        const char* caption;
    };
    const Case cases[] = {
        {"SHORT", true, 1995, "tavimoro"},
        {"ABCDEFGHIJKLMN", true, 735 + 1460 + 60, "tavimoro"},
        {"ABCDEFGHIJKLMN", false, 735, "TVM"},
    };
    for (const auto& c : cases) {
        fakes::Platform fresh;
        p.fs.files.clear();
        disc("D:", c.label, "setup.exe");
        form.reset();
        view = fakes::MainView();
        start(std::string("[Mode]\r\nVolumeName=") + (c.volumeName ? "True" : "False") +
              "\r\n[CD]\r\nDrive_D=True\r\n");
        EXPECT_EQ(view.ScaleWidth(), c.clientWidth) << c.label;
        EXPECT_EQ(view.caption, c.caption) << c.label;
    }
}

TEST_F(MainWindowTest, ResizingKeepsTheWindowOnTheScreen) {
    start("[CD]\r\nDrive_D=True\r\n");
    view.top = 11000;
    view.left = 15000;
    form->Form_Resize();
    EXPECT_EQ(view.top + view.height, view.screenHeight);
    EXPECT_EQ(view.left + view.width, view.screenWidth);
    view.top = -50;
    view.left = -70;
    form->Form_Resize();
    EXPECT_EQ(view.top, -50) << "nothing moves the window down";
    EXPECT_EQ(view.left, -70);
}

TEST_F(MainWindowTest, PollingFollowsInsertRemoveAndSwap) {
    start("[Mode]\r\nAutoOpen=True\r\n[Status]\r\nRefreshTimer=900\r\nChangeTimer=300\r\n[CD]\r\nDrive_D="
          "True\r\n");
    EXPECT_EQ(view.refresh.interval, 900);
    struct Step {
        const char* label;
        const char* open;
        bool enabled;
        int interval;
        bool shown;
    };
    const Step steps[] = {
        {"", "", false, 900, false},          // nothing changed
        {"ONE", "one.exe", true, 300, true},  // inserted: widened, shown
        {"ONE", "one.exe", true, 900, true},  // no change
        {"TWO", "two.exe", false, 300, true}, // swapped: first poll clears the row
        {"TWO", "two.exe", true, 300, true},  // second poll reads the new disc
        {"", "", false, 300, true},           // removed
        {"", "", false, 900, true},           // back to the idle interval
    };
    for (const auto& s : steps) {
        disc("D:", s.label, s.open);
        form->tim_Refresh_Timer();
        EXPECT_EQ(view.row(1).button.enabled, s.enabled) << s.label;
        EXPECT_EQ(view.refresh.interval, s.interval) << s.label;
        EXPECT_EQ(view.visible, s.shown) << s.label;
        EXPECT_TRUE(view.refresh.running);
    }
}

TEST_F(MainWindowTest, ANewDiscShowsTheWindowOnlyWithAutoOpen) {
    for (bool autoOpen : {false, true}) {
        form.reset();
        view = fakes::MainView();
        p.volumes.labels.clear();
        p.fs.files.clear();
        start(std::string("[Mode]\r\nAutoOpen=") + (autoOpen ? "True" : "False") +
              "\r\n[CD]\r\nDrive_D=True\r\n");
        view.visible = false;
        disc("D:", "A_VERY_LONG_LABEL", "setup.exe");
        form->tim_Refresh_Timer();
        EXPECT_EQ(view.visible, autoOpen);
        EXPECT_EQ(view.ScaleWidth(), 735 + 1700 + 60 + 60) << "widened to the new label";
    }
}

TEST_F(MainWindowTest, TheLastChangedDriveDecidesWhetherADiscIsNew) {
    struct Case {
        bool dGetsDisc; // else E gets it and D loses its disc
        bool shown;
    };
    for (const Case c : {Case{true, false}, Case{false, true}}) {
        form.reset();
        view = fakes::MainView();
        p.volumes.labels.clear();
        p.fs.files.clear();
        // The drive that loses its disc held an autorun disc, so losing it is a change.
        disc(c.dGetsDisc ? "E:" : "D:", "OLD", "old.exe");
        start("[Mode]\r\nAutoOpen=True\r\n[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
        view.visible = false;
        if (c.dGetsDisc) {
            disc("D:", "NEW", "setup.exe");
            disc("E:", "", "");
        } else {
            disc("D:", "", "");
            disc("E:", "NEW", "setup.exe");
        }
        form->tim_Refresh_Timer();
        EXPECT_EQ(view.visible, c.shown) << c.dGetsDisc;
    }
}

TEST_F(MainWindowTest, LetterKeysRegisterAndUnregisterDrives) {
    start();
    const double heightWithTwo = view.height;
    form->Form_KeyDown('F');
    EXPECT_EQ(setting("CD", "Drive_F"), "True");
    ASSERT_EQ(view.rowCount(), 3);
    EXPECT_EQ(view.row(3).drive.caption, "(F:)");
    EXPECT_EQ(view.height, heightWithTwo + 735);

    form->Form_KeyDown('D');
    EXPECT_EQ(setting("CD", "Drive_D"), "False");
    ASSERT_EQ(view.rowCount(), 2);
    EXPECT_EQ(view.row(1).drive.caption, "(E:)");
    EXPECT_EQ(view.row(2).drive.caption, "(F:)");

    const auto calls = p.volumes.asked.size();
    form->Form_KeyDown(0x25); // an arrow key: nothing registered, yet every row is rebuilt
    EXPECT_EQ(view.rowCount(), 2);
    EXPECT_GT(p.volumes.asked.size(), calls);

    form->Form_KeyDown('E');
    form->Form_KeyDown('F');
    EXPECT_EQ(view.rowCount(), 0);
    EXPECT_EQ(view.ScaleHeight(), 735) << "removing the last row leaves the height of the last build";
}

TEST_F(MainWindowTest, AClickLaunchesHidesAndEndsOneSecondLater) {
    disc("E:", "GAME", "bin\\game.exe -full");
    start("[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
    view.visible = true;
    form->cmd_CD_Click(2);
    ASSERT_EQ(p.host.runs.size(), 1u);
    EXPECT_EQ(p.host.saved.at("C:\\Apps\\autorun.lnk").TargetPath, "E:\\bin\\game.exe");
    EXPECT_EQ(p.host.saved.at("C:\\Apps\\autorun.lnk").Arguments, "-full");
    EXPECT_FALSE(view.visible);
    EXPECT_TRUE(view.end.running);

    p.fs.addFile("C:\\Apps\\autorun.bat");
    form->tim_end_Timer();
    EXPECT_FALSE(view.end.running);
    EXPECT_FALSE(p.fs.files.count("C:\\Apps\\autorun.lnk"));
    EXPECT_FALSE(p.fs.files.count("C:\\Apps\\autorun.bat"));
    EXPECT_TRUE(view.closed);

    view.closed = false;
    form->cmd_CD_Click(9); // no such row: nothing runs, the window still hides
    EXPECT_EQ(p.host.runs.size(), 1u);
    EXPECT_TRUE(view.end.running);
}

TEST_F(MainWindowTest, ResidentProgramsStayAfterALaunchAndWhenClosed) {
    start("[Mode]\r\nstandby=True\r\n[CD]\r\nDrive_D=True\r\n");
    view.visible = true;
    form->cmd_CD_Click(1);
    EXPECT_FALSE(view.visible) << "a click hides the resident window too";
    EXPECT_TRUE(p.fs.files.count("C:\\Apps\\autorun.lnk"));
    form->tim_end_Timer();
    EXPECT_FALSE(p.fs.files.count("C:\\Apps\\autorun.lnk"));
    EXPECT_FALSE(view.closed);
    form->tim_end_Timer(); // a tick of a stopped timer that was already on its way does nothing
    view.visible = true;
    EXPECT_TRUE(form->Form_Unload());
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(setting("Window", "frm_main_Top"), "<none>");
}

TEST_F(MainWindowTest, UnloadingSavesThePlacementWhichTheNextLoadRestores) {
    start("[CD]\r\nDrive_D=True\r\n");
    view.top = 1234.5;
    view.left = 777;
    EXPECT_FALSE(form->Form_Unload());
    EXPECT_EQ(setting("Window", "frm_main_Top"), "1234.5");
    EXPECT_EQ(setting("Window", "frm_main_Left"), "777");

    form.reset();
    fakes::Window next;
    app::frm_main again(program, next.services);
    again.Form_Load();
    EXPECT_EQ(next.view.top, 1234.5);
    EXPECT_EQ(next.view.left, 777);
}

TEST_F(MainWindowTest, LeftoverLaunchFilesGoWhenTheWindowLoads) {
    p.fs.addFile("C:\\Apps\\AUTORUN.LNK");
    p.fs.addFile("C:\\Apps\\autorun.bat");
    p.fs.addFile("C:\\Apps\\keep.txt");
    start();
    EXPECT_FALSE(p.fs.files.count("C:\\Apps\\autorun.lnk"));
    EXPECT_FALSE(p.fs.files.count("C:\\Apps\\autorun.bat"));
    EXPECT_TRUE(p.fs.files.count("C:\\Apps\\keep.txt"));
}

TEST_F(MainWindowTest, StartMenuShortcutsFollowTheSettingAndTheDriveList) {
    disc("D:", "MYDISC", "setup.exe");
    start("[Mode]\r\nAutoShortcut=True\r\n[CD]\r\nDrive_D=True\r\n");
    const std::string lnk = "C:\\Users\\u\\Start Menu\\(D) MYDISC.lnk";
    EXPECT_TRUE(p.fs.files.count(lnk));
    form->Form_KeyDown('X'); // rebuilt: removed with the old record, written again by the new one
    EXPECT_TRUE(p.fs.files.count(lnk));
    program.settings.AutoShortcut = false;
    form->ApplySettings();
    EXPECT_FALSE(p.fs.files.count(lnk));
    program.settings.AutoShortcut = true;
    form->ApplySettings();
    EXPECT_TRUE(p.fs.files.count(lnk));
    EXPECT_FALSE(form->Form_Unload());
    EXPECT_FALSE(p.fs.files.count(lnk)) << "the program's end removes its shortcuts";
}

} // namespace
