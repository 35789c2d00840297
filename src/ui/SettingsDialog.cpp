#include "ui/SettingsDialog.h"

#include "ui/Design.h"

#include <array>

namespace ui {
namespace {

using C = SettingsDialog;

// The box of each preference, in the order of app::kPreferences.
constexpr std::array<SettingsDialog::Control, app::kPreferences.size()> kBoxes{
    C::keepOnTopBox,     C::showLabelsBox, C::residentBox,
    C::openOnNewDiscBox, C::startMenuBox,  C::startHiddenBox,
};

} // namespace

SettingsDialog::SettingsDialog(app::IniFile& settingsFile, app::Settings& settings, port::IDialogs& dialogs,
                               bool desktopDecides)
    : m_settingsFile(settingsFile), m_settings(settings), m_dialogs(dialogs),
      m_desktopDecides(desktopDecides) {}

bool SettingsDialog::show() {
    m_dialog = m_dialogs.create(design::kSettingsDialog, *this);
    for (std::size_t i = 0; i < kBoxes.size(); ++i)
        m_dialog->setChecked(kBoxes[i], m_settings.*app::kPreferences[i].field);
    m_dialog->setEnabled(startHiddenBox, m_dialog->checked(residentBox));
    if (m_desktopDecides)
        m_dialog->setTooltip(keepOnTopBox,
                             std::string(design::kSettingsDialog.controls[keepOnTopBox].tooltip) +
                                 "\n（このデスクトップでは、ウィンドウの位置と前面への表示は"
                                 "デスクトップが決めます）");
    m_accepted = false;
    m_dialog->showModal();
    m_dialog.reset();
    return m_accepted;
}

void SettingsDialog::clicked(int control) {
    if (!m_dialog)
        return;
    switch (control) {
    case residentBox:
        // A disabled box keeps its value: it is only greyed out, and OK still counts it.
        m_dialog->setEnabled(startHiddenBox, m_dialog->checked(residentBox));
        break;
    case okButton:
        ok();
        break;
    case cancelButton:
        m_dialog->close();
        break;
    default:
        break;
    }
}

void SettingsDialog::ok() {
    for (std::size_t i = 0; i < kBoxes.size(); ++i)
        m_settings.*app::kPreferences[i].field = m_dialog->checked(kBoxes[i]);
    app::savePreferences(m_settingsFile, m_settings);
    m_accepted = true;
    m_dialog->close();
}

} // namespace ui
