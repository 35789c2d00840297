#include "drives/Shortcuts.h"

#include "app/Settings.h"
#include "app/Text.h"
#include "port/Paths.h"

namespace drives {

port::Shortcut shortcutFor(const std::string& programLine, const std::string& folder,
                           const std::string& icon) {
    port::Shortcut shortcut;
    shortcut.folder = folder;
    shortcut.icon = icon;
    // An icon file named without an index is read as its icon 0; a shortcut says so, or the shell finds
    // no icon in it. The folder's own name may hold a comma.
    const std::size_t name = icon.rfind(folder, 0) == 0 ? folder.size() : 0;
    if (icon.size() > name && !app::endsWithSeparator(icon) && icon.find(',', name) == std::string::npos)
        shortcut.icon += ",0";
    const auto space = programLine.find(' ');
    if (space != std::string::npos) {
        const std::string programPart = programLine.substr(0, space);
        shortcut.program = programPart.find('.') != std::string::npos ? folder + programPart : programPart;
        shortcut.arguments = programLine.substr(space + 1);
    } else {
        shortcut.program = folder + programLine;
    }
    return shortcut;
}

std::string startMenuEntryName(const std::string& folder, char driveLetter, const std::string& label,
                               const std::string& extension) {
    std::string safe = label;
    for (char& c : safe)
        if (port::isForbiddenInFileName(c))
            c = '_';
    const auto nameOf = [&] { return std::string("(") + driveLetter + ") " + safe + extension; };
    // A UDF label holds 126 characters, far more than a file name may in a folder of some depth.
    while (!safe.empty() && !port::fileNameFits(folder, nameOf())) {
        // A whole character at a time.
        safe.resize(app::utf8Boundary(safe, safe.size() - 1));
    }
    return nameOf();
}

port::ShortcutReview ShortcutWriter::review() {
    if (!app::reviewShortcuts(m_context.settingsFile))
        return {};
    return [this](const port::Shortcut& stored) {
        m_context.messages.show("プログラム：[" + stored.program + "]\r\nオプション：[" + stored.arguments +
                                    "]\r\n作業フォルダ：[" + stored.folder + "]",
                                m_context.process.title(), port::MessageIcon::None);
    };
}

void ShortcutWriter::tellFailure(const std::string& text) {
    m_context.messages.show(text, m_context.process.title(), port::MessageIcon::Exclamation);
}

void ShortcutWriter::tell(const port::ShortcutError& error) {
    port::IMessageBox& messages = m_context.messages;
    const std::string title = m_context.process.title();
    switch (error.fault) {
    case port::ShortcutFault::Unavailable:
        messages.show(error.reason, m_context.process.exeName(), port::MessageIcon::None);
        break;
    case port::ShortcutFault::Refused:
        messages.show("ショートカットを作成できません。\r\n" + error.path, title,
                      port::MessageIcon::Exclamation);
        break;
    case port::ShortcutFault::NotSaved:
        messages.show("ショートカットを保存できませんでした。\r\n" + error.path + "\r\n" + error.reason,
                      title, port::MessageIcon::Exclamation);
        break;
    case port::ShortcutFault::NotStarted:
        messages.show("プログラムを起動できませんでした。\r\n" + error.reason, title,
                      port::MessageIcon::Exclamation);
        break;
    case port::ShortcutFault::Missing:
        messages.show("プログラムを起動できませんでした。\r\nプログラムが見つかりません: " + error.path,
                      title, port::MessageIcon::Exclamation);
        break;
    }
}

bool ShortcutWriter::launch(const std::string& programLine, const std::string& folder) {
    const auto launched = m_context.launcher.launch(shortcutFor(programLine, folder, ""), review());
    if (!launched)
        tell(launched.failure());
    return launched.ok();
}

std::optional<std::string> ShortcutWriter::publish(char letter, const std::string& label,
                                                   const std::string& programLine, const std::string& folder,
                                                   const std::string& icon) {
    port::IStartMenu& startMenu = m_context.startMenu;
    const std::string name = startMenuEntryName(startMenu.folder(), letter, label, startMenu.extension());
    auto published = startMenu.publish(name, shortcutFor(programLine, folder, icon), review());
    if (!published) {
        tell(published.failure());
        return std::nullopt;
    }
    return std::move(published).value();
}

} // namespace drives
