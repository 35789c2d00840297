#pragma once
// The drive window as its presenter sees it: a row for each registered drive, shown from what the
// presenter hands over, the window's place, and its two timers. The presenter decides what each row
// shows, which buttons can be clicked, where the focus goes and when the window fits its width; the
// view lays the rows out in its own units from the design's sizes (ui/RowLayout.h), measures their
// texts, draws, and forwards the window's events.
#include "port/Icons.h"
#include "port/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace port {

// One drive's row as the window shows it, named by its drive letter.
struct DriveRow {
    char letter = 0;       // 'A' to 'Z'
    std::string label;     // the volume label, the first line beside the button
    std::string driveText; // "(E:)", the second line
    std::string name;      // what a screen reader says for the button, which shows a picture alone
    std::unique_ptr<IPicture> picture; // none: an empty button
    bool enabled = false;              // a disabled button shows its picture greyed
};

// A timer of the window. Each start begins a full interval anew; ticks come as events of the window.
class ITimer {
  public:
    virtual ~ITimer() = default;
    virtual void start(int milliseconds) = 0;
    virtual void stop() = 0;
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
    // The button of the row of drive `letter`.
    virtual void buttonClicked(char letter) = 0;
    // The right mouse button on the button of the row of drive `letter`: the drive's own menu.
    virtual void buttonMenuAsked(char letter) = 0;
    // A key pressed on the window or on a drive button, Tab included; a held key's repeats are not
    // reported. Nothing else happens with it: a button does not press itself on the space bar, and
    // Tab moves no focus of itself.
    virtual void keyPressed(const Key& key) = 0;
    // The window's placement changed: it moved, or the view sized it to its rows.
    virtual void resized() = 0;
    // The window is drawn at another scale now (it went to a monitor of another DPI): what the rows
    // show was made for the old one.
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

    // The rows, in this order, made anew: the earlier rows go, and the focus with them. The window's
    // height follows the number of rows; its width stays until fitWidth().
    virtual void setRows(std::vector<DriveRow> rows) = 0;
    // The row of the same letter shows `row` now; nothing when there is none.
    virtual void updateRow(DriveRow row) = 0;
    // What the user can do while the window has no row: a line or two (parted by '\n'), read by a
    // screen reader; empty for none. It shows in the rows' place from the next setRows() that makes no
    // row, the window as high as it needs then, and as wide at the next fitWidth(), whatever `toLabels`.
    virtual void setHint(const std::string& text) = 0;
    // Sizes the window's width to the rows as they are now: to the widest label, never narrower than the
    // design's least label width, when `toLabels`; else one button wide.
    virtual void fitWidth(bool toLabels) = 0;
    virtual void setCaption(const std::string& text) = 0;

    // The window's outer placement and the screen it is on, in the view's units, and how many of those
    // units make an inch.
    virtual Rect placement() = 0;
    virtual Rect screen() = 0;
    // The part of the window's screen that panels and docks leave free.
    virtual Rect workArea() = 0;
    virtual double unitsPerInch() = 0;
    // Puts the window's outer top left corner there.
    virtual void moveTo(int left, int top) = 0;

    virtual bool visible() = 0;
    virtual void setVisible(bool visible) = 0;
    // Shows the window minimized: the way back to a window that has nowhere else to wait. False, and
    // nothing done, on a desktop that keeps no minimized windows (a Wayland compositor may ignore it).
    virtual bool minimize() = 0;

    // The drive letter of the row whose button has the keyboard focus; 0 for none.
    virtual char focusedLetter() = 0;
    // Gives the button of that row the keyboard focus.
    virtual void focusLetter(char letter) = 0;

    virtual ITimer& refreshTimer() = 0;
    virtual ITimer& endTimer() = 0;

    // Closes the window for good: closing() runs first and may keep it; otherwise the program ends once
    // the event in progress returns.
    virtual void close() = 0;
};

} // namespace port
