#include "drives_test_support.h"
#include "linux/DiscImage.h"
#include "linux/DriveSource.h"
#include "linux/LinuxDrives.h"
#include "linux/Mountinfo.h"
#include "linux/OwnedFd.h"

#include <functional>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <vector>

namespace {

using drivetest::TempDir;
using drivetest::writeFile;

// A fake machine: sysfs block devices, the udev database, the mount table and device nodes.
class FakeMachine {
  public:
    FakeMachine() {
        m_config.sysBlock = m_dir / "sys/class/block";
        m_config.udevData = m_dir / "run/udev/data";
        m_config.mountinfo = m_dir / "proc/mountinfo";
        m_config.devDir = m_dir / "dev";
        std::filesystem::create_directories(m_config.sysBlock);
        std::filesystem::create_directories(m_config.udevData);
        std::filesystem::create_directories(m_config.devDir);
        writeFile(m_config.mountinfo, "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n");
    }
    void addBlock(const std::string& name, const std::string& dev, const char* scsiType) {
        writeFile(m_config.sysBlock + "/" + name + "/dev", dev + "\n");
        if (scsiType)
            writeFile(m_config.sysBlock + "/" + name + "/device/type", std::string(scsiType) + "\n");
    }
    void addCdrom(unsigned number) {
        addBlock("sr" + std::to_string(number), "11:" + std::to_string(number), "5");
    }
    void mount(const std::string& line) {
        writeFile(m_config.mountinfo, drivetest::readFile(m_config.mountinfo) + line + "\n");
    }
    void udev(const std::string& dev, const std::string& content) {
        writeFile(m_config.udevData + "/b" + dev, content);
    }
    lnx::DriveSource source() const { return lnx::DriveSource(m_config); }
    const lnx::DriveSourceConfig& config() const { return m_config; }
    const TempDir& dir() const { return m_dir; }

  private:
    TempDir m_dir;
    lnx::DriveSourceConfig m_config;
};

TEST(DriveSource, lettersCdromDrivesInKernelNumberOrder) {
    FakeMachine machine;
    for (unsigned n : {10u, 2u, 0u, 1u})
        machine.addCdrom(n);
    machine.addBlock("sda", "8:0", "0");
    machine.addBlock("sda1", "8:1", nullptr);
    machine.addBlock("sr3", "11:3", "0"); // a disk that happens to be named sr*
    machine.addBlock("sr4", "11:4", nullptr);
    machine.addBlock("sr5x", "11:5", "5");
    machine.addBlock("sr6", "garbage", "5");

    const auto drives = machine.source().drives();
    ASSERT_EQ(drives.size(), 4u);
    const std::vector<std::pair<char, std::string>> expected{
        {'D', "sr0"}, {'E', "sr1"}, {'F', "sr2"}, {'G', "sr10"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(drives[i].letter, expected[i].first);
        EXPECT_EQ(drives[i].kernelName, expected[i].second);
        EXPECT_EQ(drives[i].major, 11u);
    }
    EXPECT_EQ(drives[3].minor, 10u);

    EXPECT_EQ(lnx::LinuxDrives(machine.source()).cdromLetters(), (std::vector<char>{'D', 'E', 'F', 'G'}));
}

TEST(DriveSource, discImagesAreDrivesLetteredAfterTheOpticalOnesInLoopOrder) {
    FakeMachine machine;
    machine.addCdrom(0);
    struct Loop {
        unsigned number;
        const char* backing; // nullptr: detached
        const char* fileSystem;
    };
    const Loop loops[] = {
        {10, "/home/u/b.iso", "udf"},    {2, "/home/u/a.iso", "iso9660"}, {3, nullptr, "iso9660"},
        {4, "/home/u/disk.img", "ext4"}, {5, "/home/u/c.iso", nullptr},   {6, "\n", "iso9660"},
    };
    for (const Loop& loop : loops) {
        const std::string name = "loop" + std::to_string(loop.number),
                          dev = "7:" + std::to_string(loop.number);
        machine.addBlock(name, dev, nullptr);
        if (loop.backing)
            writeFile(machine.config().sysBlock + "/" + name + "/loop/backing_file",
                      std::string(loop.backing) + "\n");
        if (loop.fileSystem)
            machine.udev(dev, std::string("E:ID_FS_TYPE=") + loop.fileSystem + "\nE:ID_FS_LABEL_ENC=IMG\n");
    }
    machine.mount("50 22 7:2 / /media/u/A ro - iso9660 /dev/loop2 ro");
    const auto source = machine.source();
    const auto drives = source.drives();
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].kernelName, "sr0");
    EXPECT_EQ(drives[1].kernelName, "loop2");
    EXPECT_EQ(drives[1].letter, 'E');
    EXPECT_EQ(drives[1].imageFile, "/home/u/a.iso");
    EXPECT_EQ(drives[2].kernelName, "loop10");
    EXPECT_EQ(source.mountPoint('E'), "/media/u/A");
    const lnx::Medium unmounted = source.medium('F');
    EXPECT_TRUE(unmounted.mountable) << "an image is a disc always in its drive";
    EXPECT_EQ(unmounted.label, "IMG");
}

