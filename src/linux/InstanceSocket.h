#pragma once
// How a second instance asks the first to bring its window forward: a Unix stream socket in the
// user's private runtime folder. A request is the window title in UTF-8 and a line feed; the answer is
// "1" (raised) or "0" and a line feed.
#include "linux/OwnedFd.h"

#include <functional>
#include <optional>
#include <string>

namespace lnx {

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
    // Takes every waiting connection, reads its title (waiting at most `timeoutMs` for it) and answers
    // with what `raise` says.
    void serve(const std::function<bool(const std::string& title)>& raise, int timeoutMs = 1000);

  private:
    InstanceListener(OwnedFd socket, std::string path)
        : m_socket(std::move(socket)), m_path(std::move(path)) {}

    OwnedFd m_socket;
    std::string m_path;
};

// Asks the instance listening at `path` to raise the window titled `title`. True when it did; false when
// nobody listens, it has no such window, or it gives no answer within `timeoutMs`.
bool requestActivation(const std::string& path, const std::string& title, int timeoutMs = 3000);

} // namespace lnx
