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
    // Without a path, sends showRequestMessage() to every drive window, hidden ones too; with one, sends
    // it as a launch request (WM_COPYDATA) until a window answers. Either lets the windows' processes take
    // the foreground: only the first instance's window knows the requests.
    port::Result<void, port::HandOverFailure> handOver(const std::string& path) override;
    // A program without a console has no one to tell: the exit status says it.
    void reportError(const std::string&) override {}

  private:
    UniqueHandle m_instanceMutex;
    std::optional<bool> m_another;
};

// The message a second start sends to the first instance's drive window: show the window and bring
// it to the front.
UINT showRequestMessage();

// A launch request a second start sends to the first instance's drive window: WM_COPYDATA with
// launchRequestTag() as its dwData and the path in UTF-16 with its terminating NUL. The window answers
// kLaunchTaken when the path leads to a program it will launch, kLaunchRefused when it does not; 0 (what
// any other window answers) means it did not take the request.
ULONG_PTR launchRequestTag();
inline constexpr LRESULT kLaunchTaken = 1;
inline constexpr LRESULT kLaunchRefused = 2;
// The path of a launch request; nothing for data that is not one (another tag, a size that is not whole
// characters, no terminating NUL, a NUL inside, or longer than any path).
std::optional<std::string> launchRequestPath(const COPYDATASTRUCT& data);

// What follows the executable's name in a command line (the name may be quoted), leading blanks removed.
std::wstring commandTail(std::wstring_view commandLine);
// The executable's full path.
std::wstring modulePath();
// The executable's folder, ending in "\".
std::wstring programFolder();

} // namespace win
