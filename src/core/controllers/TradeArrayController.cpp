#include "core/controllers/TradeArrayController.h"

#include "core/controllers/RecordContentSources.h"
#include "core/platform/Uuid.h"

namespace brivel::controllers {

using model::ChartImage;
using model::Trade;

TradeArrayController::TradeArrayController(store::ObjectContext& context, const Clock& clock,
                                           Prompter& prompter, std::string supportDirectory)
    : ArrayController(std::make_unique<EntityContentSource>(context, Trade::entityName())),
      m_context(context), m_clock(clock), m_prompter(prompter),
      m_supportDirectory(std::move(supportDirectory)) {
    setSortDescriptors(defaultSortDescriptors());
}

std::vector<SortDescriptor> TradeArrayController::defaultSortDescriptors() {
    return {{"isClosed", true}, {"date", false}};
}

std::string TradeArrayController::newImageName() const {
    return m_supportDirectory + "/" + makeUuidString() + ".png";
}

Trade* TradeArrayController::newObject() {
    auto* trade = dynamic_cast<Trade*>(ArrayController::newObject());
    if (!trade)
        return nullptr;
    trade->setDate(m_clock.now());
    auto* image = ChartImage::insertInManagedObjectContext(&m_context);
    // Each name has its own UUID, so the entry and exit files never coincide.
    image->setEntryImg(newImageName());
    image->setExitImg(newImageName());
    trade->setChartImg(image);
    if (m_shownTrades)
        m_shownTrades->insert(trade->objectID());
    return trade;
}

void TradeArrayController::showOnlyTrades(std::optional<std::unordered_set<store::ObjectID>> ids) {
    m_shownTrades = std::move(ids);
    reloadContent();
}

bool TradeArrayController::accepts(const store::KeyValueCoding& object) const {
    if (!ArrayController::accepts(object))
        return false;
    return !m_shownTrades ||
           m_shownTrades->count(static_cast<const store::ManagedObject&>(object).objectID()) > 0;
}

void TradeArrayController::remove() {
    if (selectedObjects().empty())
        return;
    if (!m_prompter.confirm("Confirm Deletion", "Are you sure you want to delete this Trade?", "No",
                            "Yes"))
        return;
    ArrayController::remove();
}

} // namespace brivel::controllers
