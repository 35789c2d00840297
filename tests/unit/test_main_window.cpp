// The drive window's behaviour: what it hands the view for each drive, polling, registration by keys,
// the focus, launching, the end of a run, and a settings file that refuses writes.
#include "support/MainWindowFixture.h"
#include "ui/SettingsDialog.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST_F(MainWindowTest, TheFirstStartRegistersEveryCdRomDriveAndShowsARowEach) {
    struct Case {
        std::vector<char> cdroms;
        const char* rows;
    };
    for (const Case& c : {Case{{'D', 'E'}, "DE"}, Case{{}, ""}}) {
        p.fs.files.clear();
        p.drives.letters = c.cdroms;
        start();
        EXPECT_EQ(view.letters(), c.rows);
        for (char letter = 'C'; letter <= 'F'; ++letter)
            EXPECT_EQ(setting("CD", std::string("Drive_") + letter),
                      view.row(letter).letter ? "True" : "<none>")
                << letter;
        EXPECT_EQ(view.fitsLabels, true);
        EXPECT_EQ(view.title, "tavimoro");
    }
}

TEST_F(MainWindowTest, TheStartReadsTheSettingsFileOnceAndWritesOnlyWhatChanges) {
    const std::string kept = "[Status]\r\nRefreshTimer=1000\r\nChangeTimer=1000\r\n[CD]\r\nDrive_D=True\r\n";
    const struct {
        std::string file;
        int writes;
    } cases[] = {
        {"", 4}, // a first start: both intervals, then each CD-ROM drive found
        {kept, 0},
        {"[Status]\r\nRefreshTimer=70000\r\nChangeTimer=1000\r\n[CD]\r\nDrive_D=True\r\n", 1},
        {"[CD]\r\nDrive_D=False\r\n", 4},
    };
    for (const auto& c : cases) {
        p.fs.files.clear();
        p.fs.reads = p.fs.writes = 0;
        start(c.file);
        EXPECT_EQ(p.fs.reads, 1) << c.file;
        EXPECT_EQ(p.fs.writes, c.writes) << c.file;
    }
    p.fs.files[ini] = kept + "Drive_E=True\r\n"; // edited while the program runs
    press('F');
    EXPECT_EQ(view.letters(), "DEF") << "a key reads the file anew";
}

TEST_F(MainWindowTest, EachRowShowsItsDrivesStateAndPicture) {
    struct Case {
        const char* label;
        const char* open;
        bool mountable;
        const char* text; // label | drive text | name | picture
        bool enabled;
    };
    const Case cases[] = {
        {"", "", false, " | (D:) | (D:) | window", false},
        {"GAME", "game.exe", false, "GAME | (D:) | GAME (D:) | extract D:\\game.exe,0 large", true},
        {"DATA", "", false, " | (D:) | (D:) | window", false},
        {"NOTYET", "", true, "NOTYET | (D:) | NOTYET (D:) | window", true},
    };
    for (const Case& c : cases) {
        p.fs.files.clear();
        disc('D', c.label, c.open);
        p.drives.discs['D'].mountable = c.mountable;
        if (c.mountable)
            p.drives.discs['D'].root.clear();
        start("[CD]\r\nDrive_D=True\r\n");
        const auto row = view.row('D');
        EXPECT_EQ(row.label + " | " + row.driveText + " | " + row.name + " | " + row.picture, c.text);
        EXPECT_EQ(row.enabled, c.enabled) << c.text;
    }
}

TEST_F(MainWindowTest, TheWindowFitsItsLabelsOrJustItsButtons) {
    for (const bool labels : {true, false}) {
        start(std::string("[Mode]\r\nVolumeName=") + (labels ? "True" : "False") + "\r\n");
        EXPECT_EQ(view.fitsLabels, labels);
        EXPECT_EQ(view.title, labels ? "tavimoro" : "TVM");
    }
}

TEST_F(MainWindowTest, AMoveOrResizeKeepsTheWindowOnTheScreen) {
    struct Case {
        port::Rect before;
        int left, top;
    };
    const Case cases[] = {
        {{100, 100, 200, 150}, 100, 100},
        {{900, 700, 200, 150}, 824, 618},
        {{-50, -70, 200, 150}, -50, -70}, // nothing moves it down or right
        {{900, -70, 200, 150}, 824, -70},
    };
    start();
    for (const Case& c : cases) {
        view.place = c.before;
        form->resized();
        EXPECT_EQ(view.place.left, c.left) << c.before.left;
        EXPECT_EQ(view.place.top, c.top) << c.before.top;
    }
}

