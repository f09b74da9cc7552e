#pragma once

#include <QObject>
#include <cstddef>

#ifndef Q_MOC_RUN
#include "core/platform/Scheduler.h"
#endif

namespace brivel::gui {

// The Scheduler of the application: one single-shot timer per request on the Qt event loop.
// Requests still pending when the scheduler goes (its document closed) never run.
class QtScheduler final : public QObject, public Scheduler {
    Q_OBJECT
public:
    explicit QtScheduler(QObject* parent = nullptr);
    ~QtScheduler() override;

    void schedule(double delaySeconds, std::function<void()> fn) override;
    // Drops every pending request.
    void cancelAll();
    std::size_t pendingCount() const;
};

} // namespace brivel::gui
