#include "linux/LinuxFileSystem.h"
#include "linux/LinuxScriptShell.h"
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

std::string identity(std::string_view p) {
    return std::string(p);
}

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

TEST(ScriptShellRun, LaunchesTheEntryItWroteAndNamesWhatIsMissing) {
    TempFolder temp;
    const std::string out = temp / "rec";
    const std::string recorded = temp / "recorded";
    ASSERT_EQ(::mkfifo(recorded.c_str(), 0600), 0);
    shelltest::writeFile(temp / "disc/Bin/RECORD.sh",
                         shelltest::recordingScript(out) + ": > '" + recorded + "'\n", 0755);
    // No wine and no other program on PATH, at first.
    fs::create_directories(temp / "empty bin");
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "";
    ::setenv("PATH", (temp / "empty bin").c_str(), 1);

    lnx::LinuxFileSystem files;

    lnx::LinuxScriptShell shell(files, identity);
    auto write = [&](const std::string& name, const std::string& target, const std::string& args,
                     const std::string& folder) {
        auto shortcut = shell.CreateShortcut(temp / name).value();
        shortcut->setTargetPath(target);
        shortcut->setArguments(args);
        shortcut->setWorkingDirectory(folder);
        EXPECT_TRUE(shortcut->Save().ok());
        return "\"" + temp / name + "\"";
    };

    EXPECT_TRUE(
        shell.Run(write("ok.desktop", temp / "disc/Bin/RECORD.sh", "\"a b\" c $(x)", temp / "disc/")).ok());
    waitForWriter(recorded);
    EXPECT_EQ(shelltest::readFile(out + ".args"), "a b\nc\n$(x)\n");
    EXPECT_EQ(shelltest::readFile(out + ".cwd"), temp / "disc\n");

    EXPECT_EQ(shell.Run(write("w.desktop", "/discs/SETUP.EXE", "/x", "/")).error(),
              std::string(lnx::kWineRequired) + "/discs/SETUP.EXE");
    // With Wine installed, a Windows program runs through it.
    shelltest::writeFile(temp / "empty bin/wine", shelltest::readFile(temp / "disc/Bin/RECORD.sh"), 0755);
    EXPECT_TRUE(shell.Run("\"" + temp / "w.desktop\"").ok());
    waitForWriter(recorded);
    EXPECT_EQ(shelltest::readFile(out + ".args"), "/discs/SETUP.EXE\n/x\n");
    EXPECT_EQ(shelltest::readFile(out + ".cwd"), "/\n");

    EXPECT_EQ(shell.Run(write("m.desktop", temp / "disc/NONE.sh", "", "")).error(),
              lnx::kProgramNotFound + temp / "disc/NONE.sh");
    EXPECT_EQ(shell.Run(write("p.desktop", "nosuchprogram", "", "")).error(),
              std::string(lnx::kProgramNotFound) + "nosuchprogram");
    EXPECT_EQ(shell.Run(write("f.desktop", temp / "disc/Bin/RECORD.sh", "", temp / "gone/")).error(),
              lnx::kFolderNotFound + temp / "gone/");
    EXPECT_EQ(shell.Run(write("d.desktop", temp / "disc/", "", "")).error(),
              lnx::kProgramNotExecutable + temp / "disc/");
    EXPECT_EQ(shell.Run("\"" + temp / "absent.desktop\"").error(),
              lnx::kShortcutUnreadable + temp / "absent.desktop");
    shelltest::writeFile(temp / "broken.desktop", "[Desktop Entry]\nExec=\"open\n");
    EXPECT_EQ(shell.Run(temp / "broken.desktop").error(), lnx::kShortcutUnreadable + temp / "broken.desktop");
    EXPECT_EQ(zombieChildren(), std::vector<int>{});
    ::setenv("PATH", savedPath.c_str(), 1);
}

} // namespace
