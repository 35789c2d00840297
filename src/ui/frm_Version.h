#pragma once
// The about box: the program's name, its icon and its version text. One instance for the run; every
// showing loads the box anew.
#include "port/Dialogs.h"
#include "port/Process.h"

#include <memory>
#include <string>

namespace app {

class frm_Version : public port::IDialogEvents {
  public:
    enum Control : int { Image_Icon, Label_Version0, Label_Version1 };
    static const port::DialogLayout kLayout;

    frm_Version(port::IProcess& process, port::IDialogs& dialogs);

    // "Version 1.01" for 1.1.0: the major number, then the minor as two digits, then a letter for a
    // revision (1 is "a").
    static std::string VersionText(const port::Version& version);

    // Loads the box, shows it modally and returns once the user has closed it.
    void Show();
    void Click(int) override {}

  private:
    port::IProcess& m_process;
    port::IDialogs& m_dialogs;
};

} // namespace app
