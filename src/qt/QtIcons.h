#pragma once
// Icons on Qt: program files and libraries through the project's PE resource reader, icon files
// through Qt's own .ico reader, and the program's icon from the built-in resources. Each icon carries
// every size its file has: Qt draws the one that fits the screen's scale instead of resampling another.
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

// Every image of .ico file bytes, as one icon; a null icon when none of them can be decoded.
QIcon iconFromIcoData(const QByteArray& data);

// The program's own icon, at each size of its icon theme (16 to 256 pixels).
QIcon programIcon();

class QtIcons : public port::IIcons {
  public:
    // `resolve` turns a disc path ("E:\SETUP.EXE") into a path on this machine.
    using Resolver = std::function<std::string(std::string_view)>;
    explicit QtIcons(Resolver resolve);

    port::Result<std::unique_ptr<port::IPicture>> programFileIcon(const std::string& file, int index,
                                                                  bool small) override;
    port::Result<std::unique_ptr<port::IPicture>> iconFile(const std::string& file) override;
    // Decoded once; every picture of it shares the one copy of its pixels.
    port::Result<std::unique_ptr<port::IPicture>> programIcon() override;

    // The icon an icon location names ("E:\SETUP.EXE,2", "E:\DISC.ICO", "E:\SETUP.EXE"): a PE file's
    // icon by its index, else an icon file. A null icon when there is none.
    QIcon iconAt(const std::string& iconLocation);
    // The icon of an icon location written as a PNG file into `folder` (created when missing), named
    // after the content so that equal icons share a file. The file's path, or empty when there is no
    // icon or the file cannot be written.
    std::string writePng(const std::string& iconLocation, const std::string& folder, int size = 48);

  private:
    Resolver m_resolve;
    QIcon m_windowIcon;
};

} // namespace qtui
