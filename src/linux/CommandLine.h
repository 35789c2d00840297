#pragma once
// The Linux program's command line, read before the toolkit sees it: the options that answer and end
// the program at once, the toolkit's own options (passed on to it), and the rest, which names what to
// launch.
#include "port/Process.h"

#include <string>
#include <vector>

namespace lnx {

struct CommandLine {
    enum class Action {
        Run,     // start as the operands say
        Help,    // print the usage and end
        Version, // print the version and end
        Wrong,   // say what is wrong (error) and end with a failure
    };
    Action action = Action::Run;
    std::vector<std::string> toolkit;  // the toolkit's options, each with its value
    std::vector<std::string> operands; // the path (or /TestMode), in the order given
    std::string error;                 // one line, without the program's name
};

// `arguments` are argv without the program's name. An argument that starts with "-" is an option
// until "--", after which everything is an operand.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// What --help prints, in Japanese, ending in a line feed.
std::string usageText();
// What --version prints: "tavimoro X.Y.Z" and a line feed.
std::string versionText(const port::Version& version);

} // namespace lnx
