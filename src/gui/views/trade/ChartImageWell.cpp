#include "gui/views/trade/ChartImageWell.h"

#include "core/app/AtomicFile.h"
#include "core/model/ChartImageFiles.h"
#include "core/model/Entities.h"
#include "core/platform/Prompter.h"
#include "core/platform/SystemLog.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace brivel::gui {

namespace {

// The picture formats a screenshot tool or a browser offers, in order of preference.
const char* const ImageFormats[] = {"image/png",  "image/tiff", "image/bmp", "image/x-bmp",
                                    "image/jpeg", "image/gif",  "image/webp"};

bool hasLocalFile(const QMimeData* data) {
    if (!data->hasUrls())
        return false;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return true;
    return false;
}

bool offersImageData(const QMimeData* data) {
    if (data->hasImage())
        return true;
    for (const char* format : ImageFormats)
        if (data->hasFormat(QString::fromLatin1(format)))
            return true;
    return false;
}

QImage readImageFile(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

} // namespace

ChartImageWell::ChartImageWell(int tag, ImgPathTransformer transformer, Prompter& prompter,
                               QWidget* parent)
    : QFrame(parent), m_tag(tag), m_transformer(std::move(transformer)), m_prompter(prompter) {
    setObjectName(tag == Entry ? QStringLiteral("entryIV") : QStringLiteral("exitIV"));
    setAccessibleName(tag == Entry ? tr("Entry chart image") : tr("Exit chart image"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setMinimumSize(160, 100);
    setEnabled(false);
}

QString ChartImageWell::emptyText() {
    return tr("Paste (Ctrl+V) or drop a chart here");
}

std::optional<QString> ChartImageWell::storedName() const {
    if (!m_record)
        return std::nullopt;
    std::optional<std::string> name;
    if (m_tag == Entry)
        name = m_record->entryImg();
    else if (m_tag == Exit)
        name = m_record->exitImg();
    if (!name)
        return std::nullopt;
    return QString::fromStdString(*name);
}

std::optional<QString> ChartImageWell::filePath() const {
    auto name = storedName();
    if (!name)
        return std::nullopt;
    return m_transformer.transformedValue(store::Value::string(name->toStdString()));
}

void ChartImageWell::setChartImage(model::ChartImage* record) {
    m_record = record;
    setEnabled(record != nullptr);
    reload();
}

void ChartImageWell::reload() {
    auto path = filePath();
    m_image = path && QFile::exists(*path) ? readImageFile(*path) : QImage();
    update();
}

std::optional<QImage> ChartImageWell::imageFromMimeData(const QMimeData* mime,
                                                        bool* offered) const {
    *offered = false;
    if (offersImageData(mime)) {
        *offered = true;
        for (const char* format : ImageFormats) {
            QString type = QString::fromLatin1(format);
            if (!mime->hasFormat(type))
                continue;
            QImage image = QImage::fromData(mime->data(type));
            if (!image.isNull())
                return image;
        }
        if (mime->hasImage()) {
            QImage image = qvariant_cast<QImage>(mime->imageData());
            if (!image.isNull())
                return image;
        }
    }
    if (hasLocalFile(mime)) {
        *offered = true;
        for (const QUrl& url : mime->urls()) {
            if (!url.isLocalFile())
                continue;
            QImage image = readImageFile(url.toLocalFile());
            if (!image.isNull())
                return image;
        }
    }
    return std::nullopt;
}

bool ChartImageWell::readFromMimeData(const QMimeData* mime) {
    if (!mime || !m_record)
        return false;
    bool offered = false;
    std::optional<QImage> image = imageFromMimeData(mime, &offered);
    if (!image)
        return false; // nothing written: the well keeps showing the stored file
    writeImageToFile(*image);
    return offered;
}

void ChartImageWell::paste() {
    if (!readFromMimeData(QApplication::clipboard()->mimeData()))
        QApplication::beep();
}

QImage ChartImageWell::scaledForStorage(const QImage& image) {
    auto size = model::storedChartImageSize(image.width(), image.height());
    if (size.width == image.width())
        return image;
    int height = std::max(1, static_cast<int>(std::lround(size.height)));
    return image.scaled(static_cast<int>(size.width), height, Qt::IgnoreAspectRatio,
                        Qt::SmoothTransformation);
}

QByteArray ChartImageWell::pngData(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return {};
    return bytes;
}

bool ChartImageWell::writeImageToFile(const QImage& image) {
    auto path = filePath();
    if (!path || image.isNull())
        return false;
    QByteArray bytes = pngData(scaledForStorage(image));
    Error error;
    bool written =
        !bytes.isEmpty() &&
        app::AtomicFile::write(
            std::filesystem::path(path->toStdString()),
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), &error);
    if (!written) {
        std::string reason = bytes.isEmpty()
                                 ? std::string("The picture could not be encoded as PNG.")
                                 : error.message();
        m_prompter.alert("Could Not Save Image", "The chart image could not be saved to \"" +
                                                     path->toStdString() + "\". " + reason);
    }
    reload();
    emit imageChanged();
    return written;
}

void ChartImageWell::deleteImage() {
    if (!m_record)
        return;
    if (!m_prompter.confirm("Confirm Deletion",
                            "Are you sure you want to delete this image? It cannot be recovered "
                            "after it is deleted.",
                            "No", "Yes"))
        return;
    if (auto path = filePath()) {
        std::error_code ec;
        std::filesystem::path file(path->toStdString());
        if (std::filesystem::is_regular_file(std::filesystem::symlink_status(file, ec)))
            std::filesystem::remove(file, ec); // the well is cleared all the same
    }
    m_image = QImage();
    update();
    emit imageChanged();
}

void ChartImageWell::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    QRect area = contentsRect().adjusted(4, 4, -4, -4);
    if (m_image.isNull()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::PlaceholderText));
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap,
                         m_record ? emptyText() : QString());
    } else {
        QSize fitted = m_image.size().scaled(area.size(), Qt::KeepAspectRatio);
        if (m_image.width() <= area.width() && m_image.height() <= area.height())
            fitted = m_image.size();
        QRect target(QPoint(0, 0), fitted);
        target.moveCenter(area.center());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_image);
    }
    if (hasFocus()) {
        QPen pen(palette().color(QPalette::Highlight), 2);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

void ChartImageWell::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        deleteImage();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return;
    }
    QFrame::keyPressEvent(event);
}

void ChartImageWell::mousePressEvent(QMouseEvent* event) {
    // A click only takes the keyboard focus: pictures are not dragged out of a well.
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void ChartImageWell::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (!m_image.isNull())
        emit enlargeChartImage(this);
}

void ChartImageWell::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (m_record && (offersImageData(mime) || hasLocalFile(mime)))
        event->acceptProposedAction();
}

void ChartImageWell::dropEvent(QDropEvent* event) {
    if (readFromMimeData(event->mimeData())) {
        event->acceptProposedAction();
        return;
    }
    systemLog().log("Could not read from dragging pasteboard!");
    QApplication::beep();
    event->ignore();
}

void ChartImageWell::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_record)
        return;
    QMenu menu(this);
    QAction* paste = menu.addAction(tr("Paste"), this, &ChartImageWell::paste);
    paste->setShortcut(QKeySequence::Paste);
    QAction* remove = menu.addAction(tr("Delete Image…"), this, &ChartImageWell::deleteImage);
    remove->setEnabled(!m_image.isNull());
    QAction* enlarge =
        menu.addAction(tr("Enlarge"), this, [this] { emit enlargeChartImage(this); });
    enlarge->setEnabled(!m_image.isNull());
    menu.exec(event->globalPos());
}

} // namespace brivel::gui
