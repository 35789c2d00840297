#pragma once
// The scripting objects reached by programmatic identifier: "Scripting.FileSystemObject", "WScript.Shell".
#include "port/ScriptHost.h"

namespace win {

class Win32ScriptHost : public port::IScriptHost {
  public:
    std::unique_ptr<port::IScriptFileSystem> createFileSystemObject() override;
    std::unique_ptr<port::IScriptShell> createShell() override;
};

} // namespace win
