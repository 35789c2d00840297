#include "linux/Spawn.h"

#include "linux/OwnedFd.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#if __has_include(<linux/close_range.h>)
#include <linux/close_range.h>
#endif
#include <sys/syscall.h>

namespace lnx {

namespace {

struct ChildReport {
    int stage;
    int error;
};

// Only async-signal-safe calls from here on: the parent may have other threads.
[[noreturn]] void reportAndExit(int fd, SpawnFailure::Stage stage, int error) {
    ChildReport report{static_cast<int>(stage), error};
    ssize_t ignored = ::write(fd, &report, sizeof report);
    (void)ignored;
    ::_exit(127);
}

void closeInheritedDescriptors() {
    // Descriptors the toolkit or the instance lock left without close-on-exec must not reach the
    // program: a lock inherited by it would outlive this process.
#if defined(SYS_close_range) && defined(CLOSE_RANGE_CLOEXEC)
    if (::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
#endif
    const long limit = ::sysconf(_SC_OPEN_MAX);
    for (int fd = 3; fd < (limit > 0 && limit < 65536 ? limit : 65536); ++fd)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

[[noreturn]] void runGrandchild(int reportFd, const char* program, char* const* argv, const char* folder) {
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig)
        ::sigaction(sig, &dfl, nullptr); // fails harmlessly for SIGKILL, SIGSTOP and reserved numbers
    if (folder && ::chdir(folder) != 0)
        reportAndExit(reportFd, SpawnFailure::Stage::WorkingFolder, errno);
    closeInheritedDescriptors();
    ::execv(program, argv);
    reportAndExit(reportFd, SpawnFailure::Stage::Exec, errno);
}

} // namespace

std::optional<SpawnFailure> spawnDetached(const std::string& program, const std::vector<std::string>& argv,
                                          const std::string& workingFolder) {
    if (program.empty() || argv.empty())
        return SpawnFailure{SpawnFailure::Stage::Exec, ENOENT};

    // Everything the child needs is prepared before fork.
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const char* folder = workingFolder.empty() ? nullptr : workingFolder.c_str();

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return SpawnFailure{SpawnFailure::Stage::Pipe, errno};
    OwnedFd readEnd(fds[0]);
    OwnedFd writeEnd(fds[1]);

    const pid_t child = ::fork();
    if (child < 0)
        return SpawnFailure{SpawnFailure::Stage::Fork, errno};
    if (child == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0)
            reportAndExit(writeEnd.get(), SpawnFailure::Stage::Fork, errno);
        if (grandchild > 0)
            ::_exit(0); // the program is handed to the session's reaper (init or a subreaper)
        runGrandchild(writeEnd.get(), program.c_str(), args.data(), folder);
    }

    writeEnd.reset();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    // The pipe closes without data when execv succeeded (close-on-exec), or carries the failure.
    ChildReport report{};
    std::size_t got = 0;
    while (got < sizeof report) {
        const ssize_t n = ::read(readEnd.get(), reinterpret_cast<char*>(&report) + got, sizeof report - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got == sizeof report)
        return SpawnFailure{static_cast<SpawnFailure::Stage>(report.stage), report.error};
    return std::nullopt;
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string findOnPath(const std::string& program) {
    if (program.empty() || program.find('/') != std::string::npos)
        return {};
    const char* env = std::getenv("PATH");
    const std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string folder = path.substr(start, end - start);
        // Relative entries (an empty one means the current folder) would name another file once the
        // program starts in its own working folder; they are skipped.
        if (!folder.empty() && folder.front() == '/') {
            const std::string candidate = folder + "/" + program;
            if (isExecutableFile(candidate))
                return candidate;
        }
        start = end + 1;
    }
    return {};
}

} // namespace lnx
