// The window's commands: the pop-up menu and the notification-area icon, the system menu, the settings
// dialog, the about box, the help text, exit, and the settings pass.
#include "app/Profile.h"
#include "support/MainWindowFixture.h"
#include "ui/Commands.h"
#include "ui/SettingsDialog.h"

#include <gtest/gtest.h>

namespace {

using ui::SettingsDialog;

class CommandsTest : public MainWindowTest {
  protected:
    void openMenu() { w.tray.fire(port::TrayEvent::OpenMenu); }
    std::vector<std::string> captions(const std::vector<port::MenuEntry>& entries) {
        std::vector<std::string> out;
        for (const auto& e : entries)
            out.push_back(e.separator ? "-" : e.caption);
        return out;
    }
};

TEST_F(CommandsTest, ThePopupMenuListsTheDrivesThatCanBeClickedAboveTheCommands) {
    disc('D', "GAME", "game.exe");
    disc('F', "DATA", "");
    start("[CD]\r\nDrive_D=True\r\nDrive_E=True\r\nDrive_F=True\r\n");
    openMenu();
    ASSERT_EQ(w.popup.opened.size(), 1u) << "the menu opens on the press";
    std::vector<std::string> expected{"(D:) GAME", "-", "(D:) GAME を取り出す", "(E:) を取り出す",
                                      "(F:) を取り出す"};
    for (const port::MenuEntry& e : ui::commands::entries(ui::commands::kPopupMenu))
        expected.push_back(e.separator ? "-" : e.caption);
    EXPECT_EQ(captions(w.popup.opened[0]), expected);
}

TEST_F(CommandsTest, EachPopupChoiceRunsItsCommand) {
    struct Case {
        int item; // 0: the drive's item
        bool visible, launched, helpShown, closed;
    };
    const Case cases[] = {
        {0, false, true, false, false},    {101, true, false, false, false}, {104, false, false, true, false},
        {105, false, false, false, false}, {106, false, false, false, true},
    };
    for (const Case& c : cases) {
        disc('D', "GAME", "game.exe");
        p.shortcuts.launched.clear();
        p.messages.shown.clear();
        view.closed = false;
        start("[Mode]\r\nstandby=True\r\n[CD]\r\nDrive_D=True\r\n");
        view.shown = false;
        w.popup.choice = c.item ? c.item : form->popupMenuEntries().front().id;
        openMenu();
        EXPECT_EQ(view.shown, c.visible) << c.item;
        EXPECT_EQ(p.shortcuts.launched.size(), c.launched ? 1u : 0u) << c.item;
        EXPECT_EQ(view.end.running, c.launched) << c.item << ": a launch ends the program a second later";
        EXPECT_EQ(p.messages.shown.size(), c.helpShown ? 1u : 0u) << c.item;
        EXPECT_EQ(view.closed, c.closed) << c.item;
        EXPECT_EQ(setting("Mode", "standby"), "True") << c.item << ": exit clears standby in memory only";
    }
}

TEST_F(CommandsTest, AnEjectFromTheIconsMenuOrTheButtonsOwnEmptiesTheRowOrSaysWhyNot) {
    struct Case {
        bool fromButton;
        std::optional<std::string> refusal;
    };
    const Case cases[] = {{false, std::nullopt}, {true, std::nullopt}, {false, "busy"}, {true, "busy"}};
    const int ejectD = ui::commands::kEjectItemBase + ('D' - 'A');
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fromButton << c.refusal.value_or(""));
        disc('D', "GAME", "game.exe");
        p.drives.ejected.clear();
        p.drives.ejectRefusal = c.refusal;
        p.messages.shown.clear();
        start("[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
        w.popup.choice = ejectD;
        if (c.fromButton)
            form->buttonMenuAsked('D');
        else
            openMenu();
        EXPECT_EQ(p.drives.ejected, std::vector<char>{'D'});
        EXPECT_EQ(view.row('D').label, c.refusal ? "GAME" : "") << "the row empties at once";
        ASSERT_EQ(p.messages.shown.size(), c.refusal ? 1u : 0u);
        if (c.refusal) {
            EXPECT_EQ(p.messages.shown[0].text, *c.refusal);
        }
    }
}

