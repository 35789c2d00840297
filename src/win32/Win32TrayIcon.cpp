#include "win32/Win32TrayIcon.h"

#include "win32/WideText.h"

#include <algorithm>
#include <cwchar>

namespace win {

Win32TrayIcon::Win32TrayIcon(HWND window)
    : m_window(window), m_taskbarCreated(RegisterWindowMessageW(L"TaskbarCreated")) {}

Win32TrayIcon::~Win32TrayIcon() {
    // An icon left behind would stay in the notification area until the mouse passes over it.
    if (m_shown)
        remove();
}

void Win32TrayIcon::add(const std::string& tip) {
    m_data = NOTIFYICONDATAW{};
    // The first form of the record: every shell version takes it, and it carries all the icon needs.
    m_data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    m_data.hWnd = m_window;
    m_data.uID = 1;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uCallbackMessage = WM_MBUTTONDOWN;
    m_data.hIcon = reinterpret_cast<HICON>(SendMessageW(m_window, WM_GETICON, ICON_SMALL, 0));
    const std::wstring text = toWide(tip);
    constexpr std::size_t kTipRoom = sizeof(m_data.szTip) / sizeof(m_data.szTip[0]) - 1;
    const std::size_t length = std::min(text.size(), kTipRoom);
    std::wmemcpy(m_data.szTip, text.data(), length);
    m_data.szTip[length] = L'\0';
    // The shell refuses a second add of a shown icon and leaves that one as it is.
    Shell_NotifyIconW(NIM_ADD, &m_data);
    m_shown = true;
}

void Win32TrayIcon::remove() {
    Shell_NotifyIconW(NIM_DELETE, &m_data);
    m_shown = false;
}

void Win32TrayIcon::taskbarCreated() {
    if (m_shown)
        Shell_NotifyIconW(NIM_ADD, &m_data);
}

} // namespace win
