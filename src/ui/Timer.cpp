#include "ui/Timer.h"

namespace ui {

Timer::Timer(port::ITimer& timer, int interval, bool enabled)
    : m_timer(timer), m_interval(interval), m_enabled(enabled) {
    apply();
}

void Timer::setInterval(int milliseconds) {
    m_interval = milliseconds;
    apply();
}

void Timer::setEnabled(bool enabled) {
    m_enabled = enabled;
    apply();
}

void Timer::apply() {
    // An interval of 0 gives no ticks at all (not a tick at every turn of the event loop).
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}

} // namespace ui