TEST_F(CommandsTest, TheIconShowsTheWindowOrOpensTheMenu) {
    struct Case {
        port::TrayEvent event;
        bool shown, menu;
    };
    const Case cases[] = {{port::TrayEvent::ShowWindow, true, false},
                          {port::TrayEvent::OpenMenu, false, true}};
    start();
    for (const Case& c : cases) {
        view.shown = false;
        w.popup.opened.clear();
        w.tray.fire(c.event);
        EXPECT_EQ(view.shown, c.shown);
        EXPECT_EQ(w.popup.opened.size(), c.menu ? 1u : 0u);
    }
}

TEST_F(CommandsTest, TheSystemMenuRunsItsCommandsAndPassesStandardOnesBy) {
    start();
    std::vector<std::string> expected;
    for (const port::MenuEntry& e : ui::commands::entries(ui::commands::kSystemMenu))
        expected.push_back(std::to_string(e.id) + ":" + (e.separator ? "-" : e.caption));
    EXPECT_EQ(w.systemMenu.items, expected);
    EXPECT_EQ(w.systemMenu.installs, 1);
    for (int standard : {0xF060, 0xF020, 0xF010, 60000, 2, 3})
        w.systemMenu.command(standard);
    EXPECT_TRUE(p.messages.shown.empty());
    EXPECT_TRUE(w.dialogs.created.empty());
    EXPECT_FALSE(view.closed);

    w.systemMenu.command(5);
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].caption, "使い方");
    w.systemMenu.command(4);
    w.systemMenu.command(7);
    EXPECT_EQ(w.dialogs.created.size(), 2u) << "the about box and the settings dialog";
    w.systemMenu.command(9);
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(w.systemMenu.removes, 1) << "the real close lets go of the menu";
}

TEST_F(CommandsTest, TheSessionsEndUnloadsAResidentProgramWithoutTouchingItsSettings) {
    disc('D', "GAME", "game.exe");
    start("[Mode]\r\nstandby=True\r\nAutoShortcut=True\r\n[CD]\r\nDrive_D=True\r\n");
    ASSERT_TRUE(p.fs.files.count("C:\\Users\\u\\Start Menu\\(D) GAME.lnk"));
    form->sessionEnding();
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(w.tray.icons, 0);
    EXPECT_FALSE(p.fs.files.count("C:\\Users\\u\\Start Menu\\(D) GAME.lnk"));
    EXPECT_NE(setting("Window", "frm_main_Top"), "<none>");
    EXPECT_EQ(setting("Mode", "standby"), "True");
}

TEST_F(CommandsTest, TestModeLeavesTheSystemMenuAlone) {
    p.process.commandLine_ = "/TestMode";
    start();
    EXPECT_TRUE(w.systemMenu.items.empty());
    EXPECT_EQ(w.systemMenu.installs, 0);
    EXPECT_FALSE(form->closing());
    EXPECT_EQ(w.systemMenu.removes, 0) << "nothing to let go of";
}

TEST_F(CommandsTest, ApplyingTheSettingsTwiceLeavesOneIconAndWritesEachShortcutOnce) {
    disc('D', "GAME", "game.exe");
    start("[Mode]\r\nstandby=True\r\n[CD]\r\nDrive_D=True\r\n");
    EXPECT_EQ(w.tray.icons, 1);
    EXPECT_EQ(w.tray.tip, "tavimoro");
    const int writes = p.shortcuts.writes;
    program.settings().startMenuEntries = true;
    form->applySettings();
    form->applySettings();
    EXPECT_EQ(p.shortcuts.writes, writes + 1) << "one shortcut written";
    EXPECT_EQ(w.tray.icons, 1);

    program.settings().resident = false;
    form->applySettings();
    EXPECT_EQ(w.tray.icons, 0) << "resident mode off takes the icon away at once";
    EXPECT_FALSE(view.shown) << "and does not show the window";
}

