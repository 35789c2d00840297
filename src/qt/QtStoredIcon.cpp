#include "qt/QtStoredIcon.h"

#include <QApplication>
#include <QBuffer>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

namespace qtui {
namespace {

QImage decode(const StoredImage& image) {
    QBuffer buffer;
    buffer.setData(image.file);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer, image.format);
    // The format is known: a reader left to guess loads every image plugin (and its libraries) to ask it.
    reader.setAutoDetectImageFormat(false);
    return reader.jumpToImage(image.index) || image.index == 0 ? reader.read() : QImage();
}

// `picture` as a drawing in `mode` asks for it at `size` device pixels: scaled down to fit, never up,
// and drawn by the style for any mode but the normal one (a disabled button's greyed picture).
QPixmap modePixmap(const QPixmap& picture, const QSize& size, QIcon::Mode mode) {
    QPixmap shown = picture;
    if (!shown.isNull() && (shown.width() > size.width() || shown.height() > size.height()))
        shown = shown.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (mode != QIcon::Normal && !shown.isNull() &&
        qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QStyleOption option;
        option.palette = QGuiApplication::palette();
        shown = QApplication::style()->generatedIconPixmap(mode, shown, &option);
    }
    return shown;
}

// Draws `picture` centred in `rect` at the painter's scale.
void paintCentred(QPainter* painter, const QRect& rect, QPixmap picture, qreal ratio) {
    picture.setDevicePixelRatio(ratio);
    QRect centred(QPoint(), picture.deviceIndependentSize().toSize());
    centred.moveCenter(rect.center());
    painter->drawPixmap(centred, picture);
}

qreal ratioOf(const QPainter* painter) {
    return painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
}

class PictureIconEngine : public QIconEngine {
  public:
    explicit PictureIconEngine(QPixmap picture) : m_picture(std::move(picture)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        return modePixmap(m_picture, size, mode);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal) override {
        return modePixmap(m_picture, size, mode);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const qreal ratio = ratioOf(painter);
        paintCentred(painter, rect, modePixmap(m_picture, rect.size() * ratio, mode), ratio);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        return m_picture.size().scaled(size, Qt::KeepAspectRatio).boundedTo(m_picture.size());
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {m_picture.size()}; }
    QIconEngine* clone() const override { return new PictureIconEngine(m_picture); }
    QString key() const override { return QStringLiteral("tavimoro-picture"); }
    bool isNull() override { return m_picture.isNull(); }

  private:
    QPixmap m_picture;
};

class StoredIconEngine : public QIconEngine {
  public:
    explicit StoredIconEngine(std::vector<StoredImage> images)
        : m_images(std::move(images)), m_damaged(m_images.size(), false) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    // Qt asks in device pixels. The decoded image stays until another is asked for; it draws the modes
    // (a disabled button's greyed picture) as an icon of one picture does.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal) override {
        while (const StoredImage* image = fitting(size)) {
            if (image == m_decodedImage)
                return modePixmap(m_decoded, size, mode);
            QImage decoded = decode(*image);
            if (decoded.isNull()) {
                m_damaged[std::size_t(image - m_images.data())] = true;
                continue;
            }
            m_decoded = QPixmap::fromImage(std::move(decoded));
            m_decodedImage = image;
        }
        return {};
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = ratioOf(painter);
        paintCentred(painter, rect, scaledPixmap(rect.size() * ratio, mode, state, ratio), ratio);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const StoredImage* image = fitting(size);
        return image ? image->size.scaled(size, Qt::KeepAspectRatio).boundedTo(image->size) : QSize();
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const StoredImage& image : m_images)
            sizes.append(image.size);
        return sizes;
    }
    QIconEngine* clone() const override { return new StoredIconEngine(m_images); }
    QString key() const override { return QStringLiteral("tavimoro-stored"); }
    bool isNull() override { return m_images.empty(); }

  private:
    // The smallest image covering `size`, else the largest; the first of equals; none that is damaged.
    const StoredImage* fitting(QSize size) const {
        const auto area = [](QSize s) { return qint64(s.width()) * s.height(); };
        const StoredImage* covering = nullptr;
        const StoredImage* largest = nullptr;
        for (const StoredImage& image : m_images) {
            if (m_damaged[std::size_t(&image - m_images.data())])
                continue;
            if (!largest || area(image.size) > area(largest->size))
                largest = &image;
            const bool covers = image.size.width() >= size.width() && image.size.height() >= size.height();
            if (covers && (!covering || area(image.size) < area(covering->size)))
                covering = &image;
        }
        return covering ? covering : largest;
    }

    std::vector<StoredImage> m_images; // never changed: the pointers into it hold
    std::vector<bool> m_damaged;       // by image: found not to decode
    const StoredImage* m_decodedImage = nullptr;
    QPixmap m_decoded;
};

} // namespace

void storeImages(std::vector<StoredImage>& images, const QByteArray& file, const QByteArray& format,
                 int maxImages) {
    if (file.isEmpty())
        return;
    QBuffer buffer;
    buffer.setData(file);
    if (!buffer.open(QIODevice::ReadOnly))
        return;
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    const int count = std::min(std::max(reader.imageCount(), 1), maxImages);
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        // Each image is decoded once to be known good; a damaged one is left out, the others stay.
        const QImage image = reader.read();
        if (!image.isNull())
            images.push_back(StoredImage{image.size(), file, format, i});
    }
}

QIcon storedIcon(std::vector<StoredImage> images) {
    return images.empty() ? QIcon() : QIcon(new StoredIconEngine(std::move(images)));
}

QIcon pictureIcon(QPixmap picture) {
    return picture.isNull() ? QIcon() : QIcon(new PictureIconEngine(std::move(picture)));
}

} // namespace qtui
