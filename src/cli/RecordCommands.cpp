// trades, orders, journal, notes and barriers: the records of one account, changed through the
// same list controllers and record rules as the application's windows.

#include "cli/AccountResolution.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/RecordJson.h"
#include "core/app/PreferenceKeys.h"
#include "core/app/StrategyNames.h"
#include "core/controllers/LogArrayController.h"
#include "core/controllers/NoteArrayController.h"
#include "core/controllers/OrderArrayController.h"
#include "core/controllers/PriceBarrierArrayController.h"
#include "core/controllers/TradeArrayController.h"
#include "core/model/AccountStore.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "core/platform/UserLocale.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <fmt/format.h>
#include <iostream>
#include <limits>
#include <memory>
#include <unicode/datefmt.h>
#include <unicode/numfmt.h>

namespace brivel::cli {

namespace {

using controllers::LogArrayController;
using controllers::NoteArrayController;
using controllers::OrderArrayController;
using controllers::PriceBarrierArrayController;
using controllers::TradeArrayController;
using model::Log;
using model::Note;
using model::Order;
using model::PriceBarrier;
using model::Trade;
using nlohmann::json;

// The moment the record rules take as "now": --date / --time, else the current time.
FixedClock clockAt(const std::optional<std::string>& date) {
    if (!date)
        return FixedClock(SystemClock().now());
    return FixedClock(*parseInputDate(*date)); // checked by the option's validator
}

std::optional<Date> optionalDate(const std::optional<std::string>& text) {
    return text ? parseInputDate(*text) : std::nullopt;
}

controllers::IndexNamesSource configuredIndices() {
    return [] { return app::indexNames(preparedPreferences()); };
}

// One account, opened for one command, with the moment the record rules take as "now" and the
// way confirmations are answered; it makes the list controllers the commands go through.
class AccountSession {
public:
    // Read-only commands take no lock, so that they work while the account is open elsewhere.
    enum Access { Writes, ReadsOnly };

    explicit AccountSession(const std::string& codeOrName,
                            const std::optional<std::string>& now = std::nullopt,
                            bool assumeYes = false, Access access = Writes)
        : m_account(resolveAccount(codeOrName)), m_clock(clockAt(now)), m_prompter(assumeYes) {
        // Held from before the load until the process ends, after the save: nothing another
        // writer saves in between can be overwritten from a stale copy.
        if (access == Writes)
            m_lock = lockAccount(m_account);
        Error error;
        m_context = model::openAccountStore(m_account.databasePath, &error);
        if (!m_context)
            throw CliFailure(fmt::format("cannot open the account \"{}\": {}", m_account.folderCode,
                                         error.message()));
    }

    store::ObjectContext& context() { return *m_context; }
    FixedClock& clock() { return m_clock; }
    TradeArrayController trades() {
        return TradeArrayController(*m_context, m_clock, m_prompter, folderCode());
    }
    LogArrayController journal() {
        return LogArrayController(*m_context, m_clock, m_prompter, configuredIndices());
    }
    const std::string& folderCode() const { return m_account.folderCode; }

    // The record of that entity with that id; CliFailure when there is none.
    template <class T> T* record(const std::string& id, const char* what) {
        store::ObjectID value = 0;
        const char* end = id.data() + id.size();
        auto [ptr, ec] = std::from_chars(id.data(), end, value);
        store::ManagedObject* found =
            ec == std::errc() && ptr == end ? m_context->objectWithID(value) : nullptr;
        auto* typed =
            found && found->entityName() == T::entityName() ? dynamic_cast<T*>(found) : nullptr;
        if (!typed)
            throw CliFailure(fmt::format("the account has no {} with the id \"{}\"", what, id));
        return typed;
    }

