#include "core/import/DuplicateIndex.h"

#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/store/ObjectContext.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>

namespace brivel::import {

DuplicateIndex::DuplicateIndex(const store::ObjectContext& context) {
    for (auto* record : context.registeredObjects(model::Order::entityName())) {
        auto* order = static_cast<model::Order*>(record);
        const model::Trade* trade = order->trade();
        if (!trade || !order->date() || !order->numShares() || !order->price())
            continue;
        // The ticker comes back by value: keep it alive while the key is made from a view of it.
        const std::optional<std::string> ticker = trade->ticker();
        if (!ticker)
            continue;
        Execution e{*ticker, order->isBuyValue(), *order->price(), *order->date(),
                    *order->numShares()};
        add(keyOf(e), e.shares);
    }
}

std::string DuplicateIndex::keyOf(const Execution& e) {
    // Prices to a millionth, so that a price read back from the file equals the stored one
    // however it was rounded on the way.
    return fmt::format("{}\x1f{}\x1f{}\x1f{}", e.symbol, e.isBuy ? 'B' : 'S',
                       std::llround(e.price * 1e6),
                       static_cast<long long>(std::floor(e.date.secondsSince1970)));
}

void DuplicateIndex::add(const std::string& key, std::int32_t shares) {
    m_orders[key].push_back(shares);
    ++m_size;
}

bool DuplicateIndex::takeInto(const Execution& e, std::vector<Taken>* undo) {
    if (m_size == 0)
        return false; // an empty account: no key to build
    auto it = m_orders.find(keyOf(e));
    if (it == m_orders.end())
        return false;
    auto& shares = it->second;
    auto exact = std::find(shares.begin(), shares.end(), e.shares);
    if (exact != shares.end()) {
        if (undo)
            undo->push_back({it->first, {*exact}});
        shares.erase(exact);
        --m_size;
        return true;
    }
    // A flip was imported as a closing and an opening order of the same fill.
    for (std::size_t i = 0; i < shares.size(); ++i)
        for (std::size_t j = i + 1; j < shares.size(); ++j)
            if (static_cast<std::int64_t>(shares[i]) + shares[j] == e.shares) {
                if (undo)
                    undo->push_back({it->first, {shares[i], shares[j]}});
                shares.erase(shares.begin() + static_cast<std::ptrdiff_t>(j));
                shares.erase(shares.begin() + static_cast<std::ptrdiff_t>(i));
                m_size -= 2;
                return true;
            }
    return false;
}

bool DuplicateIndex::take(const Execution& e) {
    return takeInto(e, nullptr);
}

bool DuplicateIndex::takeAll(const std::vector<Execution>& executions) {
    std::vector<Taken> taken;
    for (const auto& e : executions) {
        if (takeInto(e, &taken))
            continue;
        for (const auto& t : taken)
            for (auto s : t.shares)
                add(t.key, s);
        return false;
    }
    return !executions.empty();
}

} // namespace brivel::import
