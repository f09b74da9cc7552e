#pragma once

#include "core/model/Entities.h"
#include "core/model/OrderShareBalance.h"

#include <memory>
#include <string>
#include <vector>

namespace brivel::model {

// Posted, with the Trade* as object, when a trade's positions do not balance one by one although
// its shares bought and sold do in total: the descriptions of two matching orders most likely
// differ by a typing error.
inline constexpr const char* ShowTradeClosingHint = "ShowTradeClosingHint";
// Posted on the context's notification center, object the trade, when a re-evaluation closes a
// trade that was open (not when loading or undo restores a closed one).
inline constexpr const char* TradeDidClose = "TradeDidClose";

// A trade: follows its orders to keep its closed state, profit and date.
//
// Every change of an order's price, description, side, commission or share count schedules a
// re-evaluation 0.01 second later through the context's scheduler, never inside the change
// notification. The re-evaluation's own changes (isClosed, profit, date) are not undo steps:
// undoing an order edit changes the order again, which schedules a new re-evaluation.
class Trade : public TradeBase, public store::KeyValueObserver {
public:
    explicit Trade(const store::EntityDescription& e);
    ~Trade() override;

    // Read-only keys for the trade list, derived from the orders: the number of orders and the
    // shares bought in total. Every other key is the record's own.
    static constexpr const char* OrderCountKey = "orderCount";
    static constexpr const char* SharesBoughtKey = "sharesBought";
    store::Value valueForKey(std::string_view key) const override;
    std::int64_t sharesBought() const;

    // Lifecycle hooks run by the context.
    void awakeFromInsert() override;
    void awakeFromFetch() override;
    void willTurnIntoFault() override;
    // Remembers the chart image names while the chart image can still be read.
    void prepareForDeletion() override;
    // Removes the chart image files, now that a save made the deletion final.
    void didCommitDeletion() override;

    // The trade's own "order" key and the five observed keys of its orders.
    void observeValueForKeyPath(std::string_view keyPath, store::ManagedObject* object,
                                const store::Change& change, void* context) override;

    // Schedules tryToClose and then descListUpdate, 0.01 second later; every call its own pair.
    void orderDidChange();
    // Starts (stops) observing "price", "desc", "isBuy", "commission" and "numShares" of each
    // order.
    void addObservationOfOrders(const std::vector<Order*>& orders);
    // The same for one order: each order loaded from the store registers its trade this way.
    void addObservationOfOrder(Order* order);
    void removeObservationOfOrders(const std::vector<Order*>& orders);

    // Closed when every position balances (then calculateProfit), otherwise open with profit 0.
    void tryToClose();
    // Sale proceeds less purchase costs less all commissions; closes the trade.
    void calculateProfit();
    // Rebuilds orderDescList and sets the date to the earliest order's date.
    void descListUpdate();

    // Not stored. Observers of "observedOrders" and "orderDescList" are told when they are
    // replaced.
    const std::vector<Order*>& observedOrders() const { return m_observedOrders; }
    void setObservedOrders(std::vector<Order*> orders);
    // One balance per distinct description (shares left at 0), in no particular order.
    const std::vector<OrderShareBalance>& orderDescList() const;
    void setOrderDescList(std::vector<OrderShareBalance> list);

private:
    // loaded: the trade comes from the store, see rebuildDescList.
    void startObservingOwnOrders(bool loaded);
    // descListUpdate. A trade loaded without orders keeps its stored date: no order moved it,
    // and losing it would drop the trade from the reports and the export at the next save.
    void rebuildDescList(bool loaded);
    static std::vector<OrderShareBalance> descListOf(const std::vector<Order*>& orders);
    template <class F> void scheduleGuarded(F step);

    std::vector<Order*> m_observedOrders;
    // Loading leaves the list to be built when first read (m_orderDescListPending).
    mutable std::vector<OrderShareBalance> m_orderDescList;
    mutable bool m_orderDescListPending = false;
    // The chart image names noted when the trade was last about to be deleted.
    std::vector<std::string> m_imageNamesOnDeletion;
    // Made at the first re-evaluation, then lives exactly as long as the trade: a scheduled
    // re-evaluation holds it weakly, so one that comes due after the records were released
    // (context closed or rolled back, with a scheduler that outlives the context) finds it
    // expired and does nothing.
    std::shared_ptr<char> m_liveness;
};

} // namespace brivel::model
