#include "support/MainWindowFixture.h"

#include <gtest/gtest.h>

namespace {

TEST_F(MainWindowTest, TheFirstStartRegistersEveryCdRomDrive) {
    start();
    EXPECT_EQ(setting("CD", "Drive_D"), "True");
    EXPECT_EQ(setting("CD", "Drive_E"), "True");
    EXPECT_EQ(setting("CD", "Drive_C"), "<none>");
    ASSERT_EQ(view.rowCount(), 2);
    EXPECT_EQ(view.row(1).drive.text, "(D:)");
    EXPECT_EQ(view.row(2).drive.text, "(E:)");
    EXPECT_EQ(view.clientHeight(), 2 * 735);
    EXPECT_EQ(view.clientWidth(), 1995);
    EXPECT_EQ(view.title, "tavimoro");
    EXPECT_EQ(form->driveList().records().size(), 2u);
}

TEST_F(MainWindowTest, RowsFormAColumnOfButtonsWithTwoLinesBeside) {
    start("[CD]\r\nDrive_E=True\r\nDrive_F=1\r\nDrive_G=True\r\n");
    ASSERT_EQ(view.rowCount(), 3);
    EXPECT_EQ(view.clientHeight(), 2205);
    for (int n = 1; n <= 3; ++n) {
        auto row = view.row(n);
        EXPECT_EQ(row.button.y, 735.0 * (n - 1));
        EXPECT_EQ(row.button.x, 0);
        EXPECT_EQ(row.volume.y, 112.5 + 735.0 * (n - 1));
        EXPECT_EQ(row.drive.y, 367.5 + 735.0 * (n - 1));
        EXPECT_EQ(row.volume.x, 795);
        EXPECT_EQ(row.drive.x, 795);
        EXPECT_TRUE(row.button.shown && row.volume.shown && row.drive.shown);
        EXPECT_FALSE(row.button.isEnabled) << "an empty drive cannot be clicked";
    }
}

TEST_F(MainWindowTest, NoDrivesAtAllKeepsTheDesignHeightAndWritesNothing) {
    p.drives.letters.clear();
    start();
    EXPECT_EQ(view.rowCount(), 0);
    EXPECT_EQ(view.clientHeight(), 720);
    EXPECT_EQ(view.clientWidth(), 1995);
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
        disc('D', c.label, "setup.exe");
        form.reset();
        view = fakes::MainView();
        start(std::string("[Mode]\r\nVolumeName=") + (c.volumeName ? "True" : "False") +
              "\r\n[CD]\r\nDrive_D=True\r\n");
        EXPECT_EQ(view.clientWidth(), c.clientWidth) << c.label;
        EXPECT_EQ(view.title, c.caption) << c.label;
    }
}

TEST_F(MainWindowTest, ResizingKeepsTheWindowOnTheScreen) {
    start("[CD]\r\nDrive_D=True\r\n");
    view.y = 11000;
    view.x = 15000;
    form->resized();
    EXPECT_EQ(view.y + view.h, view.screenH);
    EXPECT_EQ(view.x + view.w, view.screenW);
    view.y = -50;
    view.x = -70;
    form->resized();
    EXPECT_EQ(view.y, -50) << "nothing moves the window down";
    EXPECT_EQ(view.x, -70);
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
        disc('D', s.label, s.open);
        form->refreshTick();
        EXPECT_EQ(view.row(1).button.isEnabled, s.enabled) << s.label;
        EXPECT_EQ(view.refresh.interval, s.interval) << s.label;
        EXPECT_EQ(view.shown, s.shown) << s.label;
        EXPECT_TRUE(view.refresh.running);
    }
}

