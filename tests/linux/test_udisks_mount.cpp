// The mount through UDisks2 against a stand-in of the service (python3-dbusmock and
// udisks2_template.py) on a private system bus: what each answer of the service means to the user.
#include "linux/MountMessages.h"
#include "qt/UDisksMount.h"
#include "qt_test_support.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// A bus of its own (the session configuration lets the test own any name), and a connection to it.
struct PrivateBus {
    QProcess daemon;
    QString address;
    QString connection;
    explicit PrivateBus(const QString& name) : connection(name) {
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                     QStringLiteral("--print-address")});
        if (daemon.waitForStarted(5000) && daemon.waitForReadyRead(5000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(connection);
        daemon.kill();
        daemon.waitForFinished(5000);
    }
    QDBusConnection bus() const { return QDBusConnection::connectToBus(address, connection); }
};

TEST(UDisksMount, eachAnswerOfTheServiceIsASuccessOrAReasonForTheUser) {
    qttest::application();
    const std::string python = "/usr/bin/python3";
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty() ||
        std::system((python + " -c 'import dbusmock' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "dbus-daemon or python3-dbusmock is missing";
    PrivateBus served(QStringLiteral("served")), bare(QStringLiteral("bare"));
    ASSERT_FALSE(served.address.isEmpty() || bare.address.isEmpty());

    // The service is there once its name is: the stand-in serves no call before its objects exist.
    const QString service = QStringLiteral("org.freedesktop.UDisks2");
    QDBusServiceWatcher watcher(service, served.bus(), QDBusServiceWatcher::WatchForRegistration);
    QEventLoop registered;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &registered, &QEventLoop::quit);
    QProcess mock;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), served.address);
    mock.setProcessEnvironment(env);
    mock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mock.setStandardOutputFile(QProcess::nullDevice());
    const auto templateFile = std::filesystem::path(__FILE__).parent_path() / "udisks2_template.py";
    mock.start(QString::fromStdString(python),
               {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                QStringLiteral("-t"), QString::fromStdString(templateFile.string())});
    QObject::connect(&mock, &QProcess::finished, &registered, &QEventLoop::quit);
    if (!served.bus().interface()->isServiceRegistered(service))
        registered.exec();
    ASSERT_TRUE(served.bus().interface()->isServiceRegistered(service)) << "the stand-in did not start";

    struct Case {
        const char* name;
        QDBusConnection bus;
        std::string device;
        std::string said; // empty for a success
    };
    const QDBusConnection none =
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"), "none");
    const Case cases[] = {
        {"mounted", served.bus(), "/dev/sr0", ""},
        {"mounted already", served.bus(), "/dev/sr3", ""},
        {"not authorized", served.bus(), "/dev/sr1", lnx::kMountNotAuthorized},
        {"a mount error", served.bus(), "/dev/sr2",
         std::string(lnx::kMountFailed) + " (refused by the test)"},
        {"no such device", served.bus(), "/dev/sr7", lnx::kMountNoDevice + std::string("/dev/sr7")},
        {"no service on the bus", bare.bus(), "/dev/sr0", lnx::kMountNoService},
        {"no bus", none, "/dev/sr0", lnx::kMountNoService},
    };
    for (const Case& c : cases) {
        const auto mounted = qtui::mountWithUDisks(c.bus, c.device);
        EXPECT_EQ(mounted.ok() ? "" : mounted.error(), c.said) << c.name;
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
    mock.kill();
    mock.waitForFinished(5000);
}

} // namespace
