#pragma once

#include "core/model/Entities.h"

namespace brivel::model {

// A buy or sell order of a trade.
class Order final : public OrderBase {
public:
    explicit Order(const store::EntityDescription& e) : OrderBase(e) {}

    // A loaded order hands itself to its trade's observation: a loaded trade does not observe
    // the keys of its orders by itself.
    void awakeFromFetch() override;
};

} // namespace brivel::model
