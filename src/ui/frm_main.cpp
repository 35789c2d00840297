#include "ui/frm_main.h"

#include "app/Text.h"
#include "drives/code_CDRom.h"
#include "drives/code_DropSet.h"
#include "drives/code_LoadFile.h"
#include "shell/cls_FileSystemObject.h"
#include "shell/code_SystemMenu.h"
#include "shell/code_TaskIn.h"
#include "shell/code_Window.h"
#include "ui/Commands.h"
#include "ui/frm_Config.h"

#include <cmath>

namespace app {
namespace {

// The window as designed, in twips, and the labels' font.
constexpr double kDesignClientWidth = 2235;
constexpr double kDesignClientHeight = 720;
constexpr double kLabelGap = 60; // between the button and its labels, and after the widest label
constexpr int kMinimumLabelWidth = 1200;
const port::FontRecord kLabelFont{"ＭＳ Ｐゴシック", 11.25f};

constexpr int kMiddleButton = 4;
constexpr int kLeftDoubleClick = 0x203;
constexpr int kRightButtonDown = 0x204;
// The shell counts a right press soon after the one that opened the menu as a double click.
constexpr int kRightDoubleClick = 0x206;

// The window as the placement helpers see it: stored under its name, in twips.
class PlacedWindow : public port::IPlacedWindow {
  public:
    explicit PlacedWindow(port::IMainView& view) : m_view(view) {}
    std::string name() override { return "frm_main"; }
    float Top() override { return static_cast<float>(m_view.Top()); }
    float Left() override { return static_cast<float>(m_view.Left()); }
    float Width() override { return static_cast<float>(m_view.Width()); }
    float Height() override { return static_cast<float>(m_view.Height()); }
    void setTop(float v) override { m_view.setTop(v); }
    void setLeft(float v) override { m_view.setLeft(v); }
    void setWidth(float v) override { m_view.setWidth(v); }
    void setHeight(float v) override { m_view.setHeight(v); }

