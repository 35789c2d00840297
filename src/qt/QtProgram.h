#pragma once
// The whole Linux program over a given view of the machine's drives: the shipped program reads the
// real system; the end-to-end tests hand in a simulated one.
#include "linux/DriveSource.h"

#include <string>

namespace qtui {

// $XDG_CACHE_HOME/tavimoro/ (default ~/.cache/tavimoro/), where shortcut icons are written; empty
// without a home folder.
std::string iconCacheFolder();

// Runs the program as started with argc/argv; gives its exit status.
int runProgram(int argc, char** argv, const lnx::DriveSourceConfig& drives);

} // namespace qtui
