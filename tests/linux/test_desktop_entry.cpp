#include "drives/Shortcuts.h"
#include "linux/DesktopEntry.h"
#include "linux/EntryWriter.h"
#include "linux/LinuxStartMenu.h"
#include "linux/ShortcutMessages.h"
#include "linux/Utf8Link.h"
#include "linux/WindowsCommandLine.h"
#include "shell_test_support.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using shelltest::ScopedEnv;
using shelltest::TempFolder;

std::string identity(std::string_view p) {
    return std::string(p);
}

// A shortcut of a program and its arguments, with no working folder and no icon.
port::Shortcut shortcutOf(const std::string& program, const std::string& arguments = "") {
    return {program, arguments, "", ""};
}

// Runs desktop-file-validate; its complaints, or "" when the file passes without any.
std::string validate(const std::string& file) {
    const std::string command = "desktop-file-validate '" + file + "' 2>&1";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        const int status = ::pclose(pipe);
        if (status != 0 && output.empty())
            output = "exit status " + std::to_string(status);
    } else {
        output = "desktop-file-validate did not start";
    }
    return output;
}

// Program lines a disc might carry, hostile ones included: no character of them may reach a shell,
// and the program must get exactly what the Windows rules give it.
const char* const kHostileArguments[] = {
    "",
    "/auto",
    "\"a b\" c",
    "; rm -rf ~",
    "a|b && c & d",
    "$HOME ${PATH} $(id) `id`",
    "\"quoted \\\"inner\\\" text\"",
    "it's 'single'",
    "C:\\Temp\\ \\\\server\\share\\ \"D:\\dir with space\\\\\"",
    "100% %f %U %% %",
    "a\"\"b \"\"\"\" \"\"",
    "line\nbreak \"in\nquotes\"",
    "tab\tseparated \"tab\tin quotes\"",
    "< > ~ * ? # ( ) = [ ]",
    "   leading and trailing   ",
    "日本語の引数 \"全角　スペース\"",
    "\\\\\\\" \\\\\\\\\"x y\"",
};

class HostileProgramLine : public ::testing::TestWithParam<const char*> {};

TEST_P(HostileProgramLine, SurvivesTheRoundTripThroughAValidEntry) {
    TempFolder temp;
    const std::string target = temp / "My Disc/Bin/SET UP;$x.sh";
    const std::string file = temp / "(E) LABEL.desktop";

    lnx::LinuxFileSystem files;
    lnx::EntryWriter entries(files, identity);
    ASSERT_TRUE(entries.write(file, {target, GetParam(), temp / "My Disc/", ""}, {}).ok());

    EXPECT_EQ(validate(file), "");

    const auto entry = lnx::readDesktopEntry(shelltest::readFile(file));
    ASSERT_TRUE(entry);
    std::vector<std::string> expected{target};
    for (auto& arg : lnx::splitWindowsCommandLine(GetParam()))
        expected.push_back(arg);
    EXPECT_EQ(entry->exec, expected);
    EXPECT_EQ(entry->path, temp / "My Disc/");
    EXPECT_EQ(entry->name, "(E) LABEL");
}

INSTANTIATE_TEST_SUITE_P(Table, HostileProgramLine, ::testing::ValuesIn(kHostileArguments));

