#include "qt/UDisksMount.h"

#include "linux/MountMessages.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QVariantMap>

namespace qtui {

namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kErrorPrefix = QStringLiteral("org.freedesktop.UDisks2.Error.");
// Long enough for a drive to spin up and for the user to answer the policy agent's question; the
// window waits meanwhile, so that no poll rebuilds the row that was clicked.
constexpr int kReplyTimeoutMs = 120000;

port::Error reason(const QDBusError& error) {
    if (error.type() == QDBusError::ServiceUnknown || error.type() == QDBusError::NoServer ||
        error.type() == QDBusError::Disconnected ||
        error.name() == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return port::fail(lnx::kMountNoService);
    // NotAuthorized, NotAuthorizedCanObtain, NotAuthorizedDismissed: the answer is no, whoever gave it.
    if (error.name().startsWith(kErrorPrefix + QStringLiteral("NotAuthorized")))
        return port::fail(lnx::kMountNotAuthorized);
    return port::fail(std::string(lnx::kMountFailed) + " (" + error.message().toStdString() + ")");
}

} // namespace

port::Result<void> mountWithUDisks(const QDBusConnection& bus, const std::string& device) {
    if (!bus.isConnected())
        return port::fail(lnx::kMountNoService);
    // The service names its objects after the kernel's names, escaped its own way; it resolves a
    // device node (or a link to one) to its object itself.
    QDBusMessage resolve = QDBusMessage::createMethodCall(
        kService, QStringLiteral("/org/freedesktop/UDisks2/Manager"),
        QStringLiteral("org.freedesktop.UDisks2.Manager"), QStringLiteral("ResolveDevice"));
    resolve << QVariantMap{{QStringLiteral("path"), QString::fromStdString(device)}} << QVariantMap{};
    const QDBusReply<QList<QDBusObjectPath>> objects = bus.call(resolve, QDBus::Block, kReplyTimeoutMs);
    if (!objects.isValid())
        return reason(objects.error());
    if (objects.value().isEmpty())
        return port::fail(lnx::kMountNoDevice + device);

    QDBusMessage mount = QDBusMessage::createMethodCall(kService, objects.value().front().path(),
                                                        QStringLiteral("org.freedesktop.UDisks2.Filesystem"),
                                                        QStringLiteral("Mount"));
    mount << QVariantMap{};
    // The service may then ask the user for a password through the desktop's policy agent.
    mount.setInteractiveAuthorizationAllowed(true);
    const QDBusReply<QString> mounted = bus.call(mount, QDBus::Block, kReplyTimeoutMs);
    if (!mounted.isValid() && mounted.error().name() != kErrorPrefix + QStringLiteral("AlreadyMounted"))
        return reason(mounted.error());
    return {};
}

} // namespace qtui
