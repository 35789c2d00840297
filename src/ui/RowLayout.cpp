#include "ui/RowLayout.h"

#include "ui/Design.h"

#include <algorithm>

namespace ui::layout {

using namespace design;

RowBoxes row(int index, double labelText, double driveText) {
    RowBoxes boxes;
    boxes.button = {0, kButtonSide * index, kButtonSide, kButtonSide};
    // The two lines sit in the middle of the button's height, just to its right.
    const double left = kButtonSide + kLabelGap;
    const double top = boxes.button.top + (kButtonSide - 2 * kLabelHeight) / 2;
    boxes.label = {left, top, labelText + kLabelPadding, kLabelHeight};
    boxes.driveText = {left, top + kLabelHeight, driveText + kLabelPadding, kLabelHeight};
    return boxes;
}

double clientHeight(int rows) {
    return rows > 0 ? kButtonSide * rows : kEmptyClientHeight;
}

double clientWidth(bool toLabels, double widestLabel) {
    return toLabels ? kButtonSide + std::max(kLeastLabelWidth, widestLabel) + kLabelGap : kButtonSide;
}

} // namespace ui::layout
