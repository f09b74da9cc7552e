#pragma once

#include "core/report/ReportSnapshot.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <vector>

namespace brivel::report {

// Takes a ReportSnapshot a slice at a time on the main thread, so that the event loop keeps
// turning while a large account is copied. The account may change between slices: any record
// inserted, deleted or changed, or a rollback, starts the capture over from the query, so the
// snapshot is always the account as it stood at one moment and a record is never read after a
// change that may have deleted it.
class ReportSnapshotCapture final : private store::ContextListener {
public:
    ReportSnapshotCapture(ReportRequest request, store::ObjectContext& context,
                          StrategyList strategies, Date now);
    ~ReportSnapshotCapture() override;
    ReportSnapshotCapture(const ReportSnapshotCapture&) = delete;
    ReportSnapshotCapture& operator=(const ReportSnapshotCapture&) = delete;

    // Copies records until the budget is spent (the query itself is one step, however long);
    // true once the snapshot is complete.
    bool captureSome(std::chrono::steady_clock::duration budget);
    bool isComplete() const { return m_complete; }
    // Records copied so far, out of the query's count (0 before the query has run).
    std::size_t recordsCopied() const { return m_next; }
    std::size_t recordCount() const { return m_total; }
    // How many times a change to the account started the capture over.
    std::size_t restarts() const { return m_restarts; }

    // The complete snapshot; once, after captureSome returned true.
    ReportSnapshot take();

private:
    void objectsInserted(const std::vector<store::ManagedObject*>&) override { stale(); }
    void objectsDeleted(const std::vector<store::ManagedObject*>&) override { stale(); }
    void objectChanged(store::ManagedObject*, store::KeyId) override { stale(); }
    void contextWillReset() override { stale(); }
    void contextReset() override { stale(); }
    void stale();

    ReportRequest m_request;
    store::ObjectContext& m_context;
    StrategyList m_strategies;
    Date m_now;
    std::optional<ReportSnapshot> m_snapshot; // none until the query has run
    std::vector<store::ManagedObject*> m_records;
    std::size_t m_next = 0;
    std::size_t m_total = 0;
    std::size_t m_restarts = 0;
    bool m_complete = false;
};

} // namespace brivel::report
