#include "qt/QtIcons.h"

#include "linux/LinuxFileSystem.h"
#include "linux/PeIcons.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QSaveFile>
#include <algorithm>
#include <charconv>

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

port::Result<std::unique_ptr<port::IPicture>> pictureOf(QIcon icon, const std::string& file) {
    if (icon.isNull())
        return port::fail("no icon in " + file);
    return std::make_unique<QtPicture>(std::move(icon));
}

} // namespace

QIcon iconFromIcoData(const QByteArray& data) {
    QIcon icon;
    if (data.isEmpty())
        return icon;
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return icon;
    QImageReader reader(&buffer, "ICO");
    const int count = std::min(reader.imageCount(), kMaxImagesRead);
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i))
            break;
        // A damaged image is left out; the others still make the icon.
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QIcon programIcon() {
    static const bool loaded = (initProgramResources(), true);
    (void)loaded;
    QFile file(QStringLiteral(":/tavimoro.ico"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return iconFromIcoData(file.readAll());
}

QSize largestSize(const QIcon& icon) {
    // An invalid QSize counts as one pixel (-1 x -1): a 1 x 1 picture would never beat it.
    QSize largest(0, 0);
    for (const QSize& size : icon.availableSizes())
        if (qint64(size.width()) * size.height() > qint64(largest.width()) * largest.height())
            largest = size;
    return largest;
}

QtIcons::QtIcons(Resolver resolve) : m_resolve(std::move(resolve)) {}

port::Result<std::unique_ptr<port::IPicture>> QtIcons::programFileIcon(const std::string& file, int index,
                                                                       bool small) {
    const auto bytes = lnx::extractPeIcon(m_resolve(file), index, small ? 16 : 32);
    if (!bytes)
        return port::fail("no icon " + std::to_string(index) + " in " + file);
    return pictureOf(iconFromIcoData(QByteArray(reinterpret_cast<const char*>(bytes->data()),
                                                static_cast<qsizetype>(bytes->size()))),
                     file);
}

port::Result<std::unique_ptr<port::IPicture>> QtIcons::iconFile(const std::string& file) {
    return pictureOf(iconFromIcoData(readSmallFile(m_resolve(file))), file);
}

port::Result<std::unique_ptr<port::IPicture>> QtIcons::programIcon() {
    if (m_windowIcon.isNull())
        m_windowIcon = qtui::programIcon();
    return pictureOf(m_windowIcon, "the program");
}

QIcon QtIcons::iconAt(const std::string& iconLocation) {
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
    std::unique_ptr<port::IPicture> picture;
    if (extension == "ICO")
        picture = iconFile(file).value_or(nullptr);
    else if (extension == "EXE" || extension == "DLL")
        picture = programFileIcon(file, index, false).value_or(nullptr);
    auto* qtPicture = dynamic_cast<QtPicture*>(picture.get());
    return qtPicture ? qtPicture->icon() : QIcon();
}

std::string QtIcons::writePng(const std::string& iconLocation, const std::string& folder, int size) {
    const QIcon icon = iconAt(iconLocation);
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