    // Lets the deferred work of the change run (a trade's re-evaluation), then saves.
    void save() {
        m_context->manualScheduler().runUntilIdle();
        Error error;
        if (!m_context->save(&error))
            throw CliFailure(fmt::format("the account could not be saved: {}", error.message()));
    }

private:
    ResolvedAccount m_account;
    app::AccountLock m_lock;
    std::unique_ptr<store::ObjectContext> m_context;
    FixedClock m_clock;
    TerminalPrompter m_prompter;
};

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

// ---- Text output, in the environment's locale and time zone ---------------------------------

class TextFormat {
public:
    TextFormat() {
        icu::Locale locale = userLocale();
        m_dates.reset(icu::DateFormat::createDateTimeInstance(icu::DateFormat::kMedium,
                                                              icu::DateFormat::kShort, locale));
        if (m_dates)
            m_dates->adoptTimeZone(userTimeZone().release());
        UErrorCode status = U_ZERO_ERROR;
        m_numbers.reset(icu::NumberFormat::createInstance(locale, status));
        if (U_FAILURE(status))
            m_numbers.reset();
        if (m_numbers) {
            m_numbers->setMinimumFractionDigits(2);
            m_numbers->setMaximumFractionDigits(2);
        }
    }
    std::string date(const std::optional<Date>& d) const {
        if (!d)
            return "-";
        if (!m_dates)
            return isoDate(*d);
        icu::UnicodeString out;
        m_dates->format(d->secondsSince1970 * 1000.0, out);
        return toUtf8(out);
    }
    std::string number(const std::optional<double>& v) const {
        if (!v)
            return "-";
        if (!m_numbers)
            return fmt::format("{:.2f}", *v);
        icu::UnicodeString out;
        m_numbers->format(*v, out);
        return toUtf8(out);
    }
    static std::string text(const std::optional<std::string>& s) { return s ? *s : "-"; }

private:
    std::unique_ptr<icu::DateFormat> m_dates;
    std::unique_ptr<icu::NumberFormat> m_numbers;
};

// ---- Option checks ---------------------------------------------------------------------------

const CLI::Validator DateText(
    [](std::string& text) {
        return parseInputDate(text) ? std::string()
                                    : "not a date: use YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS], "
                                      "optionally with Z or an offset such as +01:00";
    },
    "DATE");

const CLI::Validator Amount(
    [](std::string& text) {
        double v = 0.0;
        try {
            std::size_t used = 0;
            v = std::stod(text, &used);
            if (used != text.size())
                return std::string("not a number: ") + text;
        } catch (const std::exception&) {
            return std::string("not a number: ") + text;
        }
        if (!std::isfinite(v) || v < 0.0)
            return std::string("must be a finite number of 0 or more: ") + text;
        return std::string();
    },
    "AMOUNT");

// ---- trades and orders -----------------------------------------------------------------------

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
    TextFormat f;
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

void registerTrades(CLI::App& app) {
    auto* trades = app.add_subcommand("trades", "List, add, change and delete trades");
    trades->require_subcommand(1);

    auto* list = trades->add_subcommand("list", "The trades, open ones first, then newest first");
    auto listOpts = std::make_shared<TradeOptions>();
    list->add_option("-a,--account", listOpts->account, "Folder code or name")->required();
    list->add_flag("--json", listOpts->json, "Print JSON");
    list->callback([o = listOpts] {
        AccountSession session(o->account, std::nullopt, false, AccountSession::ReadsOnly);
        auto tradeAC = session.trades();
        std::vector<Trade*> shown;
        for (auto* item : tradeAC.arrangedObjects())
            shown.push_back(static_cast<Trade*>(item));
        printTrades(shown, o->json);
    });

    auto* add = trades->add_subcommand("add", "Add a trade; prints its id");
    auto addOpts = std::make_shared<TradeOptions>();
    add->add_option("-a,--account", addOpts->account, "Folder code or name")->required();
    add->add_option("--ticker", addOpts->ticker, "The traded symbol");
    add->add_option("--strategy", addOpts->strategy, "Position in the strategies list");
    add->add_option("--date", addOpts->date, "When the trade was made (default now)")
        ->check(DateText);
    add->callback([o = addOpts] {
        AccountSession session(o->account, o->date);
        auto tradeAC = session.trades();
        Trade* t = tradeAC.newObject();
        tradeAC.addObject(t);
        if (o->ticker)
            t->setTicker(o->ticker);
        if (o->strategy)
            t->setTradeStrategyValue(strategyPosition(*o->strategy));
        session.save();
        std::cout << idText(*t) << '\n';
    });

    auto* set = trades->add_subcommand("set", "Change a trade's ticker or strategy");
    auto setOpts = std::make_shared<TradeOptions>();
    set->add_option("-a,--account", setOpts->account, "Folder code or name")->required();
    set->add_option("ID", setOpts->id, "The trade's id")->required();
    set->add_option("--ticker", setOpts->ticker, "The traded symbol");
    set->add_option("--strategy", setOpts->strategy, "Position in the strategies list");
    set->callback([o = setOpts] {
        AccountSession session(o->account);
        Trade* t = session.record<Trade>(o->id, "trade");
        if (o->ticker)
            t->setTicker(o->ticker);
        if (o->strategy)
            t->setTradeStrategyValue(strategyPosition(*o->strategy));
        session.save();
    });

    auto* remove = trades->add_subcommand("delete", "Delete a trade with its orders and images");
    auto removeOpts = std::make_shared<TradeOptions>();
    remove->add_option("-a,--account", removeOpts->account, "Folder code or name")->required();
    remove->add_option("ID", removeOpts->id, "The trade's id")->required();
    remove->add_flag("--yes", removeOpts->yes, "Do not ask for confirmation");
    remove->callback([o = removeOpts] {
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
        order.setDate(optionalDate(o.date));
}

const CLI::Validator ShareCount(
    [](std::string& text) {
        long long v = 0;
        const char* end = text.data() + text.size();
        auto [ptr, ec] = std::from_chars(text.data(), end, v);
        if (ec != std::errc() || ptr != end || v < 0 ||
            v > std::numeric_limits<std::int32_t>::max())
            return std::string("must be a whole number from 0 to 2147483647: ") + text;
        return std::string();
    },
    "N");

void addOrderValueOptions(CLI::App* command, OrderOptions& o, bool required) {
    auto* side =
        command->add_option("--side", o.side, "buy or sell")->check(CLI::IsMember({"buy", "sell"}));
    auto* shares = command->add_option("--shares", o.shares, "Number of shares")->check(ShareCount);
    auto* price = command->add_option("--price", o.price, "Price per share")->check(Amount);
    if (required) {
        side->required();
        shares->required();
        price->required();
    }
    command->add_option("--desc", o.desc, "Ties the orders of one position together");
    command->add_option("--commission", o.commission, "Commission paid")->check(Amount);
    command->add_option("--reason", o.reason, "Why the order was placed");
    command->add_option("--date", o.date, "When the order was made (default now when adding)")
        ->check(DateText);
}

void registerOrders(CLI::App& app) {
    auto* orders = app.add_subcommand("orders", "Add, change and delete the orders of a trade");
    orders->require_subcommand(1);

    auto* add = orders->add_subcommand("add", "Add an order to a trade; prints its id");
    auto addOpts = std::make_shared<OrderOptions>();
    add->add_option("-a,--account", addOpts->account, "Folder code or name")->required();
    add->add_option("--trade", addOpts->trade, "The trade's id")->required();
    addOrderValueOptions(add, *addOpts, true);
    add->callback([o = addOpts] {
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

    auto* set = orders->add_subcommand("set", "Change an order");
    auto setOpts = std::make_shared<OrderOptions>();
    set->add_option("-a,--account", setOpts->account, "Folder code or name")->required();
    set->add_option("ID", setOpts->id, "The order's id")->required();
    addOrderValueOptions(set, *setOpts, false);
    set->callback([o = setOpts] {
        AccountSession session(o->account);
        applyOrderOptions(*session.record<Order>(o->id, "order"), *o);
        session.save();
    });

    auto* remove = orders->add_subcommand("delete", "Delete an order; its trade is re-evaluated");
    auto removeOpts = std::make_shared<OrderOptions>();
    remove->add_option("-a,--account", removeOpts->account, "Folder code or name")->required();
    remove->add_option("ID", removeOpts->id, "The order's id")->required();
    remove->callback([o = removeOpts] {
        AccountSession session(o->account);
        Order* order = session.record<Order>(o->id, "order");
        auto tradeAC = session.trades();
        if (Trade* trade = order->trade())
            tradeAC.setSelectedObjects({trade});
        OrderArrayController orderAC(session.context(), tradeAC, session.clock());
        orderAC.setSelectedObjects({order});
        if (orderAC.selectedObjects().empty())
            session.context().deleteObject(order); // an order that lost its trade
        else
            orderAC.remove();
        session.save();
    });
}

// ---- journal, notes and barriers -------------------------------------------------------------

struct JournalOptions {
    std::string account, id, log, index;
    std::optional<std::string> date, ticker, comment, flagState;
    std::optional<std::string> support, resistance;
    bool json = false, yes = false, flag = false;
};

void printJournal(const std::vector<Log*>& logs, bool asJson) {
    if (asJson) {
        json out = json::array();
        for (const Log* l : logs)
            out.push_back(logJson(*l));
        printJson(out);
        return;
    }
    TextFormat f;
    for (const Log* l : logs) {
        std::cout << fmt::format("{}  {}\n", idText(*l), f.date(l->date()));
        for (const PriceBarrier* b : sortedRecords(l->priceBarrier(), {{"ticker", true}}))
            std::cout << fmt::format("    barrier {}  {}  support {}  resistance {}\n", idText(*b),
                                     f.text(b->ticker()), f.number(b->support()),
                                     f.number(b->resistance()));
        for (const Note* n : sortedRecords(l->note(), {{"timestamp", true}, {"ticker", true}}))
            std::cout << fmt::format("    note {}  {}  {}  {}{}\n", idText(*n),
                                     f.date(n->timestamp()), f.text(n->ticker()),
                                     n->flagValue() ? "[flagged] " : "", n->comment().value_or(""));
    }
}

void registerJournal(CLI::App& app) {
    auto* journal = app.add_subcommand("journal", "List, add and delete log entries");
    journal->require_subcommand(1);

    auto* list = journal->add_subcommand("list", "The log entries by date");
    auto listOpts = std::make_shared<JournalOptions>();
    list->add_option("-a,--account", listOpts->account, "Folder code or name")->required();
    list->add_flag("--json", listOpts->json, "Print JSON");
    list->callback([o = listOpts] {
        AccountSession session(o->account, std::nullopt, false, AccountSession::ReadsOnly);
        auto logAC = session.journal();
        std::vector<Log*> shown;
        for (auto* item : logAC.arrangedObjects())
            shown.push_back(static_cast<Log*>(item));
        printJournal(shown, o->json);
    });

    auto* add = journal->add_subcommand(
        "add", "Add a log entry with a note and the previous levels per index; prints its id");
    auto addOpts = std::make_shared<JournalOptions>();
    add->add_option("-a,--account", addOpts->account, "Folder code or name")->required();
    add->add_option("--date", addOpts->date, "The entry's day and time (default now)")
        ->check(DateText);
    add->callback([o = addOpts] {
        AccountSession session(o->account, o->date);
        auto logAC = session.journal();
        Log* log = logAC.newObject();
        logAC.addObject(log);
        session.save();
        std::cout << idText(*log) << '\n';
    });

    auto* remove = journal->add_subcommand("delete", "Delete a log entry with its notes");
    auto removeOpts = std::make_shared<JournalOptions>();
    remove->add_option("-a,--account", removeOpts->account, "Folder code or name")->required();
    remove->add_option("ID", removeOpts->id, "The log's id")->required();
    remove->add_flag("--yes", removeOpts->yes, "Do not ask for confirmation");
    remove->callback([o = removeOpts] {
        AccountSession session(o->account, std::nullopt, o->yes);
        Log* log = session.record<Log>(o->id, "log");
        auto logAC = session.journal();
        logAC.setSelectedObjects({log});
        logAC.remove();
        if (!log->isDeleted())
            throw CliFailure("cancelled; the log was not deleted");
        session.save();
    });
}

void applyNoteOptions(Note& note, const JournalOptions& o) {
    if (o.ticker)
        note.setTicker(o.ticker);
    if (o.comment)
        note.setComment(o.comment);
    if (o.flagState)
        note.setFlagValue(*o.flagState == "on");
}

void registerNotes(CLI::App& app) {
    auto* notes = app.add_subcommand("notes", "Add, change and delete the notes of a log");
    notes->require_subcommand(1);

    auto* add = notes->add_subcommand("add", "Add a note to a log; prints its id");
    auto addOpts = std::make_shared<JournalOptions>();
    add->add_option("-a,--account", addOpts->account, "Folder code or name")->required();
    add->add_option("--log", addOpts->log, "The log's id")->required();
    add->add_option("--ticker", addOpts->ticker, "The symbol the note is about");
    add->add_option("--comment", addOpts->comment, "The note's text");
    add->add_flag("--flag", addOpts->flag, "Flag the note");
    add->add_option("--time", addOpts->date, "When the note was taken (default now)")
        ->check(DateText);
    add->callback([o = addOpts] {
        AccountSession session(o->account, o->date);
        Log* log = session.record<Log>(o->log, "log");
        auto logAC = session.journal();
        logAC.setSelectedObjects({log});
        NoteArrayController noteAC(session.context(), logAC, session.clock());
        Note* note = noteAC.newObject();
        noteAC.addObject(note);
        JournalOptions values = *o;
        if (o->flag)
            values.flagState = "on";
        applyNoteOptions(*note, values);
        session.save();
        std::cout << idText(*note) << '\n';
    });

    auto* set = notes->add_subcommand("set", "Change a note");
    auto setOpts = std::make_shared<JournalOptions>();
    set->add_option("-a,--account", setOpts->account, "Folder code or name")->required();
    set->add_option("ID", setOpts->id, "The note's id")->required();
    set->add_option("--ticker", setOpts->ticker, "The symbol the note is about");
    set->add_option("--comment", setOpts->comment, "The note's text");
    set->add_option("--flag", setOpts->flagState, "on or off")->check(CLI::IsMember({"on", "off"}));
    set->add_option("--time", setOpts->date, "When the note was taken")->check(DateText);
    set->callback([o = setOpts] {
        AccountSession session(o->account);
        Note* note = session.record<Note>(o->id, "note");
        applyNoteOptions(*note, *o);
        if (o->date)
            note->setTimestamp(optionalDate(o->date));
        session.save();
    });

    auto* remove = notes->add_subcommand("delete", "Delete a note");
    auto removeOpts = std::make_shared<JournalOptions>();
    remove->add_option("-a,--account", removeOpts->account, "Folder code or name")->required();
    remove->add_option("ID", removeOpts->id, "The note's id")->required();
    remove->callback([o = removeOpts] {
        AccountSession session(o->account);
        Note* note = session.record<Note>(o->id, "note");
        auto logAC = session.journal();
        if (Log* log = note->log())
            logAC.setSelectedObjects({log});
        NoteArrayController noteAC(session.context(), logAC, session.clock());
        noteAC.setSelectedObjects({note});
        if (noteAC.selectedObjects().empty())
            session.context().deleteObject(note); // a note that lost its log
        else
            noteAC.remove();
        session.save();
    });
}

void registerBarriers(CLI::App& app) {
    auto* barriers = app.add_subcommand("barriers", "Set the levels of an index for a log");
    barriers->require_subcommand(1);

    auto* set = barriers->add_subcommand(
        "set", "Set the support and resistance of an index (added to the log when missing)");
    auto o = std::make_shared<JournalOptions>();
    set->add_option("-a,--account", o->account, "Folder code or name")->required();
    set->add_option("--log", o->log, "The log's id")->required();
    set->add_option("--index", o->index, "The index's name, exactly as the log has it")->required();
    set->add_option("--support", o->support, "Support level")->check(Amount);
    set->add_option("--resistance", o->resistance, "Resistance level")->check(Amount);
    set->callback([o] {
        AccountSession session(o->account);
        Log* log = session.record<Log>(o->log, "log");
        auto logAC = session.journal();
        logAC.setSelectedObjects({log});
        PriceBarrierArrayController barrierAC(session.context(), logAC);
        PriceBarrier* barrier = nullptr;
        for (auto* item : barrierAC.arrangedObjects()) {
            auto* b = static_cast<PriceBarrier*>(item);
            if (b->ticker() == o->index) {
                barrier = b;
                break;
            }
        }
        if (!barrier) {
            barrier = dynamic_cast<PriceBarrier*>(barrierAC.add());
            if (!barrier)
                throw CliFailure("the price barrier could not be added");
            barrier->setTicker(o->index);
        }
        if (o->support)
            barrier->setSupportValue(std::stod(*o->support));
        if (o->resistance)
            barrier->setResistanceValue(std::stod(*o->resistance));
        session.save();
    });
}

} // namespace

void registerRecordCommands(CLI::App& app) {
    registerTrades(app);
    registerOrders(app);
    registerJournal(app);
    registerNotes(app);
    registerBarriers(app);
}

} // namespace brivel::cli
