#pragma once
// Whether a file is a disc image: what a disc's file system writes where a reader looks first.
#include <string>

namespace lnx {

// True when the file at `path` holds an ISO 9660 or UDF file system: a volume descriptor's identifier
// ("CD001", or "BEA01", "NSR02", "NSR03", "TEA01" of UDF) in one of the first sectors after the 32 KiB
// system area. Only those few bytes are read.
bool holdsDiscFileSystem(const std::string& path);

} // namespace lnx
