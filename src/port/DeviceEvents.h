#pragma once
// Discs arriving in and leaving the machine's drives, as the platform learns of them between polls.
#include <functional>

namespace port {

class IDeviceEvents {
  public:
    virtual ~IDeviceEvents() = default;
    // From now on `changed` runs on the user-interface thread, from the event loop only, once for each
    // batch of changes the platform noticed (a disc inserted, removed, mounted or unmounted). It may run
    // for a change that the drives' labels do not show. An empty handler stops the calls.
    virtual void setHandler(std::function<void()> changed) = 0;
};

} // namespace port