TEST(DiscImage, aFileIsAnImageWhenADiscFileSystemIsWhereAReaderLooksFirst) {
    TempDir dir;
    struct Case {
        const char* name;
        std::size_t offset; // where the identifier goes; 0 for none
        const char* identifier;
        std::size_t size;
        bool image;
    };
    const Case cases[] = {
        {"iso9660.iso", 0x8001, "CD001", 0x9000, true},
        {"udf.img", 0x8801, "BEA01", 0x9800, true},
        {"nsr.img", 0x9001, "NSR03", 0xA000, true},
        {"late.img", 0x9801, "CD001", 0xA000, false},
        {"zeros.iso", 0, "", 0x9000, false},
        {"short.iso", 0, "", 100, false},
    };
    for (const Case& c : cases) {
        std::string bytes(c.size, '\0');
        if (c.offset)
            bytes.replace(c.offset, 5, c.identifier);
        writeFile(dir / c.name, bytes);
        EXPECT_EQ(lnx::holdsDiscFileSystem(dir / c.name), c.image) << c.name;
    }
    EXPECT_FALSE(lnx::holdsDiscFileSystem(dir.str())) << "a folder";
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(lnx::holdsDiscFileSystem(dir / "fifo")) << "a fifo, never waited on";
}

TEST(DriveSource, stopsAtZ) {
    FakeMachine machine;
    for (unsigned n = 0; n < 30; ++n)
        machine.addCdrom(n);
    const auto drives = machine.source().drives();
    ASSERT_EQ(drives.size(), 23u);
    EXPECT_EQ(drives.back().letter, 'Z');
    EXPECT_EQ(drives.back().kernelName, "sr22");
}

TEST(DriveSource, noSysfsMeansNoDrives) {
    lnx::DriveSourceConfig config;
    config.sysBlock = "/nonexistent/tavimoro/sys";
    EXPECT_TRUE(lnx::DriveSource(config).drives().empty());
}

TEST(DriveSource, mountPointFollowsDeviceNumberAndUnescapes) {
    FakeMachine machine;
    machine.addCdrom(0);
    machine.addCdrom(1);
    machine.addCdrom(2);
    // A bind mount of a sub-folder comes first and must not count as the medium's root.
    machine.mount("40 22 11:1 /sub /srv/bound rw - iso9660 /dev/sr1 ro");
    machine.mount("41 22 11:1 / /media/user/My\\040Disc\\011\\134x ro,nosuid shared:7 master:2 - iso9660 "
                  "/dev/disk/by-label/My\\040Disc ro");
    machine.mount("42 22 11:2 / /media/cd2 ro - udf /dev/sr2 ro");
    const auto source = machine.source();
    EXPECT_EQ(source.mountPoint('D'), std::nullopt);
    EXPECT_EQ(source.mountPoint('E'), "/media/user/My Disc\t\\x");
    EXPECT_EQ(source.mountPoint('e'), "/media/user/My Disc\t\\x");
    EXPECT_EQ(source.mountPoint('F'), "/media/cd2");
    EXPECT_EQ(source.mountPoint('G'), std::nullopt);
    EXPECT_EQ(source.mountPoint('C'), std::nullopt);
}

