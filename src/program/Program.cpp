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

    // A second instance hands over to the first and ends before it reads anything.
    if (process.anotherInstanceRunning()) {
        // The first instance may have no window yet; this one ends all the same.
        static_cast<void>(process.handOver());
        return StartOutcome::Ended;
    }

    if (const auto ready = m_platform.launcher.ready(); !ready) {
        m_platform.messages.show(ready.error(), process.exeName(), port::MessageIcon::None);
        return StartOutcome::Ended;
    }

    const std::string commandLine = process.commandLine();
    m_testMode = commandLine == "/TestMode";

    m_settingsFile.setFile(process.settingsFilePath());
    // What the file refuses stays in memory and is written at the next chance; the user learns of it once.
    m_settingsFile.onRefusedWrite([this](const std::string& reason) {
        m_platform.messages.show("設定を保存できませんでした。\r\n" + reason, m_platform.process.title(),
                                 port::MessageIcon::Exclamation);
    });
    app::loadSettings(m_settingsFile, m_settings);

    const std::string argument = commandArgument(commandLine, m_testMode);
    if (!argument.empty()) {
        drives::ShortcutWriter shortcuts({m_platform.launcher, m_platform.startMenu, m_platform.files,
                                          m_platform.messages, process, m_settingsFile});
        drives::PathLauncher(m_platform.files, m_platform.codec, shortcuts).launch(argument);
        return StartOutcome::Ended;
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
    return mainWindow;
}

} // namespace program
