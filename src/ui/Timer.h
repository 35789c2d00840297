#pragma once
// A timer of a window as the presenters use it: an interval and an enabled flag, either of which may
// change at any time. It ticks while it is enabled with an interval above 0; each change of either
// starts a full interval anew.
#include "port/MainView.h"

namespace ui {

class Timer {
  public:
    Timer(port::ITimer& timer, int interval, bool enabled);

    int interval() const { return m_interval; }
    bool enabled() const { return m_enabled; }
    void setInterval(int milliseconds);
    void setEnabled(bool enabled);

  private:
    void apply();

    port::ITimer& m_timer;
    int m_interval;
    bool m_enabled;
};

} // namespace ui
