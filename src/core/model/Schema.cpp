#include "core/model/AccountStore.h"
#include "core/model/ChartImageFiles.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/store/SqliteStore.h"

#include <fmt/format.h>

namespace brivel::model {

using store::AttributeType;
using store::DeleteRule;
using store::EntityDescription;

namespace {

// The entity is found once, not by name for each of the records an account is loaded into.
template <class T> auto factoryFor(const EntityDescription& entity) {
    return [&entity]() -> std::unique_ptr<store::ManagedObject> {
        return std::make_unique<T>(entity);
    };
}

EntityDescription entity(const char* name) {
    EntityDescription e;
    e.name = name;
    return e;
}

store::AttributeDescription attr(const char* name, AttributeType type, bool required,
                                 std::optional<double> minimum = std::nullopt) {
    store::AttributeDescription a;
    a.name = name;
    a.type = type;
    a.required = required;
    a.minimum = minimum;
    return a;
}

store::RelationshipDescription rel(const char* name, const char* destination, const char* inverse,
                                   bool toMany, DeleteRule rule) {
    store::RelationshipDescription r;
    r.name = name;
    r.destinationName = destination;
    r.inverseName = inverse;
    r.toMany = toMany;
    r.deleteRule = rule;
    return r;
}

// Each scalar key ("priceValue") changes with its stored attribute ("price").
void addScalarTwins(EntityDescription& e, std::initializer_list<const char*> keys) {
    for (const char* k : keys)
        e.keyPathsForValuesAffecting[std::string(k) + "Value"] = {k};
}

store::ObjectModel makeModel() {
    store::ObjectModel m;

    EntityDescription log = entity("Log");
    log.attributes = {attr("date", AttributeType::Date, true)};
    log.relationships = {rel("note", "Note", "log", true, DeleteRule::Cascade),
                         rel("priceBarrier", "PriceBarrier", "log", true, DeleteRule::Cascade)};

    EntityDescription note = entity("Note");
    note.attributes = {
        attr("timestamp", AttributeType::Date, true), attr("ticker", AttributeType::String, false),
        attr("comment", AttributeType::String, false), attr("flag", AttributeType::Boolean, false)};
    note.relationships = {rel("log", "Log", "note", false, DeleteRule::Nullify)};
    addScalarTwins(note, {"flag"});

    EntityDescription barrier = entity("PriceBarrier");
    barrier.attributes = {attr("ticker", AttributeType::String, false),
                          attr("support", AttributeType::Double, false),
                          attr("resistance", AttributeType::Double, false)};
    barrier.relationships = {rel("log", "Log", "priceBarrier", false, DeleteRule::Nullify)};
    addScalarTwins(barrier, {"support", "resistance"});

    EntityDescription trade = entity("Trade");
    trade.attributes = {attr("ticker", AttributeType::String, false),
                        attr("date", AttributeType::Date, false),
                        attr("tradeStrategy", AttributeType::Int16, false),
                        attr("profit", AttributeType::Double, false),
                        attr("profitRatio", AttributeType::Double, false),
                        attr("isClosed", AttributeType::Boolean, false),
                        attr("buyToOpen", AttributeType::Boolean, false)};
    trade.relationships = {rel("order", "Order", "trade", true, DeleteRule::Cascade),
                           rel("chartImg", "ChartImage", "trade", false, DeleteRule::Cascade)};
    addScalarTwins(trade, {"tradeStrategy", "profit", "profitRatio", "isClosed", "buyToOpen"});

    EntityDescription order = entity("Order");
    order.attributes = {attr("date", AttributeType::Date, true),
                        attr("desc", AttributeType::String, false),
                        attr("isBuy", AttributeType::Boolean, false),
                        attr("numShares", AttributeType::Int32, false, 0.0),
                        attr("price", AttributeType::Double, false, 0.0),
                        attr("commission", AttributeType::Double, false, 0.0),
                        attr("reason", AttributeType::String, false)};
    order.relationships = {rel("trade", "Trade", "order", false, DeleteRule::Nullify)};
    addScalarTwins(order, {"price", "numShares", "isBuy", "commission"});

    EntityDescription image = entity("ChartImage");
    image.attributes = {attr("entryImg", AttributeType::String, false),
                        attr("exitImg", AttributeType::String, false)};
    image.relationships = {rel("trade", "Trade", "chartImg", false, DeleteRule::Nullify)};

    for (auto* e : {&log, &note, &barrier, &trade, &order, &image})
        m.addEntity(std::move(*e));
    m.addFetchRequestTemplate("newFetchRequest", [] {
        store::FetchRequest r;
        r.entityName = "Trade";
        r.sortDescriptors = {{"date", true}};
        return r;
    });
    return m;
}

} // namespace

const store::ObjectModel& accountModel() {
    static const store::ObjectModel model = [] {
        store::ObjectModel m = makeModel();
        m.finish();
        return m;
    }();
    // Factories refer to the finished model, so they are set once it has its final address.
    static const bool factoriesSet = [] {
        auto& m = const_cast<store::ObjectModel&>(model);
        for (auto& e : m.entities()) {
            auto* entity = const_cast<EntityDescription*>(e.get());
            const std::string& n = entity->name;
            if (n == "Log")
                entity->factory = factoryFor<Log>(*entity);
            else if (n == "Note")
                entity->factory = factoryFor<Note>(*entity);
            else if (n == "PriceBarrier")
                entity->factory = factoryFor<PriceBarrier>(*entity);
            else if (n == "Trade")
                entity->factory = factoryFor<Trade>(*entity);
            else if (n == "Order")
                entity->factory = factoryFor<Order>(*entity);
            else if (n == "ChartImage")
                entity->factory = factoryFor<ChartImage>(*entity);
        }
        return true;
    }();
    (void)factoriesSet;
    return model;
}

bool createEmptyAccountStore(const std::filesystem::path& path, Error* error) {
    return store::ObjectContext::createStoreFile(accountModel(), path, error);
}

bool checkAccountStore(const std::filesystem::path& path, Error* error) {
    return store::ObjectContext::checkStoreFile(accountModel(), path, error);
}

bool checkRestorableAccountStore(const std::filesystem::path& path, Error* error) {
    auto file = store::SqliteStore::open(accountModel(), path, false, error);
    if (!file)
        return false;
    auto refuse = [&](const std::string& why) {
        if (error) {
            *error = Error{};
            error->domain = errors::StoreDomain;
            error->code = errors::FileReadCorrupt;
            error->localizedDescription = "The account database is damaged or unsafe.";
            error->failureReason = why;
            error->userInfo["NSFilePath"] = path.string();
        }
        return false;
    };
    if (std::string problem = file->quickCheckProblem(); !problem.empty())
        return refuse(problem);
    if (std::string problem = file->identifierProblemWithDuplicates(); !problem.empty())
        return refuse(problem);
    for (const char* attribute : {"entryImg", "exitImg"})
        for (const auto& name : file->textValues("ChartImage", attribute))
            if (!isStoredChartImageName(name))
                return refuse(fmt::format("A chart image name does not name a picture in the "
                                          "account folder: \"{}\".",
                                          name.substr(0, 200)));
    return true;
}

bool copyAccountStore(const std::filesystem::path& from, const std::filesystem::path& to,
                      Error* error) {
    return store::SqliteStore::copyConsistently(from, to, error);
}

std::unique_ptr<store::ObjectContext> openAccountStore(const std::filesystem::path& path,
                                                       Error* error) {
    return store::ObjectContext::open(accountModel(), path, error);
}

} // namespace brivel::model
