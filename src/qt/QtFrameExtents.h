#pragma once
// The window manager's frame around a top-level window that has not been shown yet. Qt learns the
// frame only once the window is mapped and counts it as nothing before; a placement restored before
// the first show would then take the outer height for the client height.
#include <QMargins>
#include <QSize>
#include <chrono>

class QWidget;

namespace qtui {

// Asks the window manager (on X11, through _NET_REQUEST_FRAME_EXTENTS) which frame it will draw
// around `window`, and waits at most `patience` for the answer. The native window is created on the
// way. No frame where the platform or the window manager cannot say.
QMargins requestFrameExtents(QWidget& window, std::chrono::milliseconds patience);

// Fixes the size of a top-level window the user cannot resize. Under a scale factor Qt gives the window
// manager a resize increment of the factor rounded (2 pixels at 1.5), counted from the base size: the
// base is the fixed size itself, else an odd height or width would be cut by a pixel.
void fixWindowSize(QWidget& window, QSize size);

} // namespace qtui
