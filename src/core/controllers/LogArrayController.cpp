#include "core/controllers/LogArrayController.h"

#include "core/controllers/RecordContentSources.h"

namespace brivel::controllers {

using model::Log;
using model::Note;
using model::PriceBarrier;

LogArrayController::LogArrayController(store::ObjectContext& context, const Clock& clock,
                                       Prompter& prompter, IndexNamesSource indexNames)
    : ArrayController(std::make_unique<EntityContentSource>(context, Log::entityName())),
      m_context(context), m_clock(clock), m_prompter(prompter),
      m_indexNames(std::move(indexNames)) {
    setSortDescriptors({{"date", true}});
}

const Log* LogArrayController::previousLog() const {
    // The latest of the listed days. With the journal's ordering by date that is the last row;
    // taking the latest date keeps the carried levels right when the user sorts otherwise.
    const Log* previous = nullptr;
    for (auto* item : arrangedObjects()) {
        auto* log = dynamic_cast<const Log*>(item);
        if (log && (!previous || !(log->date() < previous->date())))
            previous = log;
    }
    return previous;
}

Log* LogArrayController::newObject() {
    // Looked up before the new log exists: the context lists a record from its insertion on.
    std::vector<PriceBarrier*> previous;
    if (const Log* log = previousLog())
        previous = log->priceBarrier();

    auto* log = dynamic_cast<Log*>(ArrayController::newObject());
    if (!log)
        return nullptr;
    const Date now = m_clock.now();
    log->setDate(now);

    std::vector<std::optional<std::string>> indices;
    if (m_indexNames)
        indices = m_indexNames();
    for (const auto& index : indices) {
        auto* barrier = PriceBarrier::insertInManagedObjectContext(&m_context);
        for (const PriceBarrier* old : previous) {
            // Exact names only: an index renamed since starts without levels.
            if (index && old->ticker() == index) {
                barrier->setSupport(old->support());
                barrier->setResistance(old->resistance());
                break;
            }
        }
        barrier->setTicker(index);
        log->addPriceBarrierObject(barrier);
    }

    auto* note = Note::insertInManagedObjectContext(&m_context);
    note->setTimestamp(now);
    log->addNoteObject(note);
    return log;
}

void LogArrayController::remove() {
    if (selectedObjects().empty())
        return;
    if (!m_prompter.confirm("Confirm Deletion", "Are you sure you want to delete this Log?", "No",
                            "Yes"))
        return;
    ArrayController::remove();
}

} // namespace brivel::controllers