TEST(DriveSource, readsAMountTableOfManyThousandMounts) {
    FakeMachine machine;
    machine.addCdrom(0);
    std::string table = drivetest::readFile(machine.config().mountinfo);
    // A container host: some 12,000 overlay mounts (about 1.5 MiB) before the disc's line.
    for (int i = 0; i < 12000; ++i)
        table += std::to_string(100 + i) + " 22 0:" + std::to_string(50 + i) +
                 " / /var/lib/containers/storage/overlay/" + std::to_string(i) +
                 "/merged rw,relatime - overlay overlay rw,lowerdir=/a,upperdir=/b,workdir=/c\n";
    table += "99999 22 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n";
    ASSERT_GT(table.size(), 1u << 20);
    writeFile(machine.config().mountinfo, table);
    EXPECT_EQ(machine.source().mountPoint('D'), "/media/cdrom");
}

struct UdevCase {
    const char* name;
    std::string udevContent;
    std::string expected;
    bool mounted = true, mountable = false;
};

class DriveSourceUdev : public ::testing::TestWithParam<UdevCase> {};

TEST_P(DriveSourceUdev, labelComesFromTheUdevDatabase) {
    FakeMachine machine;
    machine.addCdrom(0);
    if (GetParam().mounted)
        machine.mount("50 22 11:0 / /media/cd ro - iso9660 /dev/sr0 ro");
    machine.udev("11:0", GetParam().udevContent);
    const port::Disc disc = lnx::LinuxDrives(machine.source()).disc('D');
    EXPECT_EQ(std::tuple(disc.label, !disc.root.empty(), disc.mountable),
              std::tuple(GetParam().expected, GetParam().mounted, GetParam().mountable));
}

INSTANTIATE_TEST_SUITE_P(
    Labels, DriveSourceUdev,
    ::testing::Values(
        UdevCase{"space_escape",
                 "S:disk/by-label/My\\x20Disc\nE:ID_FS_LABEL=My_Disc\nE:ID_FS_LABEL_ENC=My\\x20Disc\n",
                 "My Disc"},
        UdevCase{"utf8_escapes",
                 "E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=\\xe3\\x83\\x87\\xe3\\x82\\xa3\\xe3\\x82\\xb9\n",
                 "ディス"},
        UdevCase{"cp932_bytes", "E:ID_FS_LABEL_ENC=\\x83f\\x83B\\x83X\\x83N\n", "ディスク"},
        UdevCase{"backslash_and_bad_escape", "E:ID_FS_LABEL_ENC=A\\x5cB\\xZZ\\x4\n", "A\\B\\xZZ\\x4"},
        UdevCase{"empty_label", "E:ID_FS_TYPE=iso9660\nE:ID_FS_LABEL_ENC=\n", ""},
        UdevCase{"trailing_blanks", "E:ID_FS_LABEL_ENC=DISC\\x20\\x20\n", "DISC"},
        UdevCase{"unmounted", "E:ID_CDROM_MEDIA=1\nE:ID_FS_TYPE=udf\nE:ID_FS_LABEL_ENC=CD", "CD", false,
                 true},
        UdevCase{"unmounted_without_file_system", "E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=X\n", "", false}),
    [](const ::testing::TestParamInfo<UdevCase>& info) { return std::string(info.param.name); });

TEST(DriveSource, unmountedMediumReadsAsEmptyDrive) {
    FakeMachine machine;
    machine.addCdrom(0);
    machine.udev("11:0", "E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=INSERTED\n");
    lnx::LinuxDrives drives(machine.source());
    EXPECT_EQ(drives.disc('D').label, "");
    EXPECT_EQ(drives.disc('D').root, "");
    EXPECT_EQ(drives.disc('E').label, ""); // no such drive

    machine.mount("50 22 11:0 / /media/cd ro - iso9660 /dev/sr0 ro");
    EXPECT_EQ(drives.disc('D').label, "INSERTED"); // asked anew on every call
    EXPECT_EQ(drives.disc('D').root, "/media/cd");
}

