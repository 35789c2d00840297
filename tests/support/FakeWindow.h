#pragma once
// A placed window that records every move, for the tests of the placement helpers.
#include "port/Window.h"

#include <string>
#include <vector>

namespace fakes {

class PlacedWindow : public port::IPlacedWindow {
  public:
    explicit PlacedWindow(std::string name, float top = 0, float left = 0, float width = 0, float height = 0)
        : m_name(std::move(name)), y(top), x(left), w(width), h(height) {}

    std::string m_name;
    float y, x, w, h;                  // top, left, width, height
    std::vector<std::string> assigned; // "Top=1200", in the order the properties were set

    std::string name() override { return m_name; }
    float top() override { return y; }
    float left() override { return x; }
    float width() override { return w; }
    float height() override { return h; }
    void setTop(float v) override { set("Top", y, v); }
    void setLeft(float v) override { set("Left", x, v); }
    void setWidth(float v) override { set("Width", w, v); }
    void setHeight(float v) override { set("Height", h, v); }

  private:
    void set(const char* what, float& field, float v) {
        field = v;
        assigned.push_back(std::string(what) + "=" + std::to_string(v));
    }
};

} // namespace fakes
