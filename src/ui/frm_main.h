#pragma once
// The drive window's behaviour: rows and their geometry, polling, registration, launching and the
// clean-up after a launch. A front end draws what this tells its view and forwards the events.
#include "app/code_main.h"
#include "drives/cls_CDData.h"
#include "port/DropData.h"
#include "port/MainView.h"

#include <memory>
#include <vector>

namespace app {

class frm_main {
  public:
    frm_main(Program& program, port::IMainView& view, port::IIcons& icons);

    void Form_Load();
    void Form_Resize();
    // Returns true when the unload is cancelled (the window only hides).
    bool Form_Unload();
    void cmd_CD_Click(int index);
    void tim_Refresh_Timer();
    void tim_end_Timer();
    // A key pressed on the window or on a drive button, with its key code.
    void Form_KeyDown(int keyCode) { ToggleDrive(keyCode); }
    void DropFiles(port::IDropData& data);
    void ApplySettings();

    const std::vector<std::unique_ptr<cls_CDData>>& driveList() const { return m_driveList; }

    // Design sizes, in twips.
    static constexpr double kButtonSize = 735;
    static constexpr double kLabelHeight = 255;
    static constexpr double kLabelGap = 60;
    static constexpr int kMinimumLabelWidth = 1200;

  private:
    int AddDriveRow();
    void AdjustWidth();
    void DeleteLaunchFiles();
    void LoadDriveList();
    void ToggleDrive(int keyCode);

    Program& m_program;
    port::IMainView& m_view;
    port::IIcons& m_icons;
    std::vector<std::unique_ptr<cls_CDData>> m_driveList;
};

} // namespace app
