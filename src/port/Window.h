#pragma once
// What the settings helpers need of a window and of a font.
#include <string>

namespace port {

// A top-level window whose placement is stored in twips under its name.
class IPlacedWindow {
  public:
    virtual ~IPlacedWindow() = default;
    virtual std::string name() = 0;
    virtual float Top() = 0;
    virtual float Left() = 0;
    virtual float Width() = 0;
    virtual float Height() = 0;
    // Each assignment moves or resizes the window at once.
    virtual void setTop(float twips) = 0;
    virtual void setLeft(float twips) = 0;
    virtual void setWidth(float twips) = 0;
    virtual void setHeight(float twips) = 0;
};

struct FontRecord {
    std::string Name;
    float Size = 9.0f;
    bool Bold = false;
    bool Italic = false;
    bool Strikethrough = false;
    bool Underline = false;
};

} // namespace port
