#pragma once
// An icon of every image its files hold, each image kept as the file stores it: only the image a drawing
// asks for is decoded. A disc's 256-pixel image would otherwise take a quarter megabyte in every row
// showing it, and a row draws one size.
#include <QByteArray>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <vector>

namespace qtui {

// One image of a file: where it is, and its size.
struct StoredImage {
    QSize size;
    QByteArray file; // implicitly shared by the images of one file
    QByteArray format;
    int index = 0;
};

// Adds each image of `file` (in `format`, "ICO" or "PNG") that decodes, at most `maxImages` of them.
void storeImages(std::vector<StoredImage>& images, const QByteArray& file, const QByteArray& format,
                 int maxImages);

// The icon of the images; a null icon for none. Asked for a size in device pixels, it draws the smallest
// image that covers it (scaled down to it), else its largest image, never scaled up by the icon itself.
QIcon storedIcon(std::vector<StoredImage> images);

// The icon of one decoded picture, drawn at its size or scaled down, never up. Unlike Qt's own icon of a
// picture it leaves nothing in Qt's pixmap cache, which would keep a copy's worth for every row drawn.
QIcon pictureIcon(QPixmap picture);

} // namespace qtui
