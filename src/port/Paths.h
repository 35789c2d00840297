#pragma once
// The platform's path conventions, for the portable code that splits and joins paths.
#include <string>
#include <string_view>

namespace port {

// The separator the platform writes ("\" on Windows, "/" on Linux).
char pathSeparator();
// True for every character that separates folders in a path the platform accepts.
bool isPathSeparator(char c);
// True when the path names a location without a base folder (Windows: "C:\", "\\server"; Linux: "/").
bool isAbsolutePath(std::string_view path);

} // namespace port

namespace port {

// True for a byte that cannot stand in a file name on the platform.
bool isForbiddenInFileName(char c);
// True when the platform takes `name` (UTF-8) as the name of a file in `folder`: not longer than a name
// may be there, nor making a path longer than a path may be.
bool fileNameFits(std::string_view folder, std::string_view name);

} // namespace port