TEST_F(CommandsTest, WithoutANotificationAreaAResidentWindowWaitsWithinReachUntilOneAppears) {
    struct Case {
        bool canMinimize, notifies, openedMeanwhile;
        bool startsMinimized, closeHides, hiddenWhenTheAreaAppears;
        std::size_t notices, boxes; // after two closes
    };
    const Case cases[] = {
        // An X11 window manager: minimized, and hidden once a tray docks the icon.
        {true, true, false, true, false, true, 0, 0},
        // Opened by the user in the meantime, it stays open.
        {true, true, true, true, false, false, 0, 0},
        // A Wayland compositor that ignores a minimize: shown until a host appears; closing hides it,
        // told once, by a notification or, without a notification service, a message box.
        {false, true, false, false, true, true, 1, 0},
        {false, false, false, false, true, true, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.canMinimize << c.notifies << c.openedMeanwhile);
        w.tray = {};
        w.tray.isAvailable = false;
        w.tray.notifies = c.notifies;
        view.canMinimize = c.canMinimize;
        p.messages.shown.clear();
        start("[Mode]\r\nstandby=True\r\nStartMode=True\r\n");
        form.reset();
        form = std::make_unique<ui::MainWindow>(
            p.services, w.services, ui::MainWindow::State{program.settingsFile(), program.settings(), false});
        form->start(false);
        EXPECT_TRUE(view.shown) << "a resident start waits where the user finds it";
        EXPECT_EQ(view.minimized, c.startsMinimized);
        if (c.openedMeanwhile)
            w.tray.fire(port::TrayEvent::ShowWindow);
        w.tray.isAvailable = true;
        w.tray.fire(port::TrayEvent::AreaAppeared);
        EXPECT_EQ(view.shown, !c.hiddenWhenTheAreaAppears);

        w.tray.isAvailable = false;
        for (int close = 0; close < 2; ++close) {
            view.setVisible(true);
            EXPECT_TRUE(form->closing());
            EXPECT_EQ(view.shown, !c.closeHides);
        }
        EXPECT_EQ(w.tray.notified.size(), c.notices);
        EXPECT_EQ(p.messages.shown.size(), c.boxes);
        form.reset();
    }
}

TEST_F(CommandsTest, TheTipIsCutTo63Characters) {
    struct Case {
        std::string name, tip;
    };
    std::string japanese70, japanese63;
    for (int i = 0; i < 70; ++i)
        (i < 63 ? japanese63 : japanese70) += "あ";
    japanese70 = japanese63 + japanese70;
    const Case cases[] = {{"tavimoro", "tavimoro"},
                          {std::string(63, 'a'), std::string(63, 'a')},
                          {std::string(64, 'a'), std::string(63, 'a')},
                          {japanese70, japanese63}};
    for (const Case& c : cases)
        EXPECT_EQ(ui::trayTip(c.name), c.tip) << c.name;
}

TEST_F(CommandsTest, TheSettingsDialogEnablesStartModeOnlyWithResidentMode) {
    start();
    std::vector<bool> startModeEnabled;
    w.dialogs.whileOpen = [&](fakes::Dialog& d) {
        d.values[SettingsDialog::startHiddenBox] = true;
        startModeEnabled.push_back(d.enabled[SettingsDialog::startHiddenBox]);
        d.click(SettingsDialog::residentBox);
        startModeEnabled.push_back(d.enabled[SettingsDialog::startHiddenBox]);
        d.click(SettingsDialog::residentBox);
        startModeEnabled.push_back(d.enabled[SettingsDialog::startHiddenBox]);
        d.click(SettingsDialog::okButton);
    };
    w.systemMenu.command(7);
    EXPECT_EQ(startModeEnabled, (std::vector<bool>{false, true, false}));
    EXPECT_TRUE(program.settings().startHidden) << "a greyed box still counts";
    EXPECT_FALSE(program.settings().resident);
    EXPECT_TRUE(w.dialogs.created.back()->unloaded);
}

