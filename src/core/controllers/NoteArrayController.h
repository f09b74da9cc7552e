#pragma once

#include "core/controllers/ArrayController.h"
#include "core/model/Entities.h"
#include "core/platform/Clock.h"
#include "core/store/ObjectContext.h"

namespace brivel::controllers {

// The notes of the log selected in the log controller. A new note is stamped with the current
// time; it joins the log when it is added.
class NoteArrayController : public ArrayController {
public:
    // Ordered by timestamp, then ticker. logController and clock must outlive this controller.
    NoteArrayController(store::ObjectContext& context, ArrayController& logController,
                        const Clock& clock);

    // nullptr while no single log is selected.
    model::Note* newObject() override;
    // Removes one note wherever it is, as the remove command does with its log selected in the
    // log controller. A note whose log is gone is deleted on its own.
    void removeNote(model::Note& note);

private:
    store::ObjectContext& m_context;
    ArrayController& m_logController;
    const Clock& m_clock;
};

} // namespace brivel::controllers