TEST_F(MainWindowTest, ANewDiscShowsTheWindowOnlyWithAutoOpen) {
    for (bool autoOpen : {false, true}) {
        form.reset();
        view = fakes::MainView();
        p.drives.discs.clear();
        p.fs.files.clear();
        start(std::string("[Mode]\r\nAutoOpen=") + (autoOpen ? "True" : "False") +
              "\r\n[CD]\r\nDrive_D=True\r\n");
        view.shown = false;
        disc('D', "A_VERY_LONG_LABEL", "setup.exe");
        form->refreshTick();
        EXPECT_EQ(view.shown, autoOpen);
        EXPECT_EQ(view.clientWidth(), 735 + 1700 + 60 + 60) << "widened to the new label";
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
        p.drives.discs.clear();
        p.fs.files.clear();
        // The drive that loses its disc held an autorun disc, so losing it is a change.
        disc(c.dGetsDisc ? 'E' : 'D', "OLD", "old.exe");
        start("[Mode]\r\nAutoOpen=True\r\n[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
        view.shown = false;
        if (c.dGetsDisc) {
            disc('D', "NEW", "setup.exe");
            disc('E', "", "");
        } else {
            disc('D', "", "");
            disc('E', "NEW", "setup.exe");
        }
        form->refreshTick();
        EXPECT_EQ(view.shown, c.shown) << c.dGetsDisc;
    }
}

TEST_F(MainWindowTest, LetterKeysRegisterAndUnregisterDrives) {
    start();
    const double heightWithTwo = view.h;
    press('F');
    EXPECT_EQ(setting("CD", "Drive_F"), "True");
    ASSERT_EQ(view.rowCount(), 3);
    EXPECT_EQ(view.row(3).drive.text, "(F:)");
    EXPECT_EQ(view.h, heightWithTwo + 735);

    press('D');
    EXPECT_EQ(setting("CD", "Drive_D"), "False");
    ASSERT_EQ(view.rowCount(), 2);
    EXPECT_EQ(view.row(1).drive.text, "(E:)");
    EXPECT_EQ(view.row(2).drive.text, "(F:)");

    const auto calls = p.drives.asked.size();
    press(0); // an arrow key: nothing registered, yet every row is rebuilt
    EXPECT_EQ(view.rowCount(), 2);
    EXPECT_GT(p.drives.asked.size(), calls);

    press('E');
    press('F');
    EXPECT_EQ(view.rowCount(), 0);
    EXPECT_EQ(view.clientHeight(), 735) << "removing the last row leaves the height of the last build";
}

TEST_F(MainWindowTest, AClickLaunchesHidesAndEndsOneSecondLater) {
    disc('E', "GAME", "bin\\game.exe -full");
    start("[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
    view.shown = true;
    form->buttonClicked(2);
    ASSERT_EQ(p.shortcuts.launched.size(), 1u);
    EXPECT_EQ(p.shortcuts.saved.at("C:\\Apps\\autorun.lnk").program, "E:\\bin\\game.exe");
    EXPECT_EQ(p.shortcuts.saved.at("C:\\Apps\\autorun.lnk").arguments, "-full");
    EXPECT_FALSE(view.shown);
    EXPECT_TRUE(view.end.running);

    p.fs.addFile("C:\\Apps\\autorun.bat");
    form->endTick();
    EXPECT_FALSE(view.end.running);
    EXPECT_FALSE(p.fs.files.count("C:\\Apps\\autorun.lnk"));
    EXPECT_FALSE(p.fs.files.count("C:\\Apps\\autorun.bat"));
    EXPECT_TRUE(view.closed);

    view.closed = false;
    form->buttonClicked(9); // no such row: nothing runs, the window still hides
    EXPECT_EQ(p.shortcuts.launched.size(), 1u);
    EXPECT_TRUE(view.end.running);
}

TEST_F(MainWindowTest, ResidentProgramsStayAfterALaunchAndWhenClosed) {
    start("[Mode]\r\nstandby=True\r\n[CD]\r\nDrive_D=True\r\n");
    view.shown = true;
    form->buttonClicked(1);
    EXPECT_FALSE(view.shown) << "a click hides the resident window too";
    EXPECT_TRUE(p.fs.files.count("C:\\Apps\\autorun.lnk"));
    form->endTick();
    EXPECT_FALSE(p.fs.files.count("C:\\Apps\\autorun.lnk"));
    EXPECT_FALSE(view.closed);
    form->endTick(); // a tick of a stopped timer that was already on its way does nothing
    view.shown = true;
    EXPECT_TRUE(form->closing());
    EXPECT_FALSE(view.shown);
    EXPECT_EQ(setting("Window", "frm_main_Top"), "<none>");
}

TEST_F(MainWindowTest, UnloadingSavesThePlacementWhichTheNextLoadRestores) {
    start("[CD]\r\nDrive_D=True\r\n");
    view.y = 1234.5;
    view.x = 777;
    EXPECT_FALSE(form->closing());
    EXPECT_EQ(setting("Window", "frm_main_Top"), "1234.5");
    EXPECT_EQ(setting("Window", "frm_main_Left"), "777");

    form.reset();
    fakes::Window next;
    ui::MainWindow again(p.services, next.services, {program.settingsFile(), program.settings(), false});
    again.start(false);
    EXPECT_EQ(next.view.y, 1234.5);
    EXPECT_EQ(next.view.x, 777);
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
    disc('D', "MYDISC", "setup.exe");
    start("[Mode]\r\nAutoShortcut=True\r\n[CD]\r\nDrive_D=True\r\n");
    const std::string lnk = "C:\\Users\\u\\Start Menu\\(D) MYDISC.lnk";
    EXPECT_TRUE(p.fs.files.count(lnk));
    press('X'); // rebuilt: removed with the old record, written again by the new one
    EXPECT_TRUE(p.fs.files.count(lnk));
    program.settings().startMenuEntries = false;
    form->applySettings();
    EXPECT_FALSE(p.fs.files.count(lnk));
    program.settings().startMenuEntries = true;
    form->applySettings();
    EXPECT_TRUE(p.fs.files.count(lnk));
    EXPECT_FALSE(form->closing());
    EXPECT_FALSE(p.fs.files.count(lnk)) << "the program's end removes its shortcuts";
}

} // namespace

namespace {

TEST_F(MainWindowTest, TabGoesRoundTheButtonsThatTakeTheFocusAndAKeepsItsRow) {
    disc('D', "ONE", "one.exe");
    disc('F', "THREE", "three.exe");
    start("[CD]\r\nDrive_D=True\r\nDrive_E=True\r\nDrive_F=True\r\n"); // E: is empty: its button is off
    const port::Key tab{port::Key::Kind::Tab, 0, false}, backTab{port::Key::Kind::Tab, 0, true};
    struct Step {
        port::Key key;
        int focus; // after the key
    };
    const Step steps[] = {
        {tab, 1},
        {tab, 3},
        {tab, 1},
        {backTab, 3},
        {backTab, 1},
        {{port::Key::Kind::Letter, 'Q'}, 1}, // a rebuild keeps the focus on its row
        {{port::Key::Kind::Space}, 1},       // the space bar rebuilds too, and launches nothing
    };
    for (const Step& s : steps) {
        form->keyPressed(s.key);
        EXPECT_EQ(view.focus, s.focus);
    }
    EXPECT_TRUE(p.shortcuts.launched.empty());
    view.focus = 0;
    form->keyPressed(backTab);
    EXPECT_EQ(view.focus, 3) << "from nowhere, Shift+Tab starts at the last";
}

TEST_F(MainWindowTest, AClickOnADiscNotMountedYetMountsItThenLaunches) {
    struct Case {
        const char* refusal; // none: the disc mounts
        const char* autorun; // what the mounted disc holds
        bool launched, hidden;
    };
    const Case cases[] = {
        {nullptr, "[AutoRun]\r\nopen=setup.exe\r\n", true, true},
        {nullptr, "", false, false},
        {"マウントできませんでした", "[AutoRun]\r\nopen=setup.exe\r\n", false, false},
    };
    for (const Case& c : cases) {
        p.drives.discs.clear();
        p.fs.files.clear();
        p.shortcuts.launched.clear();
        p.messages.shown.clear();
        p.drives.mountRefusal = c.refusal ? std::optional<std::string>(c.refusal) : std::nullopt;
        p.drives.discs['D'] = {"NOTYET", "", true};
        if (*c.autorun)
            p.fs.addFile("D:\\AUTORUN.INF", c.autorun);
        start("[CD]\r\nDrive_D=True\r\n");
        EXPECT_EQ(view.row(1).volume.text, "NOTYET") << "the row shows the label the system knows";
        ASSERT_TRUE(view.row(1).button.isEnabled);
        ASSERT_EQ(w.tray.menu.front().caption, "(D:) NOTYET");
        view.shown = true;
        form->buttonClicked(1);
        EXPECT_EQ(p.shortcuts.launched.size(), c.launched ? 1u : 0u);
        EXPECT_EQ(view.shown, !c.hidden);
        EXPECT_EQ(p.messages.shown.size(), c.refusal ? 1u : 0u);
        if (c.refusal) {
            EXPECT_EQ(p.messages.shown[0].text, c.refusal);
        }
    }
}

TEST_F(MainWindowTest, AMenuTheNotificationAreaDrawsRunsTheSameCommands) {
    disc('D', "GAME", "game.exe");
    start("[CD]\r\nDrive_D=True\r\n");
    ASSERT_EQ(w.tray.menu.size(), form->popupMenuEntries().size());
    w.tray.chosen(w.tray.menu.front().id);
    EXPECT_EQ(p.shortcuts.launched.size(), 1u) << "the drive item launches like the button";
    w.tray.chosen(101);
    EXPECT_TRUE(view.shown) << "開く shows the window";
}

} // namespace
