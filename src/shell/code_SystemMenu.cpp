#include "shell/code_SystemMenu.h"

namespace app::code_SystemMenu {
namespace {

// One hooked window at a time: the program hooks only its main window, once per run.
std::shared_ptr<cls_SystemMenu>& eventObject() {
    static std::shared_ptr<cls_SystemMenu> object;
    return object;
}

} // namespace

void AppendSystemMenu(port::ISystemMenu& menu, int flags, int id, const std::string& text) {
    menu.append(flags, id, text);
}

void SetSystemMenuEvent(std::shared_ptr<cls_SystemMenu> events) {
    eventObject() = std::move(events);
}

void HookSystemMenu(port::ISystemMenu& menu) {
    menu.hook(&SystemMenuProc);
}

void UnhookSystemMenu(port::ISystemMenu& menu) {
    menu.unhook();
}

void SystemMenuProc(std::int32_t wParam) {
    // Hold the object for the length of the call: the exit command unhooks the window from inside it.
    if (const std::shared_ptr<cls_SystemMenu> events = eventObject(); events && wParam < kOwnCommandBound)
        events->SetClickEvent(wParam);
}

} // namespace app::code_SystemMenu
