#include "linux/LinuxScriptHost.h"

#include "linux/LinuxScriptFileSystem.h"

namespace lnx {

LinuxScriptHost::LinuxScriptHost(port::IFileSystem& files, DriveSource drives, PathResolver resolve,
                                 IconConverter convertIcon, LinkMaker link)
    : m_files(files), m_drives(std::move(drives)), m_resolve(std::move(resolve)),
      m_convertIcon(std::move(convertIcon)), m_link(std::move(link)) {}

port::Result<std::unique_ptr<port::IScriptFileSystem>> LinuxScriptHost::createFileSystemObject() {
    return std::make_unique<LinuxScriptFileSystem>(m_drives);
}

port::Result<std::unique_ptr<port::IScriptShell>> LinuxScriptHost::createShell() {
    return std::make_unique<LinuxScriptShell>(m_files, m_resolve, m_convertIcon, m_link);
}

} // namespace lnx
