#pragma once
// The program's small modal windows (the settings dialog, the about box), drawn by each front end from
// a layout given as data: every control with its kind, caption, place and tab index. Places are in
// device-independent pixels (1/96 inch), which each front end scales to the DPI it draws at.
#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace port {

enum class ControlKind { Frame, CheckBox, Button, Label, Image };
enum class TextAlign { Left, Right };

struct ControlLayout {
    const char* name;
    ControlKind kind;
    int container; // the index of the frame the control lies in, or -1 for the window itself
    const char* caption;
    double left, top, width, height; // relative to the container
    int tabIndex;                    // the focus order; -1 for a control that takes no focus
    const char* tooltip = "";
    // A label's own font; none means the window's standard font.
    const char* fontName = nullptr;
    double fontPoints = 0;
    bool bold = false;
    TextAlign align = TextAlign::Left;
};

// An image control always shows the program's icon, stretched to its size.
struct DialogLayout {
    const char* caption;
    double clientWidth, clientHeight;
    std::span<const ControlLayout> controls;
};

class IDialogEvents {
  public:
    virtual ~IDialogEvents() = default;
    // A button pressed, or a check box clicked (its new value is already set).
    virtual void clicked(int control) = 0;
};

// One loaded dialog. Controls are named by their index in the layout.
class IDialog {
  public:
    virtual ~IDialog() = default;
    virtual bool checked(int control) = 0; // a check box
    virtual void setChecked(int control, bool checked) = 0;
    virtual void setEnabled(int control, bool enabled) = 0;
    virtual void setCaption(int control, const std::string& text) = 0;
    virtual void setTooltip(int control, const std::string& text) = 0;
    // Shows the dialog modally, without an owner window, the focus on the control with the lowest tab
    // index; the program's other windows take no input meanwhile, their timers go on. Returns once it
    // has closed: by close() from an event, or by its close box. Enter presses the focused button; Esc
    // does nothing.
    virtual void showModal() = 0;
    virtual void close() = 0;
};

class IDialogs {
  public:
    virtual ~IDialogs() = default;
    // A new dialog, loaded and not shown yet; its events go to `events`.
    virtual std::unique_ptr<IDialog> create(const DialogLayout& layout, IDialogEvents& events) = 0;
};

} // namespace port
