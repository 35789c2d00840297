#pragma once
// Starts the autorun program of a folder or of an AUTORUN.INF named outside the drive buttons: dropped
// on the main window, or given on the command line.
#include "app/code_main.h"
#include "port/DropData.h"

#include <string>

namespace app::code_DropSet {

// True when at least one dropped path was launched. Every path is tried.
bool LaunchDroppedFiles(Program& program, port::IDropData& data);
// True when the path led to an AUTORUN.INF and its program was launched. A path that does not exist
// gives false; a relative path is taken relative to the current folder.
bool LaunchFromPath(Program& program, const std::string& path);

} // namespace app::code_DropSet
