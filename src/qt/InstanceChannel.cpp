#include "qt/InstanceChannel.h"

#include <QApplication>
#include <QWidget>

namespace qtui {

bool raiseWindowTitled(const QString& title) {
    QWidget* exact = nullptr;
    QWidget* prefix = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible())
            continue;
        const QString shown = widget->windowTitle();
        if (shown == title) {
            exact = widget;
            break;
        }
        if (!prefix && shown.startsWith(title))
            prefix = widget;
    }
    QWidget* window = exact ? exact : prefix;
    if (!window)
        return false;
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
    return true;
}

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

bool InstanceChannel::listen(const std::string& path) {
    m_notifier.reset();
    m_listener = lnx::InstanceListener::listen(path);
    if (!m_listener)
        return false;
    m_notifier = std::make_unique<QSocketNotifier>(m_listener->fd(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        m_listener->serve(
            [](const std::string& title) { return raiseWindowTitled(QString::fromStdString(title)); });
    });
    return true;
}

} // namespace qtui
