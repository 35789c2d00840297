#pragma once
// The pictures the drive buttons show: a disc's icon, or the program's own.
#include "port/Result.h"

#include <memory>
#include <string>

namespace port {

// A picture a button shows. Whoever holds it owns the platform icon behind it; it is released once.
class IPicture {
  public:
    virtual ~IPicture() = default;
};

class IIcons {
  public:
    virtual ~IIcons() = default;
    // Each picture of a success is never null.
    // The icon at `index` of a program file or library (a negative index names a resource id), large
    // or small; a failure when the file has no such icon or cannot be read.
    virtual Result<std::unique_ptr<IPicture>> programFileIcon(const std::string& file, int index,
                                                              bool small) = 0;
    // An icon file (.ico); a failure when it cannot be loaded.
    virtual Result<std::unique_ptr<IPicture>> iconFile(const std::string& file) = 0;
    // The program's own icon; a failure only when the program's own resources cannot be read.
    virtual Result<std::unique_ptr<IPicture>> programIcon() = 0;
};

} // namespace port
