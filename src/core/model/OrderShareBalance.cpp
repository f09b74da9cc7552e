#include "core/model/OrderShareBalance.h"

namespace brivel::model {

OrderShareBalance& balanceForKey(std::vector<OrderShareBalance>& balances,
                                 const std::optional<std::string>& key) {
    // A trade has a handful of positions: a linear search beats any map here.
    for (auto& b : balances)
        if (b.desc() == key)
            return b;
    return balances.emplace_back(key);
}

} // namespace brivel::model
