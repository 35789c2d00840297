#pragma once
// The window's menus: the pop-up menu opened from the notification-area icon, and the window's system
// menu, which carries a few commands of the program. Both are drawn from items given as data; a choice
// comes back as the item's id.
#include <functional>
#include <string>
#include <vector>

namespace port {

// One item as a front end draws it; a separator has no caption and cannot be chosen.
struct MenuEntry {
    int id = 0;
    std::string caption;
    bool separator = false;
};

class IPopupMenu {
  public:
    virtual ~IPopupMenu() = default;
    // Opens the items as a pop-up menu at the mouse position and returns once it has closed: the id of
    // the item chosen, or 0 when the menu was dismissed.
    virtual int open(const std::vector<MenuEntry>& items) = 0;
};

class ISystemMenu {
  public:
    virtual ~ISystemMenu() = default;
    // Adds the items below the window's standard ones; from then on the id of every command of the
    // program's own chosen there goes to `chosen` (the standard ones keep their meaning), until remove().
    virtual void install(const std::vector<MenuEntry>& items, std::function<void(int id)> chosen) = 0;
    // The window lets go of the menu's commands; they reach nobody any more.
    virtual void remove() = 0;
};

} // namespace port
