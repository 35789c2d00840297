#pragma once
// What a drop on the main window carries, as the front end hands it over.
#include <string>

namespace port {

class IDropData {
  public:
    virtual ~IDropData() = default;
    // True when the data holds a list of files (the file-list format).
    virtual bool hasFileList() = 0;
    virtual int fileCount() = 0;
    // The file at a position, counted from 1.
    virtual std::string file(int position) = 0;
};

} // namespace port
