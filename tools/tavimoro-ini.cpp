// tavimoro-ini: reads and writes INI files with the program's own profile engine, so that scripts and
// tests see the settings file exactly as the program does.
//
//   tavimoro-ini get FILE SECTION KEY DEFAULT
//   tavimoro-ini set FILE SECTION KEY VALUE
//   tavimoro-ini section FILE SECTION
//   tavimoro-ini delete-section FILE SECTION
#include "app/Profile.h"

#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "win32/WideText.h"
#include "win32/Win32Codec.h"
#include "win32/Win32FileSystem.h"
using PlatformFileSystem = win::Win32FileSystem;
using PlatformCodec = win::Win32Codec;
constexpr auto kNewFileStyle = app::profile::Newline::CrLf;
#else
#include "linux/LinuxCodec.h"
#include "linux/LinuxFileSystem.h"
using PlatformFileSystem = lnx::LinuxFileSystem;
using PlatformCodec = lnx::LinuxCodec;
constexpr auto kNewFileStyle = app::profile::Newline::Lf;
#endif

namespace {

constexpr int kUsageError = 2;
constexpr int kWriteError = 1;

int usage(const std::string& message) {
    std::fprintf(stderr,
                 "tavimoro-ini: %s (usage: tavimoro-ini get FILE SECTION KEY DEFAULT | set FILE SECTION KEY "
                 "VALUE | section FILE SECTION | delete-section FILE SECTION)\n",
                 message.c_str());
    return kUsageError;
}

// "cannot write FILE: REASON", the system's reason where it gave one.
int writeFailed(const std::string& file, const port::Error& error) {
    const std::string& reason = error.cause.empty() ? error.message : error.cause;
    std::fprintf(stderr, "tavimoro-ini: cannot write %s: %s\n", file.c_str(), reason.c_str());
    return kWriteError;
}

void printLine(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

int run(const std::vector<std::string>& args) {
    if (args.empty())
        return usage("no command");
    const std::string& command = args[0];
    auto expect = [&](std::size_t count) { return args.size() == count + 1; };

    PlatformFileSystem files;
    PlatformCodec codec;
    if (command == "get") {
        if (!expect(4))
            return usage("get takes FILE SECTION KEY DEFAULT");
        printLine(app::profile::getProfileString(files, codec, args[1], args[2], args[3], args[4]));
        return 0;
    }
    if (command == "set") {
        if (!expect(4))
            return usage("set takes FILE SECTION KEY VALUE");
        const auto written =
            app::profile::writeProfileString(files, codec, args[1], args[2], args[3], args[4], kNewFileStyle);
        return written ? 0 : writeFailed(args[1], written.failure());
    }
    if (command == "section") {
        if (!expect(2))
            return usage("section takes FILE SECTION");
        for (const std::string& line : app::profile::getProfileSection(files, codec, args[1], args[2]))
            printLine(line);
        return 0;
    }
    if (command == "delete-section") {
        if (!expect(2))
            return usage("delete-section takes FILE SECTION");
        const auto written = app::profile::deleteProfileSection(files, codec, args[1], args[2]);
        return written ? 0 : writeFailed(args[1], written.failure());
    }
    return usage("unknown command \"" + command + "\"");
}

} // namespace

#ifdef _WIN32
// The Windows build links with -municode: arguments arrive as UTF-16.
int wmain(int argc, wchar_t** argv) {
    // Lines end in "\n" on both builds, so that scripts compare the same output.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(win::toUtf8(argv[i]));
    return run(args);
}
#else
int main(int argc, char** argv) {
    return run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
