#include "win32/Win32DeviceEvents.h"

#include <dbt.h>

namespace win {

Win32DeviceEvents::Win32DeviceEvents(Win32MainView& view)
    : m_view(view), m_wake(RegisterWindowMessageW(L"Tavimoro.DeviceChanged")) {
    m_view.listen(WM_DEVICECHANGE, [this](WPARAM event, LPARAM data) { deviceChange(event, data); });
    m_view.listen(m_wake, [this] {
        m_wakePosted = false;
        if (m_handler)
            m_handler();
    });
}

void Win32DeviceEvents::deviceChange(WPARAM event, LPARAM data) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE)
        return;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (!header || header->dbch_size < sizeof(DEV_BROADCAST_HDR) ||
        header->dbch_devicetype != DBT_DEVTYP_VOLUME)
        return;
    if (!m_wakePosted && m_view.hwnd())
        m_wakePosted = PostMessageW(m_view.hwnd(), m_wake, 0, 0) != FALSE;
}

} // namespace win
