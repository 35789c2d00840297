#include "drives/cls_CDData.h"

#include "app/Text.h"
#include "drives/code_CDRom.h"
#include "drives/code_LoadFile.h"
#include "port/Paths.h"
#include "shell/cls_FileSystemObject.h"

#include <charconv>

namespace app {
namespace {

constexpr double kLabelPadding = 60; // twips between a label's text and its edge

// The icon index of "file,index": a 32-bit integer, blanks around it allowed; nothing when it is not one.
std::optional<int> iconIndex(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

} // namespace

std::string shortcutNameFor(const std::string& folder, char driveLetter, const std::string& label,
                            const std::string& extension) {
    std::string safe = label;
    for (char& c : safe)
        if (port::isForbiddenInFileName(c))
            c = '_';
    const auto nameOf = [&] { return std::string("(") + driveLetter + ") " + safe + extension; };
    // A UDF label holds 126 characters, far more than a file name may in a folder of some depth.
    while (!safe.empty() && !port::fileNameFits(folder, nameOf())) {
        // A whole character at a time: its continuation bytes, then the byte that starts it.
        while (!safe.empty() && (static_cast<unsigned char>(safe.back()) & 0xC0) == 0x80)
            safe.pop_back();
        if (!safe.empty())
            safe.pop_back();
    }
    return nameOf();
}

cls_CDData::cls_CDData(Environment environment) : m_env(std::move(environment)) {}

cls_CDData::~cls_CDData() {
    RemoveShortcuts();
}

void cls_CDData::SetObj(port::IButton& button, port::ILabel& volumeName, port::ILabel& drive,
                        port::IMenuItem& menuItem) {
    m_CmdButton = &button;
    m_VolumeNameLabel = &volumeName;
    m_DriveLabel = &drive;
    m_DriveMenuItem = &menuItem;
}

void cls_CDData::clear() {
    m_HasAutorun = false;
    m_DirPath = withSeparator(m_Path);
    m_ExeName.clear();
    m_IconSpec.clear();
    m_VolumeLabel.clear();
}

void cls_CDData::CheckData(bool& changed, bool& newDisc) {
    port::Services& services = m_env.program.services;
    // The label is read once: an unchanged drive costs one label read and nothing else.
    std::string label = code_CDRom::GetVolumeName(services.volumes, m_Path);
    if (label == m_VolumeLabel)
        return;
    changed = true;
    RemoveShortcuts();
    const bool hadAutorun = m_HasAutorun;
    m_HasAutorun = cls_FileSystemObject(services).File(m_Path, "AUTORUN.INF");
    m_VolumeLabel = std::move(label);
    // A record that held autorun data is cleared first: the new disc is read at the next check.
    if (!m_HasAutorun || hadAutorun) {
        clear();
    } else {
        ReadAutorun();
        if (m_Shortcut)
            AddShortcut();
    }

    if (m_CmdButton) {
        m_CmdButton->setPicture(GetIconPicture());
        m_CmdButton->setEnabled(m_HasAutorun);
    }
    if (m_VolumeNameLabel) {
        m_VolumeNameLabel->setCaption(m_VolumeLabel);
        m_VolumeNameLabel->setWidth(m_env.textWidth(m_VolumeLabel) + kLabelPadding);
    }
    if (m_DriveLabel) {
        const std::string caption = "(" + m_Path + ")";
        m_DriveLabel->setCaption(caption);
        m_DriveLabel->setWidth(m_env.textWidth(caption) + kLabelPadding);
    }
    if (m_DriveMenuItem) {
        m_DriveMenuItem->setCaption("(" + m_Path + ") " + m_VolumeLabel);
        m_DriveMenuItem->setVisible(m_HasAutorun);
    }
    newDisc = m_HasAutorun;
}

void cls_CDData::ReadAutorun() {
    port::Services& services = m_env.program.services;
    IniClass autorun(services.files, services.codec);
    autorun.SetFile(withSeparator(m_Path) + "AUTORUN.INF");
    autorun.SetSection("AutoRun");
    m_DirPath = withSeparator(m_Path);
    m_ExeName = autorun.T_GetSetting("open", "");
    // Without an "icon" key the program line itself names the icon.
    m_IconSpec = withSeparator(m_Path) + autorun.T_GetSetting("icon", m_ExeName);
}

std::unique_ptr<port::IPicture> cls_CDData::GetIconPicture() {
    // An empty reference, or the bare drive root, shows the program's own icon.
    if (m_IconSpec.size() <= 3)
        return m_env.icons.WindowIcon().value_or(nullptr);
    std::string file = m_IconSpec;
    int index = 0;
    if (const auto comma = m_IconSpec.find(','); comma != std::string::npos) {
        file = m_IconSpec.substr(0, comma);
        const std::string rest = m_IconSpec.substr(comma + 1);
        const auto parsed = iconIndex(rest.substr(0, rest.find(',')));
        if (!parsed)
            return nullptr; // an index that is not a number: no picture
        index = *parsed;
    }
    const auto dot = file.rfind('.');
    const std::string extension = upperAscii(dot == std::string::npos ? file : file.substr(dot + 1));
    if (extension == "ICO")
        return m_env.icons.LoadIconFile(file).value_or(nullptr);
    if (extension == "EXE" || extension == "DLL")
        return m_env.icons.ExtractIconPicture(file, index, false).value_or(nullptr);
    return nullptr;
}

void cls_CDData::AddShortcut() {
    if (!m_HasAutorun || m_Path.empty())
        return;
    Program& program = m_env.program;
    const std::string name = shortcutNameFor(program.StartMenuFolder, m_Path[0], m_VolumeLabel,
                                             program.services.process.shortcutExtension());
    // Only a shortcut that was really written is recorded: a failed write has nothing to remove.
    if (code_LoadFile::WriteShortcut(program, m_ExeName, m_DirPath, program.StartMenuFolder, name,
                                     m_IconSpec))
        m_CreatedShortcuts.push_back(program.StartMenuFolder + name);
}

void cls_CDData::RemoveShortcuts() {
    if (m_CreatedShortcuts.empty())
        return;
    cls_FileSystemObject fso(m_env.program.services);
    // A shortcut that cannot be deleted is the user's to remove; nothing would come of retrying.
    for (const std::string& path : m_CreatedShortcuts) {
        const auto cut = lastSeparator(path);
        static_cast<void>(fso.Delete(path.substr(0, cut + 1), path.substr(cut + 1)));
    }
    m_CreatedShortcuts.clear();
}

void cls_CDData::setShortcut(bool wanted) {
    if (wanted == m_Shortcut)
        return;
    m_Shortcut = wanted;
    if (wanted)
        AddShortcut();
    else
        RemoveShortcuts();
}

} // namespace app
