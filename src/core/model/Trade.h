#pragma once

#include "core/model/Entities.h"

namespace brivel::model {

// A trade: follows its orders to keep its closed state, profit and date.
class Trade : public TradeBase {
public:
    explicit Trade(const store::EntityDescription& e) : TradeBase(e) {}
};

} // namespace brivel::model
