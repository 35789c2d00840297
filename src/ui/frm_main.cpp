#include "ui/frm_main.h"

#include "app/Text.h"
#include "drives/code_CDRom.h"
#include "drives/code_DropSet.h"
#include "drives/code_LoadFile.h"
#include "shell/cls_FileSystemObject.h"

#include <cmath>

namespace app {
namespace {

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

} // namespace

frm_main::frm_main(Program& program, port::IMainView& view, port::IIcons& icons)
    : m_program(program), m_view(view), m_icons(icons) {}

void frm_main::Form_Load() {
    m_view.setRefreshInterval(m_program.settings.RefreshTimer);
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
    ApplySettings();
    m_view.setRefreshEnabled(true);
}

void frm_main::ApplySettings() {
    AdjustWidth();
    for (auto& record : m_driveList)
        record->setShortcut(m_program.settings.AutoShortcut);
}

int frm_main::AddDriveRow() {
    const int n = m_view.rowCount() + 1;
    m_view.loadRow(n);
    port::IButton& button = m_view.cmd_CD(n);
    button.setTop(button.Height() * (n - 1));
    button.setLeft(0);
    button.setVisible(true);

    port::ILabel& volume = m_view.lbl_VolumeName(n);
    volume.setTop((button.Height() - 2 * volume.Height()) / 2 + button.Top());
    volume.setLeft(button.Width() + kLabelGap);
    volume.setVisible(true);

    port::ILabel& drive = m_view.lbl_Drive(n);
    drive.setTop(volume.Top() + volume.Height());
    drive.setLeft(volume.Left());
    drive.setVisible(true);

    m_view.setHeight(m_view.Height() - (m_view.ScaleHeight() - m_view.cmd_CD(0).Height() * n));
    return n;
}

void frm_main::AdjustWidth() {
    const double button = m_view.cmd_CD(0).Width();
    if (m_program.settings.VolumeName) {
        int widest = kMinimumLabelWidth;
        for (int i = 1; i <= m_view.rowCount(); ++i) {
            for (port::ILabel* label : {&m_view.lbl_VolumeName(i), &m_view.lbl_Drive(i)})
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

bool frm_main::Form_Unload() {
    if (m_program.settings.standby) {
        m_view.setVisible(false);
        return true;
    }
    PlacedWindow placed(m_view);
    m_program.accessor.FormSaveSetting(placed, "Window");
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
    m_view.setVisible(false);
    m_view.setEndEnabled(true);
}

void frm_main::tim_Refresh_Timer() {
    // The poll switches its own timer off so that polls never overlap.
    m_view.setRefreshEnabled(false);
    bool changed = false;
    bool newDisc = false;
    for (auto& record : m_driveList)
        record->CheckData(changed, newDisc);
    if (newDisc) {
        AdjustWidth();
        m_view.setVisible(m_program.settings.AutoOpen || m_view.Visible());
    }
    m_view.setRefreshInterval(changed ? m_program.settings.ChangeTimer : m_program.settings.RefreshTimer);
    m_view.setRefreshEnabled(true);
}

void frm_main::tim_end_Timer() {
    m_view.setEndEnabled(false);
    DeleteLaunchFiles();
    if (!m_program.settings.standby)
        m_view.close();
}

void frm_main::DeleteLaunchFiles() {
    cls_FileSystemObject fso(m_program.services);
    const std::string folder = withSeparator(m_program.services.process.launchFolder());
    // A file that cannot be deleted stays; the next clean-up tries again.
    for (const std::string& name : {code_LoadFile::launchFileName(m_program), std::string("autorun.bat")})
        fso.Delete(folder, name);
}

void frm_main::LoadDriveList() {
    m_driveList.clear();
    m_program.accessor.SetSection("CD");
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string key = std::string("Drive_") + letter;
        if (!readBoolean(m_program.accessor.T_GetSetting(key, "False"), false))
            continue;
        auto record = std::make_unique<cls_CDData>(cls_CDData::Environment{
            m_program, m_icons, [this](const std::string& text) { return m_view.TextWidth(text); }});
        record->setShortcut(m_program.settings.AutoShortcut);
        const int n = AddDriveRow();
        record->SetObj(m_view.cmd_CD(n), m_view.lbl_VolumeName(n), m_view.lbl_Drive(n), m_view.Menu_Drive(n));
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
    for (int i = m_view.rowCount(); i >= 1; i = m_view.rowCount())
        m_view.unloadRow(i);
    LoadDriveList();
    AdjustWidth();
}

void frm_main::DropFiles(port::IDropData& data) {
    if (code_DropSet::LaunchDroppedFiles(m_program, data))
        m_view.setEndEnabled(true);
}

} // namespace app
