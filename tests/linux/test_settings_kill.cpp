// Settings written by a process killed with SIGKILL at random moments: the settings file is always the
// whole old or the whole new content, and what a killed writer leaves behind is gone after the next write.
#include "app/Profile.h"
#include "linux/LinuxCodec.h"
#include "linux/LinuxFileSystem.h"
#include "linux/OwnedFd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using app::profile::Newline;
using Clock = std::chrono::steady_clock;

constexpr int kTrials = 1000;
constexpr int kKeys = 40;

// A process's death loses nothing it wrote, flushed or not, so the disk adds nothing to what is tested here:
// only time, as a killed writer's reaping waits for its fsync. The trials run in memory (tmpfs) where
// there is one.
fs::path trialFolder() {
    std::error_code ec;
    return ::access("/dev/shm", W_OK | X_OK) == 0 && fs::is_directory("/dev/shm", ec)
               ? fs::path("/dev/shm")
               : fs::temp_directory_path();
}

struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (trialFolder() / "tavimoro-kill-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path))
            names.push_back(e.path().filename().string());
        return names;
    }
};

// The n-th write of the sequence every writer follows. Keys come round again, so that writes both add
// entries and rewrite them; every value differs, so that every write changes the file.
struct Write {
    std::string section, key, value;
};
Write nthWrite(int n) {
    return {"S" + std::to_string(n % 3), "k" + std::to_string(n % kKeys), "value " + std::to_string(n)};
}

// What a writer sends once running (the number of the write before its first) and after each write that
// returned: the number of the last write it saw return, and when.
struct Report {
    int number = 0;
    Clock::time_point at;
};

// A writer process, killed and reaped when it goes out of scope.
class Writer {
  public:
    // Writes from the n-th write on, forever, reporting over a pipe.
    Writer(const std::string& path, int first) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        m_reports = lnx::OwnedFd(fds[0]);
        lnx::OwnedFd sender(fds[1]);
        m_pid = ::fork();
        if (m_pid == 0) {
            lnx::LinuxFileSystem files;
            lnx::LinuxCodec codec;
            auto report = [&](int n) {
                const Report r{n, Clock::now()};
                if (::write(sender.get(), &r, sizeof r) != sizeof r)
                    ::_exit(2);
            };
            report(first - 1);
            for (int n = first;; ++n) {
                const Write w = nthWrite(n);
                if (!app::profile::writeProfileString(files, codec, path, w.section, w.key, w.value,
                                                      Newline::Lf))
                    ::_exit(1);
                report(n);
            }
        }
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    ~Writer() { kill(); }

