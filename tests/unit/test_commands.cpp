// The window's commands: the pop-up menu and the notification-area icon, the system menu, the settings
// dialog, the about box, the help text, exit, and the settings pass.
#include "app/Profile.h"
#include "support/MainWindowFixture.h"
#include "ui/SettingsDialog.h"

#include <gtest/gtest.h>

namespace {

using ui::SettingsDialog;

class CommandsTest : public MainWindowTest {
  protected:
    static constexpr double kTwips = 15; // a pixel of the fake screen
    void openMenu() { w.tray.fire(port::TrayEvent::OpenMenu); }
    std::vector<std::string> captions(const std::vector<port::MenuEntry>& entries) {
        std::vector<std::string> out;
        for (const auto& e : entries)
            out.push_back(e.separator ? "-" : e.caption);
        return out;
    }
};

TEST_F(CommandsTest, ThePopupMenuListsAutorunDrivesAboveTheCommands) {
    disc('D', "GAME", "game.exe");
    start("[CD]\r\nDrive_D=True\r\nDrive_E=True\r\n");
    openMenu();
    ASSERT_EQ(w.popup.opened.size(), 1u) << "the menu opens on the press";
    EXPECT_EQ(
        captions(w.popup.opened[0]),
        (std::vector<std::string>{"(D:) GAME", "-", "開く(&O)", "-", "設定(&S)", "-", "バージョン情報(&A)",
                                  "使い方(&H)", "-", "閉じる(&C)", "-", "終了(&X)"}));
}

TEST_F(CommandsTest, EachPopupChoiceRunsItsCommand) {
    struct Case {
        const char* item;
        bool visible, launched, helpShown, closed;
    };
    const Case cases[] = {
        {"(D:) GAME", false, true, false, false},  {"開く(&O)", true, false, false, false},
        {"使い方(&H)", false, false, true, false}, {"閉じる(&C)", false, false, false, false},
        {"終了(&X)", false, false, false, true},
    };
    for (const Case& c : cases) {
        disc('D', "GAME", "game.exe");
        p.shortcuts.launched.clear();
        p.messages.shown.clear();
        view.closed = false;
        start("[Mode]\r\nstandby=True\r\n[CD]\r\nDrive_D=True\r\n");
        view.shown = false;
        w.popup.choice = 0;
        openMenu();
        for (const auto& entry : w.popup.opened.back())
            if (entry.caption == c.item)
                w.popup.choice = entry.id;
        ASSERT_NE(w.popup.choice, 0) << c.item;
        openMenu();
        EXPECT_EQ(view.shown, c.visible) << c.item;
        EXPECT_EQ(p.shortcuts.launched.size(), c.launched ? 1u : 0u) << c.item;
        EXPECT_EQ(view.end.running, c.launched) << c.item << ": a launch ends the program a second later";
        EXPECT_EQ(p.messages.shown.size(), c.helpShown ? 1u : 0u) << c.item;
        EXPECT_EQ(view.closed, c.closed) << c.item;
        EXPECT_EQ(setting("Mode", "standby"), "True") << c.item << ": exit clears standby in memory only";
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

TEST_F(CommandsTest, TheSystemMenuCarriesFourCommandsAndPassesStandardOnesBy) {
    start();
    EXPECT_EQ(w.systemMenu.items, (std::vector<std::string>{"1:-", "4:バージョン情報(&A)", "5:使い方(&H)",
                                                            "6:-", "7:設定(&S)", "8:-", "9:終了(&X)"}));
    EXPECT_EQ(w.systemMenu.installs, 1);
    for (int standard : {0xF060, 0xF020, 0xF010, 60000, 2, 3})
        w.systemMenu.command(standard);
    EXPECT_TRUE(p.messages.shown.empty());
    EXPECT_TRUE(w.dialogs.created.empty());
    EXPECT_FALSE(view.closed);

    w.systemMenu.command(5);
    ASSERT_EQ(p.messages.shown.size(), 1u);
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

TEST_F(CommandsTest, TheHelpTextIsFiveLines) {
    start();
    w.systemMenu.command(5);
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].caption, "使い方");
    std::string lastLine = " ";
    for (int i = 0; i < 21; ++i)
        lastLine += "\u3000";
    EXPECT_EQ(p.messages.shown[0].text, " Tavimoroの使い方\r\n\r\n"
                                        " アルファベットのキーでドライブの登録と削除行います。\r\n\r\n" +
                                            lastLine + "以上");
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

TEST_F(CommandsTest, KeepOnTopKeepsThePlacementToThePixel) {
    start("[Mode]\r\nWindowTop=True\r\n");
    view.x = 2.5 * kTwips; // halves go to the even neighbour
    view.y = 3.5 * kTwips;
    form->applySettings();
    ASSERT_FALSE(w.windowTop.calls.empty());
    const auto& [topmost, rect] = w.windowTop.calls.back();
    EXPECT_TRUE(topmost);
    EXPECT_EQ(rect.x, 2);
    EXPECT_EQ(rect.y, 4);
    EXPECT_EQ(rect.cx * kTwips, view.w);
    EXPECT_EQ(rect.cy * kTwips, view.h);
}

TEST_F(CommandsTest, WithoutANotificationAreaAResidentWindowMinimizesInsteadOfHiding) {
    w.tray.isAvailable = false;
    start("[Mode]\r\nstandby=True\r\nStartMode=True\r\n");
    form.reset();
    form = std::make_unique<ui::MainWindow>(
        p.services, w.services, ui::MainWindow::State{program.settingsFile(), program.settings(), false});
    form->start(false);
    EXPECT_TRUE(view.minimized) << "a resident start";
    view.setVisible(true);
    EXPECT_TRUE(form->closing());
    EXPECT_TRUE(view.minimized) << "closing";
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
    EXPECT_TRUE(w.windowTop.calls.back().first);
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
