#pragma once

#include "core/platform/Date.h"
#include "core/report/ReportFormatter.h"
#include "core/report/ReportGenerator.h"
#include "core/report/StyledText.h"
#include "core/store/ObjectContext.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

namespace brivel::report {

// One report request taken apart so that the slow part can run away from the main thread: the
// query and a copy of every value the layouts will read are made on the main thread, where the
// account's context lives; the report is then built from the copy on any thread, while the user
// goes on editing the account. What the report shows is the account as it was when the copy was
// made.
class ReportSnapshot {
public:
    // Main thread. Runs the query in the account's context and copies the records found with
    // what their layout reads (a log's barriers and notes; a trade's orders and chart image; for
    // the details report the notes of every trade's window). When the query finds nothing the
    // line "Empty query array" goes to the system log and the snapshot holds the empty result.
    // now is the instant that ends an open trade's notes window. A large account is better
    // taken in slices: see ReportSnapshotCapture.
    static ReportSnapshot capture(const ReportRequest& request, const store::ObjectContext& context,
                                  StrategyList strategies, Date now);

    ReportSnapshot(ReportSnapshot&&) noexcept;
    ReportSnapshot& operator=(ReportSnapshot&&) noexcept;
    ~ReportSnapshot();

    // Whether the query found nothing (build then gives EmptyResultText at once).
    bool isEmpty() const { return m_roots.empty(); }
    // The records of the report, as the query returned them.
    std::size_t recordCount() const { return m_roots.size(); }
    ReportType type() const { return m_type; }

    // Told how many records are laid out so far, out of recordCount().
    using Progress = std::function<void(std::size_t done, std::size_t total)>;

    // Any one thread, once. The styled text the report view shows, built slice by slice with
    // the user's locale and time zone; nothing when cancelled was set before it finished.
    std::optional<StyledText> build(const std::atomic<bool>& cancelled,
                                    const Progress& progress = {});

private:
    friend class ReportSnapshotCapture;

    struct Link {
        std::size_t from;
        std::size_t relationship;
        std::size_t to;
    };
    // A record's values are entity->attributes.size() entries of m_values from firstValue: one
    // array for all records, so that a large report costs no allocation per record.
    struct Copy {
        const store::EntityDescription* entity;
        store::ObjectID id;
        std::size_t firstValue;
    };

    ReportSnapshot() = default;
    // Runs the query; the records found are then copied one by one with copyRecord, in order,
    // and finish completes the snapshot. Empty records: the snapshot is complete already.
    static ReportSnapshot begin(const ReportRequest& request, const store::ObjectContext& context,
                                StrategyList strategies, Date now,
                                std::vector<store::ManagedObject*>& records);
    void copyRecord(const store::ManagedObject* record);
    void finish(const store::ObjectContext& context);
    std::size_t copyOf(const store::ManagedObject* object);
    void copyRelated(const store::ManagedObject* object, std::string_view key);
    void copyTradeWindowNotes(const store::ObjectContext& context);

    ReportType m_type = ReportType::JournalReport;
    StrategyList m_strategies;
    Date m_now;
    std::filesystem::path m_databasePath;
    std::vector<Copy> m_copies;
    std::vector<store::Value> m_values;
    std::vector<Link> m_links;
    std::vector<std::size_t> m_roots; // copies of the query's records, in its order
    std::unordered_map<store::ObjectID, std::size_t> m_index;
};

} // namespace brivel::report
