#pragma once

#include "core/model/Entities.h"

namespace brivel::model {

// A buy or sell order of a trade.
class Order : public OrderBase {
public:
    explicit Order(const store::EntityDescription& e) : OrderBase(e) {}
};

} // namespace brivel::model
