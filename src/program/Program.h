#pragma once
// The program from its start to its end: the decisions made before any window exists (one instance, a
// platform that can launch, the settings, a launch named on the command line), then the drive window.
// Each platform's entry builds the services and hands them in here.
#include "app/IniFile.h"
#include "app/Settings.h"
#include "port/Services.h"
#include "ui/MainWindow.h"

#include <memory>
#include <optional>
#include <string>

namespace program {

enum class StartOutcome {
    Ended,      // another instance, a platform that cannot launch, or a command-line launch
    Failed,     // ended without doing what the command line asked: a bad path, a launch that failed
    ShowWindow, // load and show the drive window
    LoadHidden, // load the drive window hidden (resident in the notification area)
};

class Program {
  public:
    explicit Program(const port::Services& platform);

    StartOutcome start();
    // The drive window over `window`, loaded and shown as `outcome` says. The program outlives it.
    std::unique_ptr<ui::MainWindow> openWindow(const port::WindowServices& window, StartOutcome outcome);

    app::IniFile& settingsFile() { return m_settingsFile; }
    app::Settings& settings() { return m_settings; }
    bool testMode() const { return m_testMode; }

  private:
    void removeStaleEntries();

    port::Services m_platform;
    app::IniFile m_settingsFile;
    // From the settings' load to the drive window's first rows the file is read once.
    std::optional<app::IniFile::Snapshot> m_startSnapshot;
    app::Settings m_settings;
    bool m_testMode = false;
};

// The command-line text turned into the argument to launch: "" in test mode, else the text with one
// pair of enclosing double quotes removed.
std::string commandArgument(const std::string& commandLine, bool testMode);

} // namespace program
