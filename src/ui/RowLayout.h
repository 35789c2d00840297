#pragma once
// Where the drive window's rows and labels go, and the size of its client area, in device-independent
// pixels: the design's arithmetic, which every view lays its rows out with (design::toUnits converts).
namespace ui::layout {

struct Box {
    double left = 0, top = 0, width = 0, height = 0;
};

struct RowBoxes {
    Box button;
    Box label;     // the volume label
    Box driveText; // under it
};

// The row at `index` (0 at the top) whose two texts measure `labelText` and `driveText` wide.
RowBoxes row(int index, double labelText, double driveText);
// The hint shown in the rows' place while there is no row, its text measuring `textWidth` by
// `textHeight`.
Box hint(double textWidth, double textHeight);
// The client area's height for `rows` rows; with none, high enough for the hint box `hint` as well.
double clientHeight(int rows, const Box& hint = {});
// The client area's width: to the widest label box of the rows when `toLabels`, one button wide else;
// wide enough for the hint box `hint` either way.
double clientWidth(bool toLabels, double widestLabel, const Box& hint = {});

} // namespace ui::layout