TEST(DriveSource, aPollReadsTheDrivesOnceAndCopiesShareIt) {
    FakeMachine machine;
    machine.addCdrom(0);
    machine.udev("11:0", "E:ID_FS_LABEL_ENC=ONE\n");
    const auto source = machine.source();
    const lnx::DriveSource copy = source; // as the disc paths and the drives hold it
    const std::string unmounted = drivetest::readFile(machine.config().mountinfo);
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* label; // of D: as the copy sees it afterwards
    };
    const Step steps[] = {
        {"outside a poll every call reads anew",
         [&] { machine.mount("50 22 11:0 / /media/cd ro - iso9660 /dev/sr0 ro"); }, "ONE"},
        {"a poll begins with the disc mounted", [&] { source.beginPoll(); }, "ONE"},
        {"an unmount within the poll waits for the next",
         [&] { writeFile(machine.config().mountinfo, unmounted); }, "ONE"},
        {"a nested poll reads nothing anew", [&] { copy.beginPoll(); }, "ONE"},
        {"so does the end of the nested one", [&] { copy.endPoll(); }, "ONE"},
        {"the end of the poll", [&] { source.endPoll(); }, ""},
        {"a second drive outside a poll", [&] { machine.addCdrom(1); }, ""},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(copy.label('D'), step.label) << step.what;
    }
    EXPECT_EQ(copy.drives().size(), 2u);
}

TEST(DriveSource, aLookReadsOnlyWhatMayHaveChanged) {
    FakeMachine machine;
    for (const unsigned n : {0u, 1u})
        machine.addCdrom(n);
    machine.addBlock("loop0", "7:0", nullptr);
    const std::string sys = machine.config().sysBlock, udev = machine.config().udevData;
    writeFile(sys + "/loop0/loop/backing_file", "/i.iso\n");
    for (const char* device : {"11:0", "11:1", "7:0"})
        machine.udev(device, "E:ID_FS_TYPE=iso9660\n");
    // The files opened in these folders; "[list]" for a listing of the block-device folder.
    const lnx::OwnedFd watch(::inotify_init1(IN_NONBLOCK));
    const int block = ::inotify_add_watch(watch.get(), sys.c_str(), IN_OPEN);
    for (const std::string& folder : {udev, sys + "/loop0/loop", machine.dir() / "proc"})
        ::inotify_add_watch(watch.get(), folder.c_str(), IN_OPEN);
    const auto opened = [&] {
        std::set<std::string> names;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(watch.get(), buffer, sizeof buffer)) > 0;)
            for (const char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                names.insert(event->len ? event->name : event->wd == block ? "[list]" : "?");
                at += sizeof(inotify_event) + event->len;
            }
        return names;
    };
    using Names = std::set<std::string>;
    const Names devices{"[list]", "b7:0", "backing_file", "mountinfo"};
    const std::pair<std::function<void()>, Names> steps[] = {
        {[] {}, {"[list]", "b11:0", "b11:1", "b7:0", "backing_file", "mountinfo"}},
        {[] {}, {"mountinfo"}}, // a table in a plain file is read at every look
        {[&] { machine.udev("11:0", "E:ID_CDROM_MEDIA=0\n"); }, {"b11:0", "mountinfo"}},
        {[&] {
             machine.udev("11:1.new", "E:ID_CDROM_MEDIA=0\n");
             std::filesystem::rename(udev + "/b11:1.new", udev + "/b11:1");
         },
         {"b11:1", "mountinfo"}},
        {[&] { machine.udev("8:0", ""); }, devices},
        {[&] { machine.udev("7:0", "E:ID_FS_TYPE=iso9660\n"); }, devices},
        {[&] { std::filesystem::remove(udev + "/b11:1"); }, devices},
        {[&] { machine.addBlock("sdb", "8:16", "0"); }, devices},
    };
    const auto source = machine.source();
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i].first();
        opened();
        source.beginPoll();
        for (const char letter : {'D', 'E', 'F'})
            static_cast<void>(source.medium(letter));
        source.endPoll();
        EXPECT_EQ(opened(), steps[i].second) << "step " << i;
    }
}

