#include "gui/views/trade/ChartImageEncoder.h"

#include "core/model/ChartImageFiles.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>
#include <QUrl>
#include <cmath>

namespace brivel::gui {

namespace {

// The picture formats a screenshot tool or a browser offers, in order of preference.
const char* const ImageFormats[] = {"image/png",  "image/tiff", "image/bmp", "image/x-bmp",
                                    "image/jpeg", "image/gif",  "image/webp"};

// Whether the bytes start like a picture Qt can read (the header only; nothing is decoded).
bool looksLikePicture(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer).canRead();
}

QImage readBytes(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read();
}

} // namespace

ChartImageEncoder::Source ChartImageEncoder::sourceFrom(const QMimeData* mime, bool* offered) {
    Source source;
    *offered = false;
    if (!mime)
        return source;
    for (const char* format : ImageFormats) {
        const QString type = QString::fromLatin1(format);
        if (!mime->hasFormat(type))
            continue;
        *offered = true;
        QByteArray bytes = mime->data(type);
        if (looksLikePicture(bytes)) {
            source.bytes = std::move(bytes);
            return source;
        }
    }
    if (mime->hasImage()) {
        *offered = true;
        source.image = qvariant_cast<QImage>(mime->imageData());
        if (!source.image.isNull())
            return source;
    }
    if (mime->hasUrls()) {
        for (const QUrl& url : mime->urls()) {
            if (!url.isLocalFile())
                continue; // remote addresses are never fetched
            *offered = true;
            const QString path = url.toLocalFile();
            if (QImageReader(path).canRead())
                source.files << path;
        }
    }
    return source;
}

ChartImageEncoder::Result ChartImageEncoder::encode(const Source& source) {
    QImage image = source.image;
    if (image.isNull() && !source.bytes.isEmpty())
        image = readBytes(source.bytes);
    for (qsizetype i = 0; image.isNull() && i < source.files.size(); ++i)
        image = readImageFile(source.files[i]);
    Result result;
    if (image.isNull()) {
        result.failure = QStringLiteral("The picture could not be read.");
        return result;
    }
    result.image = scaledForStorage(image);
    result.png = pngData(result.image);
    if (result.png.isEmpty())
        result.failure = QStringLiteral("The picture could not be encoded as PNG.");
    return result;
}

QImage ChartImageEncoder::scaledForStorage(const QImage& image) {
    auto size = model::storedChartImageSize(image.width(), image.height());
    if (size.width == image.width())
        return image;
    int height = std::max(1, static_cast<int>(std::lround(size.height)));
    return image.scaled(static_cast<int>(size.width), height, Qt::IgnoreAspectRatio,
                        Qt::SmoothTransformation);
}

QByteArray ChartImageEncoder::pngData(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return {};
    return bytes;
}

QImage ChartImageEncoder::readImageFile(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

} // namespace brivel::gui
