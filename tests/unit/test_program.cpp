#include "program/Program.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace {

using program::StartOutcome;

struct ArgumentCase {
    const char* commandLine;
    bool testMode;
    const char* expected;
};

TEST(CommandArgument, RemovesOnlyOneEnclosingPairOfQuotes) {
    const ArgumentCase cases[] = {
        {"", false, ""},
        {"/TestMode", true, ""},
        {"E:\\", false, "E:\\"},
        {"\"E:\\\"", false, "E:\\"},
        {"\"E:\\\" ", false, "\"E:\\\" "},
        {"\"", false, "\""},
        {"\"\"", false, ""},
        {" \"E:\\\"", false, " \"E:\\\""},
        {"\"C:\\My Disc\\AUTORUN.INF\"", false, "C:\\My Disc\\AUTORUN.INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(program::commandArgument(c.commandLine, c.testMode), c.expected) << c.commandLine;
}

class StartTest : public ::testing::Test {
  protected:
    fakes::Platform platform;
    program::Program program{platform.services};

    void addDisc(const std::string& folder, const std::string& open) {
        platform.fs.addFile(folder + "\\AUTORUN.INF", "[AutoRun]\r\nopen=" + open + "\r\n");
    }
    void setMode(bool standby, bool startMode) {
        platform.fs.files[platform.process.settingsFile] =
            std::string("[Mode]\r\nstandby=") + (standby ? "True" : "False") +
            "\r\nStartMode=" + (startMode ? "True" : "False") + "\r\n";
    }
};

TEST_F(StartTest, EmptyCommandLineChoosesHowTheWindowLoads) {
    struct Case {
        bool standby, startMode;
        StartOutcome expected;
    };
    const Case cases[] = {
        {false, false, StartOutcome::ShowWindow},
        {true, false, StartOutcome::ShowWindow},
        {false, true, StartOutcome::ShowWindow},
        {true, true, StartOutcome::LoadHidden},
    };
    for (const auto& c : cases) {
        fakes::Platform p;
        program::Program prog{p.services};
        p.fs.files[p.process.settingsFile] = std::string("[Mode]\r\nstandby=") +
                                             (c.standby ? "True" : "False") +
                                             "\r\nStartMode=" + (c.startMode ? "True" : "False") + "\r\n";
        EXPECT_EQ(prog.start(), c.expected) << c.standby << c.startMode;
        EXPECT_TRUE(p.shortcuts.launched.empty());
    }
}

TEST_F(StartTest, ASecondInstanceHandsItsCheckedPathToTheFirst) {
    const struct {
        const char* commandLine;
        std::optional<port::HandOverFailure> fails;
        StartOutcome expected;
        std::vector<std::string> handedOver, errors;
        bool launchedHere;
    } cases[] = {
        {"", {}, StartOutcome::Ended, {""}, {}, false},
        {"rel", {}, StartOutcome::Ended, {"C:\\work\\rel\\AUTORUN.INF"}, {}, false},
        {"E:\\", port::HandOverFailure::Refused, StartOutcome::Failed, {"E:\\AUTORUN.INF"}, {}, false},
        {"E:\\", port::HandOverFailure::Unreachable, StartOutcome::Ended, {"E:\\AUTORUN.INF"}, {}, true},
        {"Q:\\", {}, StartOutcome::Failed, {}, {"「Q:\\」が見つかりません。"}, false},
    };
    for (const auto& c : cases) {
        fakes::Platform p;
        program::Program prog{p.services};
        p.process.another = true;
        p.process.handOverFails = c.fails;
        p.process.commandLine_ = c.commandLine;
        p.fs.addFile("E:\\AUTORUN.INF", "[AutoRun]\r\nopen=setup.exe\r\n");
        p.fs.addFile("C:\\work\\rel\\AUTORUN.INF");
        EXPECT_EQ(prog.start(), c.expected) << c.commandLine;
        EXPECT_EQ(p.process.handedOver, c.handedOver) << c.commandLine;
        EXPECT_EQ(p.process.errors, c.errors) << c.commandLine;
        EXPECT_EQ(p.shortcuts.launched.size(), c.launchedHere ? 1u : 0u) << c.commandLine;
        // Only a start that launches the path itself reads and writes its settings.
        EXPECT_EQ(p.fs.files.count(p.process.settingsFile), c.launchedHere ? 1u : 0u) << c.commandLine;
    }
}

TEST_F(StartTest, APlatformThatCannotLaunchIsReportedAndNothingIsWritten) {
    platform.shortcuts.unavailable = "この環境では起動できません";
    platform.process.exeName_ = "AutoRunX";
    EXPECT_EQ(program.start(), StartOutcome::Ended);
    ASSERT_EQ(platform.messages.shown.size(), 1u);
    EXPECT_EQ(platform.messages.shown[0].text, "この環境では起動できません");
    EXPECT_EQ(platform.messages.shown[0].caption, "AutoRunX");
    EXPECT_EQ(platform.messages.shown[0].icon, port::MessageIcon::None);
    EXPECT_EQ(platform.fs.writes, 0);
}

TEST_F(StartTest, CommandLineDecidesBetweenTestModeAndALaunch) {
    struct Case {
        const char* commandLine;
        bool testMode;
        bool launched;
    };
    const Case cases[] = {
        {"/TestMode", true, false},
        {"/testmode", false, false},
        {"/TestMode ", false, false},
        {"E:\\", false, true},
        {"\"E:\\\"", false, true},
        {"\"E:\\\" ", false, false},
        {"\"", false, false},
        {"E:", false, true},
        {"E:\\autorun.inf", false, true},
        {"E:\\readme.txt", false, false},
        {"Q:\\", false, false},
    };
    for (const auto& c : cases) {
        fakes::Platform p;
        program::Program prog{p.services};
        p.fs.addFile("E:\\AUTORUN.INF", "[AutoRun]\r\nopen=setup.exe\r\n");
        p.fs.addFile("E:\\readme.txt");
        p.fs.files[p.process.settingsFile] = "[Mode]\r\nstandby=True\r\nStartMode=True\r\n";
        p.process.commandLine_ = c.commandLine;
        const StartOutcome outcome = prog.start();
        EXPECT_EQ(prog.testMode(), c.testMode) << c.commandLine;
        EXPECT_EQ(p.shortcuts.launched.size(), c.launched ? 1u : 0u) << c.commandLine;
        // A path wins over a resident start: the program ends without a window; a path that leads nowhere
        // fails, is told, and nothing is written.
        const StartOutcome ended = c.launched ? StartOutcome::Ended : StartOutcome::Failed;
        EXPECT_EQ(outcome, c.testMode ? StartOutcome::LoadHidden : ended) << c.commandLine;
        if (outcome == StartOutcome::Failed) {
            EXPECT_EQ(std::pair(p.process.errors.size(), p.fs.writes), std::pair(std::size_t{1}, 0))
                << c.commandLine;
        }
    }
}

TEST_F(StartTest, ALaunchFromTheCommandLineRunsTheLaunchFile) {
    addDisc("D:\\Copy of disc", "setup.exe /auto");
    platform.process.commandLine_ = "\"D:\\Copy of disc\"";
    EXPECT_EQ(program.start(), StartOutcome::Ended);
    ASSERT_EQ(platform.shortcuts.launched.size(), 1u);
    const auto& lnk = platform.shortcuts.saved.at("C:\\Apps\\autorun.lnk");
    EXPECT_EQ(lnk.program, "D:\\Copy of disc\\setup.exe");
    EXPECT_EQ(lnk.arguments, "/auto");
    EXPECT_EQ(lnk.folder, "D:\\Copy of disc\\");
}

} // namespace
