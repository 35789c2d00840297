#pragma once
// The settings dialog: the six preferences of section "Mode" as check boxes. OK copies them into the
// settings and writes them to the settings file; applying them is the caller's part.
#include "app/IniFile.h"
#include "app/Settings.h"
#include "port/Dialogs.h"

#include <memory>

namespace ui {

class SettingsDialog : public port::IDialogEvents {
  public:
    // The controls, by their index in the design's layout.
    enum Control : int {
        displayFrame,
        keepOnTopBox,
        showLabelsBox,
        discFrame,
        openOnNewDiscBox,
        startMenuBox,
        residentFrame,
        residentBox,
        startHiddenBox,
        okButton,
        cancelButton,
    };

    // `desktopDecides`: the desktop, not the program, places the window and keeps it in front; the
    // keep-on-top box says so.
    SettingsDialog(app::IniFile& settingsFile, app::Settings& settings, port::IDialogs& dialogs,
                   bool desktopDecides = false);

    // Loads the dialog and shows it modally; true once it has closed with OK.
    bool show();

    void clicked(int control) override;

  private:
    void ok();

    app::IniFile& m_settingsFile;
    app::Settings& m_settings;
    port::IDialogs& m_dialogs;
    bool m_desktopDecides;
    std::unique_ptr<port::IDialog> m_dialog;
    bool m_accepted = false;
};

} // namespace ui
