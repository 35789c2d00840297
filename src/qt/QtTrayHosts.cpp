#include "qt/QtTrayHosts.h"

#include "qt/XcbReply.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <string>

namespace qtui {
namespace {

const char* const kWatcherService = "org.kde.StatusNotifierWatcher";
const char* const kWatcherPath = "/StatusNotifierWatcher";

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The screen number of the display the program was started on (":0.1" is screen 1).
int screenNumber() {
    const char* display = std::getenv("DISPLAY");
    const std::string text = display ? display : "";
    const auto colon = text.rfind(':');
    const auto dot = text.find('.', colon == std::string::npos ? 0 : colon);
    return dot == std::string::npos ? 0 : std::atoi(text.c_str() + dot + 1);
}

} // namespace

TrayHost trayHostOn(const QDBusConnection& bus) {
    if (!bus.isConnected())
        return TrayHost::XEmbed;
    const QDBusConnectionInterface* daemon = bus.interface();
    const QString service = QString::fromLatin1(kWatcherService);
    if (!daemon || !daemon->isServiceRegistered(service).value())
        return TrayHost::XEmbed;
    // The property is asked for directly: an interface object would first ask the watcher to describe
    // itself, a second round trip at every start on such a desktop.
    QDBusMessage ask = QDBusMessage::createMethodCall(service, QString::fromLatin1(kWatcherPath),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    ask << service << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusReply<QDBusVariant> reply = bus.call(ask);
    return reply.isValid() && reply.value().variant().toBool() ? TrayHost::StatusNotifier : TrayHost::XEmbed;
}

TrayHosts::TrayHosts(const QDBusConnection& bus, std::function<void()> changed)
    : m_bus(bus), m_changed(std::move(changed)),
      m_watcher(QString::fromLatin1(kWatcherService), bus,
                QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration) {
    // A watcher that comes (a panel started, or started again) has no host yet; its hosts register
    // with it afterwards and it says so.
    connect(&m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { m_changed(); });
    connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { m_changed(); });
    if (m_bus.isConnected())
        m_bus.connect(QString::fromLatin1(kWatcherService), QString::fromLatin1(kWatcherPath),
                      QString::fromLatin1(kWatcherService), QStringLiteral("StatusNotifierHostRegistered"),
                      this, SLOT(hostRegistered()));
    // A tray that takes the selection tells every client through the root window, which Qt listens to.
    if (xcb_connection_t* connection = x11Connection()) {
        const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber());
        const auto [tray, manager] = internAtoms<2>(connection, {selection.c_str(), "MANAGER"});
        m_trayAtom = tray;
        m_managerAtom = manager;
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
}

TrayHosts::~TrayHosts() {
    if (m_trayAtom)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void TrayHosts::hostRegistered() {
    m_changed();
}

std::optional<TrayHost> TrayHosts::found() const {
    // The X server is asked first and answers while the bus is: the two round trips overlap.
    xcb_connection_t* connection = m_trayAtom ? x11Connection() : nullptr;
    std::optional<xcb_get_selection_owner_cookie_t> asked;
    if (connection) {
        asked = xcb_get_selection_owner(connection, m_trayAtom);
        xcb_flush(connection);
    }
    if (trayHostOn(m_bus) == TrayHost::StatusNotifier) {
        if (asked)
            xcb_discard_reply(connection, asked->sequence);
        return TrayHost::StatusNotifier;
    }
    if (!asked)
        return std::nullopt;
    const Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, *asked, nullptr));
    if (owner && owner->owner != XCB_WINDOW_NONE)
        return TrayHost::XEmbed;
    return std::nullopt;
}

bool TrayHosts::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->type == m_managerAtom && client->format == 32 && client->data.data32[1] == m_trayAtom)
        QMetaObject::invokeMethod(
            this, [this] { m_changed(); }, Qt::QueuedConnection);
    return false;
}

} // namespace qtui
