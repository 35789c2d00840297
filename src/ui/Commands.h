#pragma once
// The window's commands as data: which id each menu item carries, its caption, and what it runs. The
// front ends draw the menus from these tables; a choice comes back as its id.
#include <array>

namespace app {

class frm_main;

namespace commands {

using Handler = void (frm_main::*)();

// An item of a menu; a null caption makes a separator, and a null handler an item that only closes the
// menu.
struct Command {
    int id;
    const char* caption;
    Handler run;
};

// Menu_pop: its drive items come first, Menu_Drive(i) carrying the id kDriveItemBase + i.
inline constexpr int kDriveItemBase = 1000;
extern const std::array<Command, 11> kPopupMenu;

// Appended below the standard items of the window's system menu; ids 2 and 3 are not used.
extern const std::array<Command, 7> kSystemMenu;

// The command of `id` in `table`, or null.
template <std::size_t N> const Command* find(const std::array<Command, N>& table, int id) {
    for (const Command& command : table)
        if (command.id == id && command.caption)
            return &command;
    return nullptr;
}

} // namespace commands
} // namespace app
