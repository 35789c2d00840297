#include "linux/InstanceSocket.h"
#include "linux/LinuxLauncher.h"
#include "linux/LinuxProcess.h"
#include "linux/LinuxStartMenu.h"
#include "qt/InstanceChannel.h"
#include "shell_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>

namespace {

using shelltest::TempFolder;

using shelltest::ScopedEnv;

TEST(LinuxProcess, NamesAndFoldersFollowTheProgramAndTheXdgFolders) {
    TempFolder temp;
    ScopedEnv env;
    env.set("HOME", temp / "home");
    env.unset("XDG_CONFIG_HOME");
    env.set("XDG_DATA_HOME", "relative/ignored");

    lnx::LinuxProcess process("/usr/local/bin/tavimoro.bin", {"\"/media/cd", "disc\"", ""});
    EXPECT_EQ(process.exeName(), "tavimoro");
    EXPECT_EQ(process.commandLine(), "\"/media/cd disc\" ");
    EXPECT_EQ(process.settingsFilePath(), temp / "home/.config/tavimoro/tavimoro.ini");
    EXPECT_TRUE(std::filesystem::is_directory(temp / "home/.config/tavimoro"));
    lnx::LinuxFileSystem files;
    lnx::EntryWriter entries(files, {});
    lnx::LinuxStartMenu startMenu(entries, files);
    EXPECT_EQ(lnx::LinuxLauncher(entries, process.configFolder()).launchFile(),
              temp / "home/.config/tavimoro/autorun.desktop");
    EXPECT_EQ(startMenu.folder(), temp / "home/.local/share/applications/");

    env.set("XDG_CONFIG_HOME", temp / "cfg");
    env.set("XDG_DATA_HOME", temp / "data/");
    EXPECT_EQ(process.settingsFilePath(), temp / "cfg/tavimoro/tavimoro.ini");
    EXPECT_EQ(startMenu.folder(), temp / "data/applications/");

    for (auto [argv0, name] :
         {std::pair{"tavimoro", "tavimoro"}, {"./AutoRun.exe", "AutoRun"}, {"/x/.hidden", ".hidden"}})
        EXPECT_EQ(lnx::programName(argv0), name);
}

TEST(LinuxProcess, OnlyOneInstanceHoldsTheLock) {
    TempFolder temp;
    ScopedEnv env;
    env.set("XDG_RUNTIME_DIR", temp.path());
    {
        lnx::LinuxProcess first("tavimoro", {});
        EXPECT_FALSE(first.anotherInstanceRunning());
        EXPECT_FALSE(first.anotherInstanceRunning()) << "asking again must not see itself";
        lnx::LinuxProcess second("tavimoro", {});
        EXPECT_TRUE(second.anotherInstanceRunning());
        EXPECT_EQ(second.lockFilePath(), temp / "tavimoro.lock");
        lnx::LinuxProcess otherProgram("othername", {});
        EXPECT_FALSE(otherProgram.anotherInstanceRunning());
    }
    lnx::LinuxProcess afterwards("tavimoro", {});
    EXPECT_FALSE(afterwards.anotherInstanceRunning()) << "the lock goes with the process that held it";
}

TEST(InstanceSocket, CarriesTheRequestAndTheAnswer) {
    using Kind = lnx::InstanceRequest::Kind;
    using Answer = lnx::InstanceAnswer;
    TempFolder temp;
    const std::string path = temp / "tavimoro.socket";
    EXPECT_EQ(lnx::sendRequest(path, {Kind::ShowWindow, "token"}), Answer::Silent) << "nobody listens yet";

    shelltest::writeFile(path, "stale"); // left by an instance that crashed
    auto listener = lnx::InstanceListener::listen(path);
    ASSERT_TRUE(listener);
    EXPECT_FALSE(lnx::InstanceListener::listen(temp.path() + "/" + std::string(200, 'x')));

    // The instance refuses a request whose text is "refused" and leaves one "silent" unanswered.
    const std::string odd = "/media/ディスク 1/a\\b\\n\nc\r\xff/AUTORUN.INF";
    const struct {
        lnx::InstanceRequest sent;
        Answer answer;
    } cases[] = {
        {{Kind::ShowWindow, "refused"}, Answer::Refused},
        {{Kind::ShowWindow, "multi\nline"}, Answer::Done},
        {{Kind::ShowWindow, ""}, Answer::Done},
        {{Kind::ShowWindow, "silent"}, Answer::Silent},
        {{Kind::Launch, odd}, Answer::Done},
        {{Kind::Launch, "refused"}, Answer::Refused},
        {{Kind::Launch, "/" + std::string(16384, 'x')}, Answer::Silent}, // too long to send
    };
    for (const auto& c : cases) {
        Answer answer{};
        std::thread client([&] { answer = lnx::sendRequest(path, c.sent); });
        std::vector<lnx::InstanceRequest> seen;
        if (c.sent.text.size() < 16384) {
            pollfd p{listener->fd(), POLLIN, 0};
            ::poll(&p, 1, -1);
            listener->serve([&](const lnx::InstanceRequest& request) {
                seen.push_back(request);
                return request.text == "refused"  ? Answer::Refused
                       : request.text == "silent" ? Answer::Silent
                                                  : Answer::Done;
            });
            EXPECT_EQ(seen, std::vector{c.sent}) << c.sent.text;
        }
        client.join();
        EXPECT_EQ(answer, c.answer) << c.sent.text;
    }

    // Lines no sender of the program writes.
    const std::pair<std::string, std::optional<lnx::InstanceRequest>> lines[] = {
        {"launch /a\\\\b c", lnx::InstanceRequest{Kind::Launch, "/a\\b c"}},
        {"launch ", {}},
        {"launch /a\\x", {}},
        {"launch /a\\", {}},
        {std::string("launch /a\0b", 11), {}},
        {"Launch /a", {}},
    };
    for (const auto& [line, request] : lines)
        EXPECT_EQ(lnx::parseRequest(line), request) << line;
}

} // namespace
