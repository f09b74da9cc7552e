#include "core/report/ReportSnapshotCapture.h"

#include <stdexcept>

namespace brivel::report {

ReportSnapshotCapture::ReportSnapshotCapture(ReportRequest request, store::ObjectContext& context,
                                             StrategyList strategies, Date now)
    : m_request(std::move(request)), m_context(context), m_strategies(std::move(strategies)),
      m_now(now) {
    m_context.addListener(this);
}

ReportSnapshotCapture::~ReportSnapshotCapture() {
    m_context.removeListener(this);
}

void ReportSnapshotCapture::stale() {
    if (m_complete || !m_snapshot)
        return; // nothing read yet, or the snapshot already stands on its own
    m_snapshot.reset();
    m_records.clear();
    m_next = 0;
    m_total = 0;
    ++m_restarts;
}

bool ReportSnapshotCapture::captureSome(std::chrono::steady_clock::duration budget) {
    if (m_complete)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + budget;
    if (!m_snapshot) {
        m_snapshot = ReportSnapshot::begin(m_request, m_context, m_strategies, m_now, m_records);
        m_total = m_records.size();
    }
    while (m_next < m_records.size()) {
        m_snapshot->copyRecord(m_records[m_next++]);
        // The clock every few records: a record costs about a microsecond.
        if ((m_next & 63) == 0 && std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    m_snapshot->finish(m_context);
    m_records.clear();
    m_records.shrink_to_fit();
    m_complete = true;
    return true;
}

ReportSnapshot ReportSnapshotCapture::take() {
    if (!m_complete || !m_snapshot)
        throw std::logic_error("ReportSnapshotCapture::take before the capture is complete");
    ReportSnapshot snapshot = std::move(*m_snapshot);
    m_snapshot.reset();
    return snapshot;
}

} // namespace brivel::report
