#include "core/controllers/NoteArrayController.h"

#include "core/controllers/RecordContentSources.h"

namespace brivel::controllers {

NoteArrayController::NoteArrayController(store::ObjectContext& context,
                                         ArrayController& logController, const Clock& clock)
    : ArrayController(std::make_unique<RelationshipContentSource>(context, logController, "note")),
      m_context(context), m_logController(logController), m_clock(clock) {
    setSortDescriptors({{"timestamp", true}, {"ticker", true}});
}

model::Note* NoteArrayController::newObject() {
    auto* note = dynamic_cast<model::Note*>(ArrayController::newObject());
    if (note)
        note->setTimestamp(m_clock.now());
    return note;
}

void NoteArrayController::removeNote(model::Note& note) {
    if (model::Log* log = note.log()) {
        m_logController.setSelectedObjects({log});
        setSelectedObjects({&note});
        if (selectedObjects() == std::vector<KeyValueCoding*>{&note}) {
            remove();
            return;
        }
    }
    m_context.deleteObject(&note);
}

} // namespace brivel::controllers
