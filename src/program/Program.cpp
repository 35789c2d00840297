#include "program/Program.h"

#include "drives/DriveList.h"
#include "drives/PathLauncher.h"
#include "drives/Shortcuts.h"

namespace program {

std::string commandArgument(const std::string& commandLine, bool testMode) {
    if (testMode)
        return "";
    if (commandLine.size() >= 2 && commandLine.front() == '"' && commandLine.back() == '"')
        return commandLine.substr(1, commandLine.size() - 2);
    return commandLine;
}

Program::Program(const port::Services& platform)
    : m_platform(platform), m_settingsFile(platform.files, platform.codec) {}

StartOutcome Program::start() {
    port::IProcess& process = m_platform.process;
    const std::string commandLine = process.commandLine();
    const bool testMode = commandLine == "/TestMode";
    // A path that leads to no AUTORUN.INF is told at once: no instance is claimed or troubled, and
    // nothing else is read or written.
    std::string autorun;
    if (const std::string argument = commandArgument(commandLine, testMode); !argument.empty()) {
        auto located = drives::PathLauncher::locateOrOpen(m_platform.files, m_platform.drives, argument);
        if (!located) {
            process.reportError(located.failure().text);
            // Opened from a file manager, nobody reads the error stream.
            if (located.failure().imageRefused)
                m_platform.messages.show(located.failure().text, process.title(),
                                         port::MessageIcon::Exclamation);
            return StartOutcome::Failed;
        }
        // Absolute now: the first instance works in a folder of its own.
        autorun = std::move(*located);
    }

    // A second instance hands over to the first and ends without reading its settings.
    if (process.anotherInstanceRunning()) {
        const auto handed = process.handOver(autorun);
        // Without a path there is nothing left to do: the first instance may have no window yet.
        if (handed || autorun.empty())
            return StartOutcome::Ended;
        if (handed.failure() == port::HandOverFailure::Refused)
            return StartOutcome::Failed;
        // Nobody took the path (the first instance hangs, is ending, or has a modal window open). A
        // launch needs no window: this start makes it itself, as a first start would.
    }
    m_testMode = testMode;

    if (const auto ready = m_platform.launcher.ready(); !ready) {
        m_platform.messages.show(ready.error(), process.exeName(), port::MessageIcon::None);
        return autorun.empty() ? StartOutcome::Ended : StartOutcome::Failed;
    }

    m_settingsFile.setFile(process.settingsFilePath());
    m_startSnapshot.emplace(m_settingsFile);
    // What the file refuses stays in memory and is written at the next chance; the user learns of it once.
    m_settingsFile.onRefusedWrite([this](const std::string& reason) {
        m_platform.messages.show("設定を保存できませんでした。\r\n" + reason, m_platform.process.title(),
                                 port::MessageIcon::Exclamation);
    });
    app::loadSettings(m_settingsFile, m_settings);

    if (!autorun.empty()) {
        drives::ShortcutWriter shortcuts({m_platform.launcher, m_platform.startMenu, m_platform.files,
                                          m_platform.messages, process, m_settingsFile});
        const bool launched =
            drives::PathLauncher(m_platform.files, m_platform.codec, m_platform.drives, shortcuts)
                .launch(autorun);
        return launched ? StartOutcome::Ended : StartOutcome::Failed;
    }
    if (m_settings.resident && m_settings.startHidden)
        return StartOutcome::LoadHidden;
    return StartOutcome::ShowWindow;
}

void Program::removeStaleEntries() {
    port::IStartMenu& menu = m_platform.startMenu;
    const std::vector<std::string> entries = menu.ownEntries();
    if (entries.empty())
        return;
    drives::PollScope poll(m_platform.drives);
    for (const std::string& name : entries) {
        const char letter = name[1];
        if (drives::startMenuEntryName(menu.folder(), letter, m_platform.drives.disc(letter).label,
                                       menu.extension()) != name)
            menu.withdraw(menu.folder() + name);
    }
}

std::unique_ptr<ui::MainWindow> Program::openWindow(const port::WindowServices& window,
                                                    StartOutcome outcome) {
    // Entries for discs that a run ended without cleaning up (killed, say) left in the Start menu; the
    // one the disc now in that drive would have stays.
    removeStaleEntries();
    auto mainWindow = std::make_unique<ui::MainWindow>(
        m_platform, window, ui::MainWindow::State{m_settingsFile, m_settings, m_testMode});
    mainWindow->start(outcome == StartOutcome::ShowWindow);
    // From here on a read goes to the file, which the user may edit while the program runs.
    m_startSnapshot.reset();
    return mainWindow;
}

} // namespace program
