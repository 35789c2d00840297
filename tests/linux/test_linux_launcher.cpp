// The launcher over disc folders and a PATH of its own: the launch file it writes, the program it starts
// from the values given, and what it says when it cannot.
#include "linux/DesktopEntry.h"
#include "linux/LinuxLauncher.h"
#include "linux/ShortcutMessages.h"
#include "linux/Utf8Link.h"
#include "shell_test_support.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

using shelltest::TempFolder;
using Fault = port::ShortcutFault;

TEST(LinuxLauncher, writesTheLaunchFileThenStartsTheProgramFromTheValues) {
    TempFolder temp;
    const std::string disc = temp / "disc";
    const std::string sjis = temp / "disc\x83\x66"; // a folder named in Shift-JIS
    const std::string ran = temp / "ran";
    ASSERT_EQ(::mkfifo(ran.c_str(), 0600), 0);
    // Records how it was started, then tells the test.
    const std::string recorder = shelltest::recordingScript(temp / "rec") + ": > '" + ran + "'\n";
    for (const std::string& program : {disc + "/Bin/RECORD.sh", sjis + "/prog.sh", temp / "wine/wine"})
        shelltest::writeFile(program, recorder, 0755);
    std::filesystem::create_directories(temp / "nothing");

    struct Case {
        const char* name;
        port::Shortcut shortcut;
        bool wine; // on PATH
        std::optional<Fault> fault;
        std::string said; // the failure's reason (the missing program's path); for a start, the arguments
        std::string cwd;  // where the program started
        std::string searchPath = {};
    };
    const std::string record = disc + "/Bin/RECORD.sh", setup = disc + "/SETUP.EXE", gone = temp / "gone/";
    const std::string missing = disc + "/NONE.sh", folder = disc + "/";
    const std::string unstorable = lnx::kShortcutUnstorable;
    const std::string readme = disc + "/README.TXT", web = "http://a.example/?b", system = "/usr/bin:/bin";
    // A desktop whose recorder opens folders, text and web addresses; a file of a disc without Rock Ridge.
    shelltest::writeFile(temp / "data/applications/rec.desktop", "[Desktop Entry]\nExec=" + record + " %u\n");
    shelltest::writeFile(temp / "config/mimeapps.list",
                         "[Default Applications]\ntext/plain=rec.desktop\n"
                         "inode/directory=rec.desktop\nx-scheme-handler/http=rec.desktop\n");
    shelltest::writeFile(disc + "/README.TXT", "Read me.\n", 0755);
    shelltest::writeFile(setup, "MZ");
    const Fault notStarted = Fault::NotStarted, notSaved = Fault::NotSaved, notThere = Fault::Missing;
    const Case cases[] = {
        {"a disc's program", {record, "\"a b\" c $(x)", folder, ""}, false, {}, "a b\nc\n$(x)\n", disc},
        {"a Windows program", {setup, "/x", "/", ""}, true, {}, setup + "\n/x\n", "/"},
        {"a missing Windows program",
         {disc + "/NONE.EXE", "", "", ""},
         true,
         notThere,
         disc + "/NONE.EXE",
         ""},
        {"names in another encoding", {sjis + "/prog.sh", "one", sjis + "/", ""}, false, {}, "one\n", sjis},
        {"no wine", {setup, "/x", "/", ""}, false, notStarted, lnx::kWineRequired + setup, ""},
        {"a missing program", {missing, "", "", ""}, false, notThere, missing, ""},
        {"not on PATH", {"nosuchprogram", "", "", ""}, false, notThere, "nosuchprogram", ""},
        {"a missing folder", {record, "", gone, ""}, false, notStarted, lnx::kFolderNotFound + gone, ""},
        {"a folder", {folder, "x", folder, ""}, false, {}, folder + "\n", disc, system},
        {"a document", {readme, "x", folder, ""}, false, {}, readme + "\n", disc, system},
        {"a web address", {folder + web, "x", folder, ""}, false, {}, web + "\n", disc, system},
        {"no opener", {readme, "", folder, ""}, false, notStarted, lnx::kOpenerNotFound, ""},
        {"a control character", {"/bin/echo", "a\x01", "", ""}, false, notSaved, unstorable, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shelltest::ScopedEnv env;
        env.set("PATH", !c.searchPath.empty() ? c.searchPath : c.wine ? temp / "wine" : temp / "nothing");
        env.set("XDG_CONFIG_HOME", temp / "config");
        env.set("XDG_DATA_HOME", temp / "data");
        env.set("XDG_CURRENT_DESKTOP", "X-Generic");
        env.set("WAYLAND_DISPLAY", "wayland-0");
        // Written to memory only: whatever starts, starts from the values.
        shelltest::WatchedFiles files;
        files.inMemory = true;
        lnx::EntryWriter entries(
            files, [](std::string_view p) { return std::string(p); }, {},
            [&](const std::string& t) { return lnx::utf8Link(t, temp / "links"); });
        lnx::LinuxLauncher launcher(entries, temp / "config/");
        port::Shortcut reviewed;
        const auto launched = launcher.launch(c.shortcut, [&](const port::Shortcut& s) { reviewed = s; });

        EXPECT_EQ(std::tie(reviewed.program, reviewed.arguments, reviewed.folder),
                  std::tie(c.shortcut.program, c.shortcut.arguments, c.shortcut.folder))
            << "the review sees the shortcut as given";
        const std::string file = launcher.launchFile();
        EXPECT_EQ(file, temp / "config/autorun.desktop");
        EXPECT_FALSE(std::filesystem::exists(file));
        EXPECT_EQ(files.replaced.count(file), c.fault == Fault::NotSaved ? 0u : 1u);
        if (c.fault) {
            ASSERT_FALSE(launched.ok());
            EXPECT_EQ(launched.failure().fault, *c.fault);
            EXPECT_EQ(launched.failure().path, c.fault == Fault::Missing ? c.said : file);
            EXPECT_EQ(launched.failure().reason, c.fault == Fault::Missing ? "" : c.said);
            continue;
        }
        ASSERT_TRUE(launched.ok()) << launched.failure().reason;
        std::ifstream(ran).get(); // until the program has recorded and closed the signal for the next run
        EXPECT_EQ(shelltest::readFile(temp / "rec.args"), c.said);
        EXPECT_EQ(shelltest::readFile(temp / "rec.cwd"), c.cwd + "\n");
        // The file says what was started.
        const auto entry = lnx::readDesktopEntry(files.replaced[file]);
        ASSERT_TRUE(entry && !entry->exec.empty());
        std::string written;
        for (std::size_t i = 1; i < entry->exec.size(); ++i)
            written += entry->exec[i] + "\n";
        EXPECT_EQ(written, c.said);
    }
}

} // namespace
