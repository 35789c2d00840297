#pragma once
// The system-menu hook: the program's items below the standard ones, and the replacement window
// procedure that turns the program's system commands into a Click of the event object.
#include "port/Menus.h"
#include "shell/cls_SystemMenu.h"

#include <cstdint>
#include <memory>
#include <string>

namespace app::code_SystemMenu {

// System commands below this bound are the program's own; the standard ones (size, move, close, ...)
// all lie at 0xF000 and above and reach only the window's own procedure.
inline constexpr std::int32_t kOwnCommandBound = 60000;

void AppendSystemMenu(port::ISystemMenu& menu, int flags, int id, const std::string& text);
// Keeps a reference to `events`, letting go of any earlier one.
void SetSystemMenuEvent(std::shared_ptr<cls_SystemMenu> events);
void HookSystemMenu(port::ISystemMenu& menu);
void UnhookSystemMenu(port::ISystemMenu& menu);
// The replacement procedure's own step, for one system command.
void SystemMenuProc(std::int32_t wParam);

} // namespace app::code_SystemMenu
