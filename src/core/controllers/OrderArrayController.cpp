#include "core/controllers/OrderArrayController.h"

#include "core/controllers/RecordContentSources.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"

namespace brivel::controllers {

OrderArrayController::OrderArrayController(store::ObjectContext& context,
                                           ArrayController& tradeController, const Clock& clock)
    : ArrayController(
          std::make_unique<RelationshipContentSource>(context, tradeController, "order")),
      m_context(context), m_tradeController(tradeController), m_clock(clock) {
    setSortDescriptors({{"date", true}});
}

model::Order* OrderArrayController::newObject() {
    auto* order = dynamic_cast<model::Order*>(ArrayController::newObject());
    if (order)
        order->setDate(m_clock.now());
    return order;
}

void OrderArrayController::remove() {
    auto selected = selectedObjects();
    if (selected.empty())
        return;
    // Noted before the removal unlinks the order from its trade.
    model::Trade* trade = nullptr;
    if (auto* first = dynamic_cast<model::Order*>(selected.front()))
        trade = first->trade();
    ArrayController::remove();
    if (trade)
        trade->orderDidChange();
}

void OrderArrayController::removeOrder(model::Order& order) {
    model::Trade* trade = order.trade();
    if (trade) {
        m_tradeController.setSelectedObjects({trade});
        setSelectedObjects({&order});
        if (selectedObjects() == std::vector<KeyValueCoding*>{&order}) {
            remove();
            return;
        }
    }
    m_context.deleteObject(&order);
    if (trade)
        trade->orderDidChange();
}

} // namespace brivel::controllers
