#pragma once
// Icons on Qt: program files and libraries through the project's PE resource reader, icon files
// through Qt's own .ico reader, and the program's icon from the built-in resources. A disc's icon is
// decoded once, at the size a button draws it on the window's screen, and keeps nothing of its file: a
// row holds one picture. The program's own icon, shared by every row, the window and the tray, keeps
// every size of its theme.
#include "port/Icons.h"

#include <QByteArray>
#include <QIcon>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace qtui {

// One icon a button shows.
class QtPicture : public port::IPicture {
  public:
    explicit QtPicture(QIcon icon) : m_icon(std::move(icon)) {}
    const QIcon& icon() const { return m_icon; }

  private:
    QIcon m_icon;
};

// The side in logical pixels of the picture on a drive button and of the icon an image control stretches:
// the large icon of the program's home platform at 96 DPI.
inline constexpr int kPictureSide = 32;

// The image of .ico file bytes that fits a square of `side` device pixels (the smallest that covers it,
// else the largest), decoded and scaled down to it, as an icon; a null icon when none can be decoded.
QIcon iconFromIcoData(const QByteArray& data, int side);

// The program's own icon, at each size of its icon theme that a window or a tray draws (16 to 128 pixels).
QIcon programIcon();

class QtIcons : public port::IIcons {
  public:
    // `resolve` turns a disc path ("E:\SETUP.EXE") into a path on this machine.
    using Resolver = std::function<std::string(std::string_view)>;
    explicit QtIcons(Resolver resolve);

    // The device pixel ratio of the screen the pictures are drawn on (the window's); without one, the
    // highest of the screens. A picture made at one ratio keeps its size: after a change of scale the
    // pictures are asked for again.
    void setDevicePixelRatio(std::function<double()> ratio) { m_ratio = std::move(ratio); }

    port::Result<std::unique_ptr<port::IPicture>> programFileIcon(const std::string& file, int index,
                                                                  bool small) override;
    port::Result<std::unique_ptr<port::IPicture>> iconFile(const std::string& file) override;
    // Decoded once; every picture of it shares the one copy of its pixels.
    port::Result<std::unique_ptr<port::IPicture>> programIcon() override;
    // The same icon for the window, its dialogs and the notification area.
    const QIcon& windowIcon();

    // The icon an icon location names ("E:\SETUP.EXE,2", "E:\DISC.ICO", "E:\SETUP.EXE"): a PE file's
    // icon by its index, else an icon file, at most `side` pixels square. A null icon when there is none.
    QIcon iconAt(const std::string& iconLocation, int side);
    // The icon of an icon location written as a PNG file into `folder` (created when missing), named
    // after the content so that equal icons share a file. The file's path, or empty when there is no
    // icon or the file cannot be written.
    std::string writePng(const std::string& iconLocation, const std::string& folder, int size = 48);

  private:
    // The side in device pixels of a picture of `logicalSide` on the screen drawn on: twice as many
    // pixels only on a screen that needs more than one a logical pixel.
    int deviceSide(int logicalSide) const;
    // A program file's icon at most `side` pixels square, which exists when the image Windows would
    // load at `baseSide` does.
    QIcon programFilePicture(const std::string& file, int index, int baseSide, int side);

    Resolver m_resolve;
    std::function<double()> m_ratio;
    QIcon m_windowIcon;
};

} // namespace qtui