TEST(DesktopEntryArguments, QuoteOnlyWhatNeedsIt) {
    struct Case {
        const char* arg;
        const char* quoted;
    } cases[] = {
        {"plain", "plain"},     {"", "\"\""},
        {"a b", "\"a b\""},     {"50%", "50%%"},
        {"$x", "\"\\$x\""},     {"`x`", "\"\\`x\\`\""},
        {"a\"b", "\"a\\\"b\""}, {"a\\b", "\"a\\\\b\""},
        {"it's", "\"it's\""},   {"/usr/bin/x=1,2", "/usr/bin/x=1,2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lnx::quoteExecArgument(c.arg), c.quoted) << c.arg;
}

TEST(DesktopEntryReading, RejectsExecLinesThatDoNotSplit) {
    for (const char* line :
         {"\"open quote", "\"bad \\escape\"", "trailing %", "unknown %z", "\"ends in \\"}) {
        EXPECT_FALSE(lnx::splitExecLine(line)) << line;
    }
    // Field codes standing alone disappear; inside an argument they leave the rest.
    EXPECT_EQ(lnx::splitExecLine("prog %U a%fb %%"), (std::vector<std::string>{"prog", "ab", "%"}));
}

TEST(DesktopEntryReading, TakesOnlyTheDesktopEntryGroup) {
    const std::string text = "# comment\r\n"
                             "[Other]\nExec=/bin/false\n"
                             "[Desktop Entry]\r\n"
                             "Name[ja]=名前\n"
                             "Name=\\sName\n"
                             "Exec = /bin/echo \"a\\\\\\\\b\" c\\nd\n"
                             "Path=/tmp/x\\ty\n"
                             "Exec=/bin/second\n"
                             "[Desktop Action x]\nExec=/bin/false\n"
                             "[Desktop Entry]\nPath=/again\n";
    const auto entry = lnx::readDesktopEntry(text);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, " Name");
    EXPECT_EQ(entry->exec, (std::vector<std::string>{"/bin/echo", "a\\b", "c\nd"}));
    EXPECT_EQ(entry->path, "/tmp/x\ty");

    EXPECT_FALSE(lnx::readDesktopEntry("[Desktop Entry]\nName=x\n"));
    EXPECT_FALSE(lnx::readDesktopEntry("Exec=/bin/true\n"));
    EXPECT_FALSE(lnx::readDesktopEntry(std::string("\0\xff[", 3)));
}

TEST(DesktopEntryShortcut, ResolvesDiscPathsAndRunsWindowsProgramsThroughWine) {
    TempFolder temp;
    shelltest::writeFile(temp / "disc/ICON.ICO", "icon");
    // Stands in for the disc path resolver: drive E: is the folder "disc".
    auto resolve = [&](std::string_view p) {
        std::string s(p);
        if (s.rfind("E:", 0) == 0)
            s = temp / "disc" + s.substr(2);
        for (char& c : s)
            if (c == '\\')
                c = '/';
        return s;
    };

    struct Case {
        const char* target;
        const char* args;
        const char* icon;
        std::vector<std::string> exec;
        bool hasIcon;
    } cases[] = {
        {"E:\\SETUP.EXE", "/auto", "E:\\ICON.ICO,0", {"wine", temp / "disc/SETUP.EXE", "/auto"}, true},
        {"E:\\Bin\\run.Bat", "", "E:\\ICON.ICO", {"wine", temp / "disc/Bin/run.Bat"}, true},
        {"E:\\Bin\\tool.sh", "x", "E:\\missing.ico,3", {temp / "disc/Bin/tool.sh", "x"}, false},
        {"explorer", ".", "", {"explorer", "."}, false},
        {"Bin\\prog", "", "", {temp / "disc/Bin/prog"}, false},
    };
    for (const auto& c : cases) {
        const auto entry = lnx::shortcutEntry("n", {c.target, c.args, "E:\\", c.icon}, resolve);
        EXPECT_EQ(entry.exec, c.exec) << c.target;
        EXPECT_EQ(entry.path, temp / "disc/") << c.target;
        EXPECT_EQ(entry.icon, c.hasIcon ? temp / "disc/ICON.ICO" : "") << c.target;
    }
}

TEST(LinuxStartMenu, publishesDesktopEntriesIntoItsFolderAndWithdrawsFilesOnly) {
    TempFolder temp;
    ScopedEnv env;
    env.set("XDG_DATA_HOME", temp / "data");
    shelltest::WatchedFiles files;
    lnx::EntryWriter entries(files, identity);
    lnx::LinuxStartMenu menu(entries, files);
    const std::string folder = temp / "data/applications/";
    ASSERT_EQ(menu.folder(), folder);

    for (const char* name : {"autorun.lnk", ".desktop"}) {
        const auto refused = menu.publish(name, shortcutOf("/bin/true"), {});
        EXPECT_EQ(refused.failure().fault, port::ShortcutFault::Refused) << name;
        EXPECT_EQ(refused.failure().path, folder + name);
    }
    const auto unstorable = menu.publish("ctl.desktop", shortcutOf("/bin/echo", std::string("a\x01", 2)), {});
    EXPECT_EQ(unstorable.failure().fault, port::ShortcutFault::NotSaved);
    EXPECT_EQ(unstorable.failure().reason, lnx::kShortcutUnstorable);
    EXPECT_FALSE(std::filesystem::exists(folder + "ctl.desktop"));

    // The launcher folder is made when it is missing.
    const auto published = menu.publish("(E) A.DESKTOP", shortcutOf("/bin/true"), {});
    ASSERT_TRUE(published.ok());
    EXPECT_EQ(*published, folder + "(E) A.DESKTOP");
    EXPECT_TRUE(std::filesystem::is_regular_file(*published));
    menu.withdraw(*published);
    EXPECT_FALSE(std::filesystem::exists(*published));
    menu.withdraw(*published); // gone already
    std::filesystem::create_directory(folder + "(F) B.desktop");
    menu.withdraw(folder + "(F) B.desktop");
    EXPECT_TRUE(std::filesystem::is_directory(folder + "(F) B.desktop")) << "never a folder";

    files.failReplace = true;
    EXPECT_EQ(menu.publish("x.desktop", shortcutOf("/bin/true"), {}).failure().reason,
              lnx::kShortcutUnwritable);
    files.failReplace = false;
    // A folder under a file cannot be made.
    shelltest::writeFile(temp / "plainfile", "");
    env.set("XDG_DATA_HOME", temp / "plainfile");
    EXPECT_EQ(menu.publish("x.desktop", shortcutOf("/bin/true"), {}).failure().reason,
              lnx::kShortcutUnwritable);
}

TEST(DesktopEntryShortcut, PathsThatAreNotUtf8GoThroughLinksThatDesktopsAccept) {
    const std::pair<const char*, bool> utf8[] = {
        {"abc", true},       {"\xE6\xBC\xA2", true},  {"\x83\x66", false}, // Shift-JIS
        {"\xC0\xAF", false}, {"\xED\xA0\x80", false}, {"\xF4\x90\x80\x80", false}, {"\xE6\xBC", false},
    };
    for (const auto& [text, valid] : utf8)
        EXPECT_EQ(lnx::isUtf8(text), valid) << text;
    EXPECT_EQ(lnx::toUtf8Lossy("a\x83z"), "a\xEF\xBF\xBDz");

    TempFolder temp;
    const std::string disc = temp / "disc\x83\x66"; // a folder named in Shift-JIS
    shelltest::writeFile(disc + "/prog.sh", "#!/bin/sh\n", 0755);
    lnx::LinuxFileSystem files;
    lnx::EntryWriter entries(files, identity, {},
                             [&](const std::string& t) { return lnx::utf8Link(t, temp / "links"); });

    const std::string file = temp / "(E) \x83\x66.desktop";
    ASSERT_TRUE(entries.write(file, {disc + "/prog.sh", "one", disc + "/", ""}, {}).ok());
    EXPECT_EQ(validate(file), "");
    const auto entry = lnx::readDesktopEntry(shelltest::readFile(file));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, "(E) \xEF\xBF\xBD\x66");
    EXPECT_EQ(std::filesystem::canonical(entry->exec.at(0)), std::filesystem::canonical(disc + "/prog.sh"));
    EXPECT_EQ(std::filesystem::canonical(entry->path), std::filesystem::canonical(disc));

    // An argument that is not UTF-8 has no link to stand for it; neither has a path without a link maker.
    EXPECT_EQ(entries.write(file, {disc + "/prog.sh", "\x83\x66", "", ""}, {}).error(),
              lnx::kShortcutUnstorable);
    lnx::EntryWriter noLinks(files, identity);
    EXPECT_EQ(noLinks.write(temp / "plain.desktop", shortcutOf(disc + "/prog.sh"), {}).error(),
              lnx::kShortcutUnstorable);
}

