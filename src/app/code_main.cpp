#include "app/code_main.h"

#include "app/Text.h"
#include "drives/code_DropSet.h"
#include "drives/code_LoadFile.h"
#include "shell/cls_FileSystemObject.h"
#include "shell/code_SpecialFolder.h"

namespace app::code_main {

std::string commandArgument(const std::string& commandLine, bool testMode) {
    if (testMode)
        return "";
    if (commandLine.size() >= 2 && commandLine.front() == '"' && commandLine.back() == '"')
        return commandLine.substr(1, commandLine.size() - 2);
    return commandLine;
}

StartOutcome SubMain(Program& program) {
    port::Services& services = program.services;

    // A second instance hands over to the first and ends before it reads anything.
    if (services.process.anotherInstanceRunning()) {
        // The first instance may have no window yet; this one ends all the same.
        static_cast<void>(services.process.activateWindow("AutoRun"));
        return StartOutcome::Ended;
    }

    {
        cls_FileSystemObject fso(services);
        if (!fso.FileSystemObjectCall()) {
            services.messages.show(code_LoadFile::kScriptHostMessage, services.process.exeName(),
                                   port::MessageIcon::None);
            return StartOutcome::Ended;
        }
    }

    const std::string commandLine = services.process.commandLine();
    program.testMode = commandLine == "/TestMode";

    program.accessor.SetFile(services.process.settingsFilePath());
    LoadSettings(program.accessor, program.settings);

    program.StartMenuFolder = withSeparator(code_SpecialFolder::GetStartMenuFolder(services.folders));

    const std::string argument = commandArgument(commandLine, program.testMode);
    if (!argument.empty()) {
        code_DropSet::LaunchFromPath(program, argument);
        return StartOutcome::Ended;
    }
    if (program.settings.standby && program.settings.StartMode)
        return StartOutcome::LoadMainWindow;
    return StartOutcome::ShowMainWindow;
}

} // namespace app::code_main
