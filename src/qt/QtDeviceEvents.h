#pragma once
// Discs coming and going on the Linux build: the notices of a DeviceWatch, taken in Qt's event loop.
// The notices of one turn of the loop make one call of the handler.
#include "linux/DeviceWatch.h"
#include "port/DeviceEvents.h"

#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

namespace qtui {

class QtDeviceEvents : public port::IDeviceEvents {
  public:
    explicit QtDeviceEvents(lnx::DriveSource drives);
    QtDeviceEvents(const QtDeviceEvents&) = delete;
    QtDeviceEvents& operator=(const QtDeviceEvents&) = delete;

    void setHandler(std::function<void()> changed) override { m_handler = std::move(changed); }

  private:
    lnx::DeviceWatch m_watch;
    std::unique_ptr<QSocketNotifier> m_mountTable;
    std::unique_ptr<QSocketNotifier> m_notices;
    QTimer m_batch;
    std::function<void()> m_handler;
};

} // namespace qtui
