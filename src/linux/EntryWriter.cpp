#include "linux/EntryWriter.h"

#include "linux/ShortcutMessages.h"

#include <filesystem>

namespace lnx {

namespace fs = std::filesystem;

EntryWriter::EntryWriter(port::IFileSystem& files, PathResolver resolve, IconConverter convertIcon,
                         LinkMaker link)
    : m_files(files), m_resolve(std::move(resolve)), m_convertIcon(std::move(convertIcon)),
      m_link(std::move(link)) {}

port::Result<DesktopEntry> EntryWriter::write(const std::string& file, const port::Shortcut& shortcut,
                                              const port::ShortcutReview& review, const WinePath& winePath) {
    if (review)
        review(shortcut);
    std::string name = fs::path(file).filename().string();
    if (isDesktopFileName(name))
        name.resize(name.size() - kDesktopExtension.size());
    DesktopEntry entry = shortcutEntry(name, shortcut, m_resolve, m_convertIcon, winePath);

    // Desktops drop an entry whose values are not UTF-8 (a disc's file names may be in another
    // encoding): its paths go through links with UTF-8 names, and its name shows U+FFFD in their place.
    entry.name = toUtf8Lossy(entry.name);
    const std::size_t program = fileArgument(entry.exec);
    for (std::string* value :
         {program < entry.exec.size() ? &entry.exec[program] : nullptr, &entry.path, &entry.icon}) {
        if (value && !isUtf8(*value) && m_link) {
            if (std::string link = m_link(*value); !link.empty())
                *value = std::move(link);
        }
    }

    bool storable = storableInValue(entry.name) && storableInValue(entry.path) &&
                    storableInValue(entry.icon) && isUtf8(entry.path) && isUtf8(entry.icon);
    for (const auto& arg : entry.exec)
        storable = storable && storableInValue(arg) && isUtf8(arg);
    if (!storable)
        return port::fail(kShortcutUnstorable);
    // The per-user launcher folder does not exist until something first writes into it.
    const std::string folder = fs::path(file).parent_path().string();
    if (!folder.empty() && !m_files.createDirectories(folder))
        return port::fail(kShortcutUnwritable);
    // Replaced whole, so a desktop reading the folder never sees half an entry.
    if (!m_files.replaceFile(file, writeDesktopEntry(entry)))
        return port::fail(kShortcutUnwritable);
    return entry;
}

} // namespace lnx