TEST_F(MainWindowTest, PollingFollowsInsertRemoveAndSwap) {
    start("[Mode]\r\nAutoOpen=True\r\n[Status]\r\nRefreshTimer=900\r\nChangeTimer=300\r\n[CD]\r\nDrive_D="
          "True\r\n");
    EXPECT_EQ(view.refresh.interval, 900);
    struct Step {
        const char* label;
        const char* open;
        const char* shows; // the row's label
        bool enabled;
        int interval;
        bool shown, fitted;
    };
    const Step steps[] = {
        {"", "", "", false, 900, false, false},            // nothing changed
        {"ONE", "one.exe", "ONE", true, 300, true, true},  // inserted: fitted, shown
        {"ONE", "one.exe", "ONE", true, 900, true, false}, // no change
        {"TWO", "two.exe", "", false, 300, true, false},   // swapped: the first poll clears the row
        {"TWO", "two.exe", "TWO", true, 300, true, true},  // the second reads the new disc
        {"", "", "", false, 300, true, false},             // removed: the window keeps its width
        {"", "", "", false, 900, true, false},             // back to the idle interval
    };
    for (const auto& s : steps) {
        disc('D', s.label, s.open);
        view.fitsLabels.reset();
        form->refreshTick();
        EXPECT_EQ(view.row('D').label, s.shows) << s.label;
        EXPECT_EQ(view.row('D').enabled, s.enabled) << s.label;
        EXPECT_EQ(view.refresh.interval, s.interval) << s.label;
        EXPECT_EQ(view.shown, s.shown) << s.label;
        EXPECT_EQ(view.fitsLabels.has_value(), s.fitted) << s.label;
        EXPECT_TRUE(view.refresh.running);
        EXPECT_EQ(view.rebuilds, 1) << "a poll changes rows in place";
    }
}

