#pragma once
// The window's menus: the pop-up menu opened from the notification-area icon, and the window's system
// menu, which carries a few commands of the program.
#include <cstdint>
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
    virtual int track(const std::vector<MenuEntry>& items) = 0;
};

inline constexpr int kMenuSeparator = 0x800; // the flag that appends a separator
inline constexpr int kMenuString = 0;        // the flag that appends a text item

class ISystemMenu {
  public:
    virtual ~ISystemMenu() = default;
    // Appends an item (flags kMenuString or kMenuSeparator) below the window's standard items.
    virtual void append(int flags, int id, const std::string& text) = 0;
    // Replaces the window's procedure: every system command (its wParam, a signed 32-bit value) goes to
    // `procedure` first, then to the procedure that was there before.
    virtual void hook(std::function<void(std::int32_t wParam)> procedure) = 0;
    // Puts the previous procedure back.
    virtual void unhook() = 0;
};

} // namespace port
