#pragma once
// Turns an AUTORUN.INF program line into a shortcut file and, for a launch, has the shell run it:
// the program starts in the disc's folder with the arguments the disc asks for.
#include "app/code_main.h"

#include <memory>
#include <string>

namespace app::code_LoadFile {

// The message shown when the scripting host is missing.
extern const char* const kScriptHostMessage;

// Writes the shortcut `fileName` into `targetFolder` from program line `programLine` and working folder
// `workingFolder` (ending in the separator). Gives the shell object it wrote through, or nothing when
// nothing was written (the user has been told why).
std::unique_ptr<port::IScriptShell> WriteShortcut(Program& program, const std::string& programLine,
                                                  const std::string& workingFolder,
                                                  const std::string& targetFolder,
                                                  const std::string& fileName, const std::string& icon);

// Writes the launch file beside the program and runs it.
void LaunchProgram(Program& program, const std::string& programLine, const std::string& workingFolder);

// The launch file's name: "autorun" with the platform's shortcut extension.
std::string launchFileName(Program& program);

} // namespace app::code_LoadFile
