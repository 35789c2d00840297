#include "qt/UDisksMount.h"

#include "linux/MountMessages.h"
#include "linux/OwnedFd.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QThread>
#include <QVariantMap>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace qtui {

namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kErrorPrefix = QStringLiteral("org.freedesktop.UDisks2.Error.");
// Long enough for a drive to spin up and for the user to answer the policy agent's question; the
// window waits meanwhile, so that no poll rebuilds the row that was clicked.
constexpr int kReplyTimeoutMs = 120000;

// The words each failure gives the user; the system's own words follow the last one.
struct Reasons {
    const char* noService;
    const char* notAuthorized;
    const char* busy;
    const char* failed;
};
constexpr Reasons kMountReasons{lnx::kMountNoService, lnx::kMountNotAuthorized, lnx::kMountFailed,
                                lnx::kMountFailed};
constexpr Reasons kEjectReasons{lnx::kEjectNoService, lnx::kEjectNotAuthorized, lnx::kEjectBusy,
                                lnx::kEjectFailed};

port::Error reason(const QDBusError& error, const Reasons& reasons = kMountReasons) {
    if (error.type() == QDBusError::ServiceUnknown || error.type() == QDBusError::NoServer ||
        error.type() == QDBusError::Disconnected ||
        error.name() == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return port::fail(reasons.noService);
    // NotAuthorized, NotAuthorizedCanObtain, NotAuthorizedDismissed: the answer is no, whoever gave it.
    if (error.name().startsWith(kErrorPrefix + QStringLiteral("NotAuthorized")))
        return port::fail(reasons.notAuthorized);
    if (error.name() == kErrorPrefix + QStringLiteral("DeviceBusy"))
        return port::fail(reasons.busy);
    return port::fail(std::string(reasons.failed) + " (" + error.message().toStdString() + ")");
}

QDBusMessage call(const QString& object, const char* interface, const char* method) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, object, QString::fromLatin1(interface),
                                                          QString::fromLatin1(method));
    // The service may ask the user for a password through the desktop's policy agent.
    message.setInteractiveAuthorizationAllowed(true);
    return message;
}

// The service's object of the block device `device`; the failure's text is for the user.
port::Result<QString> blockObject(const QDBusConnection& bus, const std::string& device,
                                  const Reasons& reasons) {
    if (!bus.isConnected())
        return port::fail(reasons.noService);
    // The service names its objects after the kernel's names, escaped its own way; it resolves a
    // device node (or a link to one) to its object itself.
    QDBusMessage resolve = QDBusMessage::createMethodCall(
        kService, QStringLiteral("/org/freedesktop/UDisks2/Manager"),
        QStringLiteral("org.freedesktop.UDisks2.Manager"), QStringLiteral("ResolveDevice"));
    resolve << QVariantMap{{QStringLiteral("path"), QString::fromStdString(device)}} << QVariantMap{};
    const QDBusReply<QList<QDBusObjectPath>> objects = bus.call(resolve, QDBus::Block, kReplyTimeoutMs);
    if (!objects.isValid())
        return reason(objects.error(), reasons);
    if (objects.value().isEmpty())
        return port::fail(lnx::kMountNoDevice + device);
    return objects.value().front().path();
}

} // namespace

port::Result<void> mountWithUDisks(const QDBusConnection& bus, const std::string& device) {
    const auto object = blockObject(bus, device, kMountReasons);
    if (!object)
        return port::fail(object.error());
    QDBusMessage mount = call(*object, "org.freedesktop.UDisks2.Filesystem", "Mount");
    mount << QVariantMap{};
    const QDBusReply<QString> mounted = bus.call(mount, QDBus::Block, kReplyTimeoutMs);
    if (!mounted.isValid() && mounted.error().name() != kErrorPrefix + QStringLiteral("AlreadyMounted"))
        return reason(mounted.error());
    return {};
}

