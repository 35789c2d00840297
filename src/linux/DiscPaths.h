#pragma once
// Windows paths on Linux discs. The program and the discs' AUTORUN.INF files name files the Windows
// way ("E:\Bin\SETUP.EXE"); on Linux the drive is a mount point and names are case-sensitive, so each
// component is matched against the real folder the way Wine does it.
#include "linux/DriveSource.h"

#include <optional>
#include <string>
#include <string_view>

namespace lnx {

// Simple case folding for names: ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and full-width
// Latin letters. Bytes that are not valid UTF-8 are kept as they are.
std::string foldCase(std::string_view name);

class DiscPaths {
  public:
    explicit DiscPaths(const DriveSource& source) : m_source(source) {}

    // A Linux path for a Windows or Linux path. "X:" at the start stands for the mount point of CD-ROM
    // drive X; "\" and "/" both separate, except within a CD-ROM drive's mount point at the start;
    // each existing component is matched exactly first, else without regard to case. Components that
    // do not exist stay as written. A drive letter that is not a mounted CD-ROM drive gives the path
    // back unresolved, so that lookups through it fail.
    std::string resolve(std::string_view path) const;

    // The longest mount point of a CD-ROM drive that `path` starts with, as a whole component.
    std::optional<std::string> mountPointAtStart(std::string_view path) const;

  private:
    DriveSource m_source;
};

} // namespace lnx
