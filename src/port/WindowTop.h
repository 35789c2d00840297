#pragma once
// Keeps a window in, or takes it out of, the band of windows that stay in front of all others.
namespace port {

class IWindowTop {
  public:
    virtual ~IWindowTop() = default;
    // The window stays where it is, at its size, and is never shown by this call.
    virtual void setTopmost(bool topmost) = 0;
    // True where the desktop, not the program, decides where a window goes and what stays in front
    // (Wayland): the settings are still kept, and the user is told.
    virtual bool desktopDecides() = 0;
};

} // namespace port
