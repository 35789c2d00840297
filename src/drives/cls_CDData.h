#pragma once
// One registered drive and the disc in it: notices a change of disc by its volume label, reads the
// disc's AUTORUN.INF, fills its row of controls and keeps at most one Start-menu shortcut in step.
#include "app/code_main.h"
#include "port/MainView.h"

#include <functional>
#include <string>
#include <vector>

namespace app {

class cls_CDData {
  public:
    struct Environment {
        Program& program;
        port::IIcons& icons;
        // The width of a text in the window's font, in twips.
        std::function<double(const std::string&)> textWidth;
    };

    explicit cls_CDData(Environment environment);
    // The record's shortcut file disappears with it.
    ~cls_CDData();
    cls_CDData(const cls_CDData&) = delete;
    cls_CDData& operator=(const cls_CDData&) = delete;

    // Re-examines the drive. When the disc changed, sets `changed` and gives `newDisc` whether the
    // record now holds autorun data; otherwise touches neither.
    void CheckData(bool& changed, bool& newDisc);
    void SetObj(port::IButton& button, port::ILabel& volumeName, port::ILabel& drive,
                port::IMenuItem& menuItem);
    void setPath(const std::string& path) { m_Path = path; }
    int ButtonIndex() const { return m_CmdButton ? m_CmdButton->Index() : -1; }
    const std::string& ExeName() const { return m_ExeName; }
    const std::string& DirPath() const { return m_DirPath; }
    void setShortcut(bool wanted);

    const std::string& Path() const { return m_Path; }
    const std::string& IconSpec() const { return m_IconSpec; }
    const std::string& VolumeLabel() const { return m_VolumeLabel; }
    bool HasAutorun() const { return m_HasAutorun; }
    bool Shortcut() const { return m_Shortcut; }
    const std::vector<std::string>& CreatedShortcuts() const { return m_CreatedShortcuts; }

  private:
    std::unique_ptr<port::IPicture> GetIconPicture();
    void ReadAutorun();
    void RemoveShortcuts();
    void AddShortcut();
    void clear();

    Environment m_env;
    std::string m_Path;
    std::string m_DirPath;
    std::string m_ExeName;
    std::string m_IconSpec;
    bool m_HasAutorun = false;
    std::string m_VolumeLabel = "////"; // never a real label: the first check always counts as a change
    bool m_Shortcut = false;
    port::IButton* m_CmdButton = nullptr;
    port::ILabel* m_VolumeNameLabel = nullptr;
    port::ILabel* m_DriveLabel = nullptr;
    port::IMenuItem* m_DriveMenuItem = nullptr;
    std::vector<std::string> m_CreatedShortcuts;
};

// The name of a drive's shortcut in `folder`: "(E) LABEL" and the extension. Every character the
// platform refuses in a file name becomes "_", so no label can place a file outside its folder; a label
// too long for the folder loses characters from its end until the name fits.
std::string shortcutNameFor(const std::string& folder, char driveLetter, const std::string& label,
                            const std::string& extension);

} // namespace app
