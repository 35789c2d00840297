#pragma once
// Keep-on-top on Qt: the window manager's keep-above state of the drive window.
#include "port/WindowTop.h"

class QWidget;

namespace qtui {

class QtWindowTop : public port::IWindowTop {
  public:
    explicit QtWindowTop(QWidget& window) : m_window(window) {}
    // The window manager keeps the window where it is; the placement is not needed to hold it there.
    void setTopmost(bool topmost) override;
    // On Wayland: a client can neither place its window nor keep it above others.
    bool desktopDecides() override;

  private:
    QWidget& m_window;
};

} // namespace qtui
