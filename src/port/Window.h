#pragma once
// What the program's windows are measured in: a font as the design gives it, and a rectangle in a view's
// units (pixels at the scale the window is drawn at).
#include <string>

namespace port {

struct FontRecord {
    std::string name;
    double points = 9;
    bool bold = false;
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};

} // namespace port
