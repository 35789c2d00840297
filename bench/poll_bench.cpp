// The drive window of the Linux build over a simulated machine (see SimulatedMachine.h), offscreen: the
// real window, presenter and Linux services, with every drive registered and holding a mounted autorun
// disc whose icon is inside a program file.
//   poll_bench DRIVES [POLLS]
// Prints "key value" lines:
//   idle_poll_us, changed_poll_us   median CPU time of one poll (user and system) with nothing changed,
//                                   and with every drive changed (half of those polls read AUTORUN.INF and
//                                   the icon: a swapped disc takes two polls)
//   row_bytes_icons, row_bytes_empty  heap bytes per drive row: rows showing their discs' icons, after the
//                                   first one's, and empty rows showing the program's icon, less the window
//                                   with one row of its own (drive A:); less the window's pixels
//   wake_ms_median, wake_ms_max     wall time from a disc being mounted (the mount table and the udev
//                                   file replaced) to its row showing the label, with RefreshTimer=1000
//   disc_files_opened               files on the discs that the idle polls opened: must be 0
// The exit status is 2 when an idle poll opened a disc file.
#include "SimulatedMachine.h"
#include "program/Program.h"
#include "qt/QtProgram.h"

#include <QApplication>
#include <QDBusConnection>
#include <QLabel>
#include <QPixmapCache>
#include <QWidget>

#include <malloc.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bench::cpuSeconds;