    // Kills the writer; true when it died of the kill (and not of a failed write).
    bool kill() {
        if (m_pid <= 0)
            return false;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    // The writer's next report; nothing once it is dead (or never started) and every report is read.
    std::optional<Report> nextReport() {
        Report report;
        if (::read(m_reports.get(), &report, sizeof report) != sizeof report)
            return std::nullopt;
        return report;
    }

  private:
    pid_t m_pid = -1;
    lnx::OwnedFd m_reports;
};

TEST(SettingsKill, KilledWritersNeitherDamageNorLitter) {
    TempDir dir;
    const std::string path = (dir.path / "tavimoro.ini").string();
    lnx::LinuxFileSystem files;
    lnx::LinuxCodec codec;

    // Some kilobytes of the user's own lines, so that each write has real work to do.
    std::string initial = "; the user's notes\n[Filler]\n";
    for (int i = 0; i < 200; ++i)
        initial += "line" + std::to_string(i) + "=" + std::string(40, 'x') + "\n";
    ASSERT_TRUE(files.replaceFile(path, initial));

    // The file after `count` writes, from the file after `from` writes (`from` <= `count`).
    auto advance = [&](std::string file, int from, int count) {
        for (int n = from + 1; n <= count; ++n) {
            const Write w = nthWrite(n);
            file = app::profile::writeString(file, w.section, w.key, w.value, codec, Newline::Lf);
        }
        return file;
    };

    // Kill moments spread over a running writer's first few writes, whatever the speed of this machine:
    // the quickest of a few writers of a file of their own sets the scale.
    auto perWrite = Clock::duration::max();
    TempDir probeDir;
    const std::string probe = (probeDir.path / "probe.ini").string();
    ASSERT_TRUE(files.replaceFile(probe, initial));
    for (int i = 0; i < 5; ++i) {
        Writer writer(probe, 1);
        auto ready = writer.nextReport(), first = writer.nextReport(), second = writer.nextReport();
        ASSERT_TRUE(ready && first && second);
        perWrite = std::min(perWrite, (second->at - ready->at) / 2);
    }
    const auto longest = std::clamp(std::chrono::duration_cast<std::chrono::microseconds>(4 * perWrite),
                                    std::chrono::microseconds(100), std::chrono::microseconds(20000));

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed) + ", kills within " + std::to_string(longest.count()) +
                 " us");
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> delay(0, longest.count());

    std::string held = initial; // the file after `done` writes
    int done = 0;               // writes the file holds
    int caughtWriting = 0;      // kills that left a new temporary file: they hit a write in progress
    std::string stray;          // the temporary file a killed writer left, if any
    for (int trial = 0; trial < kTrials; ++trial) {
        Writer writer(path, done + 1);
        ASSERT_TRUE(writer.nextReport()) << "no writer in trial " << trial;
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ASSERT_TRUE(writer.kill()) << "a write failed in trial " << trial;
        int reported = done;
        while (auto report = writer.nextReport())
            reported = report->number;

        // The write after the last reported one may have landed just before the kill.
        const auto now = files.readFile(path);
        ASSERT_TRUE(now) << "no settings file after trial " << trial;
        const std::string old = advance(held, done, reported);
        const std::string next = advance(old, reported, reported + 1);
        if (*now != old && *now != next)
            FAIL() << "trial " << trial << " left neither write " << reported << " nor the next:\n" << *now;
        done = *now == old ? reported : reported + 1;
        held = *now;

        // At most the killed writer's own temporary file; the next writer's first write removes it.
        auto names = dir.entries();
        ASSERT_LE(names.size(), 2u) << "trial " << trial << " leaves " << names.size() - 1 << " stray files";
        std::erase(names, "tavimoro.ini");
        const std::string left = names.empty() ? "" : names.front();
        caughtWriting += !left.empty() && left != stray;
        stray = left;
    }

    // One write more cleans up after the last killed writer.
    ASSERT_TRUE(app::profile::writeProfileString(files, codec, path, "Last", "k", "v", Newline::Lf));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"tavimoro.ini"});
    // Read back as the program reads it: every key holds the last value written to it, the rest stays.
    for (int n = std::max(1, done - kKeys + 1); n <= done; ++n) {
        const Write w = nthWrite(n);
        EXPECT_EQ(app::profile::getProfileString(files, codec, path, w.section, w.key, ""), w.value);
    }
    EXPECT_EQ(app::profile::getProfileString(files, codec, path, "Filler", "line199", ""),
              std::string(40, 'x'));

    // The trials must have hit writes in progress, or they proved nothing.
    EXPECT_GE(done, kTrials / 20);
    EXPECT_GE(caughtWriting, kTrials / 100);
    std::printf("%d writes, %d kills during a write, kills within %lld us\n", done, caughtWriting,
                static_cast<long long>(longest.count()));
}

// A killed writer's temporary file goes with the next write; one whose writer still lives is a write in
// progress and stays, as does anything not named like a temporary file of the same settings file.
TEST(SettingsKill, NextWriteRemovesOnlyAbandonedTemporaries) {
    TempDir dir;
    const pid_t dead = ::fork();
    if (dead == 0) { // killed in its write of a 255-byte name, past its size limit: its temporary file stays
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_FSIZE, &none);
        ::signal(SIGXFSZ, [](int) { ::raise(SIGKILL); });
        ::_exit(lnx::LinuxFileSystem().replaceFile(dir.path / std::string(255, 'n'), "x").ok());
    }
    ASSERT_GT(dead, 0);
    ::waitpid(dead, nullptr, 0);
    const std::string deadPid = std::to_string(dead), livePid = std::to_string(::getppid());
    const struct {
        std::string name;
        bool stays;
    } cases[] = {
        {".t.ini." + deadPid + ".a1B2c3", false},
        {".t.ini." + livePid + ".a1B2c3", true},
        {".t.ini." + std::to_string(::getpid()) + ".a1B2c3", true}, // this process's own writes
        {".u.ini." + deadPid + ".a1B2c3", true},                    // another file's
        {".t.ini." + deadPid + ".a1B2c", true},
        {".t.ini." + deadPid + ".a1.2c3", true},
        {".t.ini.x" + deadPid + ".a1B2c3", true},
        {".t.ini.a1B2c3", true}, // no owner to ask
        {"t.ini." + deadPid + ".a1B2c3", true},
        {dir.entries().at(0), false}, // the dead writer's, above
    };
    for (const auto& c : cases)
        std::ofstream(dir.path / c.name) << "x";
    lnx::LinuxFileSystem files;
    ASSERT_TRUE(files.replaceFile((dir.path / "t.ini").string(), "[A]\n"));
    ASSERT_TRUE(files.replaceFile(dir.path / std::string(255, 'n'), "[A]\n"));
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(dir.path / c.name), c.stays) << c.name;
}

} // namespace
