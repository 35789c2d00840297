#pragma once
// One registered drive and the disc in it: notices a change of disc by its volume label, reads the
// disc's AUTORUN.INF, keeps at most one Start-menu entry in step, and says what the drive's row shows.
#include "drives/Shortcuts.h"
#include "port/Services.h"

#include <optional>
#include <string>
#include <vector>

namespace drives {

// What a drive's button shows: nothing, the program's own icon, an icon file, or an icon of a program
// file (a negative index names a resource id).
struct IconRef {
    enum class Kind { None, ProgramIcon, IconFile, ProgramFile };
    Kind kind = Kind::None;
    std::string file;
    int index = 0;
};

// A drive as the last check found it.
struct DriveState {
    char letter = 0;
    std::string label;   // the volume label; empty without a disc
    std::string program; // the disc's program line
    std::string folder;  // the folder it starts in, ending in the separator
    IconRef icon;
    bool autorun = false;   // the disc has an AUTORUN.INF
    bool mountable = false; // the disc's files are not reachable yet, but mounting would make them so
    bool clickable() const { return autorun || mountable; }
    // "(E:)", as the row shows the drive.
    std::string driveText() const { return std::string("(") + letter + ":)"; }
};

// The picture an AUTORUN.INF icon reference names, in the disc's folder: "file" or "file,index"; an
// empty reference names the program's own icon, and an index that is no number names none.
IconRef iconOf(const std::string& reference, const std::string& folder);

class DriveRecord {
  public:
    struct Context {
        port::IDrives& drives;
        port::IFileSystem& files;
        port::ITextCodec& codec;
        ShortcutWriter& shortcuts;
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
    // Whether the record keeps a Start-menu entry for an autorun disc.
    void setStartMenuEntry(bool wanted);

    const DriveState& state() const { return m_state; }
    char letter() const { return m_state.letter; }
    bool startMenuEntry() const { return m_startMenuEntry; }
    // The entries written and not yet withdrawn.
    const std::vector<std::string>& entries() const { return m_entries; }

  private:
    void readAutorun(const std::string& root, const std::string& autorunName);
    void addEntry();
    void withdrawEntries();
    void clear(const std::string& root);

    Context m_context;
    DriveState m_state;
    std::string m_iconSpec; // the icon reference in the disc's folder, as Start-menu entries name it
    std::string m_root;
    bool m_checked = false; // the first check always counts as a change
    bool m_startMenuEntry = false;
    std::vector<std::string> m_entries;
};

} // namespace drives
