#pragma once
// How a second instance hands over to the first: a Unix stream socket in the user's private runtime
// folder. A request is a line: "show " and the activation token the second start was given (possibly
// empty), or "launch " and a path. In the text a line feed is written "\n" and a backslash "\\", so
// that any file name fits in the line. The answer is "1" (done) or "0" and a line feed; an instance that
// cannot take the request now closes the connection without an answer.
#include "linux/OwnedFd.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lnx {

struct InstanceRequest {
    enum class Kind {
        ShowWindow, // show the drive window and bring it forward, with this activation token
        Launch,     // launch this path as a drop on the drive window
    };
    Kind kind;
    std::string text;
    bool operator==(const InstanceRequest&) const = default;
};

enum class InstanceAnswer {
    Done,
    Refused,
    Silent, // nobody answered: nobody listens, it cannot take the request now, or it took too long
};

// The request a line (without its line feed) holds; nothing for a line of no known kind, an escape
// the sender never writes, or a launch without a path.
std::optional<InstanceRequest> parseRequest(std::string_view line);

class InstanceListener {
  public:
    // Listens at `path`. Only the holder of the instance lock calls this, so a socket file left there by
    // an instance that crashed is replaced. Nothing when the socket cannot be made (a path too long for
    // a socket address, a folder that cannot be written).
    static std::optional<InstanceListener> listen(const std::string& path);

    InstanceListener(InstanceListener&&) noexcept = default;
    InstanceListener& operator=(InstanceListener&&) noexcept = default;
    ~InstanceListener();

    // Watch this descriptor for reading: it becomes readable when a request is waiting.
    int fd() const { return m_socket.get(); }
    // Takes every waiting connection, reads its request (waiting at most `timeoutMs` for it) and answers
    // with what `answer` says; a request of no known kind, or a path that cannot be one, is refused.
    void serve(const std::function<InstanceAnswer(const InstanceRequest& request)>& answer,
               int timeoutMs = 1000);

  private:
    InstanceListener(OwnedFd socket, std::string path)
        : m_socket(std::move(socket)), m_path(std::move(path)) {}

    OwnedFd m_socket;
    std::string m_path;
};

// Hands `request` to the instance listening at `path` and gives its answer, Silent when there is none
// within `timeoutMs` or the request is too long to send.
InstanceAnswer sendRequest(const std::string& path, const InstanceRequest& request, int timeoutMs = 3000);

} // namespace lnx
