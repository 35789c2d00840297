#include "linux/LinuxLauncher.h"

#include "linux/ShortcutMessages.h"
#include "linux/Spawn.h"

#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace lnx {

namespace {

namespace fs = std::filesystem;

// The system's own wording of the error, in the user's language where the C library has it.
std::string errorName(int error) {
    return std::string(" (") + std::strerror(error) + ")";
}

// Starts the program of `entry`, the launch file `file`; the failure's text is for the user.
port::Result<void> start(const DesktopEntry& entry, const std::string& file) {
    if (entry.exec.empty() || entry.exec.front().empty())
        return port::fail(kShortcutUnreadable + file);
    const std::string& named = entry.exec.front();
    std::string program;
    if (named.find('/') != std::string::npos) {
        std::error_code ec;
        if (!fs::exists(named, ec))
            return port::fail(kProgramNotFound + named);
        if (!isExecutableFile(named))
            return port::fail(kProgramNotExecutable + named);
        program = named;
    } else {
        program = findOnPath(named);
        if (program.empty()) {
            if (named == "wine")
                return port::fail(std::string(kWineRequired) + (entry.exec.size() > 1 ? entry.exec[1] : ""));
            if (named == "xdg-open")
                return port::fail(kOpenerNotFound);
            return port::fail(kProgramNotFound + named);
        }
    }
    if (!entry.path.empty()) {
        std::error_code ec;
        if (!fs::is_directory(entry.path, ec))
            return port::fail(kFolderNotFound + entry.path);
    }

    const auto failure = spawnDetached(program, entry.exec, entry.path);
    if (!failure)
        return {};
    if (failure->stage == SpawnFailure::Stage::WorkingFolder)
        return port::fail(kFolderNotFound + entry.path + errorName(failure->error));
    return port::fail(kProgramNotExecutable + program + errorName(failure->error));
}

} // namespace

LinuxLauncher::LinuxLauncher(EntryWriter& entries, std::string folder)
    : m_entries(entries), m_folder(std::move(folder)) {}

void LinuxLauncher::cleanUp() {
    ::unlink(launchFile().c_str());
}

port::Result<void, port::ShortcutError> LinuxLauncher::launch(const port::Shortcut& shortcut,
                                                              const port::ShortcutReview& review) {
    const std::string file = launchFile();
    const auto entry = m_entries.write(file, shortcut, review);
    if (!entry)
        return port::ShortcutError{port::ShortcutFault::NotSaved, file, entry.error()};
    if (const auto started = start(*entry, file); !started)
        return port::ShortcutError{port::ShortcutFault::NotStarted, file, started.error()};
    return {};
}

} // namespace lnx
