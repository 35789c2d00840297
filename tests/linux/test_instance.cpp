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
#include <variant>

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

// Sends LINE as it is, as a peer that does not follow the protocol would; gives what comes back.
std::string sendRaw(const std::string& path, const std::string& line) {
    lnx::OwnedFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return "no connection";
    static_cast<void>(::send(socket.get(), line.data(), line.size(), MSG_NOSIGNAL));
    char answer[16];
    const ssize_t n = ::recv(socket.get(), answer, sizeof answer, 0);
    return std::string(answer, n > 0 ? static_cast<std::size_t>(n) : 0);
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
        std::string raw; // sent as it is instead, when not empty
        std::vector<lnx::InstanceRequest> seen;
        std::variant<Answer, std::string> answer; // what sendRequest gives, or the raw answer
    } cases[] = {
        {{Kind::ShowWindow, "refused"}, "", {{Kind::ShowWindow, "refused"}}, Answer::Refused},
        {{Kind::ShowWindow, "multi\nline"}, "", {{Kind::ShowWindow, "multi\nline"}}, Answer::Done},
        {{Kind::ShowWindow, ""}, "", {{Kind::ShowWindow, ""}}, Answer::Done},
        {{Kind::ShowWindow, "silent"}, "", {{Kind::ShowWindow, "silent"}}, Answer::Silent},
        {{Kind::Launch, odd}, "", {{Kind::Launch, odd}}, Answer::Done},
        {{Kind::Launch, "refused"}, "", {{Kind::Launch, "refused"}}, Answer::Refused},
        {{Kind::Launch, "/" + std::string(16384, 'x')}, "", {}, Answer::Silent},
        {{}, "launch /a\\\\b c\n", {{Kind::Launch, "/a\\b c"}}, "1\n"},
        {{}, "launch \n", {}, "0\n"},
        {{}, "launch /a\\x\n", {}, "0\n"},
        {{}, "launch /a\\\n", {}, "0\n"},
        {{}, std::string("launch /a\0b\n", 12), {}, "0\n"},
        {{}, "open /a\n", {}, "0\n"},
        {{}, "Launch /a\n", {}, "0\n"},
        {{}, "launch /" + std::string(20000, 'x') + "\n", {}, ""},
    };
    for (const auto& c : cases) {
        std::variant<Answer, std::string> answer;
        std::thread client([&] {
            if (c.raw.empty())
                answer = lnx::sendRequest(path, c.sent);
            else
                answer = sendRaw(path, c.raw);
        });
        std::vector<lnx::InstanceRequest> seen;
        // A request too long to send never leaves the client.
        if (!c.raw.empty() || c.sent.text.size() < 16384) {
            pollfd p{listener->fd(), POLLIN, 0};
            ::poll(&p, 1, -1);
            listener->serve([&](const lnx::InstanceRequest& request) {
                seen.push_back(request);
                return request.text == "refused"  ? Answer::Refused
                       : request.text == "silent" ? Answer::Silent
                                                  : Answer::Done;
            });
        }
        client.join();
        EXPECT_EQ(seen, c.seen) << c.sent.text << c.raw;
        EXPECT_EQ(answer, c.answer) << c.sent.text << c.raw;
    }
}

} // namespace
