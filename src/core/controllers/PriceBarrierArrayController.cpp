#include "core/controllers/PriceBarrierArrayController.h"

#include "core/controllers/RecordContentSources.h"

namespace brivel::controllers {

PriceBarrierArrayController::PriceBarrierArrayController(store::ObjectContext& context,
                                                         ArrayController& logController)
    : ArrayController(
          std::make_unique<RelationshipContentSource>(context, logController, "priceBarrier")) {
    setSortDescriptors({{"ticker", true}});
}

SelectionProxy& PriceBarrierArrayController::indexSelection(const char* ticker) {
    setFilterPredicate(Predicate::equal("ticker", Value::string(ticker)));
    // The view exists to read that index's levels: a selection filtered away to nothing would
    // read as empty, so the index's barrier becomes the selection.
    if (selectedObjects().empty() && !arrangedObjects().empty())
        setSelectionIndexes({0});
    return selection();
}

SelectionProxy& PriceBarrierArrayController::nasdaqSelection() {
    return indexSelection("NASDAQ");
}

SelectionProxy& PriceBarrierArrayController::dowSelection() {
    return indexSelection("DOW");
}

} // namespace brivel::controllers
