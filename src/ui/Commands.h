#pragma once
// The window's commands as data: which id each menu item carries, its caption, and what it runs. The
// front ends draw the menus from these tables; a choice comes back as its id.
#include "port/Menus.h"

#include <array>
#include <vector>

namespace ui {

class MainWindow;

namespace commands {

using Handler = void (MainWindow::*)();

// An item of a menu; a null caption makes a separator, and a null handler an item that only closes the
// menu.
struct Command {
    int id;
    const char* caption;
    Handler run;
};

// The pop-up menu: the rows' drive items come first, row i's carrying the id kDriveItemBase + i.
inline constexpr int kDriveItemBase = 1000;
// A drive's eject item, in the pop-up menu and in the drive's own menu: kEjectItemBase + the letter's
// place in the alphabet.
inline constexpr int kEjectItemBase = 1100;
inline constexpr const char* kEjectCaption = "取り出し(&J)";
extern const std::array<Command, 11> kPopupMenu;

// Added below the standard items of the window's system menu; ids 2 and 3 are not used.
extern const std::array<Command, 7> kSystemMenu;

// The command of `id` in `table`, or null.
template <std::size_t N> const Command* find(const std::array<Command, N>& table, int id) {
    for (const Command& command : table)
        if (command.id == id && command.caption)
            return &command;
    return nullptr;
}

// A table's items as a front end draws them.
template <std::size_t N> std::vector<port::MenuEntry> entries(const std::array<Command, N>& table) {
    std::vector<port::MenuEntry> items;
    for (const Command& command : table)
        items.push_back({command.id, command.caption ? command.caption : "", command.caption == nullptr});
    return items;
}

} // namespace commands
} // namespace ui
