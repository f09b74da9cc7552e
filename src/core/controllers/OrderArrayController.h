#pragma once

#include "core/controllers/ArrayController.h"
#include "core/model/Order.h"
#include "core/platform/Clock.h"
#include "core/store/ObjectContext.h"

namespace brivel::controllers {

// The orders of the trade selected in the trade controller. A new order is dated now; removing
// orders re-evaluates their trade (0.01 second later, through the context's scheduler).
class OrderArrayController : public ArrayController {
public:
    // Ordered by date, oldest first. tradeController and clock must outlive this controller.
    OrderArrayController(store::ObjectContext& context, ArrayController& tradeController,
                         const Clock& clock);

    // nullptr while no single trade is selected.
    model::Order* newObject() override;
    // Removes (and deletes) the selected orders without asking, then re-evaluates the trade of
    // the first of them. Nothing happens without a selection.
    void remove() override;
    // Removes one order wherever it is, as the remove command does with its trade selected in the
    // trade controller (so the trade is re-evaluated). An order whose trade is gone has nothing
    // to re-evaluate and is deleted on its own.
    void removeOrder(model::Order& order);

private:
    store::ObjectContext& m_context;
    ArrayController& m_tradeController;
    const Clock& m_clock;
};

} // namespace brivel::controllers
