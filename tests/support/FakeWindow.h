#pragma once
// A placed window that records every move, for the tests of the placement helpers.
#include "port/Window.h"

#include <string>
#include <vector>

namespace fakes {

class PlacedWindow : public port::IPlacedWindow {
  public:
    explicit PlacedWindow(std::string name, float top = 0, float left = 0, float width = 0, float height = 0)
        : m_name(std::move(name)), top(top), left(left), width(width), height(height) {}

    std::string m_name;
    float top, left, width, height;
    std::vector<std::string> assigned; // "Top=1200", in the order the properties were set

    std::string name() override { return m_name; }
    float Top() override { return top; }
    float Left() override { return left; }
    float Width() override { return width; }
    float Height() override { return height; }
    void setTop(float v) override { set("Top", top, v); }
    void setLeft(float v) override { set("Left", left, v); }
    void setWidth(float v) override { set("Width", width, v); }
    void setHeight(float v) override { set("Height", height, v); }

  private:
    void set(const char* what, float& field, float v) {
        field = v;
        assigned.push_back(std::string(what) + "=" + std::to_string(v));
    }
};

} // namespace fakes
