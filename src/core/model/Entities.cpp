#include "core/model/Entities.h"

#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/platform/SystemLog.h"

namespace brivel::model {

void missingContext(const char* source) {
    throw InternalInconsistency(source, "Invalid parameter not satisfying: moc_");
}

std::vector<Note*> LogBase::note() const {
    return typedList<Note>(toMany(0));
}
std::vector<PriceBarrier*> LogBase::priceBarrier() const {
    return typedList<PriceBarrier>(toMany(1));
}
std::vector<Order*> TradeBase::order() const {
    return typedList<Order>(toMany(0));
}

void LogBase::addNoteObject(Note* n) {
    addToMany(0, n);
}
void LogBase::removeNoteObject(Note* n) {
    removeFromMany(0, n);
}
void LogBase::addPriceBarrierObject(PriceBarrier* p) {
    addToMany(1, p);
}
void LogBase::removePriceBarrierObject(PriceBarrier* p) {
    removeFromMany(1, p);
}

Log* NoteBase::log() const {
    return static_cast<Log*>(toOne(0));
}
void NoteBase::setLog(Log* log) {
    setToOne(0, log);
}

Log* PriceBarrierBase::log() const {
    return static_cast<Log*>(toOne(0));
}
void PriceBarrierBase::setLog(Log* log) {
    setToOne(0, log);
}

void TradeBase::addOrderObject(Order* o) {
    addToMany(0, o);
}
void TradeBase::removeOrderObject(Order* o) {
    removeFromMany(0, o);
}
ChartImage* TradeBase::chartImg() const {
    return static_cast<ChartImage*>(toOne(1));
}
void TradeBase::setChartImg(ChartImage* image) {
    setToOne(1, image);
}

Trade* OrderBase::trade() const {
    return static_cast<Trade*>(toOne(0));
}
void OrderBase::setTrade(Trade* trade) {
    setToOne(0, trade);
}

Trade* ChartImageBase::trade() const {
    return static_cast<Trade*>(toOne(0));
}
void ChartImageBase::setTrade(Trade* trade) {
    setToOne(0, trade);
}

std::vector<Trade*> TradeBase::fetchNewFetchRequest(store::ObjectContext* moc_, Error* error) {
    if (!moc_)
        missingContext("_Trade");
    auto request = moc_->model().fetchRequestTemplate("newFetchRequest");
    if (!request)
        throw InternalInconsistency("_Trade",
                                    "Can't find fetch request named \"newFetchRequest\".");
    Error local;
    auto found = moc_->executeFetchRequest(*request, &local);
    if (found.empty() && !local.localizedDescription.empty() && error)
        *error = local;
    return typedList<Trade>(found);
}

std::vector<Trade*> TradeBase::fetchNewFetchRequest(store::ObjectContext* moc_) {
    Error error;
    auto found = fetchNewFetchRequest(moc_, &error);
    if (!error.localizedDescription.empty())
        systemLog().log(error.message());
    return found;
}

} // namespace brivel::model
