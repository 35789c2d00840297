#pragma once
// The few file questions the program asks: which files a folder holds, does it hold a given name
// (letter case ignored), delete such a file. Works through the scripting file-system object when it
// can be created, else through a plain directory scan.
#include "port/Services.h"

#include <memory>
#include <string>
#include <vector>

namespace app {

class cls_FileSystemObject {
  public:
    explicit cls_FileSystemObject(port::Services& services);

    // True when the scripting file-system object could be created.
    bool FileSystemObjectCall() const { return m_fso != nullptr; }
    // Names of the folder's files, subfolders excluded.
    std::vector<std::string> Files(std::string folder);
    bool File(const std::string& folder, const std::string& name);
    // Deletes folder + name when File finds it; a name it does not find is no failure.
    port::Result<void> Delete(const std::string& folder, const std::string& name);

  private:
    std::vector<std::string> FsoFiles(const std::string& folder);
    std::vector<std::string> DirFiles(const std::string& folder);

    port::Services& m_services;
    std::unique_ptr<port::IScriptFileSystem> m_fso;
};

} // namespace app
