#pragma once
// The process and its environment: where the program lives, what it was given, the one-instance test.
#include "port/Result.h"

#include <string>

namespace port {

// The program's version numbers, as the build gives them.
struct Version {
    int major = 0, minor = 0, revision = 0;
};

// Why the instance already running did not take what a second start handed it.
enum class HandOverFailure {
    Unreachable, // nobody answered: it hangs, is ending, or cannot take a request now
    Refused,     // it answered that it could not do it
};

class IProcess {
  public:
    virtual ~IProcess() = default;
    // The executable's file name without extension ("tavimoro").
    virtual std::string exeName() = 0;
    // The command-line text: on Windows everything after the executable's name with leading blanks
    // removed; on Linux the arguments joined by single spaces.
    virtual std::string commandLine() = 0;
    // The settings file's full path (Windows beside the executable; Linux under the XDG config folder,
    // which is created when missing).
    virtual std::string settingsFilePath() = 0;
    // The program's title, the default caption of its message boxes.
    virtual std::string title() = 0;
    virtual Version version() = 0;
    // True when another instance of the program already runs in this user session. The first call
    // claims the instance for this process.
    virtual bool anotherInstanceRunning() = 0;
    // Hands this start over to the instance already running. Without a path it shows its drive window
    // and brings it to the front, with whatever lets this start do that on this desktop; with one (an
    // absolute path to an AUTORUN.INF) it launches that path as a drop on its window, and succeeds once
    // it has found the path to lead to a program.
    virtual Result<void, HandOverFailure> handOver(const std::string& path) = 0;
    // Tells whoever started the program, in one line, why it ends without doing what it was asked
    // (standard error where there is one; nothing where a program has none to write to).
    virtual void reportError(const std::string& text) = 0;
};

} // namespace port
