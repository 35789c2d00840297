#pragma once
// The scripting objects reached by programmatic identifier: "Scripting.FileSystemObject", "WScript.Shell".
#include "port/ScriptHost.h"

namespace win {

class Win32ScriptHost : public port::IScriptHost {
  public:
    port::Result<std::unique_ptr<port::IScriptFileSystem>> createFileSystemObject() override;
    port::Result<std::unique_ptr<port::IScriptShell>> createShell() override;
};

} // namespace win
