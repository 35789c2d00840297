#include "drives/DriveRecord.h"

#include "app/Text.h"
#include "drives/Autorun.h"
#include "drives/FileLookup.h"

namespace drives {
namespace {

constexpr const char* kAutorunFile = "AUTORUN.INF";

} // namespace

IconRef iconOf(const std::string& reference, const std::string& folder) {
    if (reference.empty())
        return {IconRef::Kind::ProgramIcon, "", 0};
    std::string file = folder + reference;
    int index = 0;
    if (const auto comma = file.find(',', folder.size()); comma != std::string::npos) {
        const std::string_view rest = std::string_view(file).substr(comma + 1);
        const auto parsed = app::parseNumber<int>(app::trim(rest.substr(0, rest.find(',')), " "));
        if (!parsed)
            return {};
        index = *parsed;
        file.resize(comma);
    }
    const auto dot = file.rfind('.');
    const std::string extension = app::upperAscii(dot == std::string::npos ? file : file.substr(dot + 1));
    if (extension == "ICO")
        return {IconRef::Kind::IconFile, file, 0};
    if (extension == "EXE" || extension == "DLL")
        return {IconRef::Kind::ProgramFile, file, index};
    return {};
}

DriveRecord::DriveRecord(Context context, char letter) : m_context(std::move(context)) {
    m_state.letter = letter;
    m_state.folder = app::withSeparator(std::string(1, letter) + ":");
}

DriveRecord::~DriveRecord() {
    withdrawEntries();
}

void DriveRecord::clear(const std::string& root) {
    m_state.autorun = false;
    m_state.folder = app::withSeparator(root.empty() ? std::string(1, m_state.letter) + ":" : root);
    m_state.program.clear();
    m_state.icon = iconOf("", m_state.folder);
    m_state.label.clear();
    m_iconSpec.clear();
}

std::optional<bool> DriveRecord::check() {
    // The label is read once: an unchanged drive costs one label read and nothing else.
    const port::Disc disc = m_context.drives.disc(m_state.letter);
    std::string label = app::cutAtNul(disc.label);
    if (m_checked && label == m_state.label && disc.root == m_root)
        return std::nullopt;
    m_checked = true;
    withdrawEntries();
    const bool hadAutorun = m_state.autorun;
    const auto autorunName = findFile(m_context.files, disc.root, kAutorunFile);
    const bool autorun = autorunName.has_value();
    m_state.mountable = !autorun && disc.root.empty() && disc.mountable;
    m_root = disc.root;
    if (m_state.mountable) {
        // Its label is what the system knows of it; a click mounts it and reads it.
        clear(disc.root);
        m_state.label = std::move(label);
    } else if (!autorun || hadAutorun) {
        // A record that held autorun data is cleared first: the new disc is read at the next check, as
        // the cleared label differs from the disc's. A labelled disc without autorun data so counts as a
        // change at every check.
        clear(disc.root);
    } else {
        m_state.autorun = true;
        m_state.label = std::move(label);
        readAutorun(disc.root, *autorunName);
        if (m_startMenuEntry)
            addEntry();
    }
    return m_state.autorun;
}

void DriveRecord::readAutorun(const std::string& root, const std::string& autorunName) {
    m_state.folder = app::withSeparator(root);
    AutorunLines lines = drives::readAutorun(m_context.files, m_context.codec, m_state.folder + autorunName);
    m_state.program = std::move(lines.open);
    m_state.icon = iconOf(lines.icon, m_state.folder);
    m_iconSpec = m_state.folder + lines.icon;
}

void DriveRecord::addEntry() {
    if (!m_state.autorun)
        return;
    // Only an entry that was really written is recorded: a failed write has nothing to remove.
    if (auto entry = m_context.shortcuts.publish(m_state.letter, m_state.label, m_state.program,
                                                 m_state.folder, m_iconSpec))
        m_entries.push_back(std::move(*entry));
}

void DriveRecord::withdrawEntries() {
    // An entry that cannot be deleted is the user's to remove; nothing would come of retrying.
    for (const std::string& entry : m_entries)
        m_context.shortcuts.withdraw(entry);
    m_entries.clear();
}

void DriveRecord::setStartMenuEntry(bool wanted) {
    if (wanted == m_startMenuEntry)
        return;
    m_startMenuEntry = wanted;
    if (wanted)
        addEntry();
    else
        withdrawEntries();
}

} // namespace drives
