#include "gui/report/ReportGeneration.h"

#include <QMetaObject>

namespace brivel::gui {

ReportGeneration::ReportGeneration(report::ReportSnapshot snapshot, QObject* parent)
    : QObject(parent), m_state(std::make_shared<State>(std::move(snapshot))) {}

ReportGeneration::~ReportGeneration() {
    cancel();
    if (m_thread.joinable())
        m_thread.join();
}

void ReportGeneration::start() {
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

void ReportGeneration::cancel() {
    m_state->cancelled = true;
}

void ReportGeneration::run() {
    State& state = *m_state;
    const int total = static_cast<int>(state.snapshot.recordCount()) + 1;
    // Posted to this object: what is still queued when it goes is dropped with it.
    auto text = state.snapshot.build(state.cancelled, [this, total](std::size_t done, std::size_t) {
        QMetaObject::invokeMethod(
            this, [this, done, total] { emit progressed(static_cast<int>(done), total); },
            Qt::QueuedConnection);
    });
    if (!text || state.cancelled)
        return;
    auto result = std::make_shared<ReportResult>();
    result->text = std::move(*text);
    for (const auto& image : result->text.attachments()) {
        if (state.cancelled)
            return;
        const QString file = QString::fromStdString(image.file.string());
        if (result->images.contains(file))
            continue;
        QImage picture;
        if (picture.load(file))
            result->images.insert(file, picture);
    }
    std::shared_ptr<const ReportResult> done = std::move(result);
    QMetaObject::invokeMethod(
        this,
        [this, done, total] {
            if (m_state->cancelled)
                return;
            emit progressed(total, total);
            emit finished(done);
        },
        Qt::QueuedConnection);
}

} // namespace brivel::gui
