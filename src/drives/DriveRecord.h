#pragma once
// One registered drive and the disc in it: notices a change of disc by its volume label, reads the
// disc's AUTORUN.INF, fills its row of controls and keeps at most one Start-menu entry in step.
#include "drives/Shortcuts.h"
#include "port/Services.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace drives {

// A drive item of the pop-up menu: data, which the menu is drawn from each time it opens.
struct MenuItem {
    std::string caption = "-";
    bool visible = false;
};

class DriveRecord {
  public:
    struct Context {
        port::IDrives& drives;
        port::IFileSystem& files;
        port::ITextCodec& codec;
        port::IIcons& icons;
        ShortcutWriter& shortcuts;
        // The width of a text in the window's font, in twips.
        std::function<double(const std::string&)> textWidth;
    };

    // The record of drive `letter` ('A' to 'Z').
    DriveRecord(Context context, char letter);
    // The record's Start-menu entry disappears with it.
    ~DriveRecord();
    DriveRecord(const DriveRecord&) = delete;
    DriveRecord& operator=(const DriveRecord&) = delete;

    // Re-examines the drive. Nothing when it holds the disc it held (the same label at the same root);
    // otherwise whether the record now holds autorun data.
    std::optional<bool> check();
    // The controls of the record's row, which every check fills.
    void attach(port::IButton& button, port::ILabel& volumeName, port::ILabel& drive, MenuItem& menuItem);
    // Whether the record keeps a Start-menu entry for an autorun disc.
    void setStartMenuEntry(bool wanted);

    char letter() const { return m_letter; }
    // "E:", as the row shows it.
    std::string path() const { return std::string(1, m_letter) + ":"; }
    int row() const { return m_button ? m_button->index() : -1; }
    // The disc's program line, and the folder it starts in (ending in the separator).
    const std::string& program() const { return m_program; }
    const std::string& folder() const { return m_folder; }
    // The disc's icon: "file" or "file,index", in the disc's folder.
    const std::string& iconSpec() const { return m_iconSpec; }
    const std::string& label() const { return m_label; }
    bool hasAutorun() const { return m_hasAutorun; }
    // The disc's files are not reachable yet, but mounting would make them so: its row can be clicked.
    bool mountable() const { return m_mountable; }
    bool startMenuEntry() const { return m_startMenuEntry; }
    // The entries written and not yet withdrawn.
    const std::vector<std::string>& entries() const { return m_entries; }

  private:
    std::unique_ptr<port::IPicture> picture();
    void readAutorun(const std::string& root, const std::string& autorunName);
    void addEntry();
    void withdrawEntries();
    void clear(const std::string& root);

    Context m_context;
    char m_letter;
    std::string m_folder;
    std::string m_program;
    std::string m_iconName; // the icon as AUTORUN.INF names it, relative to the disc's folder
    std::string m_iconSpec;
    bool m_hasAutorun = false;
    bool m_mountable = false;
    std::string m_label = "////"; // never a real label: the first check always counts as a change
    std::string m_root;
    bool m_startMenuEntry = false;
    port::IButton* m_button = nullptr;
    port::ILabel* m_volumeName = nullptr;
    port::ILabel* m_drive = nullptr;
    MenuItem* m_menuItem = nullptr;
    std::vector<std::string> m_entries;
};

} // namespace drives
