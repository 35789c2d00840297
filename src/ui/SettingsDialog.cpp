#include "ui/SettingsDialog.h"

#include <array>

namespace ui {
namespace {

using port::ControlKind;
using C = SettingsDialog;

// Check boxes lie inside their frame, at places relative to it. The focus goes by tab index: the two
// buttons first, then each frame's lower box before its upper one.
constexpr std::array<port::ControlLayout, 11> kControls{{
    {"displayFrame", ControlKind::Frame, -1, "表示", 120, 120, 5295, 1095, 2},
    {"keepOnTopBox", ControlKind::CheckBox, C::displayFrame, "ウィンドウを常に手前に表示する", 240, 240, 4815,
     375, 4, "ドライブ一覧のウィンドウを常に前面に表示します"},
    {"showLabelsBox", ControlKind::CheckBox, C::displayFrame, "起動ボタンの横にボリュームラベルを表示する",
     240, 600, 4815, 375, 3, "ドライブ一覧ウィンドウのボリュームラベルを表示します"},
    {"discFrame", ControlKind::Frame, -1, "ＣＤ検出", 120, 1320, 5295, 1095, 5},
    {"openOnNewDiscBox", ControlKind::CheckBox, C::discFrame, "ＣＤが挿入されたらウィンドウを開く", 240, 240,
     4815, 375, 6, "ＣＤの挿入を検出したらドライブ一覧ウィンドウを自動的に開きます"},
    {"startMenuBox", ControlKind::CheckBox, C::discFrame,
     "自動実行可能なドライブをスタートメニューに自動登録する", 240, 600, 4815, 375, 7,
     "自動実行可能なドライブをスタートメニューに自動的に登録します"},
    {"residentFrame", ControlKind::Frame, -1, "動作", 120, 2520, 5295, 1095, 8},
    {"residentBox", ControlKind::CheckBox, C::residentFrame, "タスクトレイに常駐する", 240, 240, 4815, 375, 9,
     "タスクトレイに常駐してＣＤの挿入を監視します"},
    {"startHiddenBox", ControlKind::CheckBox, C::residentFrame, "起動時にウィンドウを開かないで直ちにに常駐",
     240, 600, 4815, 375, 10, "起動後直ちに常駐を開始します"},
    {"okButton", ControlKind::Button, -1, "OK", 2880, 3720, 1215, 375, 0},
    {"cancelButton", ControlKind::Button, -1, "キャンセル", 4200, 3720, 1215, 375, 1},
}};

// The box of each preference, in the order of app::kPreferences.
constexpr std::array<SettingsDialog::Control, app::kPreferences.size()> kBoxes{
    C::keepOnTopBox,     C::showLabelsBox, C::residentBox,
    C::openOnNewDiscBox, C::startMenuBox,  C::startHiddenBox,
};

} // namespace

const port::DialogLayout SettingsDialog::kLayout{"設定", 5535, 4230, kControls};

SettingsDialog::SettingsDialog(app::IniFile& settingsFile, app::Settings& settings, port::IDialogs& dialogs,
                               bool desktopDecides)
    : m_settingsFile(settingsFile), m_settings(settings), m_dialogs(dialogs),
      m_desktopDecides(desktopDecides) {}

bool SettingsDialog::show() {
    m_dialog = m_dialogs.create(kLayout, *this);
    for (std::size_t i = 0; i < kBoxes.size(); ++i)
        m_dialog->setChecked(kBoxes[i], m_settings.*app::kPreferences[i].field);
    m_dialog->setEnabled(startHiddenBox, m_dialog->checked(residentBox));
    if (m_desktopDecides)
        m_dialog->setTooltip(keepOnTopBox, std::string(kControls[keepOnTopBox].tooltip) +
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