port::Result<void> ejectWithUDisks(const QDBusConnection& bus, const std::string& device, bool image) {
    const auto refused = [](const std::string& text) { return port::fail(lnx::kEjectRefused + text); };
    const auto object = blockObject(bus, device, kEjectReasons);
    if (!object)
        return refused(object.error());
    // A medium without a mounted file system has nothing to unmount: the drive opens all the same.
    QDBusMessage unmount = call(*object, "org.freedesktop.UDisks2.Filesystem", "Unmount");
    unmount << QVariantMap{};
    const QDBusReply<void> unmounted = bus.call(unmount, QDBus::Block, kReplyTimeoutMs);
    const QString unmountError = unmounted.error().name();
    if (!unmounted.isValid() && unmountError != kErrorPrefix + QStringLiteral("NotMounted") &&
        unmounted.error().type() != QDBusError::UnknownMethod &&
        unmounted.error().type() != QDBusError::UnknownInterface)
        return refused(reason(unmounted.error(), kEjectReasons).message);

    QDBusMessage out;
    if (image) {
        out = call(*object, "org.freedesktop.UDisks2.Loop", "Delete");
    } else {
        // The tray belongs to the drive, an object of its own that the block device names.
        QDBusMessage get = QDBusMessage::createMethodCall(
            kService, *object, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << QStringLiteral("org.freedesktop.UDisks2.Block") << QStringLiteral("Drive");
        const QDBusReply<QDBusVariant> drive = bus.call(get, QDBus::Block, kReplyTimeoutMs);
        if (!drive.isValid())
            return refused(reason(drive.error(), kEjectReasons).message);
        const QString drivePath = drive.value().variant().value<QDBusObjectPath>().path();
        if (drivePath.isEmpty() || drivePath == QStringLiteral("/"))
            return refused(lnx::kMountNoDevice + device);
        out = call(drivePath, "org.freedesktop.UDisks2.Drive", "Eject");
    }
    out << QVariantMap{};
    const QDBusReply<void> done = bus.call(out, QDBus::Block, kReplyTimeoutMs);
    if (!done.isValid())
        return refused(reason(done.error(), kEjectReasons).message);
    return {};
}

port::Result<std::string> openImageWithUDisks(const QDBusConnection& bus, const std::string& file) {
    const auto refused = [](const std::string& text) {
        return port::fail("ディスク イメージを開けませんでした。\r\n" + text);
    };
    if (!bus.isConnected())
        return refused(lnx::kMountNoService);
    // The service opens nothing of the user's itself: it is handed the file, open for reading.
    const lnx::OwnedFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return refused(std::string(lnx::kMountFailed) + " (" + std::strerror(errno) + ")");
    QDBusMessage setup = call(QStringLiteral("/org/freedesktop/UDisks2/Manager"),
                              "org.freedesktop.UDisks2.Manager", "LoopSetup");
    setup << QVariant::fromValue(QDBusUnixFileDescriptor(fd.get()))
          << QVariantMap{{QStringLiteral("read-only"), true}};
    const QDBusReply<QDBusObjectPath> loop = bus.call(setup, QDBus::Block, kReplyTimeoutMs);
    if (!loop.isValid())
        return refused(reason(loop.error()).message);
    // The file system shows on the new device once the service has probed it.
    for (int attempt = 0;; ++attempt) {
        QDBusMessage mount = call(loop.value().path(), "org.freedesktop.UDisks2.Filesystem", "Mount");
        mount << QVariantMap{};
        const QDBusReply<QString> mounted = bus.call(mount, QDBus::Block, kReplyTimeoutMs);
        if (mounted.isValid())
            return mounted.value().toStdString();
        const QDBusError::ErrorType type = mounted.error().type();
        if (attempt >= 50 || (type != QDBusError::UnknownMethod && type != QDBusError::UnknownInterface &&
                              type != QDBusError::UnknownObject))
            return refused(reason(mounted.error()).message);
        QThread::msleep(100);
    }
}

} // namespace qtui
