#pragma once
// The drive window's behaviour: its rows, polling, registration, launching, the clean-up after a launch,
// and the window's commands (menus, keys and focus, the notification-area icon, drops, settings). It
// hands the view what each drive's row shows and when the window fits its width; the view lays the rows
// out and forwards the events.
#include "app/IniFile.h"
#include "app/Settings.h"
#include "drives/DriveList.h"
#include "drives/PathLauncher.h"
#include "drives/Shortcuts.h"
#include "port/Services.h"
#include "ui/AboutBox.h"
#include "ui/Timer.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {

class MainWindow : public port::IMainViewEvents {
  public:
    // The program's state the window works with, alive for the whole run.
    struct State {
        app::IniFile& settingsFile;
        app::Settings& settings;
        bool testMode = false; // no system-menu commands
    };

    MainWindow(const port::Services& platform, const port::WindowServices& window, State state);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Loads the window and shows it, or leaves it hidden in the notification area; where there is no
    // notification area, a hidden start shows it minimized.
    void start(bool shown);

    void buttonClicked(char letter) override;
    void buttonMenuAsked(char letter) override;
    void keyPressed(const port::Key& key) override;
    void resized() override;
    void scaleChanged() override;
    bool closing() override;
    void refreshTick() override;
    void endTick() override;
    void filesDropped(const std::vector<std::string>& paths) override;
    // Whatever the settings, the program goes the whole way of a close: placement saved, Start-menu
    // entries removed, the icon taken out of the notification area.
    void sessionEnding() override { exit(); }

    void applySettings();
    // A disc came or went: the next poll comes now. Only a running poll timer is brought forward, so
    // nothing polls while a poll is in progress or after the window closed.
    void deviceChanged();
    void trayEvent(port::TrayEvent event);
    // A command of the program chosen in the window's system menu.
    void systemCommand(int id);

    // The commands behind the menus.
    void openWindow();
    // Takes the disc out of drive `letter`; a refusal is told and changes nothing.
    void ejectDrive(char letter);
    void showSettings();
    void showHelp();
    void showAbout();
    void exit();

    const drives::DriveList& driveList() const { return m_drives; }
    // The pop-up menu as it would open now: the drive items of the discs that can be clicked, then the
    // commands.
    std::vector<port::MenuEntry> popupMenuEntries() const;

    // The help command's text, its lines joined by CR LF.
    static const char* const kHelpText;

  private:
    void load();
    void fitWidth();
    void loadDriveList();
    // Registers every CD-ROM drive there is; false when there is none.
    bool registerCdRomDrives();
    // What the window without rows tells the user.
    std::string emptyHint();
    void rebuildRows();
    // Makes the rows anew and gives the focus back to the button of drive `focus` (0 for none).
    void rebuildKeepingFocus(char focus);
    void moveFocus(char from, bool backwards);
    // Runs the command of a pop-up menu item.
    void popupCommand(int id);
    // Hands the pop-up menu as it stands to a notification area that draws it itself.
    void updateTrayMenu();
    // Hides the window; where no notification area could take the program's icon, a resident window
    // is minimized instead, so that it stays within reach.
    void hide();
    // A resident window whose icon has no notification area yet waits where the user can reach it:
    // minimized, or shown on a desktop that keeps no minimized windows, until an area appears.
    void waitForArea();

    port::Services m_platform;
    port::WindowServices m_window;
    port::IMainView& m_view;
    State m_state;
    drives::ShortcutWriter m_shortcuts;
    drives::PathLauncher m_paths;
    Timer m_refreshTimer;
    Timer m_endTimer;
    drives::DriveList m_drives;
    bool m_systemMenuInstalled = false;
    bool m_waitsForArea = false; // minimized or shown in lieu of hidden, until a notification area appears
    bool m_toldHidden = false;   // the user was told how a window hidden without an area comes back
    std::unique_ptr<AboutBox> m_about; // made on first use
};

// The notification area's tip for a text: at most 63 characters, never cut inside a UTF-8 character.
std::string trayTip(const std::string& text);

} // namespace ui
