#pragma once
// The end of the user's session, or a request to end the program (SIGTERM, SIGINT, SIGHUP): the program
// ends the way Exit ends it, so that nothing it made stays behind.
#include "linux/OwnedFd.h"

#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <vector>

namespace qtui {

class QtSessionEnd {
  public:
    // `end` runs on the user-interface thread, once for each signal that arrives while this lives. A
    // signal the program was started ignoring stays ignored.
    explicit QtSessionEnd(std::function<void()> end);
    ~QtSessionEnd();
    QtSessionEnd(const QtSessionEnd&) = delete;
    QtSessionEnd& operator=(const QtSessionEnd&) = delete;

  private:
    lnx::OwnedFd m_read;
    lnx::OwnedFd m_write;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_end;
    std::vector<int> m_handled; // the signals whose handler is this one's
};

} // namespace qtui
