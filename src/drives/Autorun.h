#pragma once
// The one reader of a disc's AUTORUN.INF: the "open" and "icon" lines of its [AutoRun] section, as the
// Windows profile functions give them.
#include "port/FileSystem.h"
#include "port/TextCodec.h"

#include <string>

namespace drives {

struct AutorunLines {
    std::string open; // the program line; empty when there is none
    std::string icon; // the icon reference; the program line when the file names none
};

// The largest AUTORUN.INF that is read: twice the largest one seen on real discs (470 KB, its section at
// line 1773), and small enough that a crafted one cannot hold a drive's check up for long.
inline constexpr std::size_t kMaxAutorunBytes = 1u << 20;

// The lines of the file at `path`, read once and taken apart once; a file that cannot be read, or is
// larger than kMaxAutorunBytes, has none.
AutorunLines readAutorun(port::IFileSystem& files, port::ITextCodec& codec, const std::string& path);

} // namespace drives
