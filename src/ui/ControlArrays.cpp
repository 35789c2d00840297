#include "ui/ControlArrays.h"

namespace app {
namespace {

struct Design {
    double left, top, width, height;
};
// The templates as designed, in twips.
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
    place(to, {from.Left(), from.Top(), from.Width(), from.Height()});
}

} // namespace

ControlArrays::ControlArrays(port::IMainView& view) : m_view(view) {
    Row model{m_view.createRow(0), std::make_unique<MenuItem>()};
    place(*model.controls.button, kButtonDesign);
    place(*model.controls.volumeName, kVolumeNameDesign);
    place(*model.controls.drive, kDriveDesign);
    m_rows.push_back(std::move(model));
}

int ControlArrays::Load() {
    const int n = UBound() + 1;
    Row row{m_view.createRow(n), std::make_unique<MenuItem>()};
    copyPlace(*row.controls.button, cmd_CD(0));
    copyPlace(*row.controls.volumeName, lbl_VolumeName(0));
    copyPlace(*row.controls.drive, lbl_Drive(0));
    m_rows.push_back(std::move(row));
    return n;
}

void ControlArrays::UnloadLast() {
    if (UBound() < 1)
        return;
    Row& last = m_rows.back();
    last.menu.reset();
    last.controls.volumeName.reset();
    last.controls.drive.reset();
    last.controls.button.reset();
    m_rows.pop_back();
}

} // namespace app
