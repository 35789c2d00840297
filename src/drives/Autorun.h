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

// The lines of the file at `path`; a file that cannot be read has none.
AutorunLines readAutorun(port::IFileSystem& files, port::ITextCodec& codec, const std::string& path);

} // namespace drives
