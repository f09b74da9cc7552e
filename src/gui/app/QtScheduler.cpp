#include "gui/app/QtScheduler.h"

#include <QTimer>
#include <algorithm>
#include <cmath>
#include <memory>

namespace brivel::gui {

QtScheduler::QtScheduler(QObject* parent) : QObject(parent) {}

QtScheduler::~QtScheduler() {
    cancelAll();
}

void QtScheduler::schedule(double delaySeconds, std::function<void()> fn) {
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    // 0.01 s matters: a coarse timer could merge it with the next keystroke's.
    timer->setTimerType(Qt::PreciseTimer);
    const double ms = std::max(0.0, std::round(delaySeconds * 1000.0));
    // The function may close the document and with it this scheduler: keep it alive while it
    // runs.
    auto shared = std::make_shared<std::function<void()>>(std::move(fn));
    connect(timer, &QTimer::timeout, this, [timer, shared] {
        timer->deleteLater();
        auto keep = shared;
        (*keep)();
    });
    timer->start(static_cast<int>(std::min(ms, 2.0e9)));
}

void QtScheduler::cancelAll() {
    for (QTimer* timer : findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) {
        timer->stop();
        delete timer;
    }
}

std::size_t QtScheduler::pendingCount() const {
    std::size_t n = 0;
    for (QTimer* timer : findChildren<QTimer*>(Qt::FindDirectChildrenOnly))
        n += timer->isActive() ? 1 : 0;
    return n;
}

} // namespace brivel::gui