  private:
    port::IMainView& m_view;
};

// The controls take the window's font as they are made: the labels' font comes first.
port::IMainView& withLabelFont(port::IMainView& view) {
    view.setFont(kLabelFont);
    return view;
}

} // namespace

// The last line: one blank, then 21 ideographic spaces before the closing word.
const char* const frm_main::kHelpText = " Tavimoroの使い方\r\n"
                                        "\r\n"
                                        " アルファベットのキーでドライブの登録と削除行います。\r\n"
                                        "\r\n"
                                        " \u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000"
                                        "\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000以上";

frm_main::frm_main(Program& program, const port::WindowServices& window)
    : m_program(program), m_window(window), m_view(window.view), m_controls(withLabelFont(m_view)),
      tim_Refresh(m_view.tim_Refresh(), 1000, true), tim_end(m_view.tim_end(), 1000, false) {
    m_view.setCaption("Tavimoro");
    m_view.setWidth(m_view.Width() - m_view.ScaleWidth() + kDesignClientWidth);
    m_view.setHeight(m_view.Height() - m_view.ScaleHeight() + kDesignClientHeight);
    m_view.setEvents(this);
    m_window.deviceEvents.setHandler([this] { DeviceChanged(); });
}

frm_main::~frm_main() {
    m_window.deviceEvents.setHandler(nullptr);
    m_view.setEvents(nullptr);
    if (loc_SystemMenu)
        loc_SystemMenu->setClickHandler(nullptr);
    // The records go before the controls they point at.
    m_driveList.clear();
}

void frm_main::Start(StartOutcome outcome) {
    Form_Load();
    if (outcome == StartOutcome::ShowMainWindow)
        m_view.setVisible(true);
    else if (!m_window.tray.available())
        m_view.minimize();
}

void frm_main::Form_Load() {
    tim_Refresh.setInterval(m_program.settings.RefreshTimer);
    PlacedWindow placed(m_view);
    m_program.accessor.FormGetSetting(placed, "Window");
    DeleteLaunchFiles();
    LoadDriveList();
    // The test is on the built list: when every registration reads false, all CD-ROM drives are
    // registered again.
    if (m_driveList.empty()) {
        for (const std::string& letter : code_CDRom::GetCDRomDrives(m_program.services.scriptHost))
            m_program.accessor.T_SaveSetting("Drive_" + letter, "True", "CD");
        LoadDriveList();
    }
    SetSystemMenu();
    ApplySettings();
}

void frm_main::SetSystemMenu() {
    if (m_program.testMode)
        return;
    loc_SystemMenu = std::make_shared<cls_SystemMenu>();
    loc_SystemMenu->setClickHandler([this](std::int32_t index) { loc_SystemMenu_Click(index); });
    code_SystemMenu::SetSystemMenuEvent(loc_SystemMenu);
    for (const commands::Command& item : commands::kSystemMenu)
        code_SystemMenu::AppendSystemMenu(m_window.systemMenu,
                                          item.caption ? port::kMenuString : port::kMenuSeparator, item.id,
                                          item.caption ? item.caption : "");
    code_SystemMenu::HookSystemMenu(m_window.systemMenu);
}

void frm_main::ApplySettings() {
    const Settings& settings = m_program.settings;
    code_Window::SetWindowTop(m_view, m_window.windowTop, settings.WindowTop);
    if (settings.standby)
        code_TaskIn::AddTaskIcon(m_window.tray, m_program.services.process.exeName());
    else
        code_TaskIn::DeleteTaskIcon(m_window.tray);
    AdjustWidth();
    for (auto& record : m_driveList)
        record->setShortcut(settings.AutoShortcut);
}

int frm_main::AddDriveRow() {
    const int n = m_controls.Load();
    port::IButton& button = m_controls.cmd_CD(n);
    button.setTop(button.Height() * (n - 1));
    button.setLeft(0);
    button.setVisible(true);

    port::ILabel& volume = m_controls.lbl_VolumeName(n);
    volume.setTop((button.Height() - 2 * volume.Height()) / 2 + button.Top());
    volume.setLeft(button.Width() + kLabelGap);
    volume.setVisible(true);

    port::ILabel& drive = m_controls.lbl_Drive(n);
    drive.setTop(volume.Top() + volume.Height());
    drive.setLeft(volume.Left());
    drive.setVisible(true);

    m_view.setHeight(m_view.Height() - (m_view.ScaleHeight() - m_controls.cmd_CD(0).Height() * n));
    return n;
}

void frm_main::AdjustWidth() {
    const double button = m_controls.cmd_CD(0).Width();
    if (m_program.settings.VolumeName) {
        int widest = kMinimumLabelWidth;
        for (int i = 1; i <= m_controls.UBound(); ++i) {
            for (port::ILabel* label : {&m_controls.lbl_VolumeName(i), &m_controls.lbl_Drive(i)})
                if (label->Width() > widest)
                    widest = static_cast<int>(std::lround(label->Width()));
        }
        m_view.setWidth(m_view.Width() - (m_view.ScaleWidth() - (button + widest)) + kLabelGap);
        m_view.setCaption(m_program.services.process.exeName());
    } else {
        m_view.setWidth(m_view.Width() - (m_view.ScaleWidth() - button));
        m_view.setCaption("TVM");
    }
}

void frm_main::Form_Resize() {
    // Keep the window on the screen; nothing moves it down or right.
    if (m_view.Top() + m_view.Height() > m_view.ScreenHeight())
        m_view.setTop(m_view.ScreenHeight() - m_view.Height());
    if (m_view.Left() + m_view.Width() > m_view.ScreenWidth())
        m_view.setLeft(m_view.ScreenWidth() - m_view.Width());
}

void frm_main::hideWindow() {
    if (m_program.settings.standby && !m_window.tray.available())
        m_view.minimize();
    else
        m_view.setVisible(false);
}

bool frm_main::Form_Unload() {
    if (m_program.settings.standby) {
        hideWindow();
        return true;
    }
    PlacedWindow placed(m_view);
    m_program.accessor.FormSaveSetting(placed, "Window");
    if (loc_SystemMenu)
        code_SystemMenu::UnhookSystemMenu(m_window.systemMenu);
    code_TaskIn::DeleteTaskIcon(m_window.tray);
    tim_Refresh.setEnabled(false);
    tim_end.setEnabled(false);
    // Releasing the records removes the Start-menu shortcuts they wrote.
    m_driveList.clear();
    return false;
}

void frm_main::cmd_CD_Click(int index) {
    for (auto& record : m_driveList) {
        if (record->ButtonIndex() == index) {
            code_LoadFile::LaunchProgram(m_program, record->ExeName(), record->DirPath());
            break;
        }
    }
    hideWindow();
    tim_end.setEnabled(true);
}

void frm_main::tim_Refresh_Timer() {
    // The poll switches its own timer off so that polls never overlap.
    tim_Refresh.setEnabled(false);
    bool changed = false;
    bool newDisc = false;
    {
        code_CDRom::PollScope poll(m_program.services.volumes);
        for (auto& record : m_driveList)
            record->CheckData(changed, newDisc);
    }
    if (newDisc) {
        AdjustWidth();
        if (m_program.settings.AutoOpen)
            m_view.setVisible(true);
    }
    tim_Refresh.setInterval(changed ? m_program.settings.ChangeTimer : m_program.settings.RefreshTimer);
    tim_Refresh.setEnabled(true);
}

void frm_main::DeviceChanged() {
    if (tim_Refresh.Enabled() && tim_Refresh.Interval() > 0)
        tim_Refresh_Timer();
}

void frm_main::tim_end_Timer() {
    if (!tim_end.Enabled())
        return;
    tim_end.setEnabled(false);
    DeleteLaunchFiles();
    if (!m_program.settings.standby)
        m_view.close();
}

void frm_main::DeleteLaunchFiles() {
    cls_FileSystemObject fso(m_program.services);
    const std::string folder = withSeparator(m_program.services.process.launchFolder());
    // A file that cannot be deleted stays; the next clean-up tries again.
    for (const std::string& name : {code_LoadFile::launchFileName(m_program), std::string("autorun.bat")})
        static_cast<void>(fso.Delete(folder, name));
}

void frm_main::LoadDriveList() {
    m_driveList.clear();
    m_program.accessor.SetSection("CD");
    // Loading the rows reads every drive once, like a poll.
    code_CDRom::PollScope poll(m_program.services.volumes);
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string key = std::string("Drive_") + letter;
        if (!readBoolean(m_program.accessor.T_GetSetting(key, "False"), false))
            continue;
        auto record = std::make_unique<cls_CDData>(cls_CDData::Environment{
            m_program, m_window.icons, [this](const std::string& text) { return m_view.TextWidth(text); }});
        record->setShortcut(m_program.settings.AutoShortcut);
        const int n = AddDriveRow();
        record->SetObj(m_controls.cmd_CD(n), m_controls.lbl_VolumeName(n), m_controls.lbl_Drive(n),
                       m_controls.Menu_Drive(n));
        record->setPath(std::string(1, letter) + ":");
        bool changed = false;
        bool newDisc = false;
        record->CheckData(changed, newDisc);
        m_driveList.push_back(std::move(record));
    }
}

