#pragma once
// The process and its environment: where the program lives, what it was given, the one-instance test.
#include "port/Result.h"

#include <string>

namespace port {

// The program's version numbers, as the build gives them.
struct Version {
    int major = 0, minor = 0, revision = 0;
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
    // Hands this start over to the instance already running: it shows its drive window and brings it to
    // the front, with whatever lets this start do that on this desktop; a failure when it cannot be
    // reached.
    virtual Result<void> handOver() = 0;
};

} // namespace port
