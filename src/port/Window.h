#pragma once
// What the settings helpers need of a window and of a font.
#include <string>

namespace port {

// A top-level window whose placement is stored in twips under its name.
class IPlacedWindow {
  public:
    virtual ~IPlacedWindow() = default;
    virtual std::string name() = 0;
    virtual float top() = 0;
    virtual float left() = 0;
    virtual float width() = 0;
    virtual float height() = 0;
    // Each assignment moves or resizes the window at once.
    virtual void setTop(float twips) = 0;
    virtual void setLeft(float twips) = 0;
    virtual void setWidth(float twips) = 0;
    virtual void setHeight(float twips) = 0;
};

struct FontRecord {
    std::string name;
    float size = 9.0f; // points
    bool bold = false;
    bool italic = false;
    bool strikethrough = false;
    bool underline = false;
};

} // namespace port
