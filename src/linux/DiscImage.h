#pragma once
// Whether a file is a disc image: what a disc's file system writes where a reader looks first.
#include <string>

namespace lnx {

// True when the file at `path` is a regular file that holds an ISO 9660 or UDF file system
// (drives::namesDiscFileSystem). Only those few bytes are read.
bool holdsDiscFileSystem(const std::string& path);

} // namespace lnx