void frm_main::ToggleDrive(int keyCode) {
    if (keyCode >= 'A' && keyCode <= 'Z') {
        const std::string key = std::string("Drive_") + static_cast<char>(keyCode);
        const bool registered = readBoolean(m_program.accessor.T_GetSetting(key, "False"), false);
        m_program.accessor.T_SaveSetting(key, registered ? "False" : "True");
    }
    // The old records go before their rows do, so no record outlives the controls it points at.
    m_driveList.clear();
    while (m_controls.UBound() >= 1)
        m_controls.UnloadLast();
    LoadDriveList();
    AdjustWidth();
}

void frm_main::DropFiles(port::IDropData& data) {
    if (code_DropSet::LaunchDroppedFiles(m_program, data))
        tim_end.setEnabled(true);
}

void frm_main::Form_MouseDown(int button, int, double x, double) {
    if ((button & kMiddleButton) == 0)
        return;
    // The notification area posts its mouse message as a middle press whose X, in pixels, is the
    // message number.
    const long twipsPerPixel = std::lround(m_view.TwipsPerPixelX());
    if (twipsPerPixel > 0)
        TaskIconMessage(static_cast<int>(std::lround(x) / twipsPerPixel));
}

void frm_main::TaskIconMessage(int message) {
    if (message == kLeftDoubleClick) {
        Menu_Open_Click();
    } else if (message == kRightButtonDown || message == kRightDoubleClick) {
        const int id = m_window.popup.track(popupMenuEntries());
        if (id > commands::kDriveItemBase) {
            cmd_CD_Click(id - commands::kDriveItemBase);
        } else if (const commands::Command* command = commands::find(commands::kPopupMenu, id);
                   command && command->run) {
            (this->*command->run)();
        }
    }
}

std::vector<port::MenuEntry> frm_main::popupMenuEntries() {
    std::vector<port::MenuEntry> entries;
    for (int i = 1; i <= m_controls.UBound(); ++i) {
        MenuItem& item = m_controls.Menu_Drive(i);
        if (item.Visible())
            entries.push_back({commands::kDriveItemBase + i, item.Caption(), false});
    }
    for (const commands::Command& command : commands::kPopupMenu)
        entries.push_back({command.id, command.caption ? command.caption : "", command.caption == nullptr});
    return entries;
}

void frm_main::loc_SystemMenu_Click(std::int32_t index) {
    if (const commands::Command* command = commands::find(commands::kSystemMenu, index);
        command && command->run)
        (this->*command->run)();
}

void frm_main::Menu_Open_Click() {
    m_view.setVisible(true);
}

void frm_main::Menu_Config_Click() {
    frm_Config dialog(m_program, m_window.dialogs);
    dialog.Show();
    if (!dialog.Cancel())
        ApplySettings();
}

void frm_main::Menu_Version_Click() {
    if (!m_version)
        m_version = std::make_unique<frm_Version>(m_program.services.process, m_window.dialogs);
    m_version->Show();
}

void frm_main::Menu_Help_Click() {
    m_program.services.messages.show(kHelpText, "使い方", port::MessageIcon::None);
}

void frm_main::Menu_Exit_Click() {
    // Only the copy in memory: the next start is resident again if the file says so.
    m_program.settings.standby = false;
    m_view.close();
}

} // namespace app