TEST(LinuxStartMenu, ownEntriesAreTheDrivesEntriesMarkedAsTheProgramsOwn) {
    TempFolder temp;
    const std::string menu = temp / "applications/";
    const std::tuple<const char*, bool, bool> cases[] = {
        // name, marked as the program's, listed
        {"(E) NEW.desktop", true, true},    {"(F) GONE.desktop", true, true},
        {"(E) USER.desktop", false, false}, {"other.desktop", true, false},
        {"(e) lower.desktop", true, false}, {"(G) x.txt", true, false},
    };
    for (const auto& [name, ours, listed] : cases) {
        std::string text = lnx::writeDesktopEntry({"x", {"/bin/true"}, "", "", false});
        shelltest::writeFile(menu + name, ours ? text : text.substr(0, text.find(lnx::kOwnEntryKey)));
    }
    ScopedEnv env;
    env.set("XDG_DATA_HOME", temp.path());
    lnx::LinuxFileSystem files;
    lnx::EntryWriter entries(files, identity);
    auto own = lnx::LinuxStartMenu(entries, files).ownEntries();
    std::sort(own.begin(), own.end());
    EXPECT_EQ(own, (std::vector<std::string>{"(E) NEW.desktop", "(F) GONE.desktop"}));
}

} // namespace