// Heap in use, Qt's pixmap cache emptied first: what the cache keeps is bounded and evicted at will,
// not held by any row.
std::size_t heapBytes() {
    QPixmapCache::clear();
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Watches every disc folder for files being opened or read.
int watchDiscs(const bench::SimulatedMachine& machine) {
    const int fd = inotify_init1(IN_NONBLOCK);
    for (int n = 0; n < machine.drives; ++n)
        inotify_add_watch(fd, machine.discFolder(n).c_str(), IN_OPEN | IN_ACCESS);
    return fd;
}

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

// Runs the event loop until `done` holds, for at most two seconds; the wall time it took, in ms.
template <class Done> double eventsUntil(Done done) {
    const auto start = std::chrono::steady_clock::now();
    while (!done() && std::chrono::steady_clock::now() - start < std::chrono::seconds(2))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Lets the window paint and the rows that went be deleted.
void settle() {
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace

int main(int argc, char** argv) {
    // The allocator's per-thread cache holds freed blocks (up to 7 of each size) that mallinfo2 counts as
    // in use, which moved the heap per row by a kilobyte from run to run: the benchmark runs without it.
    if (!getenv("GLIBC_TUNABLES") && setenv("GLIBC_TUNABLES", "glibc.malloc.tcache_count=0", 1) == 0)
        execv("/proc/self/exe", argv);
    const int drives = argc > 1 ? std::atoi(argv[1]) : 23;
    const int idlePolls = argc > 2 ? std::atoi(argv[2]) : 300;
    if (drives < 0 || drives > 23 || idlePolls <= 0) {
        std::fputs("usage: poll_bench DRIVES(0-23) [POLLS]\n", stderr);
        return 2;
    }
    const bench::fs::path base =
        bench::fs::temp_directory_path() / ("tavimoro-bench-" + std::to_string(getpid()));
    const bench::SimulatedMachine machine(base / "machine", drives);
    for (const char* variable :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        setenv(variable, (base / "home" / variable).c_str(), 1);
    bench::fs::create_directories(base / "home" / "XDG_RUNTIME_DIR");
    bench::fs::permissions(base / "home" / "XDG_RUNTIME_DIR", bench::fs::perms::owner_all);
    // A: is no CD-ROM drive: the window starts with one empty row, and the drives' rows come with
    // their letter keys, so that what the rows cost stands apart from what the window costs.
    const std::string settings = "[Status]\nRefreshTimer=1000\nChangeTimer=1000\n[CD]\nDrive_A=True\n";
    bench::writeFile(base / "home" / "XDG_CONFIG_HOME" / "tavimoro" / "tavimoro.ini", settings);
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication application(argc, argv);
    lnx::DriveSourceConfig config;
    config.sysBlock = machine.sysBlock;
    config.udevData = machine.udevData;
    config.mountinfo = machine.mountinfo;
    config.devDir = machine.devDir;
    qtui::LinuxPlatform platform("tavimoro", {}, config);
    program::Program program(platform.services);
    if (program.start() != program::StartOutcome::ShowWindow) {
        std::fprintf(stderr, "unexpected start-up outcome\n");
        return 1;
    }
    // No notification area: the window stays shown, as on a desktop without one.
    qtui::QtWindow window(platform.icons, QDBusConnection(QStringLiteral("none")), platform.driveSource);
    const auto form = program.openWindow(window.services, program::StartOutcome::ShowWindow);
    QLabel glyphs(QStringLiteral("DISC_0123456789 (ABCDEFGHIJKLMNOPQRSTUVWXYZ:)"), &window.view.window());
    glyphs.show(); // glyphs are kept once per character: each the rows show is drawn before the first count
    settle();
    glyphs.hide();
    const std::size_t heapOneRow = heapBytes();
    const QSize sizeOneRow = window.view.window().size();
    // The event loop turns between two key presses, as it does for the user's.
    // The first disc's row pays for what the rows after it share (the icon decoder's loading, the first
    // Start-menu entry): a row with a disc icon is counted from there on.
    std::size_t heapFirstRow = heapOneRow;
    QSize sizeFirstRow = sizeOneRow;
    for (int n = 0; n < drives; ++n) {
        form->keyPressed({port::Key::Kind::Letter, static_cast<char>('D' + n), false});
        settle();
        if (n == 0) {
            heapFirstRow = heapBytes();
            sizeFirstRow = window.view.window().size();
        }
    }
    if (!window.view.window().isVisible() || form->driveList().records().size() != std::size_t(drives) + 1) {
        std::fprintf(stderr, "the window is not showing %d rows\n", drives + 1);
        return 1;
    }
    const std::size_t heapWithIcons = heapBytes();
    const QSize sizeWithIcons = window.view.window().size();

    // Nothing changed.
    const int watch = watchDiscs(machine);
    std::vector<double> batches;
    for (int batch = 0; batch < 9; ++batch) {
        const double start = cpuSeconds();
        for (int i = 0; i < idlePolls; ++i)
            form->refreshTick();
        batches.push_back((cpuSeconds() - start) / idlePolls * 1e6);
    }
    const double idleUs = median(batches);
    const int discEvents = drainEvents(watch);
    close(watch);

    // Every drive changes at every poll: the discs alternate between two labels, so the records go from
    // their loaded state to the cleared one and back, both kinds counting alike.
    // Pairs of polls, at least 800 drive changes a batch, so that few drives still make a steady figure.
    const int changedPolls = std::max(idlePolls / 15, 400 / std::max(drives, 1)) * 2;
    batches.clear();
    for (int batch = 0; batch < 5; ++batch) {
        double cpu = 0;
        for (int i = 0; i < changedPolls; ++i) {
            for (int n = 0; n < drives; ++n)
                machine.label(n, (i % 2 ? "DISC_" : "OTHER_") + std::to_string(n));
            const double start = cpuSeconds();
            form->refreshTick();
            cpu += cpuSeconds() - start;
        }
        batches.push_back(cpu / changedPolls * 1e6);
    }
    const double changedUs = median(batches);
    for (int n = 0; n < drives; ++n)
        machine.label(n, "DISC_" + std::to_string(n));
    form->refreshTick();
    form->refreshTick();

    // A disc mounted between two ticks: the row shows it without waiting for the timer.
    std::vector<double> wakes;
    for (int i = 0; drives > 0 && i < 10; ++i) {
        const drives::DriveRecord& record = *form->driveList().records()[1];
        machine.mountAll(true, 0);
        eventsUntil([&] { return record.state().label.empty(); });
        const std::string label = "DISC_0_" + std::to_string(i);
        machine.label(0, label);
        const auto start = std::chrono::steady_clock::now();
        machine.mountAll(true);
        eventsUntil([&] { return record.state().label == label; });
        wakes.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }

    // Empty rows, then no rows at all.
    machine.mountAll(false);
    form->refreshTick();
    form->refreshTick();
    settle();
    const std::size_t heapEmpty = heapBytes();
    const QSize sizeEmpty = window.view.window().size();
    // The rows' own memory: the heap the window with them holds more than with its one empty row,
    // less the pixels of the taller window (a 4-byte backing store the size of the window).
    const auto perRow = [&](std::size_t heap, QSize size, std::size_t baseHeap, QSize baseSize, int rows) {
        const double pixels = 4.0 * (size.width() * size.height() - baseSize.width() * baseSize.height());
        return rows > 0 ? (static_cast<double>(heap) - static_cast<double>(baseHeap) - pixels) / rows : 0.0;
    };
    const auto windowPixelsPerRow = [&](QSize size) {
        return drives > 0
                   ? 4.0 * (size.width() * size.height() - sizeOneRow.width() * sizeOneRow.height()) / drives
                   : 0.0;
    };

    std::printf("drives %d\n", drives);
    std::printf("icons_from_pe_file %d\n", bench::fs::exists(bench::kSampleProgram) ? 1 : 0);
    std::printf("idle_poll_us %.2f\n", idleUs);
    std::printf("changed_poll_us %.2f\n", changedUs);
    std::printf("row_bytes_icons %.0f\n",
                perRow(heapWithIcons, sizeWithIcons, heapFirstRow, sizeFirstRow, drives - 1));
    std::printf("row_bytes_empty %.0f\n", perRow(heapEmpty, sizeEmpty, heapOneRow, sizeOneRow, drives));
    std::printf("row_window_pixels_bytes %.0f\n", windowPixelsPerRow(sizeWithIcons));
    if (!wakes.empty()) {
        std::printf("wake_ms_median %.2f\n", median(wakes));
        std::printf("wake_ms_max %.2f\n", *std::max_element(wakes.begin(), wakes.end()));
    }
    std::printf("disc_files_opened %d\n", discEvents);
    bench::fs::remove_all(base);
    return discEvents == 0 ? 0 : 2;
}
