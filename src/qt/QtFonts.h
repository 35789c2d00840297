#pragma once
// The program's fonts on Qt. Its design names Windows faces; where one is missing, a Japanese face of
// the same kind that Debian ships stands in for it, so that Japanese text never shows as boxes.
#include "port/Window.h"

#include <QFont>
#include <QStringList>
#include <QWidget>
#include <string>
#include <thread>

namespace qtui {

// The families to ask for, the design face first, then its stand-ins.
QStringList fontFamilies(const std::string& face);
QFont designFont(const std::string& face, double points, bool bold = false);
QFont designFont(const port::FontRecord& font);
// The standard font of the program's windows where a control names none: the home platform's
// Japanese user-interface face at 9 points.
QFont standardFont();
// The height of one line of text in `font`, in pixels: what a label needs so that no glyph is cut.
int lineHeight(const QFont& font);
// The logical DPI of the screen a widget is on (the primary screen for none), which Qt measures its
// pixels and fonts in: the units an inch of the design becomes.
double unitsPerInch(const QWidget* widget = nullptr);
// Reads the system's font list and looks `font` up on a thread of its own, while the window is being
// made: the window's first text measured then finds the list read. The thread is joined as it goes.
std::jthread warmUpFonts(const port::FontRecord& font);

} // namespace qtui
