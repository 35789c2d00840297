#pragma once
// Discs coming and going on Windows: the system tells every top-level window with WM_DEVICECHANGE when
// a volume arrives or goes. The news of one burst of messages makes one call of the handler, from the
// message loop, not from inside the (possibly sent) WM_DEVICECHANGE.
#include "port/DeviceEvents.h"
#include "win32/Win32MainView.h"

namespace win {

class Win32DeviceEvents : public port::IDeviceEvents {
  public:
    // Listens on the drive window, which must outlive this object.
    explicit Win32DeviceEvents(Win32MainView& view);
    Win32DeviceEvents(const Win32DeviceEvents&) = delete;
    Win32DeviceEvents& operator=(const Win32DeviceEvents&) = delete;

    void setHandler(std::function<void()> changed) override { m_handler = std::move(changed); }

  private:
    void deviceChange(WPARAM event, LPARAM data);

    Win32MainView& m_view;
    UINT m_wake; // posted to the window for each burst
    bool m_wakePosted = false;
    std::function<void()> m_handler;
};

} // namespace win
