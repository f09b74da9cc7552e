// trades and orders: the trades of one account, changed through the same list controllers and
// record rules as the application's windows.

#include "cli/AccountSession.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/DateInput.h"
#include "cli/RecordJson.h"
#include "cli/TextFormat.h"
#include "core/app/PreferenceKeys.h"
#include "core/controllers/OrderArrayController.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

namespace brivel::cli {

namespace {

using controllers::OrderArrayController;
using model::Order;
using model::Trade;
using nlohmann::json;

json strategies() {
    return preparedPreferences().arrayForKey(app::prefkeys::ArrayOfStrategies);
}

std::int16_t strategyPosition(int position) {
    const auto count = strategies().size();
    if (position < 0 || static_cast<std::size_t>(position) >= count)
        throw CliFailure(fmt::format("there is no strategy at position {} (the list has {}; see "
                                     "\"brivel-cli strategies list\")",
                                     position, count));
    return static_cast<std::int16_t>(position);
}

struct TradeOptions {
    std::string account, id;
    std::optional<std::string> ticker, date;
    std::optional<int> strategy;
    bool json = false, yes = false;
};

void printTrades(const std::vector<Trade*>& trades, bool asJson) {
    const json lists = strategies();
    if (asJson) {
        json out = json::array();
        for (const Trade* t : trades)
            out.push_back(tradeJson(*t, lists));
        printJson(out);
        return;
    }
    const TextFormat f;
    for (const Trade* t : trades) {
        std::cout << fmt::format("{}  {}  {}  {}  {}  {}\n", idText(*t), f.date(t->date()),
                                 f.text(t->ticker()), f.text(strategyName(*t, lists)),
                                 t->isClosedValue() ? "closed" : "open", f.number(t->profit()));
        for (const Order* o : sortedRecords(t->order(), {{"date", true}}))
            std::cout << fmt::format(
                "    order {}  {}  {}  {} @ {}  commission {}  {}\n", idText(*o), f.date(o->date()),
                o->isBuyValue() ? "buy" : "sell", o->numSharesValue(), f.number(o->price()),
                f.number(o->commission()), f.text(o->desc()));
    }
}

void applyTradeOptions(Trade& trade, const TradeOptions& o) {
    if (o.ticker)
        trade.setTicker(o.ticker);
    if (o.strategy)
        trade.setTradeStrategyValue(strategyPosition(*o.strategy));
}

void registerTradesList(CLI::App* trades) {
    auto* list = trades->add_subcommand("list", "The trades, open ones first, then newest first");
    auto o = std::make_shared<TradeOptions>();
    addAccountOption(list, o->account);
    list->add_flag("--json", o->json, "Print JSON");
    list->callback([o] {
        AccountSession session(o->account, std::nullopt, false, AccountSession::ReadsOnly);
        auto tradeAC = session.trades();
        std::vector<Trade*> shown;
        for (auto* item : tradeAC.arrangedObjects())
            shown.push_back(static_cast<Trade*>(item));
        printTrades(shown, o->json);
    });
}

void registerTradesAdd(CLI::App* trades) {
    auto* add = trades->add_subcommand("add", "Add a trade; prints its id");
    auto o = std::make_shared<TradeOptions>();
    addAccountOption(add, o->account);
    add->add_option("--ticker", o->ticker, "The traded symbol");
    add->add_option("--strategy", o->strategy, "Position in the strategies list");
    add->add_option("--date", o->date, "When the trade was made (default now)")->check(dateText());
    add->callback([o] {
        AccountSession session(o->account, o->date);
        auto tradeAC = session.trades();
        Trade* t = tradeAC.newObject();
        tradeAC.addObject(t);
        applyTradeOptions(*t, *o);
        session.save();
        std::cout << idText(*t) << '\n';
    });
}

void registerTradesSet(CLI::App* trades) {
    auto* set = trades->add_subcommand("set", "Change a trade's ticker or strategy");
    auto o = std::make_shared<TradeOptions>();
    addAccountOption(set, o->account);
    set->add_option("ID", o->id, "The trade's id")->required();
    set->add_option("--ticker", o->ticker, "The traded symbol");
    set->add_option("--strategy", o->strategy, "Position in the strategies list");
    set->callback([o] {
        AccountSession session(o->account);
        applyTradeOptions(*session.record<Trade>(o->id, "trade"), *o);
        session.save();
    });
}

void registerTradesDelete(CLI::App* trades) {
    auto* remove = trades->add_subcommand("delete", "Delete a trade with its orders and images");
    auto o = std::make_shared<TradeOptions>();
    addAccountOption(remove, o->account);
    remove->add_option("ID", o->id, "The trade's id")->required();
    remove->add_flag("--yes", o->yes, "Do not ask for confirmation");
    remove->callback([o] {
        AccountSession session(o->account, std::nullopt, o->yes);
        Trade* t = session.record<Trade>(o->id, "trade");
        auto tradeAC = session.trades();
        tradeAC.setSelectedObjects({t});
        tradeAC.remove();
        if (!t->isDeleted())
            throw CliFailure("cancelled; the trade was not deleted");
        session.save(); // the chart image files go with the saved deletion
    });
}

struct OrderOptions {
    std::string account, id, trade;
    std::optional<std::string> side, desc, reason, date, shares, price, commission;
};

// Fills in what was given; the five observed keys schedule the trade's re-evaluation.
void applyOrderOptions(Order& order, const OrderOptions& o) {
    if (o.side)
        order.setIsBuyValue(*o.side == "buy");
    if (o.shares)
        order.setNumSharesValue(static_cast<std::int32_t>(std::stoll(*o.shares)));
    if (o.price)
        order.setPriceValue(std::stod(*o.price));
    if (o.desc)
        order.setDesc(o.desc);
    if (o.commission)
        order.setCommissionValue(std::stod(*o.commission));
    if (o.reason)
        order.setReason(o.reason);
    if (o.date)
        order.setDate(parseInputDate(*o.date));
}

void addOrderValueOptions(CLI::App* command, OrderOptions& o, bool required) {
    auto* side =
        command->add_option("--side", o.side, "buy or sell")->check(CLI::IsMember({"buy", "sell"}));
    auto* shares =
        command->add_option("--shares", o.shares, "Number of shares")->check(shareCountText());
    auto* price = command->add_option("--price", o.price, "Price per share")->check(amountText());
    if (required) {
        side->required();
        shares->required();
        price->required();
    }
    command->add_option("--desc", o.desc, "Ties the orders of one position together");
    command->add_option("--commission", o.commission, "Commission paid")->check(amountText());
    command->add_option("--reason", o.reason, "Why the order was placed");
    command->add_option("--date", o.date, "When the order was made (default now when adding)")
        ->check(dateText());
}

void registerOrdersAdd(CLI::App* orders) {
    auto* add = orders->add_subcommand("add", "Add an order to a trade; prints its id");
    auto o = std::make_shared<OrderOptions>();
    addAccountOption(add, o->account);
    add->add_option("--trade", o->trade, "The trade's id")->required();
    addOrderValueOptions(add, *o, true);
    add->callback([o] {
        AccountSession session(o->account, o->date);
        Trade* trade = session.record<Trade>(o->trade, "trade");
        auto tradeAC = session.trades();
        tradeAC.setSelectedObjects({trade});
        OrderArrayController orderAC(session.context(), tradeAC, session.clock());
        Order* order = orderAC.newObject();
        orderAC.addObject(order);
        OrderOptions values = *o;
        values.date.reset(); // the record rule has dated it
        applyOrderOptions(*order, values);
        session.save();
        std::cout << idText(*order) << '\n';
    });
}

void registerOrdersSet(CLI::App* orders) {
    auto* set = orders->add_subcommand("set", "Change an order");
    auto o = std::make_shared<OrderOptions>();
    addAccountOption(set, o->account);
    set->add_option("ID", o->id, "The order's id")->required();
    addOrderValueOptions(set, *o, false);
    set->callback([o] {
        AccountSession session(o->account);
        applyOrderOptions(*session.record<Order>(o->id, "order"), *o);
        session.save();
    });
}

void registerOrdersDelete(CLI::App* orders) {
    auto* remove = orders->add_subcommand("delete", "Delete an order; its trade is re-evaluated");
    auto o = std::make_shared<OrderOptions>();
    addAccountOption(remove, o->account);
    remove->add_option("ID", o->id, "The order's id")->required();
    remove->callback([o] {
        AccountSession session(o->account);
        Order* order = session.record<Order>(o->id, "order");
        auto tradeAC = session.trades();
        OrderArrayController(session.context(), tradeAC, session.clock()).removeOrder(*order);
        session.save();
    });
}

} // namespace

void registerTradeCommands(CLI::App& app) {
    auto* trades = app.add_subcommand("trades", "List, add, change and delete trades");
    trades->require_subcommand(1);
    registerTradesList(trades);
    registerTradesAdd(trades);
    registerTradesSet(trades);
    registerTradesDelete(trades);

    auto* orders = app.add_subcommand("orders", "Add, change and delete the orders of a trade");
    orders->require_subcommand(1);
    registerOrdersAdd(orders);
    registerOrdersSet(orders);
    registerOrdersDelete(orders);
}

} // namespace brivel::cli
