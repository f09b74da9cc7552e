#pragma once

#ifndef Q_MOC_RUN
#include "core/report/ReportSnapshot.h"
#endif
#include "gui/report/ReportDocumentFiller.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <thread>

namespace brivel::gui {

// Builds one report on a thread of its own from a snapshot of the account, and reads its chart
// images there too, so the window keeps responding. The results come back on the thread this
// object lives on. Destroying it cancels the work and waits for the thread, which stops at the
// next slice.
class ReportGeneration : public QObject {
    Q_OBJECT
public:
    ReportGeneration(report::ReportSnapshot snapshot, QObject* parent = nullptr);
    ~ReportGeneration() override;

    void start();
    // Asks the thread to stop; finished is then never emitted.
    void cancel();
    bool isCancelled() const { return m_state->cancelled.load(); }

signals:
    // Records laid out so far; the chart images count as one more step at the end.
    void progressed(int done, int total);
    void finished(std::shared_ptr<const brivel::gui::ReportResult> result);

private:
    struct State {
        std::atomic<bool> cancelled{false};
        report::ReportSnapshot snapshot;
        explicit State(report::ReportSnapshot s) : snapshot(std::move(s)) {}
    };
    void run();

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace brivel::gui
