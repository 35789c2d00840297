#pragma once
// The drive window's behaviour: rows and their geometry, polling, registration, launching, the
// clean-up after a launch, and the window's commands (menus, keys, the notification-area icon, drops,
// settings). A front end draws what this tells its view and forwards the events.
#include "app/code_main.h"
#include "drives/cls_CDData.h"
#include "port/Services.h"
#include "shell/cls_SystemMenu.h"
#include "ui/ControlArrays.h"
#include "ui/Timer.h"
#include "ui/frm_Version.h"

#include <memory>
#include <vector>

namespace app {

class frm_main : public port::IMainViewEvents {
  public:
    frm_main(Program& program, const port::WindowServices& window);
    ~frm_main() override;
    frm_main(const frm_main&) = delete;
    frm_main& operator=(const frm_main&) = delete;

    // Loads the window and, as start-up decided, shows it or leaves it hidden in the notification
    // area; where there is no notification area, a hidden start shows it minimized.
    void Start(StartOutcome outcome);

    void Form_Load();
    void Form_Resize() override;
    bool Form_Unload() override;
    void cmd_CD_Click(int index) override;
    void tim_Refresh_Timer() override;
    void tim_end_Timer() override;
    void Form_KeyDown(int keyCode) override { ToggleDrive(keyCode); }
    void Form_MouseDown(int button, int shift, double x, double y) override;
    void DropFiles(port::IDropData& data) override;
    // Whatever the settings, the program goes the whole way of an unload: placement saved, Start-menu
    // shortcuts removed, the icon taken out of the notification area.
    void EndSession() override { Menu_Exit_Click(); }
    void ApplySettings();
    // A disc came or went: the next tick of tim_Refresh comes now. Only a running timer is brought
    // forward, so nothing polls while a poll is in progress or after the window unloaded.
    void DeviceChanged();

    // A mouse message of the notification-area icon (0x203 shows the window, 0x204 opens the menu).
    void TaskIconMessage(int message);
    // A system command raised by the system-menu hook.
    void loc_SystemMenu_Click(std::int32_t index);

    // The commands behind the menus.
    void Menu_Open_Click();
    void Menu_Config_Click();
    void Menu_Version_Click();
    void Menu_Help_Click();
    void Menu_Exit_Click();

    const std::vector<std::unique_ptr<cls_CDData>>& driveList() const { return m_driveList; }
    ControlArrays& controls() { return m_controls; }
    // The pop-up menu as it would open now: the visible drive items, then the commands.
    std::vector<port::MenuEntry> popupMenuEntries();

    // The help command's text, its lines joined by CR LF.
    static const char* const kHelpText;

  private:
    int AddDriveRow();
    void AdjustWidth();
    void DeleteLaunchFiles();
    void LoadDriveList();
    void ToggleDrive(int keyCode);
    void SetSystemMenu();
    // Hides the window; where no notification area could take the program's icon, a resident window
    // is minimized instead, so that it stays within reach.
    void hideWindow();

    Program& m_program;
    port::WindowServices m_window;
    port::IMainView& m_view;
    ControlArrays m_controls; // declared before the drive list: records point at these controls
    Timer tim_Refresh;
    Timer tim_end;
    std::vector<std::unique_ptr<cls_CDData>> m_driveList;
    std::shared_ptr<cls_SystemMenu> loc_SystemMenu;
    std::unique_ptr<frm_Version> m_version; // created on first use
};

} // namespace app
