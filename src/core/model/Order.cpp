#include "core/model/Order.h"

#include "core/model/Trade.h"

namespace brivel::model {

void Order::awakeFromFetch() {
    OrderBase::awakeFromFetch();
    if (Trade* t = trade())
        t->addObservationOfOrder(this);
}

} // namespace brivel::model
