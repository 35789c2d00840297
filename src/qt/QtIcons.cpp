#include "qt/QtIcons.h"

#include "linux/LinuxFileSystem.h"
#include "linux/PeIcons.h"
#include "qt/QtStoredIcon.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>
#include <QSaveFile>
#include <algorithm>
#include <charconv>
#include <optional>

// Q_INIT_RESOURCE must be used outside any namespace; the resources live in a static library, where
// the linker would otherwise drop them.
static void initProgramResources() {
    Q_INIT_RESOURCE(tavimoro);
}

namespace qtui {
namespace {

// Real icon files are far smaller; a hostile size must not make the reader take it all in.
constexpr std::size_t kMaxIconFileBytes = 4 * 1024 * 1024;
// An .ico file holds at most 65535 images; real ones hold a handful.
constexpr int kMaxImagesRead = 64;
// The side of a small icon, as the program's home platform loads it at 96 DPI.
constexpr int kSmallSide = 16;

QByteArray readSmallFile(const std::string& path) {
    const std::optional<std::string> bytes = lnx::readRegularFile(path, kMaxIconFileBytes);
    return bytes ? QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size())) : QByteArray();
}

std::string upperExtension(const std::string& file) {
    const auto dot = file.rfind('.');
    std::string extension = dot == std::string::npos ? file : file.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return extension;
}

// The sizes of the program's own icon that a window or a tray may draw. The window hands every size to
// the window manager at its first show; the theme's 256-pixel image is for launchers, which read the
// theme.
constexpr int kProgramIconSides[] = {16, 32, 48, 64, 128};

// Whether image size `next` fits a square of `side` better than `best`: the smallest that covers it,
// else the largest; the first of equals.
bool fitsBetter(QSize next, QSize best, int side) {
    const auto area = [](QSize s) { return qint64(s.width()) * s.height(); };
    const auto covers = [side](QSize s) { return s.width() >= side && s.height() >= side; };
    if (best.isEmpty())
        return true;
    if (covers(next) != covers(best))
        return covers(next);
    return covers(next) ? area(next) < area(best) : area(next) > area(best);
}

QByteArray bytesOf(const std::vector<unsigned char>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

port::Result<std::unique_ptr<port::IPicture>> pictureOf(QIcon icon, const std::string& file) {
    if (icon.isNull())
        return port::fail("no icon in " + file);
    return std::make_unique<QtPicture>(std::move(icon));
}

} // namespace

QIcon iconFromIcoData(const QByteArray& data, int side) {
    QBuffer buffer;
    buffer.setData(data);
    if (data.isEmpty() || side <= 0 || !buffer.open(QIODevice::ReadOnly))
        return {};
    // Each image is decoded to be known good; a damaged one is passed over for the next that fits.
    QImageReader reader(&buffer, "ICO");
    reader.setAutoDetectImageFormat(false);
    const int count = std::min(std::max(reader.imageCount(), 1), kMaxImagesRead);
    QImage best;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        QImage image = reader.read();
        if (!image.isNull() && fitsBetter(image.size(), best.size(), side))
            best = std::move(image);
    }
    if (best.isNull())
        return {};
    if (best.width() > side || best.height() > side)
        best = best.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return pictureIcon(QPixmap::fromImage(std::move(best)));
}

QIcon programIcon() {
    static const bool loaded = (initProgramResources(), true);
    (void)loaded;
    // The program's own images are built in and named by their size: none is decoded before it is
    // drawn, which keeps them off the start.
    std::vector<StoredImage> images;
    for (const int side : kProgramIconSides) {
        QFile file(QStringLiteral(":/hicolor/%1x%1/apps/tavimoro.png").arg(side));
        if (file.open(QIODevice::ReadOnly))
            images.push_back(StoredImage{QSize(side, side), file.readAll(), "PNG", 0});
    }
    return storedIcon(std::move(images));
}

