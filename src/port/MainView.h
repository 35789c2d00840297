#pragma once
// The drive window as its presenter sees it: the window, its control arrays and its two timers.
// Positions and sizes are twips; each front end converts with the screen's twips per pixel.
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
    // The icon at `index` of a program file or library (a negative index names a resource id), large
    // or small; nothing when the file has no such icon or cannot be read.
    virtual std::unique_ptr<IPicture> ExtractIconPicture(const std::string& file, int index, bool small) = 0;
    // An icon file (.ico); nothing when it cannot be loaded.
    virtual std::unique_ptr<IPicture> LoadIconFile(const std::string& file) = 0;
    // The program's own icon.
    virtual std::unique_ptr<IPicture> WindowIcon() = 0;
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

class IMenuItem {
  public:
    virtual ~IMenuItem() = default;
    virtual std::string Caption() = 0;
    virtual void setCaption(const std::string& text) = 0;
    virtual bool Visible() = 0;
    virtual void setVisible(bool visible) = 0;
};

} // namespace port

namespace port {

// The drive window. Control arrays keep their element 0 as a hidden template that is never unloaded.
class IMainView {
  public:
    virtual ~IMainView() = default;

    // The highest index of the button array (0 when only the template exists).
    virtual int rowCount() = 0;
    // Loads cmd_CD(n), lbl_VolumeName(n), lbl_Drive(n) and Menu_Drive(n), copies of element 0, hidden.
    virtual void loadRow(int n) = 0;
    // Unloads Menu_Drive(n), lbl_VolumeName(n), lbl_Drive(n) and cmd_CD(n), in that order.
    virtual void unloadRow(int n) = 0;
    virtual IButton& cmd_CD(int index) = 0;
    virtual ILabel& lbl_VolumeName(int index) = 0;
    virtual ILabel& lbl_Drive(int index) = 0;
    virtual IMenuItem& Menu_Drive(int index) = 0;

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
    virtual std::string Caption() = 0;
    virtual void setCaption(const std::string& text) = 0;
    virtual bool Visible() = 0;
    virtual void setVisible(bool visible) = 0;
    // The width of a text in the labels' font, in twips.
    virtual double TextWidth(const std::string& text) = 0;

    // The poll timer and the one-shot end timer.
    virtual void setRefreshInterval(int milliseconds) = 0;
    virtual void setRefreshEnabled(bool enabled) = 0;
    virtual void setEndEnabled(bool enabled) = 0;

    // Closes the window for good; the program ends once the event in progress returns.
    virtual void close() = 0;
};

} // namespace port
