#pragma once

#include "core/controllers/ArrayController.h"
#include "core/model/Entities.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "core/store/ObjectContext.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brivel::controllers {

// The configured market indices, in list order: the "index" value of each entry of the
// preference "arrayOfIndices" (nullopt for an entry without one). Asked afresh for every new
// log, so a renamed index counts from the next log on.
using IndexNamesSource = std::function<std::vector<std::optional<std::string>>()>;

// The journal's logs. A new log starts with one price barrier per configured index, carrying
// the previous log's levels forward, and one note; deleting logs asks first.
class LogArrayController : public ArrayController {
public:
    // Ordered by date, oldest first, as the journal shows them. clock and prompter must outlive
    // the controller.
    LogArrayController(store::ObjectContext& context, const Clock& clock, Prompter& prompter,
                       IndexNamesSource indexNames);

    model::Log* newObject() override;
    // Deletes the selected logs (with their notes and barriers) once the user says "Yes".
    void remove() override;

    store::ObjectContext& context() const { return m_context; }

private:
    const model::Log* previousLog() const;

    store::ObjectContext& m_context;
    const Clock& m_clock;
    Prompter& m_prompter;
    IndexNamesSource m_indexNames;
};

} // namespace brivel::controllers
