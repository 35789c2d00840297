#pragma once
// Keeps a window in, or takes it out of, the band of windows that stay in front of all others.
namespace port {

// A window's outer placement in pixels.
struct PixelRect {
    int x = 0, y = 0, cx = 0, cy = 0;
};

class IWindowTop {
  public:
    virtual ~IWindowTop() = default;
    // The window stays where `rect` puts it (its own placement, as the caller read it) and is never
    // shown by this call.
    virtual void setTopmost(bool topmost, const PixelRect& rect) = 0;
    // True where the desktop, not the program, decides where a window goes and what stays in front
    // (Wayland): the settings are still kept, and the user is told.
    virtual bool desktopDecides() = 0;
};

} // namespace port
