#pragma once
// The program's windows as they were designed: every size of the drive window, the settings dialog and
// the about box, written here in twips (1/1440 inch), the unit they were drawn in, and given out in
// device-independent pixels (1/96 inch), which each view scales to its own units.
#include "port/Dialogs.h"
#include "port/Window.h"

namespace ui::design {

// Twips to device-independent pixels: 15 twips a pixel at 96 DPI.
constexpr double pixels(double twips) {
    return twips / 15;
}
// A length in device-independent pixels as whole units of a view with `unitsPerInch` units an inch,
// rounded to the nearest (halves away from zero): the one rounding every view lays out with.
int toUnits(double length, double unitsPerInch);

// The drive window.
inline constexpr double kButtonSide = pixels(735);
inline constexpr double kLabelHeight = pixels(255);
inline constexpr double kLabelGap = pixels(60);     // between the button and its labels, after the widest
inline constexpr double kLabelPadding = pixels(60); // after a label's text
inline constexpr double kLeastLabelWidth = pixels(1200);
inline constexpr double kEmptyClientWidth = pixels(2235); // until the window first fits its labels
inline constexpr double kEmptyClientHeight = pixels(720); // with no row
inline constexpr double kHintMargin = pixels(120);        // around the hint shown while there is no row
extern const port::FontRecord kLabelFont;

// The dialogs, by the index of each control in the layout.
extern const port::DialogLayout kSettingsDialog;
extern const port::DialogLayout kAboutBox;

} // namespace ui::design
