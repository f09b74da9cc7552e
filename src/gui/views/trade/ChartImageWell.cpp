#include "gui/views/trade/ChartImageWell.h"

#include "core/model/ChartImageFiles.h"
#include "core/model/Entities.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/Prompter.h"
#include "core/platform/SystemLog.h"
#include "core/store/ObjectContext.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QFile>
#include <QFutureWatcher>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace brivel::gui {

namespace {

bool offersPictureOrFile(const QMimeData* data) {
    if (data->hasImage())
        return true;
    for (const QString& format : data->formats())
        if (format.startsWith(QLatin1String("image/")))
            return true;
    if (data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                return true;
    return false;
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

ChartImageWell::~ChartImageWell() {
    finishPendingImages();
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
    m_image = path && QFile::exists(*path) ? ChartImageEncoder::readImageFile(*path) : QImage();
    update();
}

bool ChartImageWell::readFromMimeData(const QMimeData* mime) {
    if (!mime || !m_record || !filePath())
        return false;
    bool offered = false;
    ChartImageEncoder::Source source = ChartImageEncoder::sourceFrom(mime, &offered);
    if (source.isEmpty())
        return false; // nothing written: the well keeps showing the stored file
    startPending(std::move(source));
    return true;
}

void ChartImageWell::startPending(ChartImageEncoder::Source source) {
    Pending job{++m_serial,  m_record->owningContext(),
                m_record,    storedName()->toStdString(),
                *filePath(), {}};
    m_latest[job.storedName] = job.serial;
    job.future = QtConcurrent::run(&ChartImageEncoder::encode, std::move(source));
    const quint64 serial = job.serial;
    auto* watcher = new QFutureWatcher<ChartImageEncoder::Result>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, serial] {
        watcher->deleteLater();
        finishPending(serial);
    });
    watcher->setFuture(job.future);
    m_pending.push_back(std::move(job));
}

void ChartImageWell::finishPending(quint64 serial) {
    auto it = std::find_if(m_pending.begin(), m_pending.end(),
                           [serial](const Pending& p) { return p.serial == serial; });
    if (it == m_pending.end())
        return; // already finished by finishPendingImages
    Pending job = std::move(*it);
    m_pending.erase(it);
    ChartImageEncoder::Result result = job.future.result();
    // A newer paste, write or deletion of the same picture wins; a trade deleted meanwhile, or
    // a record that let go of the name, gets no file.
    auto latest = m_latest.find(job.storedName);
    if (latest == m_latest.end() || latest->second != job.serial)
        return;
    m_latest.erase(latest);
    if (!job.context || !model::chartImageStillNamed(*job.context, job.record, job.storedName)) {
        systemLog().log("A chart image finished after its trade was deleted; it was not saved.");
        return;
    }
    if (result.png.isEmpty() && result.image.isNull()) {
        systemLog().log("Could not read the pasted chart image.");
        QApplication::beep();
        emit pendingImageFinished(false);
        return;
    }
    const bool written = writeStored(job.path, result.png, result.failure);
    if (written && m_record == job.record) {
        m_image = result.image; // shown from the scaled copy: no second decoding
        update();
        emit imageChanged();
    }
    emit pendingImageFinished(written);
}

void ChartImageWell::finishPendingImages() {
    while (!m_pending.empty()) {
        m_pending.front().future.waitForFinished();
        finishPending(m_pending.front().serial);
    }
}

void ChartImageWell::paste() {
    if (!readFromMimeData(QApplication::clipboard()->mimeData()))
        QApplication::beep();
}

bool ChartImageWell::writeStored(const QString& path, const QByteArray& png,
                                 const QString& failure) {
    Error error;
    bool written =
        !png.isEmpty() &&
        AtomicFile::write(std::filesystem::path(path.toStdString()),
                          std::string_view(png.constData(), static_cast<std::size_t>(png.size())),
                          &error);
    if (!written) {
        std::string reason = png.isEmpty() ? failure.toStdString() : error.message();
        m_prompter.alert("Could Not Save Image", "The chart image could not be saved to \"" +
                                                     path.toStdString() + "\". " + reason);
    }
    return written;
}

bool ChartImageWell::writeImageToFile(const QImage& image) {
    auto path = filePath();
    if (!path || image.isNull())
        return false;
    m_latest[storedName()->toStdString()] = ++m_serial; // a paste under way is older
    const QImage scaled = ChartImageEncoder::scaledForStorage(image);
    const bool written = writeStored(*path, ChartImageEncoder::pngData(scaled),
                                     QStringLiteral("The picture could not be encoded as PNG."));
    if (written) {
        m_image = scaled;
        update();
    } else {
        reload();
    }
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
    if (auto name = storedName())
        m_latest[name->toStdString()] = ++m_serial; // a paste under way is dropped
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
    if (m_record && offersPictureOrFile(mime))
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
