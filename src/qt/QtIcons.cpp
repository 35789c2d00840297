#include "qt/QtIcons.h"

#include "linux/LinuxFileSystem.h"
#include "linux/PeIcons.h"
#include "qt/QtStoredIcon.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QSaveFile>
#include <algorithm>
#include <charconv>
#include <optional>
#include <set>

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
// The largest image of a program file kept for a button: its picture at twice the scale. A 256-pixel
// image would cost every row showing it more than all the rest of the row.
constexpr int kLargestKeptSide = 2 * kPictureSide;

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

// The sizes of the program's icon theme, as res/hicolor holds them.
constexpr int kProgramIconSides[] = {16, 32, 48, 64, 128, 256};

// The size of the one image of an .ico file the PE reader made, as its entry says (0 stands for 256).
QSize singleImageSize(const std::vector<unsigned char>& ico) {
    const auto side = [&](std::size_t at) { return ico[at] == 0 ? 256 : int(ico[at]); };
    return {side(6), side(7)};
}

port::Result<std::unique_ptr<port::IPicture>> pictureOf(QIcon icon, const std::string& file) {
    if (icon.isNull())
        return port::fail("no icon in " + file);
    return std::make_unique<QtPicture>(std::move(icon));
}

} // namespace

QIcon iconFromIcoData(const QByteArray& data) {
    std::vector<StoredImage> images;
    storeImages(images, data, "ICO", kMaxImagesRead);
    return storedIcon(std::move(images));
}

QIcon programIcon() {
    static const bool loaded = (initProgramResources(), true);
    (void)loaded;
    std::vector<StoredImage> images;
    for (const int side : kProgramIconSides) {
        QFile file(QStringLiteral(":/hicolor/%1x%1/apps/tavimoro.png").arg(side));
        if (file.open(QIODevice::ReadOnly))
            storeImages(images, file.readAll(), "PNG", 1);
    }
    return storedIcon(std::move(images));
}

QtIcons::QtIcons(Resolver resolve) : m_resolve(std::move(resolve)) {}

port::Result<std::unique_ptr<port::IPicture>> QtIcons::programFileIcon(const std::string& file, int index,
                                                                       bool small) {
    const std::string path = m_resolve(file);
    std::vector<StoredImage> images;
    std::set<int> sides;
    // The reader gives the one image Windows takes for a size (the most colours among equals): the image
    // of each size in the group; what it gave for a size, or nothing when that read failed. Only the first
    // is decoded here, the others when drawn: a damaged one is then passed over for the next that fits.
    const auto add = [&](int wanted) -> std::optional<int> {
        const auto bytes = lnx::extractPeIcon(path, index, wanted);
        if (!bytes)
            return std::nullopt;
        const QSize size = singleImageSize(*bytes);
        const int side = std::max(size.width(), size.height());
        const QByteArray ico(reinterpret_cast<const char*>(bytes->data()),
                             static_cast<qsizetype>(bytes->size()));
        if (!sides.insert(side).second || (!images.empty() && side > kLargestKeptSide))
            return side;
        if (images.empty())
            storeImages(images, ico, "ICO", 1);
        else
            images.push_back(StoredImage{size, ico, "ICO", 0});
        return side;
    };
    // The size the program's home platform would load decides whether there is an icon at all; a
    // damaged image of another size only leaves that size and the larger ones out.
    if (!add(small ? 16 : kPictureSide) || images.empty())
        return port::fail("no icon " + std::to_string(index) + " in " + file);
    // Asked for a size it lacks, the reader gives the next larger one; asked past the largest, a smaller.
    for (int wanted = 1, asked = 0; wanted <= kLargestKeptSide && asked < kMaxImagesRead; ++asked) {
        const std::optional<int> side = add(wanted);
        if (!side || *side < wanted)
            break;
        wanted = *side + 1;
    }
    return pictureOf(storedIcon(std::move(images)), file);
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
