#include "linux/CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, OptionsAnswerPassToTheToolkitOrAreWrong) {
    using A = lnx::CommandLine::Action;
    using S = std::vector<std::string>;
    const struct {
        S arguments;
        A action;
        S toolkit, operands;
    } cases[] = {
        {{"/TestMode"}, A::Run, {}, {"/TestMode"}},
        {{"-h"}, A::Help, {}, {}},
        {{"--help", "-x"}, A::Help, {}, {}},
        {{"/cd", "--version"}, A::Version, {}, {}},
        {{"-x", "--help"}, A::Wrong, {}, {}},
        {{"-reverse=1"}, A::Wrong, {}, {}},
        {{"/cd", "-platform"}, A::Wrong, {}, {}},
        {{"-platform", "xcb", "/cd", "--style=fusion", "-reverse"},
         A::Run,
         {"-platform", "xcb", "--style=fusion", "-reverse"},
         {"/cd"}},
        {{"--", "-reverse", "--help"}, A::Run, {}, {"-reverse", "--help"}},
    };
    for (const auto& c : cases) {
        const lnx::CommandLine line = lnx::parseCommandLine(c.arguments);
        EXPECT_EQ(line.action, c.action) << c.arguments[0];
        EXPECT_EQ(line.error.empty(), c.action != A::Wrong) << c.arguments[0];
        if (c.action == A::Run) {
            EXPECT_EQ(std::pair(line.toolkit, line.operands), std::pair(c.toolkit, c.operands))
                << c.arguments[0];
        }
    }
}

} // namespace
