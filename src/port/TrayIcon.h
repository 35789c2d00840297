#pragma once
// The program's icon in the notification area, and what the user does with it.
#include "port/Menus.h"

#include <functional>
#include <string>
#include <vector>

namespace port {

enum class TrayEvent {
    ShowWindow, // a double click (where the area has none, its single activation)
    OpenMenu,   // the right button pressed
    // A notification area took the icon that had nowhere to go: a tray or panel started after the
    // program, or came back after a restart. It may come again while the icon stays where it is.
    AreaAppeared,
};

class ITrayIcon {
  public:
    virtual ~ITrayIcon() = default;
    // From now on the icon's events go to `handler`, on the user-interface thread and never while a
    // modal window of the program is open; an empty handler drops them.
    virtual void setHandler(std::function<void(TrayEvent)> handler) = 0;
    // Puts the program's icon with its tip into the notification area. A second add while the icon is
    // shown leaves it as it is.
    virtual void add(const std::string& tip) = 0;
    // Takes it out again; nothing happens when it is not there.
    virtual void remove() = 0;
    // False while the desktop has no notification area, where an icon would not show. One may appear
    // later: AreaAppeared says so.
    virtual bool available() = 0;
    // Tells the user `text` (lines joined by CR LF) under `title` outside the program's windows: a
    // desktop notification, or a balloon at the icon. False when nothing on this desktop could show it.
    virtual bool notify(const std::string& title, const std::string& text) = 0;
    // The pop-up menu as it would open now. Where the notification area draws the icon's menu itself
    // (a StatusNotifierItem host), the items are handed to it and a choice comes to `chosen` with the
    // item's id; elsewhere the menu opens on OpenMenu and this does nothing.
    virtual void setMenu(const std::vector<MenuEntry>& items, std::function<void(int id)> chosen) = 0;
};

} // namespace port
