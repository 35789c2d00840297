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

Box hint(double textWidth, double textHeight) {
    // Text measured by one call may be drawn a little wider by another: the labels' allowance.
    return {kHintMargin, kHintMargin, textWidth + kLabelPadding, textHeight};
}

namespace {

// How far a box reaches, with the margin after it; nothing for an empty box.
double reach(double start, double length) {
    return length > 0 ? start + length + kHintMargin : 0;
}

} // namespace

double clientHeight(int rows, const Box& hint) {
    return rows > 0 ? kButtonSide * rows : std::max(kEmptyClientHeight, reach(hint.top, hint.height));
}

double clientWidth(bool toLabels, double widestLabel, const Box& hint) {
    const double rows =
        toLabels ? kButtonSide + std::max(kLeastLabelWidth, widestLabel) + kLabelGap : kButtonSide;
    return std::max(rows, reach(hint.left, hint.width));
}

} // namespace ui::layout
