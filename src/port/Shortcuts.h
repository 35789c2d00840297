#pragma once
// The program's shortcuts: the launch file through which a disc's program is started, and the Start-menu
// entries of the discs in the drives. What a file holds and where it lies is the platform's: a .lnk file
// beside the program and in the Start menu on Windows, a Desktop Entry in the settings folder and in the
// per-user launcher folder on Linux.
#include "port/Result.h"

#include <functional>
#include <string>
#include <vector>

namespace port {

// What a shortcut holds.
struct Shortcut {
    std::string program;   // a path, or a bare name that the system looks up
    std::string arguments; // one line, split the Windows way
    std::string folder;    // the working folder
    std::string icon;      // "file" or "file,index"; empty for none
};

// Why a shortcut was not written, or its program not started.
enum class ShortcutFault {
    Unavailable, // the platform cannot write shortcuts at all; the reason is the text for the user
    Refused,     // the shortcut's path was refused
    NotSaved,    // the file could not be written; the reason says why
    NotStarted,  // the program could not be started; the reason says why
    Missing,     // the program is not there, found nowhere the system looks; the path is the program's
};

struct ShortcutError {
    ShortcutFault fault = ShortcutFault::NotSaved;
    std::string path;   // the shortcut file's path
    std::string reason; // in Japanese, for the user
};

// Sees a shortcut as the platform is about to store it: in the form the platform gives it, which may
// differ from the one it was given.
using ShortcutReview = std::function<void(const Shortcut& stored)>;

class ILauncher {
  public:
    virtual ~ILauncher() = default;
    // A failure when nothing could ever be launched here; its text is for the user.
    virtual Result<void> ready() = 0;
    // Writes the launch file for `shortcut`, rewritten at every launch, then starts the program from
    // the values given (not by reading the file back): detached, in its working folder. A program that is
    // not there is found out before anything is started (a Windows program that Wine would start
    // included).
    virtual Result<void, ShortcutError> launch(const Shortcut& shortcut, const ShortcutReview& review) = 0;
    // The launch file's path ("autorun" and the platform's extension, where the program keeps it).
    virtual std::string launchFile() = 0;
    // Deletes what launches leave behind: the launch file, and whatever else the platform's launches
    // leave beside it. A file that cannot be deleted stays; the next clean-up tries again.
    virtual void cleanUp() = 0;
};

class IStartMenu {
  public:
    virtual ~IStartMenu() = default;
    // The folder the entries go to; empty when it cannot be found (names are then fitted to no folder).
    virtual std::string folder() = 0;
    // The extension of an entry's file name (".lnk", ".desktop").
    virtual std::string extension() = 0;
    // Writes the entry `name` (its file name, extension included) into the folder; gives its path.
    virtual Result<std::string, ShortcutError> publish(const std::string& name, const Shortcut& shortcut,
                                                       const ShortcutReview& review) = 0;
    // Deletes an entry that publish wrote; one that is gone already, or cannot be deleted, stays the
    // user's to remove.
    virtual void withdraw(const std::string& path) = 0;
    // The file names of the entries for discs ("(E) LABEL" and the extension) that publish wrote into the
    // folder, in this run or an earlier one, and that are there now.
    virtual std::vector<std::string> ownEntries() = 0;
};

} // namespace port
