#include "shell/cls_FileSystemObject.h"

#include "app/Text.h"

namespace app {

cls_FileSystemObject::cls_FileSystemObject(port::Services& services)
    : m_services(services), m_fso(services.scriptHost.createFileSystemObject().value_or(nullptr)) {}

std::vector<std::string> cls_FileSystemObject::Files(std::string folder) {
    folder = withSeparator(std::move(folder));
    return m_fso ? FsoFiles(folder) : DirFiles(folder);
}

std::vector<std::string> cls_FileSystemObject::FsoFiles(const std::string& folder) {
    // A folder that cannot be opened simply has no files.
    return m_fso->GetFolderFiles(folder).value_or(std::vector<std::string>{});
}

std::vector<std::string> cls_FileSystemObject::DirFiles(const std::string& folder) {
    std::vector<std::string> names;
    const auto entries = m_services.files.scanDirectory(folder);
    if (!entries)
        return names;
    for (const std::string& name : *entries) {
        if (name.empty())
            break;
        auto attributes = m_services.files.attributes(folder + name);
        if (!attributes) {
            m_services.messages.show(folder + name +
                                         "\r\nファイルが存在しないか開く事が出来ません\r\n\r\n"
                                         "このファイルを除いて処理を続行します",
                                     m_services.process.title(), port::MessageIcon::Information);
            continue; // an unreadable entry counts as a folder: left out
        }
        if (!(*attributes & port::kAttrDirectory))
            names.push_back(name);
    }
    return names;
}

bool cls_FileSystemObject::File(const std::string& folder, const std::string& name) {
    const std::string wanted = upperAscii(name);
    for (const std::string& entry : Files(folder))
        if (upperAscii(entry) == wanted)
            return true;
    return false;
}

port::Result<void> cls_FileSystemObject::Delete(const std::string& folder, const std::string& name) {
    if (!File(folder, name))
        return {};
    // The caller passes the folder with its separator: the two are joined as they stand.
    const std::string path = folder + name;
    return m_fso ? m_fso->DeleteFile(path) : m_services.files.deleteFile(path);
}

} // namespace app
