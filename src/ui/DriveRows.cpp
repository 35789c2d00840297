#include "ui/DriveRows.h"

namespace ui {
namespace {

struct Design {
    double left, top, width, height;
};
// The template row as designed, in twips.
constexpr Design kButtonDesign{0, 0, 735, 735};
constexpr Design kVolumeNameDesign{960, 0, 1215, 255};
constexpr Design kDriveDesign{960, 240, 1215, 255};

void place(port::IControl& control, const Design& design) {
    control.setLeft(design.left);
    control.setTop(design.top);
    control.setWidth(design.width);
    control.setHeight(design.height);
}

void copyPlace(port::IControl& to, port::IControl& from) {
    place(to, {from.left(), from.top(), from.width(), from.height()});
}

} // namespace

DriveRows::DriveRows(port::IMainView& view) : m_view(view) {
    Row model{m_view.createRow(0), std::make_unique<drives::MenuItem>()};
    place(*model.controls.button, kButtonDesign);
    place(*model.controls.volumeName, kVolumeNameDesign);
    place(*model.controls.drive, kDriveDesign);
    m_rows.push_back(std::move(model));
}

int DriveRows::add() {
    const int n = last() + 1;
    Row row{m_view.createRow(n), std::make_unique<drives::MenuItem>()};
    copyPlace(*row.controls.button, button(0));
    copyPlace(*row.controls.volumeName, volumeName(0));
    copyPlace(*row.controls.drive, drive(0));
    m_rows.push_back(std::move(row));
    return n;
}

void DriveRows::removeLast() {
    if (last() < 1)
        return;
    Row& row = m_rows.back();
    row.menu.reset();
    row.controls.volumeName.reset();
    row.controls.drive.reset();
    row.controls.button.reset();
    m_rows.pop_back();
}

} // namespace ui
