#include "linux/LinuxLauncher.h"

#include "linux/ShortcutEntry.h"
#include "linux/ShortcutMessages.h"
#include "linux/Spawn.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace lnx {

namespace {

namespace fs = std::filesystem;

// The system's own wording of the error, in the user's language where the C library has it.
std::string errorName(int error) {
    return std::string(" (") + std::strerror(error) + ")";
}

// What `entry` starts, when it is not there: a program named by a path that does not exist, or by a
// bare name on no folder of the search path. A Windows program, or a file the desktop's opener opens, is
// looked for before Wine or the opener starts, which would say only on their standard error that they
// found nothing.
std::optional<std::string> missingProgram(const DesktopEntry& entry) {
    const std::size_t at = fileArgument(entry.exec);
    if (at >= entry.exec.size())
        return std::nullopt;
    const std::string& named = entry.exec[at];
    std::error_code ec;
    // The opener also takes web addresses: only a path of this machine can be missing there.
    if (at > 0 ? named.starts_with('/') : named.find('/') != std::string::npos)
        return fs::exists(named, ec) ? std::nullopt : std::optional<std::string>(named);
    if (at > 0 || !findOnPath(named).empty())
        return std::nullopt;
    return named;
}

// Starts the program of `entry`, the launch file `file`.
port::Result<void, port::ShortcutError> start(const DesktopEntry& entry, const std::string& file) {
    const auto failed = [&file](std::string reason) {
        return port::ShortcutError{port::ShortcutFault::NotStarted, file, std::move(reason)};
    };
    if (entry.exec.empty() || entry.exec.front().empty())
        return failed(kShortcutUnreadable + file);
    if (const auto missing = missingProgram(entry))
        return port::ShortcutError{port::ShortcutFault::Missing, *missing, ""};
    const std::string& named = entry.exec.front();
    std::string program = named;
    if (named.find('/') != std::string::npos) {
        if (!isExecutableFile(named))
            return failed(kProgramNotExecutable + named);
    } else if ((program = findOnPath(named)).empty()) {
        if (named == "wine")
            return failed(std::string(kWineRequired) + (entry.exec.size() > 1 ? entry.exec[1] : ""));
        return failed(kOpenerNotFound);
    }
    if (!entry.path.empty()) {
        std::error_code ec;
        if (!fs::is_directory(entry.path, ec))
            return failed(kFolderNotFound + entry.path);
    }

    const auto failure = spawnDetached(program, entry.exec, entry.path);
    if (!failure)
        return {};
    if (failure->stage == SpawnFailure::Stage::WorkingFolder)
        return failed(kFolderNotFound + entry.path + errorName(failure->error));
    return failed(kProgramNotExecutable + program + errorName(failure->error));
}

} // namespace

LinuxLauncher::LinuxLauncher(EntryWriter& entries, std::string folder, WinePath winePath)
    : m_entries(entries), m_folder(std::move(folder)), m_winePath(std::move(winePath)) {}

void LinuxLauncher::cleanUp() {
    ::unlink(launchFile().c_str());
}

port::Result<void, port::ShortcutError> LinuxLauncher::launch(const port::Shortcut& shortcut,
                                                              const port::ShortcutReview& review) {
    const std::string file = launchFile();
    const auto entry = m_entries.write(file, shortcut, review, m_winePath);
    if (!entry)
        return port::ShortcutError{port::ShortcutFault::NotSaved, file, entry.error()};
    return start(*entry, file);
}

} // namespace lnx