TEST(DriveSource, aFifoInPlaceOfAFileDoesNotHangTheRead) {
    for (const char* fifo : {"udev", "mountinfo"}) {
        FakeMachine machine;
        machine.addCdrom(0);
        machine.mount("50 22 11:0 / /media/cd ro - iso9660 /dev/sr0 ro");
        const std::string path =
            std::string(fifo) == "udev" ? machine.config().udevData + "/b11:0" : machine.config().mountinfo;
        std::filesystem::remove(path);
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << fifo;
        EXPECT_EQ(machine.source().label('D'), "") << fifo;
        EXPECT_EQ(machine.source().mountPoint('D'),
                  std::string(fifo) == "udev" ? "/media/cd" : std::optional<std::string>())
            << fifo;
    }
}

TEST(DriveSource, withoutUdevTheDescriptorsOfTheDeviceGiveTheLabel) {
    if (!drivetest::haveTool("genisoimage"))
        GTEST_SKIP() << "genisoimage is not installed";
    FakeMachine machine;
    machine.addCdrom(0);
    machine.addCdrom(1);
    machine.mount("50 22 11:0 / /media/cd0 ro - iso9660 /dev/sr0 ro");
    machine.mount("51 22 11:1 / /media/cd1 ro - iso9660 /dev/sr1 ro");
    ASSERT_TRUE(
        drivetest::makeGenisoImage(machine.dir(), machine.config().devDir + "/sr0", "FROM DEVICE", "-J"));
    ASSERT_TRUE(
        drivetest::makeGenisoImage(machine.dir(), machine.config().devDir + "/sr1", "SR1 DEVICE", "-J"));
    // udev knows the device but has not probed a file system on it.
    machine.udev("11:1", "E:ID_CDROM=1\n");

    lnx::LinuxDrives drives(machine.source());
    EXPECT_EQ(drives.disc('D').label, "FROM DEVICE");
    EXPECT_EQ(drives.disc('D').root, "/media/cd0");
    EXPECT_EQ(drives.disc('E').label, "SR1 DEVICE");

    // A medium whose device node holds no ISO 9660 data has no label.
    writeFile(machine.config().devDir + "/sr1", std::string(40000, 'z'));
    EXPECT_EQ(drives.disc('E').label, "");
    std::filesystem::remove(machine.config().devDir + "/sr1");
    EXPECT_EQ(drives.disc('E').label, "");
}

struct MountinfoCase {
    const char* name;
    std::string text;
    std::size_t count;
    std::string firstMountPoint;
};

class MountinfoParse : public ::testing::TestWithParam<MountinfoCase> {};

TEST_P(MountinfoParse, keepsWellFormedLinesOnly) {
    const auto entries = lnx::parseMountinfo(GetParam().text);
    ASSERT_EQ(entries.size(), GetParam().count);
    if (!entries.empty()) {
        EXPECT_EQ(entries.front().mountPoint, GetParam().firstMountPoint);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MountinfoParse,
    ::testing::Values(
        MountinfoCase{"empty", "", 0, ""},
        MountinfoCase{"no_separator_dash", "1 0 11:0 / /mnt rw shared:1 iso9660 /dev/sr0 ro\n", 0, ""},
        MountinfoCase{"bad_device", "1 0 11x0 / /mnt rw - iso9660 /dev/sr0 ro\n", 0, ""},
        MountinfoCase{"too_short", "1 0 11:0 /\n", 0, ""},
        MountinfoCase{"no_final_newline", "1 0 11:0 / /a\\040b rw - iso9660 /dev/sr0 ro", 1, "/a b"},
        MountinfoCase{"mixed", "junk\n1 0 11:0 / /ok rw - iso9660 /dev/sr0 ro\n\n2 1 x\n", 1, "/ok"}),
    [](const ::testing::TestParamInfo<MountinfoCase>& info) { return std::string(info.param.name); });

TEST(Mountinfo, unescapesOctalOnly) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"/a\\040b", "/a b"},     {"/a\\011b\\012c", "/a\tb\nc"}, {"/back\\134slash", "/back\\slash"},
        {"/end\\04", "/end\\04"}, {"/not\\08x", "/not\\08x"},     {"/\\", "/\\"},
        {"/\\777", "/\\777"}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(lnx::unescapeMountField(in), out) << in;
}

} // namespace
