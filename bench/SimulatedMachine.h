#pragma once
// The simulated machine the benchmarks run over: CD-ROM drives sr0.. (D:, E:, ...) as sysfs, the udev
// database and the mount table show them, each with a mounted autorun disc whose icon is inside a
// program file. Made in a temporary folder, removed again with the object.
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace bench {

namespace fs = std::filesystem;

// A program file with icons, when Wine is installed; without it the discs' icons cannot be read.
inline const char* const kSampleProgram = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/notepad.exe";

inline void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// CPU time of the whole process (user and system), in seconds.
inline double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct SimulatedMachine {
    fs::path root;
    int drives;
    std::string sysBlock, udevData, mountinfo, devDir;

    SimulatedMachine(const fs::path& base, int driveCount) : root(base), drives(driveCount) {
        fs::remove_all(root);
        sysBlock = (root / "sys").string();
        udevData = (root / "udev").string();
        mountinfo = (root / "mountinfo").string();
        devDir = (root / "dev").string();
        fs::create_directories(udevData);
        fs::create_directories(devDir);
        // A hard disk: the block-device folder is there even without CD-ROM drives.
        writeFile(root / "sys" / "sda" / "dev", "8:0\n");
        writeFile(root / "sys" / "sda" / "device" / "type", "0\n");
        for (int n = 0; n < drives; ++n) {
            const std::string name = "sr" + std::to_string(n);
            writeFile(root / "sys" / name / "dev", "11:" + std::to_string(n) + "\n");
            writeFile(root / "sys" / name / "device" / "type", "5\n");
            const fs::path disc = discFolder(n);
            writeFile(disc / "AUTORUN.INF", "[AutoRun]\r\nopen=setup.exe /auto\r\nicon=setup.exe,0\r\n");
            if (fs::exists(kSampleProgram))
                fs::copy_file(kSampleProgram, disc / "setup.exe", fs::copy_options::overwrite_existing);
            label(n, "DISC_" + std::to_string(n));
        }
        mountAll(true);
    }
    ~SimulatedMachine() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    SimulatedMachine(const SimulatedMachine&) = delete;
    SimulatedMachine& operator=(const SimulatedMachine&) = delete;

    fs::path discFolder(int n) const { return root / "discs" / ("sr" + std::to_string(n)); }
    std::string udevFile(int n) const { return udevData + "/b11:" + std::to_string(n); }

    // udev rewrites a drive's file whole on a media change.
    void label(int n, const std::string& text) const {
        writeFile(udevFile(n) + ".new", "E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=" + text + "\n");
        fs::rename(udevFile(n) + ".new", udevFile(n));
    }
    // The mount table with every disc mounted but `except`, or with none; replaced whole, as the
    // end-to-end tests replace it.
    void mountAll(bool mounted, int except = -1) const {
        std::string text = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n";
        for (int n = 0; mounted && n < drives; ++n)
            if (n != except)
                text += std::to_string(100 + n) + " 22 11:" + std::to_string(n) + " / " +
                        discFolder(n).string() + " ro,relatime - iso9660 /dev/sr" + std::to_string(n) +
                        " ro\n";
        writeFile(mountinfo + ".new", text);
        fs::rename(mountinfo + ".new", mountinfo);
    }
};

} // namespace bench
