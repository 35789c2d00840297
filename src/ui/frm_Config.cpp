#include "ui/frm_Config.h"

#include <array>
#include <utility>

namespace app {
namespace {

using port::ControlKind;

// Check boxes lie inside their frame, at places relative to it. The focus goes by tab index: the two
// buttons first, then each frame's lower box before its upper one.
constexpr std::array<port::ControlLayout, 11> kControls{{
    {"Frame1", ControlKind::Frame, -1, "表示", 120, 120, 5295, 1095, 2},
    {"chk_WindowTop", ControlKind::CheckBox, frm_Config::Frame1, "ウィンドウを常に手前に表示する", 240, 240,
     4815, 375, 4, "ドライブ一覧のウィンドウを常に前面に表示します"},
    {"chk_VolumeName", ControlKind::CheckBox, frm_Config::Frame1,
     "起動ボタンの横にボリュームラベルを表示する", 240, 600, 4815, 375, 3,
     "ドライブ一覧ウィンドウのボリュームラベルを表示します"},
    {"Frame2", ControlKind::Frame, -1, "ＣＤ検出", 120, 1320, 5295, 1095, 5},
    {"chk_AutoOpen", ControlKind::CheckBox, frm_Config::Frame2, "ＣＤが挿入されたらウィンドウを開く", 240,
     240, 4815, 375, 6, "ＣＤの挿入を検出したらドライブ一覧ウィンドウを自動的に開きます"},
    {"chk_AutoShortcut", ControlKind::CheckBox, frm_Config::Frame2,
     "自動実行可能なドライブをスタートメニューに自動登録する", 240, 600, 4815, 375, 7,
     "自動実行可能なドライブをスタートメニューに自動的に登録します"},
    {"Frame3", ControlKind::Frame, -1, "動作", 120, 2520, 5295, 1095, 8},
    {"chk_standbyMode", ControlKind::CheckBox, frm_Config::Frame3, "タスクトレイに常駐する", 240, 240, 4815,
     375, 9, "タスクトレイに常駐してＣＤの挿入を監視します"},
    {"chk_StartMode", ControlKind::CheckBox, frm_Config::Frame3, "起動時にウィンドウを開かないで直ちにに常駐",
     240, 600, 4815, 375, 10, "起動後直ちに常駐を開始します"},
    {"cmd_OK", ControlKind::Button, -1, "OK", 2880, 3720, 1215, 375, 0},
    {"Command1", ControlKind::Button, -1, "キャンセル", 4200, 3720, 1215, 375, 1},
}};

// The check boxes in the order they are filled, copied back and written, with their keys in "Mode".
struct Binding {
    frm_Config::Control box;
    bool Settings::*field;
    const char* key;
};
constexpr std::array<Binding, 6> kBindings{{
    {frm_Config::chk_WindowTop, &Settings::WindowTop, "WindowTop"},
    {frm_Config::chk_VolumeName, &Settings::VolumeName, "VolumeName"},
    {frm_Config::chk_standbyMode, &Settings::standby, "standby"},
    {frm_Config::chk_AutoOpen, &Settings::AutoOpen, "AutoOpen"},
    {frm_Config::chk_AutoShortcut, &Settings::AutoShortcut, "AutoShortcut"},
    {frm_Config::chk_StartMode, &Settings::StartMode, "StartMode"},
}};

} // namespace

const port::DialogLayout frm_Config::kLayout{"設定", 5535, 4230, kControls};

frm_Config::frm_Config(Program& program, port::IDialogs& dialogs) : m_program(program), m_dialogs(dialogs) {}

void frm_Config::Show() {
    m_dialog = m_dialogs.create(kLayout, *this);
    Form_Load();
    m_dialog->showModal();
    m_dialog.reset();
}

void frm_Config::Form_Load() {
    for (const Binding& binding : kBindings)
        m_dialog->setValue(binding.box, m_program.settings.*binding.field);
    m_dialog->setEnabled(chk_StartMode, m_dialog->Value(chk_standbyMode));
    m_cancel = true;
}

void frm_Config::Click(int control) {
    if (!m_dialog)
        return;
    switch (control) {
    case chk_standbyMode:
        chk_standbyMode_Click();
        break;
    case cmd_OK:
        cmd_OK_Click();
        break;
    case Command1:
        Command1_Click();
        break;
    default:
        break;
    }
}

void frm_Config::chk_standbyMode_Click() {
    // A disabled box keeps its value: it is only greyed out, and OK still counts it.
    m_dialog->setEnabled(chk_StartMode, m_dialog->Value(chk_standbyMode));
}

void frm_Config::cmd_OK_Click() {
    for (const Binding& binding : kBindings)
        m_program.settings.*binding.field = m_dialog->Value(binding.box);
    for (const Binding& binding : kBindings)
        m_program.accessor.T_SaveSetting(binding.key, m_program.settings.*binding.field ? "True" : "False",
                                         "Mode");
    m_cancel = false;
    m_dialog->unload();
}

void frm_Config::Command1_Click() {
    m_dialog->unload();
}

} // namespace app
