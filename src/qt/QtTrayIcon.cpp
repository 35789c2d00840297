#include "qt/QtTrayIcon.h"

#include "qt/QtMenus.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QMouseEvent>
#include <cstdio>
#include <optional>

namespace qtui {
namespace {

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

QtTrayIcon::QtTrayIcon(const QIcon& icon, const QDBusConnection& bus)
    : m_picture(icon), m_bus(bus), m_hosts(bus, [this] { hostsChanged(); }) {
    m_grace.setSingleShot(true);
    m_grace.setInterval(1000);
    connect(&m_grace, &QTimer::timeout, this, [this] {
        if (const auto host = m_hosts.found(); m_wanted && !m_icon && host)
            makeIcon(*host);
    });
    // Qt makes a second right press within the double-click time a double click, which the docked icon's
    // widget drops (it reports the left button's alone): a quick right press after a closed pop-up menu
    // would open nothing. The widget is Qt's own and made anew whenever a tray appears, so it is watched
    // from the application.
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(this);
}

void QtTrayIcon::activated(QSystemTrayIcon::ActivationReason reason, TrayHost host) {
    if (const auto event = trayEvent(reason, host))
        post(*event);
}

void QtTrayIcon::hostsChanged() {
    const auto host = m_hosts.found();
    if (m_wanted && !m_icon && host) {
        if (*host == TrayHost::StatusNotifier)
            makeIcon(TrayHost::StatusNotifier);
        else if (!m_grace.isActive())
            m_grace.start();
        return;
    }
    // Qt docks a made icon again by itself when its area comes back after a restart. Nothing says when
    // an XEmbed tray went, so every sign of an area counts; a window that waits for none ignores it.
    if (m_icon && host)
        post(port::TrayEvent::AreaAppeared);
}

void QtTrayIcon::makeIcon(TrayHost host) {
    m_grace.stop();
    m_host = host;
    m_icon = std::make_unique<QSystemTrayIcon>(m_picture);
    QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, this,
                     [this](QSystemTrayIcon::ActivationReason reason) { activated(reason, m_host); });
    if (m_host == TrayHost::StatusNotifier && !m_waitingItems.empty())
        exportMenu(m_waitingItems);
    m_waitingItems = {};
    m_icon->setToolTip(QString::fromStdString(m_tip));
    m_icon->show();
    post(port::TrayEvent::AreaAppeared);
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
    if (m_wanted)
        return;
    m_wanted = true;
    m_tip = tip;
    if (m_icon) {
        m_icon->setToolTip(QString::fromStdString(tip));
        m_icon->show();
        return;
    }
    if (const auto host = m_hosts.found()) {
        makeIcon(*host);
        return;
    }
    if (!m_told) {
        m_told = true;
        std::fprintf(stderr, "通知領域が見つかりません。現れしだい、アイコンをそこに置きます。\n");
        std::fflush(stderr);
    }
}

void QtTrayIcon::remove() {
    m_wanted = false;
    m_grace.stop();
    if (m_icon)
        m_icon->hide();
}

void QtTrayIcon::setMenu(const std::vector<port::MenuEntry>& items, std::function<void(int id)> chosen) {
    // Before the icon is made the menu waits, as data, for a host that may draw it.
    if (m_icon && m_host != TrayHost::StatusNotifier)
        return;
    m_chosen = std::move(chosen);
    if (!m_icon) {
        m_waitingItems = items;
        return;
    }
    exportMenu(items);
}

void QtTrayIcon::exportMenu(const std::vector<port::MenuEntry>& items) {
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
        m_icon->setContextMenu(m_menu.get());
    }
    // The actions change in place: Qt sends the host the new layout.
    m_menu->clear();
    fillMenu(*m_menu, items);
}

bool QtTrayIcon::available() {
    // Never Qt's own test: it settles Qt's choice of area for good, before the icon is made.
    return m_hosts.found().has_value();
}

bool QtTrayIcon::notify(const std::string& title, const std::string& text) {
    if (!m_bus.isConnected())
        return false;
    QDBusInterface notifications(QStringLiteral("org.freedesktop.Notifications"),
                                 QStringLiteral("/org/freedesktop/Notifications"),
                                 QStringLiteral("org.freedesktop.Notifications"), m_bus);
    if (!notifications.isValid())
        return false;
    const QString body = QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QDBusMessage reply = notifications.call(QStringLiteral("Notify"), QStringLiteral("Tavimoro"), 0u,
                                                  QStringLiteral("tavimoro"), QString::fromStdString(title),
                                                  body, QStringList(), QVariantMap(), -1);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace qtui
