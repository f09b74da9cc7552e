#pragma once

#include "core/model/Entities.h"
#include "core/platform/Date.h"
#include "core/store/ObjectContext.h"

#include <string>
#include <string_view>
#include <vector>

namespace brivel::report {

// An account's notes ordered by timestamp, so that the notes around each trade of a details
// report come from a binary search for the window and a ticker match within it instead of a
// scan of every note per trade. Answers exactly what the notes query (ReportQuery, NotesReport)
// answers for the same ticker and range, in the same order.
//
// A snapshot: built from the context's records at construction and valid while they do not
// change (the span of one report).
class NotesIndex {
public:
    explicit NotesIndex(const store::ObjectContext& context);

    // Notes with begin <= timestamp <= end whose ticker matches the ticker text (like[cd]: case
    // and diacritics ignored, * and ?), ascending by timestamp; every note of the window when the
    // ticker text is empty.
    std::vector<model::Note*> notesWithTicker(std::string_view ticker, Date beginDate,
                                              Date endDate) const;

    std::size_t size() const { return m_entries.size(); }

private:
    struct Entry {
        double timestamp;
        store::ObjectID id;
        model::Note* note;
        bool hasTicker;
        std::u16string foldedTicker;
    };
    std::vector<Entry> m_entries;
};

} // namespace brivel::report
