#pragma once
// The drive window as its presenter sees it: the window, the controls of its rows and its two timers.
// Positions and sizes are twips; each front end converts with the screen's twips per pixel. The
// presenter owns the controls and decides every size; a front end creates, draws and forwards events.
#include "port/DropData.h"
#include "port/Result.h"
#include "port/Window.h"

#include <memory>
#include <string>

namespace port {

// A picture a button shows. Whoever holds it owns the platform icon behind it; it is released once.
class IPicture {
  public:
    virtual ~IPicture() = default;
};

class IIcons {
  public:
    virtual ~IIcons() = default;
    // Each picture of a success is never null.
    // The icon at `index` of a program file or library (a negative index names a resource id), large
    // or small; a failure when the file has no such icon or cannot be read.
    virtual Result<std::unique_ptr<IPicture>> ExtractIconPicture(const std::string& file, int index,
                                                                 bool small) = 0;
    // An icon file (.ico); a failure when it cannot be loaded.
    virtual Result<std::unique_ptr<IPicture>> LoadIconFile(const std::string& file) = 0;
    // The program's own icon; a failure only when the program's own resources cannot be read.
    virtual Result<std::unique_ptr<IPicture>> WindowIcon() = 0;
};

class IControl {
  public:
    virtual ~IControl() = default;
    virtual int Index() = 0;
    virtual double Top() = 0;
    virtual double Left() = 0;
    virtual double Width() = 0;
    virtual double Height() = 0;
    virtual void setTop(double twips) = 0;
    virtual void setLeft(double twips) = 0;
    virtual void setWidth(double twips) = 0;
    virtual void setHeight(double twips) = 0;
    virtual bool Visible() = 0;
    virtual void setVisible(bool visible) = 0;
};

class IButton : public IControl {
  public:
    // Nothing clears the picture. A disabled button shows its picture greyed.
    virtual void setPicture(std::unique_ptr<IPicture> picture) = 0;
    virtual bool hasPicture() = 0;
    virtual bool Enabled() = 0;
    virtual void setEnabled(bool enabled) = 0;
};

class ILabel : public IControl {
  public:
    virtual std::string Caption() = 0;
    virtual void setCaption(const std::string& text) = 0;
};

// A drive item of the pop-up menu.
class IMenuItem {
  public:
    virtual ~IMenuItem() = default;
    virtual std::string Caption() = 0;
    virtual void setCaption(const std::string& text) = 0;
    virtual bool Visible() = 0;
    virtual void setVisible(bool visible) = 0;
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

// What the drive window tells its presenter. Every handler runs on the user-interface thread, one at a
// time; a front end never lets an exception of its own through here.
class IMainViewEvents {
  public:
    virtual ~IMainViewEvents() = default;
    virtual void cmd_CD_Click(int index) = 0;
    // A key pressed on the window or on a drive button, with its Windows key code; a held key's
    // repeats are not reported.
    virtual void Form_KeyDown(int keyCode) = 0;
    // A mouse button pressed on the window: the button mask (1 left, 2 right, 4 middle), the shift
    // mask and the point in twips of the client area.
    virtual void Form_MouseDown(int button, int shift, double x, double y) = 0;
    virtual void Form_Resize() = 0;
    // Returns true when the unload is cancelled (the window only hides).
    virtual bool Form_Unload() = 0;
    virtual void tim_Refresh_Timer() = 0;
    virtual void tim_end_Timer() = 0;
    // Files dropped on the window, a drive button or a label.
    virtual void DropFiles(IDropData& data) = 0;
    // The user's session ends, or the program is asked to end: it ends as by its Exit command.
    virtual void EndSession() = 0;
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
    virtual double Top() = 0;
    virtual double Left() = 0;
    virtual double Width() = 0;
    virtual double Height() = 0;
    virtual double ScaleWidth() = 0;
    virtual double ScaleHeight() = 0;
    virtual void setTop(double twips) = 0;
    virtual void setLeft(double twips) = 0;
    virtual void setWidth(double twips) = 0;
    virtual void setHeight(double twips) = 0;
    virtual double ScreenWidth() = 0;
    virtual double ScreenHeight() = 0;
    virtual double TwipsPerPixelX() = 0;
    virtual double TwipsPerPixelY() = 0;
    virtual std::string Caption() = 0;
    virtual void setCaption(const std::string& text) = 0;
    virtual bool Visible() = 0;
    virtual void setVisible(bool visible) = 0;
    // Shows the window minimized: the way back to a window that has nowhere else to wait.
    virtual void minimize() = 0;
    // The width of a text in the labels' font, in twips.
    virtual double TextWidth(const std::string& text) = 0;

    virtual ITimer& tim_Refresh() = 0;
    virtual ITimer& tim_end() = 0;

    // Closes the window for good: Form_Unload runs first and may cancel; otherwise the program ends once
    // the event in progress returns.
    virtual void close() = 0;
};

} // namespace port
