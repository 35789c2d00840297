// Measures the drive window on the Linux build over a simulated machine with 23 CD-ROM drives (D: to
// Z:) and all 26 letters registered: the CPU time of one poll when nothing changed and when every
// drive changed, and the time from start to the window being shown. It also checks that a poll with
// nothing changed opens no file on any disc: only the label sources are read.
#include "app/code_main.h"
#include "qt/QtProgram.h"
#include "ui/frm_main.h"

#include <QApplication>
#include <QWidget>

#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kDrives = 23; // sr0..sr22 are lettered D: to Z:
// More polls give steadier means; TAVIMORO_BENCH_POLLS lowers them for a run under a profiler.
const int kIdlePolls =
    std::getenv("TAVIMORO_BENCH_POLLS") ? std::atoi(std::getenv("TAVIMORO_BENCH_POLLS")) : 500;
const int kChangedPolls = kIdlePolls / 5 > 0 ? kIdlePolls / 5 : 1;
const char* const kSampleProgram = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/notepad.exe";

void write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Machine {
    fs::path root;
    lnx::DriveSourceConfig config;

    explicit Machine(const fs::path& base) : root(base) {
        config.sysBlock = (root / "sys").string();
        config.udevData = (root / "udev").string();
        config.mountinfo = (root / "mountinfo").string();
        config.devDir = (root / "dev").string();
        std::string mountinfo = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";
        for (int n = 0; n < kDrives; ++n) {
            const std::string name = "sr" + std::to_string(n);
            write(root / "sys" / name / "dev", "11:" + std::to_string(n) + "\n");
            write(root / "sys" / name / "device" / "type", "5\n");
            const fs::path disc = root / "discs" / name;
            write(disc / "AUTORUN.INF", "[AutoRun]\r\nopen=setup.exe /auto\r\nicon=setup.exe,0\r\n");
            if (fs::exists(kSampleProgram))
                fs::copy_file(kSampleProgram, disc / "setup.exe", fs::copy_options::overwrite_existing);
            mountinfo += std::to_string(100 + n) + " 1 11:" + std::to_string(n) + " / " + disc.string() +
                         " ro - iso9660 /dev/" + name + " ro\n";
            label(n, "DISC_" + std::to_string(n));
        }
        write(root / "mountinfo", mountinfo);
    }
    void label(int n, const std::string& text) const {
        write(root / "udev" / ("b11:" + std::to_string(n)),
              "E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=" + text + "\n");
    }
    // Watches every disc folder for files being opened or read.
    int watchDiscs() const {
        const int fd = inotify_init1(IN_NONBLOCK);
        for (int n = 0; n < kDrives; ++n)
            inotify_add_watch(fd, (root / "discs" / ("sr" + std::to_string(n))).c_str(), IN_OPEN | IN_ACCESS);
        return fd;
    }
};

int drainEvents(int fd) {
    alignas(inotify_event) char buffer[4096];
    int events = 0;
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            ++events;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return events;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path base = fs::temp_directory_path() / ("tavimoro-bench-" + std::to_string(getpid()));
    fs::remove_all(base);
    const Machine machine(base);
    for (const char* variable :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        setenv(variable, (base / "home" / variable).c_str(), 1);
    fs::create_directories(base / "home" / "XDG_RUNTIME_DIR");
    std::string registrations = "[CD]\n";
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        registrations += std::string("Drive_") + letter + "=True\n";
    write(base / "home" / "XDG_CONFIG_HOME" / "tavimoro" / "tavimoro.ini", registrations);
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication application(argc, argv);
    const auto started = std::chrono::steady_clock::now();
    const double startedCpu = cpuSeconds();
    qtui::LinuxPlatform platform("tavimoro", {}, machine.config);
    app::Program program(platform.services);
    if (app::code_main::SubMain(program) != app::StartOutcome::ShowMainWindow) {
        std::fprintf(stderr, "unexpected start-up outcome\n");
        return 1;
    }
    qtui::QtWindow window(platform.icons, qtui::TrayHost::XEmbed, platform.drives);
    app::frm_main form(program, window.services);
    form.Start(app::StartOutcome::ShowMainWindow);
    QApplication::processEvents();
    const double shownMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    const double shownCpuMs = (cpuSeconds() - startedCpu) * 1000;
    if (!window.view.window().isVisible() || form.controls().UBound() != 26) {
        std::fprintf(stderr, "the window is not showing 26 rows\n");
        return 1;
    }

    const int watch = machine.watchDiscs();
    double cpu = cpuSeconds();
    for (int i = 0; i < kIdlePolls; ++i)
        form.tim_Refresh_Timer();
    const double idleUs = (cpuSeconds() - cpu) / kIdlePolls * 1e6;
    const int discEvents = drainEvents(watch);
    close(watch);

    // Every drive changes at every poll: the discs alternate between two labels, so the records go
    // from their loaded state to the cleared one and back, reading AUTORUN.INF and the icon each time
    // they load.
    double changedCpu = 0;
    for (int i = 0; i < kChangedPolls; ++i) {
        for (int n = 0; n < kDrives; ++n)
            machine.label(n, (i % 2 ? "DISC_" : "OTHER_") + std::to_string(n));
        cpu = cpuSeconds();
        form.tim_Refresh_Timer();
        changedCpu += cpuSeconds() - cpu;
    }
    const double changedUs = changedCpu / kChangedPolls * 1e6;

    std::printf("drives registered:                 26 (23 CD-ROM drives, D: to Z:)\n");
    std::printf("icons from a PE file:              %s\n",
                fs::exists(kSampleProgram) ? "yes" : "no (wine missing)");
    std::printf("start to window shown:             %.1f ms (%.1f ms CPU)\n", shownMs, shownCpuMs);
    std::printf("one poll, nothing changed:         %.1f us CPU (mean of %d)\n", idleUs, kIdlePolls);
    std::printf("one poll, every drive changed:     %.1f us CPU (mean of %d)\n", changedUs, kChangedPolls);
    std::printf("disc files opened by idle polls:   %d\n", discEvents);

    fs::remove_all(base);
    return discEvents == 0 ? 0 : 2;
}