TEST_F(MainWindowTest, ANewDiscShowsTheWindowWithAutoOpenWhenTheLastChangedDriveHasOne) {
    struct Case {
        bool autoOpen;
        char gets; // the drive that gets a disc; the other loses its autorun disc, which is a change too
        bool shown;
    };
    const Case cases[] = {{false, 'E', false}, {true, 'D', false}, {true, 'E', true}};
    for (const Case& c : cases) {
        const char loses = c.gets == 'D' ? 'E' : 'D';
        p.drives.discs.clear();
        p.fs.files.clear();
        disc(loses, "OLD", "old.exe");
        start(std::string("[Mode]\r\nAutoOpen=") + (c.autoOpen ? "True" : "False") +
              "\r\n[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
        disc(c.gets, "NEW", "setup.exe");
        disc(loses, "", "");
        form->refreshTick();
        EXPECT_EQ(view.shown, c.shown) << c.autoOpen << c.gets;
    }
}

TEST_F(MainWindowTest, LetterKeysRegisterAndUnregisterDrivesAndEveryKeyRebuilds) {
    struct Step {
        char key; // 0: an arrow key
        const char* rows;
    };
    const Step steps[] = {{'F', "DEF"}, {'D', "EF"}, {0, "EF"}, {'E', "F"}, {'F', ""}, {'D', "D"}};
    start();
    int rebuilds = view.rebuilds;
    for (const Step& s : steps) {
        press(s.key);
        EXPECT_EQ(view.letters(), s.rows) << s.key;
        EXPECT_EQ(view.rebuilds, ++rebuilds) << s.key;
    }
    EXPECT_EQ(setting("CD", "Drive_E"), "False");
    EXPECT_EQ(setting("CD", "Drive_D"), "True");
}

TEST_F(MainWindowTest, AWindowWithoutRowsSaysWhyAndTheDrivesThatComeTakeItsPlace) {
    struct Step {
        const char* cdroms; // the machine's CD-ROM drives now
        char key;           // a letter key pressed; '+': the platform tells of a device change
        const char* rows;   // then
        const char* reason; // the hint's first words; "": no hint
    };
    const Step steps[] = {
        {"D", '+', "D", ""},        // the drive that came is registered, as at a start
        {"D", 'D', "", "登録した"}, // the last row removed by its key, the drive still there
        {"DE", '+', "DE", ""},      // into a window without rows come all drives there are
        {"DEF", '+', "DE", ""},     // a window with rows leaves the new drive to its key
    };
    p.drives.letters.clear();
    start();
    EXPECT_EQ(view.hint.rfind("CD-ROM", 0), 0u) << view.hint;
    for (const Step& s : steps) {
        p.drives.letters.assign(s.cdroms, s.cdroms + std::strlen(s.cdroms));
        if (s.key == '+')
            w.deviceEvents.fire();
        else
            press(s.key);
        EXPECT_EQ(view.letters(), s.rows) << s.key << s.cdroms;
        EXPECT_EQ(view.hint.substr(0, std::strlen(s.reason)), s.reason) << s.cdroms;
        EXPECT_EQ(view.hint.empty(), !*s.reason) << s.key << s.cdroms;
    }
}

TEST_F(MainWindowTest, TabGoesRoundTheButtonsThatTakeTheFocusAndAKeyKeepsItsRow) {
    disc('D', "ONE", "one.exe");
    disc('F', "THREE", "three.exe");
    start("[CD]\r\nDrive_D=True\r\nDrive_E=True\r\nDrive_F=True\r\n"); // E: is empty: its button is off
    const port::Key tab{port::Key::Kind::Tab, 0, false}, backTab{port::Key::Kind::Tab, 0, true};
    struct Step {
        port::Key key;
        char focus; // after the key
    };
    const Step steps[] = {
        {tab, 'D'},
        {tab, 'F'},
        {tab, 'D'},
        {backTab, 'F'},
        {backTab, 'D'},
        {{port::Key::Kind::Letter, 'Q'}, 'D'}, // a rebuild keeps the focus on its row
        {{port::Key::Kind::Space}, 'D'},       // the space bar rebuilds too, and launches nothing
    };
    for (const Step& s : steps) {
        form->keyPressed(s.key);
        EXPECT_EQ(view.focus, s.focus);
    }
    EXPECT_TRUE(p.shortcuts.launched.empty());
    view.focus = 0;
    form->keyPressed(backTab);
    EXPECT_EQ(view.focus, 'F') << "from nowhere, Shift+Tab starts at the last";
}

TEST_F(MainWindowTest, AClickLaunchesHidesAndEndsOneSecondLaterUnlessResident) {
    for (const bool resident : {false, true}) {
        disc('E', "GAME", "bin\\game.exe -full");
        start(std::string("[Mode]\r\nstandby=") + (resident ? "True" : "False") +
              "\r\n[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
        const int cleanUps = p.shortcuts.cleanUps;
        view.shown = true;
        form->buttonClicked('E');
        EXPECT_EQ(p.shortcuts.saved.at("C:\\Apps\\autorun.lnk").program, "E:\\bin\\game.exe");
        EXPECT_EQ(p.shortcuts.saved.at("C:\\Apps\\autorun.lnk").arguments, "-full");
        EXPECT_FALSE(view.shown);
        EXPECT_TRUE(view.end.running);
        form->endTick();
        EXPECT_EQ(p.shortcuts.cleanUps, cleanUps + 1) << "the launch files go";
        EXPECT_FALSE(view.end.running);
        EXPECT_EQ(view.closed, !resident);
        form->endTick(); // a tick already on its way when the timer stopped does nothing
        EXPECT_EQ(p.shortcuts.cleanUps, cleanUps + 1);
        view.closed = false;
    }
    EXPECT_EQ(p.shortcuts.launched.size(), 2u);
}

TEST_F(MainWindowTest, TheWindowCleansUpAfterLaunchesOfEarlierRunsWhenItLoads) {
    start();
    EXPECT_EQ(p.shortcuts.cleanUps, 1);
}

TEST_F(MainWindowTest, ClosingHidesAResidentWindowAndUnloadsAnyOther) {
    for (const bool resident : {true, false}) {
        p.fs.files.clear();
        start(std::string("[Mode]\r\nstandby=") + (resident ? "True" : "False") +
              "\r\n[CD]\r\nDrive_D=True\r\n");
        view.shown = true;
        EXPECT_EQ(form->closing(), resident);
        EXPECT_FALSE(view.shown && resident);
        EXPECT_EQ(setting("Window", "frm_main_Top") != "<none>", !resident) << "the placement is saved";
    }
}

TEST_F(MainWindowTest, ThePlacementIsStoredInTwipsAndComesBackAtAnyScale) {
    struct Case {
        double dpi;
        port::Rect place;
        const char* top; // as stored
    };
    const Case cases[] = {{96, {100, 37, 150, 120}, "555"}, {144, {150, 37, 225, 180}, "370"}};
    for (const Case& c : cases) {
        p.fs.files.clear();
        view.dpi = c.dpi;
        start("[CD]\r\nDrive_D=True\r\n");
        view.place = c.place;
        EXPECT_FALSE(form->closing());
        EXPECT_EQ(setting("Window", "frm_main_Top"), c.top);
        EXPECT_EQ(setting("Window", "frm_main_Left"), "1500");

        fakes::Window next;
        next.view.dpi = 96;
        ui::MainWindow again(p.services, next.services, {program.settingsFile(), program.settings(), false});
        again.start(false);
        EXPECT_EQ(next.view.place.left, 100) << "placed at the same spot in inches";
        EXPECT_EQ(next.view.place.top, static_cast<int>(std::lround(37 * 96 / c.dpi)));
    }
}

TEST_F(MainWindowTest, WithNoPlaceSavedTheWindowStartsInTheAreaPanelsLeaveFree) {
    struct Case {
        const char* saved; // [Window] lines
        port::Rect free;
        int left, top;
    };
    const Case cases[] = {
        {"", {0, 24, 1024, 744}, 0, 24},                                     // a top panel
        {"", {64, 0, 960, 768}, 64, 0},                                      // a dock on the left
        {"frm_main_Top=0\r\nfrm_main_Left=0\r\n", {64, 24, 960, 744}, 0, 0}, // the user's own place
    };
    for (const Case& c : cases) {
        p.fs.files.clear();
        p.fs.addFolder("C:\\Apps");
        view.place = {0, 0, 200, 150};
        view.freeArea = c.free;
        start(std::string("[Window]\r\n") + c.saved);
        EXPECT_EQ(view.place.left, c.left) << c.saved;
        EXPECT_EQ(view.place.top, c.top) << c.saved;
    }
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

TEST_F(MainWindowTest, EntriesAnEarlierRunLeftAreRemovedUnlessTheDiscNowInTheDriveHasThem) {
    const std::string menu = p.shortcuts.startMenu;
    const std::pair<const char*, bool> cases[] = {
        {"(E) NEW.lnk", true}, {"(E) OLD.lnk", false}, {"(F) GONE.lnk", false}}; // name, kept
    for (const auto& [name, kept] : cases)
        p.fs.addFile(menu + name, "lnk:x");
    p.fs.addFile(menu + "(E) USER.lnk", "a user's own");
    disc('E', "NEW", "");
    start("[CD]\r\nDrive_D=True\r\n");
    for (const auto& [name, kept] : cases)
        EXPECT_EQ(p.fs.files.count(menu + name), kept ? 1u : 0u) << name;
    EXPECT_TRUE(p.fs.files.count(menu + "(E) USER.lnk"));
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
        ASSERT_EQ(w.tray.menu.front().caption, "(D:) NOTYET");
        view.shown = true;
        form->buttonClicked('D');
        EXPECT_EQ(p.shortcuts.launched.size(), c.launched ? 1u : 0u);
        EXPECT_EQ(view.shown, !c.hidden);
        EXPECT_EQ(p.messages.shown.size(), c.refusal ? 1u : 0u);
        if (c.refusal) {
            EXPECT_EQ(p.messages.shown[0].text, c.refusal);
        }
    }
}

TEST_F(MainWindowTest, ASettingsFileThatRefusesWritesIsToldOnceAndLosesNothing) {
    start("[Mode]\r\nVolumeName=True\r\n");
    ASSERT_EQ(view.letters(), "DE");
    p.fs.writable = false;
    press('F');
    press('G');
    press('D');
    ASSERT_EQ(p.messages.shown.size(), 1u) << "told once, with the reason";
    EXPECT_EQ(p.messages.shown[0].text, "設定を保存できませんでした。\r\nread-only: C:\\Apps\\tavimoro.ini");
    EXPECT_EQ(view.letters(), "EFG") << "every key did what it does";
    w.dialogs.whileOpen = [](fakes::Dialog& d) {
        d.click(ui::SettingsDialog::showLabelsBox);
        d.click(ui::SettingsDialog::okButton);
    };
    w.systemMenu.command(7);
    EXPECT_EQ(view.fitsLabels, false) << "the dialog's OK applies";
    EXPECT_EQ(p.messages.shown.size(), 1u);

    p.fs.writable = true;
    press('H'); // the next write takes everything along
    EXPECT_EQ(setting("CD", "Drive_D"), "False");
    EXPECT_EQ(setting("CD", "Drive_G"), "True");
    EXPECT_EQ(setting("Mode", "VolumeName"), "False");
    p.fs.writable = false;
    press('H');
    EXPECT_EQ(p.messages.shown.size(), 2u) << "a new run of refusals is told again";
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
