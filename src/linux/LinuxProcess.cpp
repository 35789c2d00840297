#include "linux/LinuxProcess.h"

#include "linux/XdgFolders.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>

namespace lnx {

namespace fs = std::filesystem;

std::string programName(std::string_view argv0) {
    const auto slash = argv0.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? argv0 : argv0.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    // A leading dot starts a hidden name, not an extension.
    if (dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    return name.empty() ? std::string("tavimoro") : std::string(name);
}

LinuxProcess::LinuxProcess(std::string argv0, std::vector<std::string> arguments)
    : m_exeName(programName(argv0)), m_arguments(std::move(arguments)) {}

std::string LinuxProcess::commandLine() {
    std::string line;
    for (std::size_t i = 0; i < m_arguments.size(); ++i) {
        if (i > 0)
            line += ' ';
        line += m_arguments[i];
    }
    return line;
}

std::string LinuxProcess::configFolder() const {
    const std::string config = xdgFolder("XDG_CONFIG_HOME", ".config");
    if (config.empty())
        return {};
    return (config.back() == '/' ? config : config + "/") + "tavimoro/";
}

std::string LinuxProcess::settingsFilePath() {
    const std::string folder = configFolder();
    std::error_code ec;
    if (!folder.empty())
        fs::create_directories(folder, ec); // a failure shows later as an unwritable settings file
    return folder + m_exeName + ".ini";
}

std::string LinuxProcess::runtimeFolder() const {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    if (runtime && runtime[0] == '/' && fs::is_directory(runtime, ec)) {
        const std::string folder = runtime;
        return folder.back() == '/' ? folder : folder + "/";
    }
    return configFolder();
}

bool LinuxProcess::anotherInstanceRunning() {
    if (m_anotherInstance)
        return *m_anotherInstance;
    m_anotherInstance = false;
    const std::string folder = runtimeFolder();
    if (folder.empty())
        return false;
    std::error_code ec;
    fs::create_directories(folder, ec);
    // Close-on-exec: a launched program must not inherit the lock and keep it after this process ends.
    OwnedFd fd(::open(lockFilePath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd)
        return false;
    int rc;
    while ((rc = ::flock(fd.get(), LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc == 0) {
        m_lock = std::move(fd);
    } else if (errno == EWOULDBLOCK) {
        m_anotherInstance = true;
    }
    return *m_anotherInstance;
}

port::Version LinuxProcess::version() {
    return {TAVIMORO_VERSION_MAJOR, TAVIMORO_VERSION_MINOR, TAVIMORO_VERSION_PATCH};
}

port::Result<void, port::HandOverFailure> LinuxProcess::handOver(const std::string& path) {
    const char* token = std::getenv("XDG_ACTIVATION_TOKEN");
    const InstanceRequest request =
        path.empty() ? InstanceRequest{InstanceRequest::Kind::ShowWindow, token ? token : ""}
                     : InstanceRequest{InstanceRequest::Kind::Launch, path};
    switch (m_requester ? m_requester(request) : InstanceAnswer::Silent) {
    case InstanceAnswer::Done:
        return {};
    case InstanceAnswer::Refused:
        return port::HandOverFailure::Refused;
    case InstanceAnswer::Silent:
        break;
    }
    return port::HandOverFailure::Unreachable;
}

void LinuxProcess::reportError(const std::string& text) {
    std::string line = m_exeName + ": " + text;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

} // namespace lnx
