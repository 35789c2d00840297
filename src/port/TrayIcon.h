#pragma once
// The program's icon in the notification area. Mouse activity on it reaches the window as the mouse
// message number (0x203 a left double click, 0x204 the right button pressed, ...).
#include <string>

namespace port {

class ITrayIcon {
  public:
    virtual ~ITrayIcon() = default;
    // Puts the window's icon with its tip into the notification area. A second add while the icon is
    // shown leaves it as it is.
    virtual void add(const std::string& tip) = 0;
    // Takes it out again; nothing happens when it is not there.
    virtual void remove() = 0;
    // False on a desktop without a notification area, where an icon would never show.
    virtual bool available() = 0;
};

} // namespace port
