// The mount and the eject through UDisks2 against python3-dbusmock serving udisks2_template.py on a private
// system bus.
#include "linux/MountMessages.h"
#include "qt/UDisksMount.h"
#include "qt_test_support.h"

#include <QDBusServiceWatcher>
#include <QProcess>
#include <filesystem>
#include <gtest/gtest.h>
#include <tuple>

TEST(UDisksMount, eachAnswerOfTheServiceIsASuccessOrAReasonForTheUser) {
    qttest::application();
    QProcess daemon, mock; // killed at the end
    daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
    if (QProcess::execute("/usr/bin/python3", {"-c", "import dbusmock"}) || !daemon.waitForReadyRead(5000))
        GTEST_SKIP() << "dbus-daemon or python3-dbusmock is missing";
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", daemon.readLine().trimmed()); // for the program and the stand-in
    const auto said = [](const char* dev) {
        return qtui::mountWithUDisks(QDBusConnection::systemBus(), dev).error();
    };
    const std::string imageFile = std::filesystem::temp_directory_path() / "tavimoro-udisks-test.iso";
    std::fclose(std::fopen(imageFile.c_str(), "w"));
    const auto opened = [&imageFile] {
        return qtui::openImageWithUDisks(QDBusConnection::systemBus(), imageFile);
    };
    EXPECT_EQ(said("/dev/sr0"), lnx::kMountNoService) << "before the service starts";
    EXPECT_EQ(opened().error(),
              "ディスク イメージを開けませんでした。\r\n" + std::string(lnx::kMountNoService));
    // The stand-in answers no call before its objects are there: its name on the bus is enough to wait for.
    QDBusServiceWatcher watcher(QStringLiteral("org.freedesktop.UDisks2"), QDBusConnection::systemBus());
    QEventLoop started;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &started, &QEventLoop::quit);
    const auto script = std::filesystem::path(__FILE__).parent_path() / "udisks2_template.py";
    mock.start("/usr/bin/python3", {"-m", "dbusmock", "-t", QString::fromStdString(script.string())});
    QTimer::singleShot(10000, &started, &QEventLoop::quit); // a bound for a stand-in that fails
    started.exec();
    const std::pair<const char*, std::string> cases[] = {
        {"/dev/sr0", ""},
        {"/dev/sr3", ""},
        {"/dev/sr1", lnx::kMountNotAuthorized},
        {"/dev/sr2", std::string(lnx::kMountFailed) + " (refused by the test)"},
        {"/dev/sr7", lnx::kMountNoDevice + std::string("/dev/sr7")}};
    for (const auto& [device, text] : cases)
        EXPECT_EQ(said(device), text) << device; // sr3: mounted already

    // Each refusal in its order: the unmount first, then the drive's eject or the image's delete (the
    // window's end-to-end run takes a busy disc and an image's way out).
    const std::string refused = lnx::kEjectRefused;
    const std::tuple<const char*, bool, std::string> ejects[] = {
        {"/dev/sr4", false, ""},
        {"/dev/sr5", false, ""}, // not mounted: the drive opens all the same
        {"/dev/sr8", false, refused + lnx::kEjectNotAuthorized},
        {"/dev/sr4", true, refused + lnx::kEjectFailed + " (refused by the test)"}, // a drive is no image
        {"/dev/loop1", true, refused + lnx::kEjectFailed + " (refused by the test)"},
        {"/dev/sr9", false, refused + lnx::kMountNoDevice + "/dev/sr9"}};
    for (const auto& [device, image, text] : ejects)
        EXPECT_EQ(qtui::ejectWithUDisks(QDBusConnection::systemBus(), device, image).error(), text) << device;

    // An image goes to the service as an open file, read-only (the stand-in refuses it otherwise).
    EXPECT_EQ(opened(), std::string("/media/user/IMAGE"));
    std::filesystem::remove(imageFile);
    EXPECT_NE(opened().error().find("No such file"), std::string::npos) << opened().error();
}
