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
// The client area's height for `rows` rows.
double clientHeight(int rows);
// The client area's width: to the widest label box of the rows when `toLabels`, one button wide else.
double clientWidth(bool toLabels, double widestLabel);

} // namespace ui::layout
