#pragma once
// The two scripting objects the program uses, "Scripting.FileSystemObject" and "WScript.Shell".
// Windows reaches the real objects by programmatic identifier; Linux has its own stand-in with the
// same contract. Every object lives for one operation: create, use, drop.
#include "port/Result.h"

#include <memory>
#include <string>
#include <vector>

namespace port {

struct DriveEntry {
    int DriveType = 0;       // 4 is a CD-ROM drive
    std::string DriveLetter; // the letter alone, no colon
};

class IScriptFileSystem {
  public:
    virtual ~IScriptFileSystem() = default;
    // "Drives": every drive of the machine, in the collection's order; a failure when the collection
    // cannot be read.
    virtual Result<std::vector<DriveEntry>> Drives() = 0;
    // "GetFolder"(folder).Files, each "Name": the names of the folder's files, subfolders excluded;
    // a failure when the folder cannot be opened.
    virtual Result<std::vector<std::string>> GetFolderFiles(const std::string& folder) = 0;
    // "DeleteFile"(path); the failure's text is for the user.
    virtual Result<void> DeleteFile(const std::string& path) = 0;
};

// A shortcut object from "CreateShortcut": the four fields, then "Save".
class IShortcut {
  public:
    virtual ~IShortcut() = default;
    virtual void setTargetPath(const std::string& v) = 0;
    virtual void setArguments(const std::string& v) = 0;
    virtual void setWorkingDirectory(const std::string& v) = 0;
    virtual void setIconLocation(const std::string& v) = 0;
    // Read back as stored (the platform may normalise what was set).
    virtual std::string TargetPath() = 0;
    virtual std::string Arguments() = 0;
    virtual std::string WorkingDirectory() = 0;
    virtual std::string IconLocation() = 0;
    // The failure's text is in Japanese, for the user.
    virtual Result<void> Save() = 0;
};

class IScriptShell {
  public:
    virtual ~IScriptShell() = default;
    // "CreateShortcut"(path); a failure when the object refuses the path. A success is never null.
    virtual Result<std::unique_ptr<IShortcut>> CreateShortcut(const std::string& path) = 0;
    // "Run"(command) with the command alone: starts it and does not wait. The failure's text, when it
    // could not be started, is in Japanese, for the user.
    virtual Result<void> Run(const std::string& command) = 0;
};

class IScriptHost {
  public:
    virtual ~IScriptHost() = default;
    // A failure when the scripting host is missing. A success is never null.
    virtual Result<std::unique_ptr<IScriptFileSystem>> createFileSystemObject() = 0;
    virtual Result<std::unique_ptr<IScriptShell>> createShell() = 0;
};

} // namespace port
