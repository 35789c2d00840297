#include "linux/InstanceSocket.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

namespace lnx {

namespace {

// A token is short; a peer that sends more is cut off.
constexpr std::size_t kMaxRequest = 4096;

constexpr std::string_view kShowVerb = "show ";

std::optional<InstanceRequest> parseRequest(const std::string& line) {
    if (line.starts_with(kShowVerb))
        return InstanceRequest{InstanceRequest::Kind::ShowWindow, line.substr(kShowVerb.size())};
    return std::nullopt;
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

void InstanceListener::serve(const std::function<bool(const InstanceRequest& request)>& answer,
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
        const bool done = request && answer(*request);
        sendAll(peer.get(), done ? "1\n" : "0\n", deadline);
    }
}

bool sendRequest(const std::string& path, const InstanceRequest& request, int timeoutMs) {
    const auto address = socketAddress(path);
    if (!address)
        return false;
    OwnedFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        if (errno != EINPROGRESS && errno != EAGAIN)
            return false;
        if (!waitFor(socket.get(), POLLOUT, deadline))
            return false;
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return false;
    }
    std::string line(kShowVerb);
    line += request.text;
    for (char& c : line) {
        if (c == '\n')
            c = ' '; // the line feed ends the request
    }
    if (!sendAll(socket.get(), line + "\n", deadline))
        return false;
    const auto answer = readLine(socket.get(), deadline);
    return answer && *answer == "1";
}

} // namespace lnx
