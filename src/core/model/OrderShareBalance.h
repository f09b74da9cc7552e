#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brivel::model {

// The running balance of one position of a trade: the orders whose descriptions are equal.
//
// The balance is kept in 64 bits although an order's share count is 32-bit: summed in 32 bits,
// four buys of 2^30 shares would wrap to 0 and close a trade that only ever bought.
class OrderShareBalance {
public:
    OrderShareBalance() = default;
    // A balance of 0 for the position named key. An absent key and an empty one are different
    // positions.
    explicit OrderShareBalance(std::optional<std::string> key) : m_desc(std::move(key)) {}
    static OrderShareBalance initWithKey(std::optional<std::string> key) {
        return OrderShareBalance(std::move(key));
    }

    const std::optional<std::string>& desc() const { return m_desc; }
    void setDesc(std::optional<std::string> desc) { m_desc = std::move(desc); }
    std::int64_t numOutstandingShares() const { return m_numOutstandingShares; }
    void setNumOutstandingShares(std::int64_t shares) { m_numOutstandingShares = shares; }

    // A buy adds its shares, a sell takes them away.
    void addOrder(bool isBuy, std::int32_t numShares) {
        m_numOutstandingShares += isBuy ? std::int64_t{numShares} : -std::int64_t{numShares};
    }

    friend bool operator==(const OrderShareBalance&, const OrderShareBalance&) = default;

private:
    std::optional<std::string> m_desc;
    std::int64_t m_numOutstandingShares = 0;
};

// The balance of the position named key in balances; a new one of 0 shares is added when there
// is none yet. Keys match as exact strings, and an absent key only matches an absent one.
OrderShareBalance& balanceForKey(std::vector<OrderShareBalance>& balances,
                                 const std::optional<std::string>& key);

} // namespace brivel::model
