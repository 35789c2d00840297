// Tells the end-to-end tests what a running program did to a file, so that they can wait for the program
// to have taken its turn instead of sleeping: the program reads its mount table once a poll, and writes
// its settings file once a change.
//
//   file_events read|write FILE COUNT SECONDS
//
// Waits until FILE has been read COUNT times (opened and closed without writing) or replaced COUNT times
// (written or renamed into place), counting from the start; the folder is watched, so a file that is
// replaced stays watched. With COUNT 0 it counts until SECONDS have passed or it is sent SIGTERM, then
// prints the count. It prints "watching" once the watch is set. Exit status 0 when COUNT was reached (or
// with COUNT 0, always), 1 when the time ran out first, 2 for a usage error.
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

volatile sig_atomic_t stopped = 0;

void stop(int) {
    stopped = 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5 || (std::strcmp(argv[1], "read") != 0 && std::strcmp(argv[1], "write") != 0)) {
        std::fputs("usage: file_events read|write FILE COUNT SECONDS\n", stderr);
        return 2;
    }
    const std::uint32_t mask =
        std::strcmp(argv[1], "read") == 0 ? IN_CLOSE_NOWRITE : IN_CLOSE_WRITE | IN_MOVED_TO;
    const std::string path = argv[2];
    const long wanted = std::strtol(argv[3], nullptr, 10);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(std::strtod(argv[4], nullptr));
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

    struct sigaction action {};
    action.sa_handler = stop;
    sigaction(SIGTERM, &action, nullptr);
    const int fd = inotify_init1(IN_CLOEXEC);
    if (fd < 0 || inotify_add_watch(fd, folder.c_str(), mask) < 0) {
        std::perror("file_events: inotify");
        return 2;
    }
    std::puts("watching");
    std::fflush(stdout);

    long seen = 0;
    alignas(inotify_event) char buffer[sizeof(inotify_event) + NAME_MAX + 1];
    // Counts what is pending within the given time; false when nothing was.
    const auto take = [&](int milliseconds) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, milliseconds) <= 0)
            return false; // the time ran out, or a signal came
        const ssize_t got = read(fd, buffer, sizeof buffer);
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && name == event->name)
                ++seen;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
        return got > 0;
    };
    while (!stopped && (wanted == 0 || seen < wanted)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        take(int(left.count()));
    }
    // What happened before the stop counts, even when it was not read yet.
    while (wanted == 0 && take(0)) {
    }
    if (wanted == 0) {
        std::printf("%ld\n", seen);
        return 0;
    }
    if (seen < wanted)
        std::fprintf(stderr, "file_events: %s was %s %ld of %ld times\n", path.c_str(),
                     mask == IN_CLOSE_NOWRITE ? "read" : "written", seen, wanted);
    return seen >= wanted ? 0 : 1;
}
