#pragma once
// The about box: the program's name, its icon and its version text. One instance for the run; every
// showing loads the box anew.
#include "port/Dialogs.h"
#include "port/Process.h"

#include <memory>
#include <string>

namespace ui {

class AboutBox : public port::IDialogEvents {
  public:
    // The controls, by their index in the design's layout.
    enum Control : int { iconImage, nameLabel, versionLabel };

    AboutBox(port::IProcess& process, port::IDialogs& dialogs);

    // "Version 1.01" for 1.1.0: the major number, then the minor as two digits, then a letter for a
    // revision (1 is "a").
    static std::string versionText(const port::Version& version);

    // Loads the box, shows it modally and returns once the user has closed it.
    void show();
    void clicked(int) override {}

  private:
    port::IProcess& m_process;
    port::IDialogs& m_dialogs;
};

} // namespace ui
