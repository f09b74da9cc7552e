#pragma once

// The six record classes of an account. The *Base classes hold only typed accessors; the
// subclasses (named after the entity) hold behaviour.

#include "core/model/ModelSupport.h"

#include <vector>

namespace brivel::model {

class Log;
class Note;
class PriceBarrier;
class Trade;
class Order;
class ChartImage;

using LogID = store::ObjectID;
using NoteID = store::ObjectID;
using PriceBarrierID = store::ObjectID;
using TradeID = store::ObjectID;
using OrderID = store::ObjectID;
using ChartImageID = store::ObjectID;

// Typed views of a to-many relationship.
template <class T> std::vector<T*> typedList(const std::vector<store::ManagedObject*>& list) {
    std::vector<T*> out;
    out.reserve(list.size());
    for (auto* o : list)
        out.push_back(static_cast<T*>(o));
    return out;
}

class LogBase : private store::ManagedObjectStorage<1, 2>, public store::ManagedObject {
public:
    BRIVEL_ENTITY_CLASS_OPERATIONS(Log, _Log, "Log")
    BRIVEL_OBJECT_ATTRIBUTE(Date, date, brivel::Date, 0)
    std::vector<Note*> note() const;
    std::vector<PriceBarrier*> priceBarrier() const;
    store::MutableSet noteSet() { return mutableSetValueForKey("note"); }
    store::MutableSet priceBarrierSet() { return mutableSetValueForKey("priceBarrier"); }
    void addNoteObject(Note* n);
    void removeNoteObject(Note* n);
    void addPriceBarrierObject(PriceBarrier* p);
    void removePriceBarrierObject(PriceBarrier* p);

protected:
    explicit LogBase(const store::EntityDescription& e)
        : ManagedObject(e, m_storageValues, m_storageRelations) {}
};

class NoteBase : private store::ManagedObjectStorage<4, 1>, public store::ManagedObject {
public:
    BRIVEL_ENTITY_CLASS_OPERATIONS(Note, _Note, "Note")
    BRIVEL_OBJECT_ATTRIBUTE(Timestamp, timestamp, brivel::Date, 0)
    BRIVEL_OBJECT_ATTRIBUTE(Ticker, ticker, std::string, 1)
    BRIVEL_OBJECT_ATTRIBUTE(Comment, comment, std::string, 2)
    BRIVEL_SCALAR_ATTRIBUTE(Flag, flag, bool, 3)
    Log* log() const;
    void setLog(Log* log);

protected:
    explicit NoteBase(const store::EntityDescription& e)
        : ManagedObject(e, m_storageValues, m_storageRelations) {}
};

class PriceBarrierBase : private store::ManagedObjectStorage<3, 1>, public store::ManagedObject {
public:
    BRIVEL_ENTITY_CLASS_OPERATIONS(PriceBarrier, _PriceBarrier, "PriceBarrier")
    BRIVEL_OBJECT_ATTRIBUTE(Ticker, ticker, std::string, 0)
    BRIVEL_SCALAR_ATTRIBUTE(Support, support, double, 1)
    BRIVEL_SCALAR_ATTRIBUTE(Resistance, resistance, double, 2)
    Log* log() const;
    void setLog(Log* log);

protected:
    explicit PriceBarrierBase(const store::EntityDescription& e)
        : ManagedObject(e, m_storageValues, m_storageRelations) {}
};

class TradeBase : private store::ManagedObjectStorage<7, 2>, public store::ManagedObject {
public:
    BRIVEL_ENTITY_CLASS_OPERATIONS(Trade, _Trade, "Trade")
    BRIVEL_OBJECT_ATTRIBUTE(Ticker, ticker, std::string, 0)
    BRIVEL_OBJECT_ATTRIBUTE(Date, date, brivel::Date, 1)
    BRIVEL_SCALAR_ATTRIBUTE(TradeStrategy, tradeStrategy, std::int16_t, 2)
    BRIVEL_SCALAR_ATTRIBUTE(Profit, profit, double, 3)
    BRIVEL_SCALAR_ATTRIBUTE(ProfitRatio, profitRatio, double, 4)
    BRIVEL_SCALAR_ATTRIBUTE(IsClosed, isClosed, bool, 5)
    BRIVEL_SCALAR_ATTRIBUTE(BuyToOpen, buyToOpen, bool, 6)
    std::vector<Order*> order() const;
    store::MutableSet orderSet() { return mutableSetValueForKey("order"); }
    void addOrderObject(Order* o);
    void removeOrderObject(Order* o);
    ChartImage* chartImg() const;
    void setChartImg(ChartImage* image);

    // The stored query "newFetchRequest": every trade, oldest first. An error of the run is
    // handed back through error when given.
    static std::vector<Trade*> fetchNewFetchRequest(store::ObjectContext* moc_, Error* error);
    // The same; an error is presented through the system log and the (possibly empty) result
    // returned.
    static std::vector<Trade*> fetchNewFetchRequest(store::ObjectContext* moc_);

protected:
    explicit TradeBase(const store::EntityDescription& e)
        : ManagedObject(e, m_storageValues, m_storageRelations) {}
};

class OrderBase : private store::ManagedObjectStorage<7, 1>, public store::ManagedObject {
public:
    BRIVEL_ENTITY_CLASS_OPERATIONS(Order, _Order, "Order")
    BRIVEL_OBJECT_ATTRIBUTE(Date, date, brivel::Date, 0)
    BRIVEL_OBJECT_ATTRIBUTE(Desc, desc, std::string, 1)
    BRIVEL_SCALAR_ATTRIBUTE(IsBuy, isBuy, bool, 2)
    BRIVEL_SCALAR_ATTRIBUTE(NumShares, numShares, std::int32_t, 3)
    BRIVEL_SCALAR_ATTRIBUTE(Price, price, double, 4)
    BRIVEL_SCALAR_ATTRIBUTE(Commission, commission, double, 5)
    BRIVEL_OBJECT_ATTRIBUTE(Reason, reason, std::string, 6)
    Trade* trade() const;
    void setTrade(Trade* trade);

protected:
    explicit OrderBase(const store::EntityDescription& e)
        : ManagedObject(e, m_storageValues, m_storageRelations) {}
};

class ChartImageBase : private store::ManagedObjectStorage<2, 1>, public store::ManagedObject {
public:
    BRIVEL_ENTITY_CLASS_OPERATIONS(ChartImage, _ChartImage, "ChartImage")
    BRIVEL_OBJECT_ATTRIBUTE(EntryImg, entryImg, std::string, 0)
    BRIVEL_OBJECT_ATTRIBUTE(ExitImg, exitImg, std::string, 1)
    Trade* trade() const;
    void setTrade(Trade* trade);

protected:
    explicit ChartImageBase(const store::EntityDescription& e)
        : ManagedObject(e, m_storageValues, m_storageRelations) {}
};

// The four entities without behaviour of their own.
class Log final : public LogBase {
public:
    explicit Log(const store::EntityDescription& e) : LogBase(e) {}
};
class Note final : public NoteBase {
public:
    explicit Note(const store::EntityDescription& e) : NoteBase(e) {}
};
class PriceBarrier final : public PriceBarrierBase {
public:
    explicit PriceBarrier(const store::EntityDescription& e) : PriceBarrierBase(e) {}
};
class ChartImage final : public ChartImageBase {
public:
    explicit ChartImage(const store::EntityDescription& e) : ChartImageBase(e) {}
};

} // namespace brivel::model
