#pragma once
// The process: its executable, its command line, the one-instance mutex and window activation.
#include "port/Process.h"
#include "win32/Handles.h"

#include <optional>
#include <string>
#include <string_view>

namespace win {

class Win32Process : public port::IProcess {
  public:
    std::string exeName() override;
    std::string commandLine() override;
    std::string settingsFilePath() override;
    std::string title() override { return "Tavimoro"; }
    // The file version in the executable's own version resource (major, minor, build).
    port::Version version() override;
    bool anotherInstanceRunning() override;
    // Sends showRequestMessage() to every drive window, hidden ones too, and lets their processes take
    // the foreground: only the first instance's window knows the message.
    port::Result<void> handOver() override;

  private:
    UniqueHandle m_instanceMutex;
    std::optional<bool> m_another;
};

// The message a second start sends to the first instance's drive window: show the window and bring
// it to the front.
UINT showRequestMessage();

// What follows the executable's name in a command line (the name may be quoted), leading blanks removed.
std::wstring commandTail(std::wstring_view commandLine);
// The executable's full path.
std::wstring modulePath();
// The executable's folder, ending in "\".
std::wstring programFolder();

} // namespace win
