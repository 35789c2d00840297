#pragma once
// The settings dialog: the six preferences of section "Mode" as check boxes. OK copies them into the
// settings and writes them to the settings file; applying them is the caller's part.
#include "app/code_main.h"
#include "port/Dialogs.h"

#include <memory>

namespace app {

class frm_Config : public port::IDialogEvents {
  public:
    // The controls, by their index in the layout.
    enum Control : int {
        Frame1,
        chk_WindowTop,
        chk_VolumeName,
        Frame2,
        chk_AutoOpen,
        chk_AutoShortcut,
        Frame3,
        chk_standbyMode,
        chk_StartMode,
        cmd_OK,
        Command1,
    };
    static const port::DialogLayout kLayout;

    frm_Config(Program& program, port::IDialogs& dialogs);

    // Loads the dialog, shows it modally and returns once it has closed.
    void Show();
    // False only when the dialog was closed with OK.
    bool Cancel() const { return m_cancel; }

    void Click(int control) override;

  private:
    void Form_Load();
    void chk_standbyMode_Click();
    void cmd_OK_Click();
    void Command1_Click();

    Program& m_program;
    port::IDialogs& m_dialogs;
    std::unique_ptr<port::IDialog> m_dialog;
    bool m_cancel = true;
};

} // namespace app
