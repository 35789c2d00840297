// The notices that wake a poll on Linux: changes of the mount table and of the CD-ROM drives' udev files.
#include "drives_test_support.h"
#include "linux/DeviceWatch.h"
#include "qt/QtDeviceEvents.h"
#include "qt_test_support.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>

namespace {

using drivetest::TempDir;
using drivetest::writeFile;

struct Tree {
    TempDir dir;
    lnx::DriveSourceConfig config;
    Tree() {
        config.sysBlock = dir / "sys";
        config.udevData = dir / "udev";
        config.mountinfo = dir / "proc/mountinfo";
        config.devDir = dir / "dev";
        writeFile(config.sysBlock + "/sr0/dev", "11:0\n");
        writeFile(config.sysBlock + "/sr0/device/type", "5\n");
        writeFile(config.sysBlock + "/sda/dev", "8:0\n");
        writeFile(config.sysBlock + "/sda/device/type", "0\n");
        writeFile(config.mountinfo, "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n");
        std::filesystem::create_directories(config.udevData);
    }
};

bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

TEST(DeviceWatch, wakesForTheMountTableAndTheDrivesUdevFilesOnly) {
    struct Case {
        const char* what;
        std::function<void(const Tree&)> change;
        bool wakes;
    };
    const Case cases[] = {
        {"mount table rewritten",
         [](const Tree& t) { writeFile(t.config.mountinfo, "1 0 8:1 / / rw - ext4 /dev/sda1 ro\n"); }, true},
        {"mount table renamed into place",
         [](const Tree& t) {
             writeFile(t.config.mountinfo + ".new", "x\n");
             std::filesystem::rename(t.config.mountinfo + ".new", t.config.mountinfo);
         },
         true},
        {"another file beside the mount table",
         [](const Tree& t) { writeFile(t.dir / "proc/mounts", "x\n"); }, false},
        {"udev file of the CD-ROM drive",
         [](const Tree& t) { writeFile(t.config.udevData + "/b11:0", "E:ID_FS_LABEL_ENC=X\n"); }, true},
        {"udev file of the CD-ROM drive removed",
         [](const Tree& t) {
             writeFile(t.config.udevData + "/b11:0", "E:ID_CDROM_MEDIA=0\n");
             std::filesystem::remove(t.config.udevData + "/b11:0");
         },
         true},
        {"udev file of a hard disk",
         [](const Tree& t) { writeFile(t.config.udevData + "/b8:0", "E:ID_FS_LABEL_ENC=X\n"); }, false},
        {"udev file of a device no drive has",
         [](const Tree& t) { writeFile(t.config.udevData + "/b11:7", "E:ID_FS_LABEL_ENC=X\n"); }, false},
        {"nothing", [](const Tree&) {}, false},
    };
    for (const Case& c : cases) {
        const Tree tree;
        lnx::DeviceWatch watch{lnx::DriveSource(tree.config)};
        ASSERT_GE(watch.noticeFd(), 0) << c.what;
        EXPECT_EQ(watch.mountTableFd(), -1) << c.what << ": a plain file is watched through its folder";
        c.change(tree);
        EXPECT_EQ(readable(watch.noticeFd()), c.what != std::string("nothing")) << c.what;
        EXPECT_EQ(watch.takeNotices(), c.wakes) << c.what;
        EXPECT_FALSE(readable(watch.noticeFd())) << c.what << ": every notice was taken";
        EXPECT_FALSE(watch.takeNotices()) << c.what;
    }
}

TEST(DeviceWatch, theKernelsMountTableIsWatchedForItsPriorityCondition) {
    lnx::DriveSourceConfig config;
    config.sysBlock = "/nonexistent/sys";
    config.udevData = "/nonexistent/udev";
    lnx::DeviceWatch watch{lnx::DriveSource(config)};
    ASSERT_GE(watch.mountTableFd(), 0);
    EXPECT_EQ(watch.noticeFd(), -1) << "no folder could be watched";
    // Nothing is mounted meanwhile: no priority condition, though the table is always readable.
    pollfd p{watch.mountTableFd(), POLLPRI, 0};
    EXPECT_EQ(::poll(&p, 1, 0), 0);
}

// A mount made in a mount namespace of the test's own, so that nothing outside sees it; false where
// the test may not make one.
class PrivateMount {
  public:
    explicit PrivateMount(const std::string& folder) : m_folder(folder) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return;
        m_namespace = true;
    }
    ~PrivateMount() {
        if (m_mounted)
            ::umount(m_folder.c_str());
    }
    PrivateMount(const PrivateMount&) = delete;
    PrivateMount& operator=(const PrivateMount&) = delete;
    bool ready() const { return m_namespace; }
    bool mount() { return m_mounted = ::mount("tavimoro-test", m_folder.c_str(), "tmpfs", 0, nullptr) == 0; }

  private:
    std::string m_folder;
    bool m_namespace = false;
    bool m_mounted = false;
};

TEST(DeviceWatch, aMountWakesTheWindowThroughTheKernelsMountTable) {
    qttest::application();
    const TempDir folder;
    PrivateMount mount(folder.str());
    if (!mount.ready())
        GTEST_SKIP() << "no mount namespace of its own may be made here";
    lnx::DriveSourceConfig config;
    config.sysBlock = folder / "sys";
    config.udevData = folder / "udev";
    qtui::QtDeviceEvents events{lnx::DriveSource(config)};
    int calls = 0;
    events.setHandler([&] { ++calls; });
    ASSERT_TRUE(mount.mount());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (calls == 0 && std::chrono::steady_clock::now() < deadline)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(calls, 1);
    // The condition is taken with the notice: no further call without a further change.
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_EQ(calls, 1);
}

TEST(DeviceWatch, missingFoldersLeaveNothingToWatch) {
    lnx::DriveSourceConfig config;
    config.sysBlock = config.udevData = config.mountinfo = "/nonexistent/x";
    lnx::DeviceWatch watch{lnx::DriveSource(config)};
    EXPECT_EQ(watch.mountTableFd(), -1);
    EXPECT_EQ(watch.noticeFd(), -1);
    EXPECT_FALSE(watch.takeNotices());
}

} // namespace
