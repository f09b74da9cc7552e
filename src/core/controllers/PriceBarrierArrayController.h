#pragma once

#include "core/controllers/ArrayController.h"
#include "core/store/ObjectContext.h"

namespace brivel::controllers {

// The price barriers of the log selected in the log controller, with two views of one index.
class PriceBarrierArrayController : public ArrayController {
public:
    // Ordered by ticker. logController must outlive this controller.
    PriceBarrierArrayController(store::ObjectContext& context, ArrayController& logController);

    // Filters the list to the "NASDAQ" (or "DOW") barrier, exact case, and returns the
    // selection. The filter stays until the other view is read or the filter is set again.
    SelectionProxy& nasdaqSelection();
    SelectionProxy& dowSelection();

private:
    SelectionProxy& indexSelection(const char* ticker);
};

} // namespace brivel::controllers
