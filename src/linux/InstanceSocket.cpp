#include "linux/InstanceSocket.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

namespace lnx {

namespace {

// Room for the longest path the system takes (PATH_MAX) with every byte escaped; a peer that sends
// more is cut off.
constexpr std::size_t kMaxRequest = 16384;

constexpr std::string_view kShowVerb = "show ";
constexpr std::string_view kLaunchVerb = "launch ";

std::string escaped(const std::string& text) {
    std::string line;
    for (const char c : text) {
        if (c == '\\')
            line += "\\\\";
        else if (c == '\n')
            line += "\\n";
        else
            line += c;
    }
    return line;
}

// Nothing for an escape that the sender never writes.
std::optional<std::string> unescaped(std::string_view line) {
    std::string text;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\') {
            text += line[i];
        } else if (++i < line.size() && (line[i] == '\\' || line[i] == 'n')) {
            text += line[i] == 'n' ? '\n' : '\\';
        } else {
            return std::nullopt;
        }
    }
    return text;
}

std::optional<sockaddr_un> socketAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path || path.find('\0') != std::string::npos)
        return std::nullopt;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

// Waits for `events` on fd until the deadline; false on timeout or error.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd, events, 0};
        const int rc = ::poll(&p, 1, static_cast<int>(left.count()));
        if (rc > 0)
            return true;
        if (rc < 0 && errno != EINTR)
            return false;
    }
}

bool sendAll(int fd, const std::string& data, std::chrono::steady_clock::time_point deadline) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!waitFor(fd, POLLOUT, deadline))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// Reads up to the first line feed (not included); nothing on timeout, error, or an over-long line.
std::optional<std::string> readLine(int fd, std::chrono::steady_clock::time_point deadline) {
    std::string line;
    char buffer[512];
    while (true) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            line.append(buffer, static_cast<std::size_t>(n));
            const auto end = line.find('\n');
            if (end != std::string::npos)
                return line.substr(0, end);
            if (line.size() > kMaxRequest)
                return std::nullopt;
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!waitFor(fd, POLLIN, deadline))
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
}

} // namespace

std::optional<InstanceRequest> parseRequest(std::string_view line) {
    using Kind = InstanceRequest::Kind;
    const bool show = line.starts_with(kShowVerb);
    if (!show && !line.starts_with(kLaunchVerb))
        return std::nullopt;
    auto text = unescaped(line.substr(show ? kShowVerb.size() : kLaunchVerb.size()));
    if (!text)
        return std::nullopt;
    if (show)
        return InstanceRequest{Kind::ShowWindow, std::move(*text)};
    // No file name holds a NUL byte, and no path is empty.
    if (text->empty() || text->find('\0') != std::string::npos)
        return std::nullopt;
    return InstanceRequest{Kind::Launch, std::move(*text)};
}

std::optional<InstanceListener> InstanceListener::listen(const std::string& path) {
    const auto address = socketAddress(path);
    if (!address)
        return std::nullopt;
    OwnedFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket)
        return std::nullopt;
    ::unlink(path.c_str());
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0)
        return std::nullopt;
    if (::listen(socket.get(), 8) != 0) {
        ::unlink(path.c_str());
        return std::nullopt;
    }
    return InstanceListener(std::move(socket), path);
}

InstanceListener::~InstanceListener() {
    if (m_socket)
        ::unlink(m_path.c_str());
}

void InstanceListener::serve(const std::function<InstanceAnswer(const InstanceRequest& request)>& answer,
                             int timeoutMs) {
    while (true) {
        OwnedFd peer(::accept4(m_socket.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!peer) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // EAGAIN: no more waiting
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        const auto line = readLine(peer.get(), deadline);
        if (!line)
            continue;
        const auto request = parseRequest(*line);
        const InstanceAnswer said = request ? answer(*request) : InstanceAnswer::Refused;
        if (said != InstanceAnswer::Silent)
            sendAll(peer.get(), said == InstanceAnswer::Done ? "1\n" : "0\n", deadline);
    }
}

InstanceAnswer sendRequest(const std::string& path, const InstanceRequest& request, int timeoutMs) {
    constexpr InstanceAnswer kSilent = InstanceAnswer::Silent;
    const bool show = request.kind == InstanceRequest::Kind::ShowWindow;
    const std::string line = std::string(show ? kShowVerb : kLaunchVerb) + escaped(request.text) + "\n";
    const auto address = socketAddress(path);
    if (!address || line.size() > kMaxRequest)
        return kSilent;
    OwnedFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket)
        return kSilent;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        if (errno != EINPROGRESS && errno != EAGAIN)
            return kSilent;
        if (!waitFor(socket.get(), POLLOUT, deadline))
            return kSilent;
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return kSilent;
    }
    if (!sendAll(socket.get(), line, deadline))
        return kSilent;
    const auto answer = readLine(socket.get(), deadline);
    if (!answer)
        return kSilent;
    return *answer == "1" ? InstanceAnswer::Done : InstanceAnswer::Refused;
}

} // namespace lnx
