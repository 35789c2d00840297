#include "drives/DriveRecord.h"

#include "app/Text.h"
#include "drives/Autorun.h"
#include "drives/FileLookup.h"

#include <charconv>

namespace drives {
namespace {

constexpr double kLabelPadding = 60; // twips between a label's text and its edge
constexpr const char* kAutorunFile = "AUTORUN.INF";

} // namespace

DriveRecord::DriveRecord(Context context, char letter)
    : m_context(std::move(context)), m_letter(letter), m_folder(app::withSeparator(path())) {}

DriveRecord::~DriveRecord() {
    withdrawEntries();
}

void DriveRecord::attach(port::IButton& button, port::ILabel& volumeName, port::ILabel& drive,
                         MenuItem& menuItem) {
    m_button = &button;
    m_volumeName = &volumeName;
    m_drive = &drive;
    m_menuItem = &menuItem;
}

void DriveRecord::clear(const std::string& root) {
    m_hasAutorun = false;
    m_folder = app::withSeparator(root.empty() ? path() : root);
    m_program.clear();
    m_iconName.clear();
    m_iconSpec.clear();
    m_label.clear();
}

std::optional<bool> DriveRecord::check() {
    // The label is read once: an unchanged drive costs one label read and nothing else.
    const port::Disc disc = m_context.drives.disc(m_letter);
    std::string label = app::cutAtNul(disc.label);
    if (label == m_label && disc.root == m_root)
        return std::nullopt;
    withdrawEntries();
    const bool hadAutorun = m_hasAutorun;
    const auto autorunName = findFile(m_context.files, disc.root, kAutorunFile);
    m_hasAutorun = autorunName.has_value();
    m_mountable = !m_hasAutorun && disc.root.empty() && disc.mountable;
    m_label = std::move(label);
    m_root = disc.root;
    if (m_mountable) {
        // Its label is what the system knows of it; a click mounts it and reads it.
        const std::string known = m_label;
        clear(disc.root);
        m_label = known;
    } else if (!m_hasAutorun || hadAutorun) {
        // A record that held autorun data is cleared first: the new disc is read at the next check.
        clear(disc.root);
    } else {
        readAutorun(disc.root, *autorunName);
        if (m_startMenuEntry)
            addEntry();
    }

    const std::string driveText = "(" + path() + ")";
    if (m_button) {
        m_button->setPicture(picture());
        m_button->setEnabled(m_hasAutorun || m_mountable);
        m_button->setAccessibleName(m_label.empty() ? driveText : m_label + " " + driveText);
    }
    if (m_volumeName) {
        m_volumeName->setCaption(m_label);
        m_volumeName->setWidth(m_context.textWidth(m_label) + kLabelPadding);
    }
    if (m_drive) {
        m_drive->setCaption(driveText);
        m_drive->setWidth(m_context.textWidth(driveText) + kLabelPadding);
    }
    if (m_menuItem) {
        m_menuItem->caption = "(" + path() + ") " + m_label;
        m_menuItem->visible = m_hasAutorun || m_mountable;
    }
    return m_hasAutorun;
}

void DriveRecord::readAutorun(const std::string& root, const std::string& autorunName) {
    m_folder = app::withSeparator(root);
    AutorunLines lines = drives::readAutorun(m_context.files, m_context.codec, m_folder + autorunName);
    m_program = std::move(lines.open);
    m_iconName = std::move(lines.icon);
    m_iconSpec = m_folder + m_iconName;
}

std::unique_ptr<port::IPicture> DriveRecord::picture() {
    // No icon reference, or one that names the disc's folder alone, shows the program's own icon.
    if (m_iconName.empty())
        return m_context.icons.programIcon().value_or(nullptr);
    std::string file = m_iconSpec;
    int index = 0;
    if (const auto comma = m_iconSpec.find(','); comma != std::string::npos) {
        file = m_iconSpec.substr(0, comma);
        const std::string rest = m_iconSpec.substr(comma + 1);
        const auto parsed =
            app::parseNumber<int>(app::trim(std::string_view(rest).substr(0, rest.find(',')), " "));
        if (!parsed)
            return nullptr; // an index that is not a number: no picture
        index = *parsed;
    }
    const auto dot = file.rfind('.');
    const std::string extension = app::upperAscii(dot == std::string::npos ? file : file.substr(dot + 1));
    if (extension == "ICO")
        return m_context.icons.iconFile(file).value_or(nullptr);
    if (extension == "EXE" || extension == "DLL")
        return m_context.icons.programFileIcon(file, index, false).value_or(nullptr);
    return nullptr;
}

void DriveRecord::addEntry() {
    if (!m_hasAutorun)
        return;
    // Only an entry that was really written is recorded: a failed write has nothing to remove.
    if (auto entry = m_context.shortcuts.publish(m_letter, m_label, m_program, m_folder, m_iconSpec))
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
