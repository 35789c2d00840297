#include "linux/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using Action = lnx::CommandLine::Action;
using Strings = std::vector<std::string>;

TEST(CommandLine, OptionsAnswerPassToTheToolkitOrAreWrong) {
    const struct {
        Strings arguments;
        Action action;
        Strings toolkit, operands;
    } cases[] = {
        {{}, Action::Run, {}, {}},
        {{"/TestMode"}, Action::Run, {}, {"/TestMode"}},
        {{"\"/media/my", "disc\""}, Action::Run, {}, {"\"/media/my", "disc\""}},
        {{"-h"}, Action::Help, {}, {}},
        {{"--help", "-x"}, Action::Help, {}, {}},
        {{"/cd", "--version"}, Action::Version, {}, {"/cd"}},
        {{"-x", "--help"}, Action::Wrong, {}, {}},
        {{"--helpx"}, Action::Wrong, {}, {}},
        {{"-"}, Action::Wrong, {}, {}},
        {{"-version"}, Action::Wrong, {}, {}},
        {{"-platform", "offscreen", "/cd"}, Action::Run, {"-platform", "offscreen"}, {"/cd"}},
        {{"--style=fusion", "-reverse", "--display", ":1"},
         Action::Run,
         {"--style=fusion", "-reverse", "--display", ":1"},
         {}},
        {{"-reverse=1"}, Action::Wrong, {}, {}},
        {{"/cd", "-platform"}, Action::Wrong, {}, {}},
        {{"--", "-reverse", "--help", "--"}, Action::Run, {}, {"-reverse", "--help", "--"}},
    };
    for (const auto& c : cases) {
        const std::string shown = ::testing::PrintToString(c.arguments);
        const lnx::CommandLine line = lnx::parseCommandLine(c.arguments);
        EXPECT_EQ(line.action, c.action) << shown;
        EXPECT_EQ(line.error.empty(), c.action != Action::Wrong) << shown;
        if (c.action == Action::Run) {
            EXPECT_EQ(line.toolkit, c.toolkit) << shown;
            EXPECT_EQ(line.operands, c.operands) << shown;
        }
    }
    EXPECT_NE(lnx::parseCommandLine({"-x\n"}).error.find("「-x\n」"), std::string::npos);
}

} // namespace
