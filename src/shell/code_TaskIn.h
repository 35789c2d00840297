#pragma once
// The program's icon in the notification area: added and deleted only when the caller says so.
#include "port/TrayIcon.h"

#include <string>

namespace app::code_TaskIn {

// The longest tip the notification area shows, in characters.
inline constexpr std::size_t kTipCharacters = 63;

// The tip of a text: cut to kTipCharacters characters, never inside a UTF-8 character.
std::string tipText(const std::string& text);
void AddTaskIcon(port::ITrayIcon& tray, const std::string& tip);
void DeleteTaskIcon(port::ITrayIcon& tray);

} // namespace app::code_TaskIn
