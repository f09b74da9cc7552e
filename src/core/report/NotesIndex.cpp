#include "core/report/NotesIndex.h"

#include "core/store/Predicate.h"

#include <algorithm>

namespace brivel::report {

NotesIndex::NotesIndex(const store::ObjectContext& context) {
    const auto& notes = context.registeredObjects(model::Note::entityName());
    m_entries.reserve(notes.size());
    for (auto* object : notes) {
        auto* note = static_cast<model::Note*>(object);
        auto timestamp = note->timestamp();
        if (!timestamp)
            continue; // between never matches an absent value
        auto ticker = note->ticker();
        m_entries.push_back(Entry{timestamp->secondsSince1970, note->objectID(), note,
                                  ticker.has_value(),
                                  ticker ? store::foldForLike(*ticker) : std::u16string()});
    }
    // Equal timestamps in the store's order, as the fetch gives them.
    std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
        return a.timestamp != b.timestamp ? a.timestamp < b.timestamp : a.id < b.id;
    });
}

std::vector<model::Note*> NotesIndex::notesWithTicker(std::string_view ticker, Date beginDate,
                                                      Date endDate) const {
    std::vector<model::Note*> out;
    const double begin = beginDate.secondsSince1970;
    const double end = endDate.secondsSince1970;
    if (!(begin <= end))
        return out;
    auto first = std::lower_bound(m_entries.begin(), m_entries.end(), begin,
                                  [](const Entry& e, double t) { return e.timestamp < t; });
    auto last = std::upper_bound(first, m_entries.end(), end,
                                 [](double t, const Entry& e) { return t < e.timestamp; });
    if (ticker.empty()) {
        out.reserve(static_cast<std::size_t>(last - first));
        for (auto it = first; it != last; ++it)
            out.push_back(it->note);
        return out;
    }
    const std::u16string pattern = store::foldForLike(ticker);
    for (auto it = first; it != last; ++it)
        if (it->hasTicker && store::likeMatch(it->foldedTicker, pattern))
            out.push_back(it->note);
    return out;
}

} // namespace brivel::report