QtIcons::QtIcons(Resolver resolve) : m_resolve(std::move(resolve)) {}

int QtIcons::deviceSide(int logicalSide) const {
    const double ratio = m_ratio ? m_ratio() : qApp->devicePixelRatio();
    return ratio > 1 ? 2 * logicalSide : logicalSide;
}

QIcon QtIcons::programFilePicture(const std::string& file, int index, int baseSide, int side) {
    const std::string path = m_resolve(file);
    // The reader gives the one image Windows takes for a size (the most colours among equals), or,
    // asked for a size the group lacks, the next larger one (past the largest, a smaller). The size
    // the program's home platform would load decides whether there is an icon at all; a damaged
    // larger image only leaves the picture at that size.
    const auto base = lnx::extractPeIcon(path, index, baseSide);
    if (!base)
        return {};
    if (side > baseSide)
        if (const auto larger = lnx::extractPeIcon(path, index, side))
            if (QIcon icon = iconFromIcoData(bytesOf(*larger), side); !icon.isNull())
                return icon;
    return iconFromIcoData(bytesOf(*base), side);
}

port::Result<std::unique_ptr<port::IPicture>> QtIcons::programFileIcon(const std::string& file, int index,
                                                                       bool small) {
    const int baseSide = small ? kSmallSide : kPictureSide;
    QIcon icon = programFilePicture(file, index, baseSide, deviceSide(baseSide));
    if (icon.isNull())
        return port::fail("no icon " + std::to_string(index) + " in " + file);
    return pictureOf(std::move(icon), file);
}

port::Result<std::unique_ptr<port::IPicture>> QtIcons::iconFile(const std::string& file) {
    return pictureOf(iconFromIcoData(readSmallFile(m_resolve(file)), deviceSide(kPictureSide)), file);
}

port::Result<std::unique_ptr<port::IPicture>> QtIcons::programIcon() {
    return pictureOf(windowIcon(), "the program");
}

const QIcon& QtIcons::windowIcon() {
    if (m_windowIcon.isNull())
        m_windowIcon = qtui::programIcon();
    return m_windowIcon;
}

QIcon QtIcons::iconAt(const std::string& iconLocation, int side) {
    std::string file = iconLocation;
    int index = 0;
    if (const auto comma = iconLocation.find(','); comma != std::string::npos) {
        file = iconLocation.substr(0, comma);
        std::string piece = iconLocation.substr(comma + 1);
        piece = piece.substr(0, piece.find(','));
        const char* first = piece.data();
        const char* last = piece.data() + piece.size();
        while (first != last && *first == ' ')
            ++first;
        if (first != last && *first == '+')
            ++first;
        if (std::from_chars(first, last, index).ec != std::errc())
            return {};
    }
    const std::string extension = upperExtension(file);
    if (extension == "ICO")
        return iconFromIcoData(readSmallFile(m_resolve(file)), side);
    if (extension == "EXE" || extension == "DLL")
        return programFilePicture(file, index, kPictureSide, side);
    return {};
}

std::string QtIcons::writePng(const std::string& iconLocation, const std::string& folder, int size) {
    const QIcon icon = iconAt(iconLocation, size);
    if (icon.isNull())
        return {};
    const QPixmap pixmap = icon.pixmap(size, size);
    if (pixmap.isNull())
        return {};
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!pixmap.save(&buffer, "PNG"))
            return {};
    }
    const QString dir = QString::fromStdString(folder);
    if (!QDir().mkpath(dir))
        return {};
    const QString name =
        QStringLiteral("icon-") +
        QString::fromLatin1(QCryptographicHash::hash(png, QCryptographicHash::Sha256).toHex().left(24)) +
        QStringLiteral(".png");
    const QString path = QDir(dir).filePath(name);
    if (!QFile::exists(path)) {
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(png) != png.size() || !out.commit())
            return {};
    }
    return path.toStdString();
}

} // namespace qtui
