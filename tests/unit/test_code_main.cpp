#include "app/code_main.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace {

using app::StartOutcome;

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
        EXPECT_EQ(app::code_main::commandArgument(c.commandLine, c.testMode), c.expected) << c.commandLine;
}

class SubMainTest : public ::testing::Test {
  protected:
    fakes::Platform platform;
    app::Program program{platform.services};

    void addDisc(const std::string& folder, const std::string& open) {
        platform.fs.addFile(folder + "\\AUTORUN.INF", "[AutoRun]\r\nopen=" + open + "\r\n");
    }
    void setMode(bool standby, bool startMode) {
        platform.fs.files[platform.process.settingsFile] =
            std::string("[Mode]\r\nstandby=") + (standby ? "True" : "False") +
            "\r\nStartMode=" + (startMode ? "True" : "False") + "\r\n";
    }
};

TEST_F(SubMainTest, EmptyCommandLineChoosesHowTheWindowLoads) {
    struct Case {
        bool standby, startMode;
        StartOutcome expected;
    };
    const Case cases[] = {
        {false, false, StartOutcome::ShowMainWindow},
        {true, false, StartOutcome::ShowMainWindow},
        {false, true, StartOutcome::ShowMainWindow},
        {true, true, StartOutcome::LoadMainWindow},
    };
    for (const auto& c : cases) {
        fakes::Platform p;
        app::Program prog{p.services};
        p.fs.files[p.process.settingsFile] = std::string("[Mode]\r\nstandby=") +
                                             (c.standby ? "True" : "False") +
                                             "\r\nStartMode=" + (c.startMode ? "True" : "False") + "\r\n";
        EXPECT_EQ(app::code_main::SubMain(prog), c.expected) << c.standby << c.startMode;
        EXPECT_TRUE(p.host.runs.empty());
    }
}

TEST_F(SubMainTest, ASecondInstanceActivatesTheFirstAndReadsNothing) {
    platform.process.another = true;
    platform.process.commandLine_ = "E:\\";
    addDisc("E:", "setup.exe");
    EXPECT_EQ(app::code_main::SubMain(program), StartOutcome::Ended);
    EXPECT_EQ(platform.process.activated, std::vector<std::string>{"AutoRun"});
    EXPECT_EQ(platform.fs.writes, 0);
    EXPECT_FALSE(platform.fs.files.count(platform.process.settingsFile));
    EXPECT_TRUE(platform.host.runs.empty());
    EXPECT_TRUE(platform.messages.shown.empty());
}

TEST_F(SubMainTest, AMissingScriptingHostIsReportedAndNothingIsWritten) {
    platform.host.fsoAvailable = false;
    platform.process.exeName_ = "AutoRunX";
    EXPECT_EQ(app::code_main::SubMain(program), StartOutcome::Ended);
    ASSERT_EQ(platform.messages.shown.size(), 1u);
    EXPECT_EQ(platform.messages.shown[0].text,
              "この環境でプログラムを実行するには\r\nWindows Script Host 5.1 以降又は\r\n"
              "Intenet Explorer 5.0以降を\r\nインストールする必要があります。");
    EXPECT_EQ(platform.messages.shown[0].caption, "AutoRunX");
    EXPECT_EQ(platform.messages.shown[0].icon, port::MessageIcon::None);
    EXPECT_EQ(platform.fs.writes, 0);
}

TEST_F(SubMainTest, CommandLineDecidesBetweenTestModeAndALaunch) {
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
        app::Program prog{p.services};
        p.fs.addFile("E:\\AUTORUN.INF", "[AutoRun]\r\nopen=setup.exe\r\n");
        p.fs.addFile("E:\\readme.txt");
        p.fs.files[p.process.settingsFile] = "[Mode]\r\nstandby=True\r\nStartMode=True\r\n";
        p.process.commandLine_ = c.commandLine;
        const StartOutcome outcome = app::code_main::SubMain(prog);
        EXPECT_EQ(prog.testMode, c.testMode) << c.commandLine;
        EXPECT_EQ(p.host.runs.size(), c.launched ? 1u : 0u) << c.commandLine;
        // A path wins over a resident start: the program ends without a window.
        EXPECT_EQ(outcome, c.testMode ? StartOutcome::LoadMainWindow : StartOutcome::Ended) << c.commandLine;
    }
}

TEST_F(SubMainTest, StartMenuFolderAlwaysEndsInTheSeparator) {
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {"C:\\Users\\u\\Start Menu", "C:\\Users\\u\\Start Menu\\"},
        {"C:\\Users\\u\\Start Menu\\", "C:\\Users\\u\\Start Menu\\"},
        {"", "\\"},
        {std::nullopt, "\\"},
        {std::string("C:\\S\0junk", 9), "C:\\S\\"},
    };
    for (const auto& [given, expected] : cases) {
        fakes::Platform p;
        app::Program prog{p.services};
        p.folders.startMenu_ = given;
        app::code_main::SubMain(prog);
        EXPECT_EQ(prog.StartMenuFolder, expected);
    }
}

TEST_F(SubMainTest, ALaunchFromTheCommandLineRunsTheLaunchFile) {
    addDisc("D:\\Copy of disc", "setup.exe /auto");
    platform.process.commandLine_ = "\"D:\\Copy of disc\"";
    EXPECT_EQ(app::code_main::SubMain(program), StartOutcome::Ended);
    ASSERT_EQ(platform.host.runs, std::vector<std::string>{"\"C:\\Apps\\autorun.lnk\""});
    const auto& lnk = platform.host.saved.at("C:\\Apps\\autorun.lnk");
    EXPECT_EQ(lnk.TargetPath, "D:\\Copy of disc\\setup.exe");
    EXPECT_EQ(lnk.Arguments, "/auto");
    EXPECT_EQ(lnk.WorkingDirectory, "D:\\Copy of disc\\");
}

} // namespace
