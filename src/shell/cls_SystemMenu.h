#pragma once
// The event source of the system-menu hook: raises Click with the id of the command chosen.
#include <cstdint>
#include <functional>

namespace app {

class cls_SystemMenu {
  public:
    using ClickHandler = std::function<void(std::int32_t index)>;

    // The receiver of Click; none (an empty handler) lets every Click pass unheard.
    void setClickHandler(ClickHandler handler) { m_click = std::move(handler); }
    // Raises Click with `index`; returns when the handler has run.
    void SetClickEvent(std::int32_t index) {
        if (m_click)
            m_click(index);
    }

  private:
    ClickHandler m_click;
};

} // namespace app
