#include "linux/WindowsCommandLine.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* text;
    std::vector<std::string> args;
};

// Names each case by its text in ctest's list.
void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(std::string(c.text));
}

class WindowsCommandLineSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(WindowsCommandLineSplit, GivesTheArgumentsAWindowsProgramSees) {
    EXPECT_EQ(lnx::splitWindowsCommandLine(GetParam().text), GetParam().args)
        << "text: [" << GetParam().text << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsCommandLineSplit,
    ::testing::Values(SplitCase{"", {}}, SplitCase{"   \t ", {}}, SplitCase{"/auto", {"/auto"}},
                      SplitCase{"  a   b\tc  ", {"a", "b", "c"}},
                      // quotes group, and may sit in the middle of an argument
                      SplitCase{"\"a b\" c", {"a b", "c"}}, SplitCase{"x\"a b\"y z", {"xa by", "z"}},
                      SplitCase{"\"unclosed arg", {"unclosed arg"}},
                      // an empty quoted argument still counts
                      SplitCase{"a \"\" b", {"a", "", "b"}}, SplitCase{"\"\"", {""}},
                      // backslashes are literal unless they come before a quote
                      SplitCase{"C:\\dir\\ \\\\server\\share", {"C:\\dir\\", "\\\\server\\share"}},
                      SplitCase{"a\\\\\"b c\"", {"a\\b c"}}, // 2n backslashes: n, and the quote opens
                      SplitCase{"a\\\"b c", {"a\"b", "c"}},  // 2n+1: n and a literal quote
                      SplitCase{"a\\\\\\\"b", {"a\\\"b"}},   // three backslashes and a quote
                      SplitCase{"\"C:\\Program Files\\\\\"", {"C:\\Program Files\\"}},
                      // doubled quotes inside quotes give a quote and close the quoted part
                      SplitCase{"\"a\"\"b\" c", {"a\"b c"}}, SplitCase{"\"a\"\" b\"", {"a\"", "b"}},
                      SplitCase{"\"\"\"a\"\"\"", {"\"a\""}}, SplitCase{"\"\"\"\"", {"\""}},
                      // a line feed is no separator on Windows
                      SplitCase{"a\nb c", {"a\nb", "c"}},
                      // shell characters have no meaning at all
                      SplitCase{"; rm -rf ~ | $(x) `y` &", {";", "rm", "-rf", "~", "|", "$(x)", "`y`", "&"}},
                      SplitCase{"日本語 \"漢字 かな\"", {"日本語", "漢字 かな"}}));

} // namespace
