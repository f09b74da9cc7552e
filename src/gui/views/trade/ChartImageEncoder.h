#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

class QMimeData;

namespace brivel::gui {

// Turns what a paste or a drop offers into the file a chart image well stores. The main thread
// only looks at the data as far as needed to know whether it holds a picture (sourceFrom reads no
// more than the headers); decoding a large screenshot, scaling it and encoding the PNG take a
// hundred milliseconds or more and run on a worker (encode is safe on any thread).
class ChartImageEncoder {
public:
    // What the data offers, in the order it is tried.
    struct Source {
        QByteArray bytes;  // encoded picture data (a screenshot tool's image/png, ...)
        QImage image;      // a picture the clipboard already holds decoded
        QStringList files; // local picture files (a file manager's drop)
        bool isEmpty() const { return bytes.isEmpty() && image.isNull() && files.isEmpty(); }
    };

    struct Result {
        QImage image;    // the picture as stored: at most 720 wide
        QByteArray png;  // its PNG bytes; empty when nothing could be read or encoded
        QString failure; // why png is empty
    };

    // The picture data or local picture files the data offers; nothing for text or remote
    // addresses (never fetched). offered: whether it held picture data or local files at all,
    // even ones that turn out not to be pictures.
    static Source sourceFrom(const QMimeData* mime, bool* offered);
    // Decodes the first readable picture of the source, scales and encodes it.
    static Result encode(const Source& source);

    // The picture scaled as it is stored (at most 720 wide, aspect kept).
    static QImage scaledForStorage(const QImage& image);
    // PNG bytes of the picture (empty when it cannot be encoded).
    static QByteArray pngData(const QImage& image);
    // A picture file read upright (its orientation tag applied).
    static QImage readImageFile(const QString& path);
};

} // namespace brivel::gui
