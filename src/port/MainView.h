#pragma once
// The drive window as its presenter sees it: the window, the controls of its rows and its two timers.
// Positions and sizes are twips; each front end converts with the screen's twips per pixel. The
// presenter owns the controls and decides every size, every focus and what each key does; a front end
// creates, draws and forwards events.
#include "port/Icons.h"
#include "port/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace port {

class IControl {
  public:
    virtual ~IControl() = default;
    virtual int index() = 0; // the row, 0 for the hidden template
    virtual double top() = 0;
    virtual double left() = 0;
    virtual double width() = 0;
    virtual double height() = 0;
    virtual void setTop(double twips) = 0;
    virtual void setLeft(double twips) = 0;
    virtual void setWidth(double twips) = 0;
    virtual void setHeight(double twips) = 0;
    virtual bool visible() = 0;
    virtual void setVisible(bool visible) = 0;
};

class IButton : public IControl {
  public:
    // Nothing clears the picture. A disabled button shows its picture greyed.
    virtual void setPicture(std::unique_ptr<IPicture> picture) = 0;
    virtual bool hasPicture() = 0;
    virtual bool enabled() = 0;
    virtual void setEnabled(bool enabled) = 0;
    // What a screen reader says for the button, which shows a picture alone: what a sighted user reads
    // beside it. Whether it is enabled, the platform says itself.
    virtual void setAccessibleName(const std::string& name) = 0;
};

class ILabel : public IControl {
  public:
    virtual std::string caption() = 0;
    virtual void setCaption(const std::string& text) = 0;
};

// A timer of the window. Each start begins a full interval anew; ticks come as events of the window.
class ITimer {
  public:
    virtual ~ITimer() = default;
    virtual void start(int milliseconds) = 0;
    virtual void stop() = 0;
};

// The controls of one row, made hidden at no size; whoever holds them owns them.
struct RowControls {
    std::unique_ptr<IButton> button;
    std::unique_ptr<ILabel> volumeName;
    std::unique_ptr<ILabel> drive;
};

// A key as the drive window reports it.
struct Key {
    enum class Kind { Letter, Space, Tab, Other };
    Kind kind = Kind::Other;
    char letter = 0;    // 'A' to 'Z' for a letter, whatever the Shift key
    bool shift = false; // Shift was held (Shift+Tab goes backwards)
};

// What the drive window tells its presenter. Every handler runs on the user-interface thread, one at a
// time; a front end never lets an exception of its own through here.
class IMainViewEvents {
  public:
    virtual ~IMainViewEvents() = default;
    virtual void buttonClicked(int row) = 0;
    // A key pressed on the window or on a drive button, Tab included; a held key's repeats are not
    // reported. Nothing else happens with it: a button does not press itself on the space bar, and
    // Tab moves no focus of itself.
    virtual void keyPressed(const Key& key) = 0;
    virtual void resized() = 0;
    // The window is drawn at another scale now (it went to a monitor of another DPI). Every control
    // already stands at its place in twips; what the rows show is measured at the old scale.
    virtual void scaleChanged() = 0;
    // The close box, or close(): true when the window stays (it only hides).
    virtual bool closing() = 0;
    virtual void refreshTick() = 0;
    virtual void endTick() = 0;
    // Local files and folders dropped on the window, a drive button or a label; never empty.
    virtual void filesDropped(const std::vector<std::string>& paths) = 0;
    // The user's session ends, or the program is asked to end: it ends as by its Exit command.
    virtual void sessionEnding() = 0;
};

class IMainView {
  public:
    virtual ~IMainView() = default;

    // Events go to `events` from here on; nothing goes anywhere before, or after a null.
    virtual void setEvents(IMainViewEvents* events) = 0;
    // The font of the window and of every control made after (the labels' font), in points.
    virtual void setFont(const FontRecord& font) = 0;
    // The controls of row `index` (0 is the hidden template), children of the window, hidden.
    virtual RowControls createRow(int index) = 0;

    // The window's outer placement and its client area, in twips.
    virtual double top() = 0;
    virtual double left() = 0;
    virtual double width() = 0;
    virtual double height() = 0;
    virtual double clientWidth() = 0;
    virtual double clientHeight() = 0;
    virtual void setTop(double twips) = 0;
    virtual void setLeft(double twips) = 0;
    virtual void setWidth(double twips) = 0;
    virtual void setHeight(double twips) = 0;
    virtual double screenWidth() = 0;
    virtual double screenHeight() = 0;
    virtual double twipsPerPixelX() = 0;
    virtual double twipsPerPixelY() = 0;
    virtual std::string caption() = 0;
    virtual void setCaption(const std::string& text) = 0;
    virtual bool visible() = 0;
    virtual void setVisible(bool visible) = 0;
    // Shows the window minimized: the way back to a window that has nowhere else to wait.
    virtual void minimize() = 0;
    // The width of a text in the labels' font, in twips.
    virtual double textWidth(const std::string& text) = 0;

    // The row whose button has the keyboard focus; 0 for none.
    virtual int focusedRow() = 0;
    // Gives the button of `row` the keyboard focus.
    virtual void focusRow(int row) = 0;

    virtual ITimer& refreshTimer() = 0;
    virtual ITimer& endTimer() = 0;

    // Closes the window for good: closing() runs first and may keep it; otherwise the program ends once
    // the event in progress returns.
    virtual void close() = 0;
};

} // namespace port
