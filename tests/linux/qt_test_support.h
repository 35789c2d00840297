#pragma once
// The one QApplication of the Linux tests, and a way to act on a modal window while it is open.
#include <QApplication>
#include <QTimer>
#include <functional>

namespace qttest {

inline QApplication& application() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tavimoro-tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's objects must not be torn down among other statics at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs `act` from the event loop of the modal window `open` starts (again every few milliseconds until
// it says it is done), then returns once `open` has returned; false when `open` returned before `act`
// was done. `closeAll` ends every modal loop still running after a few seconds, so that a failing test
// cannot hang.
inline bool whileOpen(const std::function<void()>& open, const std::function<bool()>& act,
                      const std::function<void()>& closeAll) {
    QTimer acting;
    QObject::connect(&acting, &QTimer::timeout, [&] {
        if (act())
            acting.stop();
    });
    acting.start(5);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, closeAll);
    watchdog.start(5000);
    open();
    const bool acted = !acting.isActive();
    acting.stop();
    return acted;
}

} // namespace qttest