TEST_F(CommandsTest, WhereTheDesktopPlacesWindowsKeepOnTopSaysSo) {
    start();
    for (const bool decides : {false, true}) {
        w.windowTop.decides = decides;
        std::string tip;
        w.dialogs.whileOpen = [&](fakes::Dialog& d) {
            tip = d.tooltips.count(SettingsDialog::keepOnTopBox) ? d.tooltips[SettingsDialog::keepOnTopBox]
                                                                 : "";
            d.click(SettingsDialog::cancelButton);
        };
        w.systemMenu.command(7);
        EXPECT_EQ(tip.find("デスクトップが決めます") != std::string::npos, decides) << tip;
    }
}

TEST_F(CommandsTest, OkWritesTheSixKeysInOrderAndAppliesThem) {
    start("[Mode]\r\nAppNameCheck=True\r\n");
    w.dialogs.whileOpen = [](fakes::Dialog& d) {
        d.click(SettingsDialog::keepOnTopBox);
        d.click(SettingsDialog::residentBox);
        d.click(SettingsDialog::okButton);
    };
    w.systemMenu.command(7);
    EXPECT_EQ(
        app::profile::getProfileSection(p.fs, p.codec, ini, "Mode"),
        (std::vector<std::string>{"AppNameCheck=True", "WindowTop=True", "VolumeName=True", "standby=True",
                                  "AutoOpen=False", "AutoShortcut=False", "StartMode=False"}));
    EXPECT_EQ(w.tray.icons, 1) << "applied at once";
    EXPECT_EQ(w.windowTop.calls, (std::vector<bool>{false, true}));
}

TEST_F(CommandsTest, CancelOrTheCloseBoxChangesNothing) {
    start();
    const std::string before = p.fs.files[ini];
    for (bool closeBox : {false, true}) {
        w.dialogs.whileOpen = [closeBox](fakes::Dialog& d) {
            d.click(SettingsDialog::residentBox);
            d.click(SettingsDialog::keepOnTopBox);
            if (!closeBox)
                d.click(SettingsDialog::cancelButton);
        };
        w.systemMenu.command(7);
        EXPECT_FALSE(program.settings().resident);
        EXPECT_FALSE(program.settings().keepOnTop);
        EXPECT_EQ(p.fs.files[ini], before);
        EXPECT_EQ(w.tray.icons, 0);
    }
    EXPECT_EQ(w.dialogs.created.size(), 2u) << "a fresh dialog for every opening";
}

TEST_F(CommandsTest, TheAboutBoxShowsTheBuildsVersion) {
    struct Case {
        port::Version version;
        const char* text;
    };
    const Case cases[] = {{{1, 1, 0}, "Version 1.01"},   {{2, 10, 3}, "Version 2.10c"},
                          {{1, 0, 0}, "Version 1.00"},   {{1, 100, 0}, "Version 1.00"},
                          {{1, 1, 26}, "Version 1.01z"}, {{1, 1, 27}, "Version 1.01.27"}};
    for (const Case& c : cases)
        EXPECT_EQ(ui::AboutBox::versionText(c.version), c.text);

    start();
    w.systemMenu.command(4);
    w.systemMenu.command(4);
    ASSERT_EQ(w.dialogs.created.size(), 2u) << "loaded anew at every showing";
    EXPECT_EQ(std::string(w.dialogs.created[0]->layout.caption), "ﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(w.dialogs.created[1]->captions[ui::AboutBox::versionLabel], "Version 1.01");
}

} // namespace
