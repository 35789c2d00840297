#pragma once
// Both scripting objects on Linux; they are built in, so creation never fails.
#include "linux/DriveSource.h"
#include "linux/LinuxScriptShell.h"
#include "port/ScriptHost.h"

namespace lnx {

class LinuxScriptHost : public port::IScriptHost {
  public:
    // `files` writes the shortcut files, taking their paths as they are. `resolve` turns disc paths
    // into paths on this machine (DiscPaths::resolve over the same drives). `convertIcon` gives
    // shortcuts an image for their icon location (see IconConverter), `link` their paths in UTF-8
    // (see LinkMaker).
    LinuxScriptHost(port::IFileSystem& files, DriveSource drives, PathResolver resolve,
                    IconConverter convertIcon = {}, LinkMaker link = {});

    port::Result<std::unique_ptr<port::IScriptFileSystem>> createFileSystemObject() override;
    port::Result<std::unique_ptr<port::IScriptShell>> createShell() override;

  private:
    port::IFileSystem& m_files;
    DriveSource m_drives;
    PathResolver m_resolve;
    IconConverter m_convertIcon;
    LinkMaker m_link;
};

} // namespace lnx
