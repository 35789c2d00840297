#pragma once
// The process services on Linux: names, the settings folder under the XDG config folder, and the
// one-instance lock. Bringing the first instance's window forward is the windowing layer's part; the
// request reaches it through a function handed in.
#include "linux/InstanceSocket.h"
#include "linux/OwnedFd.h"
#include "port/Process.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lnx {

class LinuxProcess : public port::IProcess {
  public:
    using Requester = std::function<InstanceAnswer(const InstanceRequest& request)>;

    // argv0 as the program was started; arguments are the rest of its argument vector.
    LinuxProcess(std::string argv0, std::vector<std::string> arguments);

    // The file name of argv0, one extension removed ("tavimoro").
    std::string exeName() override { return m_exeName; }
    std::string commandLine() override;
    // configFolder() + exeName + ".ini"; the folder is created when missing.
    std::string settingsFilePath() override;
    std::string title() override { return "Tavimoro"; }
    // The numbers the build was made with.
    port::Version version() override;
    // Takes an exclusive lock on lockFilePath(); true when another process holds it. The answer of
    // the first call stands for the life of the process. A lock that cannot be taken for any other
    // reason (no writable folder) lets this instance run.
    bool anotherInstanceRunning() override;
    // A request to launch the path, or to show the window with the activation token this start was
    // given (XDG_ACTIVATION_TOKEN on Wayland), without which a compositor would not let the first
    // instance take the focus.
    port::Result<void, port::HandOverFailure> handOver(const std::string& path) override;
    // "NAME: TEXT" on standard error, every control character of TEXT shown as "?" so that it stays one
    // line whatever a path holds.
    void reportError(const std::string& text) override;

    void setRequester(Requester requester) { m_requester = std::move(requester); }

    // $XDG_CONFIG_HOME/tavimoro/ (default ~/.config/tavimoro/), with "/" at the end; empty without a
    // home folder.
    std::string configFolder() const;
    // Where the lock and the instance channel live: $XDG_RUNTIME_DIR when it is a folder (it is private
    // to the user's session), else the settings folder. Ends in "/".
    std::string runtimeFolder() const;
    std::string lockFilePath() const { return runtimeFolder() + m_exeName + ".lock"; }
    // The local socket the first instance listens on for activation requests.
    std::string channelPath() const { return runtimeFolder() + m_exeName + ".socket"; }

  private:
    std::string m_exeName;
    std::vector<std::string> m_arguments;
    Requester m_requester;
    std::optional<bool> m_anotherInstance;
    OwnedFd m_lock; // held until the process ends
};

// The file name of a program path, with one extension removed.
std::string programName(std::string_view argv0);

} // namespace lnx
