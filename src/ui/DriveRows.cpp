#include "ui/DriveRows.h"

namespace ui {
namespace {

std::unique_ptr<port::IPicture> pictureOf(const drives::IconRef& icon, port::IIcons& icons) {
    using Kind = drives::IconRef::Kind;
    switch (icon.kind) {
    case Kind::ProgramIcon:
        return icons.programIcon().value_or(nullptr);
    case Kind::IconFile:
        return icons.iconFile(icon.file).value_or(nullptr);
    case Kind::ProgramFile:
        return icons.programFileIcon(icon.file, icon.index, false).value_or(nullptr);
    case Kind::None:
        break;
    }
    return nullptr;
}

} // namespace

port::DriveRow rowOf(const drives::DriveState& state, port::IIcons& icons) {
    port::DriveRow row;
    row.letter = state.letter;
    row.label = state.label;
    row.driveText = state.driveText();
    // A screen reader says what a sighted user reads beside the button.
    row.name = state.label.empty() ? row.driveText : state.label + " " + row.driveText;
    row.picture = pictureOf(state.icon, icons);
    row.enabled = state.clickable();
    return row;
}

std::string menuCaption(const drives::DriveState& state) {
    return state.driveText() + " " + state.label;
}

} // namespace ui
