#pragma once
// How a second instance hands over to the first: a Unix stream socket in the user's private runtime
// folder. A request is a line: "show " and the activation token the second start was given (possibly
// empty). The answer is "1" (done) or "0" and a line feed.
#include "linux/OwnedFd.h"

#include <functional>
#include <optional>
#include <string>

namespace lnx {

struct InstanceRequest {
    enum class Kind {
        ShowWindow, // show the drive window and bring it forward, with this activation token
    };
    Kind kind;
    std::string text;
    bool operator==(const InstanceRequest&) const = default;
};

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
    // with what `answer` says; a request of no known kind is answered "0".
    void serve(const std::function<bool(const InstanceRequest& request)>& answer, int timeoutMs = 1000);

  private:
    InstanceListener(OwnedFd socket, std::string path)
        : m_socket(std::move(socket)), m_path(std::move(path)) {}

    OwnedFd m_socket;
    std::string m_path;
};

// Hands `request` to the instance listening at `path`. True when it did what was asked; false when
// nobody listens, it could not, or it gives no answer within `timeoutMs`.
bool sendRequest(const std::string& path, const InstanceRequest& request, int timeoutMs = 3000);

} // namespace lnx
