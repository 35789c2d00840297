#pragma once
// Every notice an inotify descriptor holds now, one at a time; the descriptor is non-blocking, so this
// returns once none is left.
#include <cerrno>
#include <climits>
#include <string_view>
#include <sys/inotify.h>
#include <unistd.h>

namespace lnx {

// `take(event, name)` for each notice; `name` is empty for one about the watched folder itself.
template <class Take> void takeInotifyEvents(int fd, Take take) {
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            take(*event, event->len ? std::string_view(event->name) : std::string_view());
        }
    }
}

} // namespace lnx
