#pragma once
// The program's start-up: one of four outcomes, chosen before any window exists.
#include "app/IniClass.h"
#include "app/Settings.h"
#include "port/Services.h"

#include <string>

namespace app {

// Program-wide state, alive for the whole process.
struct Program {
    explicit Program(port::Services& services)
        : services(services), accessor(services.files, services.codec) {}
    port::Services& services;
    IniClass accessor; // the settings accessor
    Settings settings;
    std::string StartMenuFolder; // always ends in the separator
    bool testMode = false;
};

enum class StartOutcome {
    Ended,          // another instance, a missing scripting host, or a command-line launch
    ShowMainWindow, // load and show the main window
    LoadMainWindow, // load the main window hidden (resident in the notification area)
};

namespace code_main {
StartOutcome SubMain(Program& program);
// The command-line text turned into the argument to launch: "" in test mode, else the text with one
// pair of enclosing double quotes removed.
std::string commandArgument(const std::string& commandLine, bool testMode);
} // namespace code_main

} // namespace app
