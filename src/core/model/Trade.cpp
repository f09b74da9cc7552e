#include "core/model/Trade.h"

#include "core/model/ChartImageFileKeeper.h"
#include "core/model/ChartImageFiles.h"
#include "core/model/Order.h"
#include "core/store/UndoManager.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <system_error>
#include <typeinfo>

namespace brivel::model {

namespace {

constexpr double ReevaluationDelay = 0.01;
constexpr const char* OrderKey = "order";
// The order keys whose change re-evaluates the trade, observed as one set: every loaded order
// carries one observation. "date" is deliberately not among them.
store::KeyId observedOrderKeys() {
    static const store::KeyId keys =
        store::internKeySet({"price", "desc", "isBuy", "commission", "numShares"});
    return keys;
}

// Keys used for every trade loaded, interned once.
store::KeyId orderKey() {
    static const store::KeyId key = store::internKey(OrderKey);
    return key;
}
store::KeyId observedOrdersKey() {
    static const store::KeyId key = store::internKey("observedOrders");
    return key;
}

bool contains(const std::vector<Order*>& list, const Order* order) {
    return std::find(list.begin(), list.end(), order) != list.end();
}

// Changes derived from the orders are never undo steps of their own. A record that was never
// inserted has no context and records no undo anyway.
class DerivedChanges {
public:
    explicit DerivedChanges(store::ObjectContext* context)
        : m_undo(context ? &context->undoManager() : nullptr) {
        if (m_undo)
            m_undo->disableUndoRegistration();
    }
    ~DerivedChanges() {
        if (m_undo)
            m_undo->enableUndoRegistration();
    }
    DerivedChanges(const DerivedChanges&) = delete;
    DerivedChanges& operator=(const DerivedChanges&) = delete;

private:
    store::UndoManager* m_undo;
};

void removeImageFile(const std::filesystem::path& databasePath, const std::string& name) {
    auto file = chartImageFile(databasePath, name);
    if (!file)
        return;
    std::error_code ec;
    // Only a plain file is a chart image: a folder or a link of that name is left alone.
    auto status = std::filesystem::symlink_status(*file, ec);
    if (ec || !std::filesystem::is_regular_file(status))
        return;
    std::filesystem::remove(*file, ec); // a failure is ignored: the trade is gone all the same
}

} // namespace

Trade::Trade(const store::EntityDescription& e) : TradeBase(e) {}

Trade::~Trade() = default;

store::Value Trade::valueForKey(std::string_view key) const {
    if (key == OrderCountKey)
        return store::Value::integer(static_cast<std::int64_t>(toMany(0).size()));
    if (key == SharesBoughtKey)
        return store::Value::integer(sharesBought());
    return TradeBase::valueForKey(key);
}

std::int64_t Trade::sharesBought() const {
    std::int64_t total = 0;
    for (const Order* o : order())
        if (o->isBuyValue())
            total += o->numSharesValue();
    return total;
}

void Trade::startObservingOwnOrders(bool loaded) {
    addObserver(this, orderKey(), store::ObservingNew | store::ObservingOld, nullptr);
    setObservedOrders(order());
    rebuildDescList(loaded);
}

void Trade::awakeFromInsert() {
    TradeBase::awakeFromInsert();
    startObservingOwnOrders(false);
}

void Trade::awakeFromFetch() {
    TradeBase::awakeFromFetch();
    // The orders register this trade on their five keys in their own awakeFromFetch, whether
    // they wake before or after the trade.
    startObservingOwnOrders(true);
}

void Trade::willTurnIntoFault() {
    TradeBase::willTurnIntoFault();
    removeObserver(this, orderKey());
    // The orders are released together with the trade; leaving no registration behind keeps
    // that order of release free.
    removeObservationOfOrders(order());
}

void Trade::prepareForDeletion() {
    TradeBase::prepareForDeletion();
    // The files go only when a save commits the deletion, and by then the chart image is no
    // longer linked to the trade: note the names now.
    m_imageNamesOnDeletion.clear();
    if (ChartImage* image = chartImg()) {
        if (auto entry = image->entryImg())
            m_imageNamesOnDeletion.push_back(*entry);
        if (auto exit = image->exitImg())
            m_imageNamesOnDeletion.push_back(*exit);
    }
}

void Trade::didCommitDeletion() {
    TradeBase::didCommitDeletion();
    store::ObjectContext* context = owningContext();
    if (!context)
        return;
    // An open account window keeps the files aside, so that Undo can still bring them back.
    if (auto* keeper = ChartImageFileKeeper::forContext(context)) {
        keeper->setAside(this, m_imageNamesOnDeletion);
        return;
    }
    // The account's own folder, whatever folder code the names carry.
    for (const auto& name : m_imageNamesOnDeletion)
        removeImageFile(context->fileURL(), name);
    // The names stay noted: an undone deletion that is redone and saved has no new
    // prepareForDeletion, and its files must go (or be kept aside) all the same.
}

void Trade::observeValueForKeyPath(std::string_view keyPath, store::ManagedObject* object,
                                   const store::Change& /*change*/, void* /*context*/) {
    if (!object)
        return;
    if (typeid(*object) == typeid(Order)) {
        orderDidChange();
        return;
    }
    if (typeid(*object) != typeid(Trade) || keyPath != OrderKey)
        return;
    auto* trade = static_cast<Trade*>(object);
    std::vector<Order*> current = trade->order();
    std::vector<Order*> added, removed;
    for (Order* o : current)
        if (!contains(m_observedOrders, o))
            added.push_back(o);
    for (Order* o : m_observedOrders)
        if (!contains(current, o))
            removed.push_back(o);
    if (!added.empty())
        addObservationOfOrders(added);
    if (!removed.empty())
        removeObservationOfOrders(removed);
    setObservedOrders(std::move(current));

    // A change of the order set re-evaluates nothing by itself: adding an order counts at its
    // first edit, and the order list re-evaluates after a removal. Undo and redo have no such
    // caller, so an order that comes back (or goes again) re-evaluates here.
    if (store::ObjectContext* context = managedObjectContext()) {
        const auto& undo = context->undoManager();
        if ((undo.isUndoing() || undo.isRedoing()) && (!added.empty() || !removed.empty()))
            orderDidChange();
    }
}

template <class F> void Trade::scheduleGuarded(F step) {
    store::ObjectContext* context = managedObjectContext();
    if (!context)
        return;
    // Made at the first re-evaluation: a loaded account holds a hundred thousand trades.
    if (!m_liveness)
        m_liveness = std::make_shared<char>();
    std::weak_ptr<Trade> self(std::shared_ptr<Trade>(m_liveness, this));
    context->scheduler().schedule(ReevaluationDelay, [self, step] {
        std::shared_ptr<Trade> trade = self.lock();
        // Released with its context, or deleted since: nothing left to evaluate.
        if (!trade || trade->isDeleted())
            return;
        step(*trade);
    });
}

void Trade::orderDidChange() {
    scheduleGuarded([](Trade& t) { t.tryToClose(); });
    scheduleGuarded([](Trade& t) { t.descListUpdate(); });
}

void Trade::addObservationOfOrders(const std::vector<Order*>& orders) {
    for (Order* o : orders)
        addObservationOfOrder(o);
}

void Trade::addObservationOfOrder(Order* order) {
    order->addObserver(this, observedOrderKeys(), store::ObservingNone, nullptr);
}

void Trade::removeObservationOfOrders(const std::vector<Order*>& orders) {
    for (Order* o : orders)
        o->removeObserver(this, observedOrderKeys());
}

void Trade::tryToClose() {
    std::vector<OrderShareBalance> balances;
    bool counted = false;
    for (const Order* o : order()) {
        std::int32_t n = o->numSharesValue();
        if (n == 0)
            continue;
        balanceForKey(balances, o->desc()).addOrder(o->isBuyValue(), n);
        counted = true;
    }

    DerivedChanges derived(owningContext());
    if (!counted) {
        setIsClosedValue(false);
        setProfitValue(0.0);
        return;
    }
    bool allZero = true;
    std::int64_t total = 0;
    for (const auto& b : balances) {
        allZero = allZero && b.numOutstandingShares() == 0;
        total += b.numOutstandingShares();
    }
    if (allZero) {
        calculateProfit();
        return;
    }
    setIsClosedValue(false);
    setProfitValue(0.0);
    if (total == 0) {
        if (store::ObjectContext* context = managedObjectContext())
            context->notificationCenter().post(ShowTradeClosingHint,
                                               static_cast<const void*>(this));
    }
}

void Trade::calculateProfit() {
    double profit = 0.0;
    for (const Order* o : order()) {
        double value = o->priceValue() * static_cast<double>(o->numSharesValue());
        profit = o->isBuyValue() ? profit - value : profit + value;
        profit -= o->commissionValue();
    }
    const bool wasClosed = isClosedValue();
    {
        DerivedChanges derived(owningContext());
        setIsClosedValue(true);
        setProfitValue(profit);
    }
    if (!wasClosed)
        if (store::ObjectContext* context = managedObjectContext())
            context->notificationCenter().post(TradeDidClose, static_cast<const void*>(this));
}

void Trade::descListUpdate() {
    rebuildDescList(false);
}

void Trade::rebuildDescList(bool loaded) {
    std::optional<Date> earliest;
    // The list itself rather than a typed copy of it: this runs for every trade loaded.
    for (const store::ManagedObject* member : toMany(0)) {
        // An order without a date takes no part in the trade's date.
        if (auto d = static_cast<const Order*>(member)->date(); d && (!earliest || *d < *earliest))
            earliest = d;
    }
    DerivedChanges derived(owningContext());
    if (loaded) {
        // Nobody observes a record that is being loaded, and few lists are ever shown: built
        // when first asked for.
        m_orderDescList.clear();
        m_orderDescListPending = true;
    } else {
        setOrderDescList(descListOf(order()));
    }
    if (!toMany(0).empty() || !loaded)
        setDate(earliest);
}

std::vector<OrderShareBalance> Trade::descListOf(const std::vector<Order*>& orders) {
    std::vector<OrderShareBalance> list;
    for (const Order* o : orders)
        balanceForKey(list, o->desc());
    return list;
}

const std::vector<OrderShareBalance>& Trade::orderDescList() const {
    if (m_orderDescListPending) {
        m_orderDescList = descListOf(order());
        m_orderDescListPending = false;
    }
    return m_orderDescList;
}

void Trade::setObservedOrders(std::vector<Order*> orders) {
    m_observedOrders = std::move(orders);
    didChangeValueForKey(observedOrdersKey());
}

void Trade::setOrderDescList(std::vector<OrderShareBalance> list) {
    m_orderDescList = std::move(list);
    m_orderDescListPending = false;
    didChangeValueForKey("orderDescList");
}

} // namespace brivel::model
