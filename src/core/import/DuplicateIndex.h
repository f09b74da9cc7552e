#pragma once

#include "core/platform/Date.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brivel::store {
class ObjectContext;
}

namespace brivel::import {

// The executions an account already holds, keyed by symbol (the trade's ticker), side, price and
// time to the second, so that importing the same broker file twice adds nothing. Each existing
// order answers for one execution only: a file with two identical fills matches two orders.
class DuplicateIndex {
public:
    // Every order of the context that has a trade with a ticker, a date, a share count and a
    // price.
    explicit DuplicateIndex(const store::ObjectContext& context);
    DuplicateIndex() = default;

    struct Execution {
        std::string_view symbol;
        bool isBuy = true;
        double price = 0.0;
        Date date;
        std::int32_t shares = 0;
    };

    // True, and the matching orders used up, when the account holds the execution: an order of
    // the same shares, or the two orders an execution that flipped the position was split into.
    bool take(const Execution& e);
    // The same for all executions at once (a whole trade of the program's own export): either
    // all are found and used up, or none is used up.
    bool takeAll(const std::vector<Execution>& executions);

    std::size_t size() const { return m_size; }

private:
    struct Taken {
        std::string key;
        std::vector<std::int32_t> shares;
    };
    static std::string keyOf(const Execution& e);
    bool takeInto(const Execution& e, std::vector<Taken>* undo);
    void add(const std::string& key, std::int32_t shares);

    std::unordered_map<std::string, std::vector<std::int32_t>> m_orders;
    std::size_t m_size = 0;
};

} // namespace brivel::import
