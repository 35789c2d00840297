#include "qt/QtSessionEnd.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace qtui {
namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
// Where the handler writes; a handler may do no more than that.
volatile sig_atomic_t g_writeFd = -1;

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    if (g_writeFd >= 0) [[maybe_unused]]
        const ssize_t written = ::write(g_writeFd, &byte, 1);
    errno = saved;
}

} // namespace

QtSessionEnd::QtSessionEnd(std::function<void()> end) : m_end(std::move(end)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_read = lnx::OwnedFd(fds[0]);
    m_write = lnx::OwnedFd(fds[1]);
    g_writeFd = m_write.get();
    m_notifier = std::make_unique<QSocketNotifier>(m_read.get(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
        char bytes[16];
        while (::read(m_read.get(), bytes, sizeof bytes) > 0) {
        }
        if (m_end)
            m_end();
    });
    struct sigaction action {};
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        // A signal ignored from the start was meant to be (nohup, say): it stays ignored.
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
            m_handled.push_back(signal);
        }
    }
}

QtSessionEnd::~QtSessionEnd() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : m_handled)
        ::sigaction(signal, &action, nullptr);
    g_writeFd = -1;
}

} // namespace qtui
