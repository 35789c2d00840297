#include "qt/QtWindowTop.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace qtui {

void QtWindowTop::setTopmost(bool topmost) {
    const Qt::WindowFlags flags = m_window.windowFlags();
    const Qt::WindowFlags wanted =
        topmost ? flags | Qt::WindowStaysOnTopHint : flags & ~Qt::WindowStaysOnTopHint;
    if (wanted == flags)
        return;
    // QWidget::setWindowFlags would hide the window and make it anew; the native window takes the
    // change as it is (on X11 a _NET_WM_STATE_ABOVE request, or the state to map with while hidden),
    // and the widget is told the same flags so that it never puts the old ones back.
    m_window.overrideWindowFlags(wanted);
    if (QWindow* native = m_window.windowHandle())
        native->setFlags(wanted);
}

bool QtWindowTop::desktopDecides() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace qtui
