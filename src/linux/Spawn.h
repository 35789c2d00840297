#pragma once
// Starting a program the way a desktop launcher does: detached, in its own session, with no shell in
// between, and without waiting for it.
#include <optional>
#include <string>
#include <vector>

namespace lnx {

struct SpawnFailure {
    enum class Stage { Pipe, Fork, WorkingFolder, Exec };
    Stage stage;
    int error; // errno
};

// Starts the file `program` (a path, not looked up on PATH) with the argument vector argv (argv[0] as
// the program will see it) in `workingFolder` (unchanged when empty). The program is the grandchild of
// this process, in a session of its own, so it outlives this process and never lingers as a zombie of
// it; only descriptors 0 to 2 are passed on. Returns once the program has been executed (or has failed
// to be), without waiting for it: nothing on success.
std::optional<SpawnFailure> spawnDetached(const std::string& program, const std::vector<std::string>& argv,
                                          const std::string& workingFolder);

// The path of an executable file named `program` (a bare name) in the folders of $PATH, or empty.
std::string findOnPath(const std::string& program);
// True for an existing regular file this process may execute.
bool isExecutableFile(const std::string& path);

} // namespace lnx
