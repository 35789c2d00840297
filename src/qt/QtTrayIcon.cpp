#include "qt/QtTrayIcon.h"

#include "qt/QtMenus.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QMouseEvent>
#include <cstdio>
#include <optional>

namespace qtui {
namespace {

const char* const kWatcherService = "org.kde.StatusNotifierWatcher";
const char* const kWatcherPath = "/StatusNotifierWatcher";

// The event an activation stands for on that kind of host; nothing for one that is no command.
std::optional<port::TrayEvent> trayEvent(QSystemTrayIcon::ActivationReason reason, TrayHost host) {
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        return port::TrayEvent::ShowWindow;
    case QSystemTrayIcon::Context:
        return port::TrayEvent::OpenMenu;
    case QSystemTrayIcon::Trigger:
        // A StatusNotifierItem host has no double click: its single activation is the way in.
        if (host == TrayHost::StatusNotifier)
            return port::TrayEvent::ShowWindow;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

} // namespace

TrayHost trayHostOn(const QDBusConnection& bus) {
    if (!bus.isConnected())
        return TrayHost::XEmbed;
    const QDBusConnectionInterface* daemon = bus.interface();
    const QString service = QString::fromLatin1(kWatcherService);
    if (!daemon || !daemon->isServiceRegistered(service).value())
        return TrayHost::XEmbed;
    QDBusInterface watcher(service, QString::fromLatin1(kWatcherPath), service, bus);
    return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool()
               ? TrayHost::StatusNotifier
               : TrayHost::XEmbed;
}

QtTrayIcon::QtTrayIcon(const QIcon& icon, TrayHost host) : m_icon(icon), m_host(host) {
    QObject::connect(&m_icon, &QSystemTrayIcon::activated, &m_icon,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (const auto event = trayEvent(reason, m_host))
                             post(*event);
                     });
    // Qt makes a second right press within the double-click time a double click, which the docked icon's
    // widget drops (it reports the left button's alone): a quick right press after a closed pop-up menu
    // would open nothing. The widget is Qt's own and made anew whenever a tray appears, so it is watched
    // from the application.
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(this);
}

bool QtTrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton &&
        watched->inherits("QSystemTrayIconSys")) {
        post(port::TrayEvent::OpenMenu);
        return true;
    }
    return false;
}

void QtTrayIcon::post(port::TrayEvent event) {
    // What the event starts may take the icon away (Exit, resident mode turned off), and with it the
    // icon's window whose mouse event is still being handled: it runs once that event has returned. A
    // StatusNotifierItem host's activation comes over D-Bus, which a modal window does not hold back: it
    // is dropped, as a click on a docked icon is.
    QMetaObject::invokeMethod(
        this,
        [this, event] {
            if (m_handler && !QApplication::activeModalWidget())
                m_handler(event);
        },
        Qt::QueuedConnection);
}

void QtTrayIcon::add(const std::string& tip) {
    if (!available() && !m_told) {
        m_told = true;
        std::fprintf(stderr, "通知領域が見つからないため、ウィンドウは隠さずに最小化します。\n");
        std::fflush(stderr);
    }
    if (m_icon.isVisible())
        return;
    m_icon.setToolTip(QString::fromStdString(tip));
    // Shown even without a notification area: Qt docks the icon once one appears.
    m_icon.show();
}

void QtTrayIcon::remove() {
    m_icon.hide();
}

void QtTrayIcon::setMenu(const std::vector<port::MenuEntry>& items, std::function<void(int id)> chosen) {
    if (m_host != TrayHost::StatusNotifier)
        return;
    m_chosen = std::move(chosen);
    if (!m_menu) {
        m_menu = std::make_unique<QMenu>();
        // The host asks for the item's choice over D-Bus; it runs once that call has returned, since the
        // command may take the icon and its menu away (Exit), and not while a modal window is open.
        QObject::connect(m_menu.get(), &QMenu::triggered, this, [this](QAction* action) {
            const int id = action->data().toInt();
            QMetaObject::invokeMethod(
                this,
                [this, id] {
                    if (const auto chosen = m_chosen; chosen && !QApplication::activeModalWidget())
                        chosen(id);
                },
                Qt::QueuedConnection);
        });
        m_icon.setContextMenu(m_menu.get());
    }
    // The actions change in place: Qt sends the host the new layout.
    m_menu->clear();
    fillMenu(*m_menu, items);
}

bool QtTrayIcon::available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

} // namespace qtui
