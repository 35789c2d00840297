#include "linux/Spawn.h"
#include "shell_test_support.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using shelltest::TempFolder;
namespace fs = std::filesystem;

// Children of this process that have ended but were not reaped.
std::vector<int> zombieChildren() {
    std::vector<int> zombies;
    const std::string self = std::to_string(::getpid());
    std::error_code ec;
    for (const auto& dir : fs::directory_iterator("/proc", ec)) {
        const std::string status = shelltest::readFile(dir.path().string() + "/status");
        if (status.find("\nPPid:\t" + self + "\n") != std::string::npos &&
            status.find("\nState:\tZ") != std::string::npos)
            zombies.push_back(std::stoi(dir.path().filename().string()));
    }
    return zombies;
}

// Blocks until the script opens the FIFO for writing.
void waitForWriter(const std::string& fifo) {
    const int fd = ::open(fifo.c_str(), O_RDONLY);
    if (fd >= 0)
        ::close(fd);
}

TEST(Spawn, StartsTheProgramWithItsArgumentsInItsFolderWithoutWaiting) {
    TempFolder temp;
    const std::string out = temp / "rec";
    const std::string started = temp / "started";
    const std::string release = temp / "release";
    ASSERT_EQ(::mkfifo(started.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(release.c_str(), 0600), 0);
    // The script records, tells the test it runs, then blocks until the test releases it: spawning
    // can only have returned without waiting for it.
    shelltest::writeFile(temp / "work dir/prog.sh",
                         shelltest::recordingScript(out) + "echo $$ > '" + temp / "pid" + "'\n" + ": > '" +
                             started + "'\n" + "read x < '" + release + "'\n",
                         0755);
    // A descriptor this process leaks must not reach the program. (A high number, clear of the ones
    // the script's shell opens for its own redirections.)
    const int devNull = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(devNull, 0);
    const int leaked = ::dup2(devNull, 57);
    ::close(devNull);
    ASSERT_EQ(leaked, 57);

    const std::vector<std::string> argv{"prog", "a b", "$HOME", "", "\"q\"", "; echo x"};
    const auto failure = lnx::spawnDetached(temp / "work dir/prog.sh", argv, temp / "work dir");
    ::close(leaked);
    ASSERT_FALSE(failure) << static_cast<int>(failure->stage) << " " << failure->error;

    waitForWriter(started);
    EXPECT_EQ(shelltest::readFile(out + ".args"), "a b\n$HOME\n\n\"q\"\n; echo x\n");
    EXPECT_EQ(shelltest::readFile(out + ".cwd"), temp / "work dir\n");

    const std::string pid = shelltest::readFile(temp / "pid");
    const std::string status = shelltest::readFile("/proc/" + pid.substr(0, pid.size() - 1) + "/status");
    EXPECT_NE(status, "") << "the program should still run";
    EXPECT_EQ(status.find("\nPPid:\t" + std::to_string(::getpid()) + "\n"), std::string::npos)
        << "the program should not be a child of the launcher";
    EXPECT_FALSE(fs::exists("/proc/" + pid.substr(0, pid.size() - 1) + "/fd/" + std::to_string(leaked)));
    EXPECT_EQ(zombieChildren(), std::vector<int>{});

    // Let it end; it must not become a zombie of this process either.
    const int fd = ::open(release.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ::close(fd);
}

TEST(Spawn, ReportsWhatFailed) {
    TempFolder temp;
    shelltest::writeFile(temp / "notexec.sh", "#!/bin/sh\n", 0644);
    struct Case {
        std::string program;
        std::string folder;
        lnx::SpawnFailure::Stage stage;
        int error;
    } cases[] = {
        {temp / "missing", "", lnx::SpawnFailure::Stage::Exec, ENOENT},
        {temp / "notexec.sh", "", lnx::SpawnFailure::Stage::Exec, EACCES},
        {"/bin/true", temp / "no folder", lnx::SpawnFailure::Stage::WorkingFolder, ENOENT},
    };
    for (const auto& c : cases) {
        const auto failure = lnx::spawnDetached(c.program, {c.program}, c.folder);
        ASSERT_TRUE(failure) << c.program;
        EXPECT_EQ(failure->stage, c.stage) << c.program;
        EXPECT_EQ(failure->error, c.error) << c.program;
    }
    EXPECT_EQ(zombieChildren(), std::vector<int>{});
}

} // namespace
