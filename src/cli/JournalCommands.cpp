// journal, notes and barriers: the daily journal of one account, changed through the same list
// controllers and record rules as the application's windows.

#include "cli/AccountSession.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/DateInput.h"
#include "cli/RecordJson.h"
#include "cli/TextFormat.h"
#include "core/controllers/NoteArrayController.h"
#include "core/controllers/PriceBarrierArrayController.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

namespace brivel::cli {

namespace {

using controllers::NoteArrayController;
using controllers::PriceBarrierArrayController;
using model::Log;
using model::Note;
using model::PriceBarrier;
using nlohmann::json;

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
    const TextFormat f;
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

void registerJournalList(CLI::App* journal) {
    auto* list = journal->add_subcommand("list", "The log entries by date");
    auto o = std::make_shared<JournalOptions>();
    addAccountOption(list, o->account);
    list->add_flag("--json", o->json, "Print JSON");
    list->callback([o] {
        AccountSession session(o->account, std::nullopt, false, AccountSession::ReadsOnly);
        auto logAC = session.journal();
        std::vector<Log*> shown;
        for (auto* item : logAC.arrangedObjects())
            shown.push_back(static_cast<Log*>(item));
        printJournal(shown, o->json);
    });
}

void registerJournalAdd(CLI::App* journal) {
    auto* add = journal->add_subcommand(
        "add", "Add a log entry with a note and the previous levels per index; prints its id");
    auto o = std::make_shared<JournalOptions>();
    addAccountOption(add, o->account);
    add->add_option("--date", o->date, "The entry's day and time (default now)")->check(dateText());
    add->callback([o] {
        AccountSession session(o->account, o->date);
        auto logAC = session.journal();
        Log* log = logAC.newObject();
        logAC.addObject(log);
        session.save();
        std::cout << idText(*log) << '\n';
    });
}

void registerJournalDelete(CLI::App* journal) {
    auto* remove = journal->add_subcommand("delete", "Delete a log entry with its notes");
    auto o = std::make_shared<JournalOptions>();
    addAccountOption(remove, o->account);
    remove->add_option("ID", o->id, "The log's id")->required();
    remove->add_flag("--yes", o->yes, "Do not ask for confirmation");
    remove->callback([o] {
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

void registerNotesAdd(CLI::App* notes) {
    auto* add = notes->add_subcommand("add", "Add a note to a log; prints its id");
    auto o = std::make_shared<JournalOptions>();
    addAccountOption(add, o->account);
    add->add_option("--log", o->log, "The log's id")->required();
    add->add_option("--ticker", o->ticker, "The symbol the note is about");
    add->add_option("--comment", o->comment, "The note's text");
    add->add_flag("--flag", o->flag, "Flag the note");
    add->add_option("--time", o->date, "When the note was taken (default now)")->check(dateText());
    add->callback([o] {
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
}

void registerNotesSet(CLI::App* notes) {
    auto* set = notes->add_subcommand("set", "Change a note");
    auto o = std::make_shared<JournalOptions>();
    addAccountOption(set, o->account);
    set->add_option("ID", o->id, "The note's id")->required();
    set->add_option("--ticker", o->ticker, "The symbol the note is about");
    set->add_option("--comment", o->comment, "The note's text");
    set->add_option("--flag", o->flagState, "on or off")->check(CLI::IsMember({"on", "off"}));
    set->add_option("--time", o->date, "When the note was taken")->check(dateText());
    set->callback([o] {
        AccountSession session(o->account);
        Note* note = session.record<Note>(o->id, "note");
        applyNoteOptions(*note, *o);
        if (o->date)
            note->setTimestamp(parseInputDate(*o->date));
        session.save();
    });
}

void registerNotesDelete(CLI::App* notes) {
    auto* remove = notes->add_subcommand("delete", "Delete a note");
    auto o = std::make_shared<JournalOptions>();
    addAccountOption(remove, o->account);
    remove->add_option("ID", o->id, "The note's id")->required();
    remove->callback([o] {
        AccountSession session(o->account);
        Note* note = session.record<Note>(o->id, "note");
        auto logAC = session.journal();
        NoteArrayController(session.context(), logAC, session.clock()).removeNote(*note);
        session.save();
    });
}

// The log's barrier of that index, added when the log has none.
PriceBarrier& barrierOfIndex(PriceBarrierArrayController& barrierAC, const std::string& index) {
    for (auto* item : barrierAC.arrangedObjects()) {
        auto* b = static_cast<PriceBarrier*>(item);
        if (b->ticker() == index)
            return *b;
    }
    auto* added = dynamic_cast<PriceBarrier*>(barrierAC.add());
    if (!added)
        throw CliFailure("the price barrier could not be added");
    added->setTicker(index);
    return *added;
}

void registerBarriersSet(CLI::App* barriers) {
    auto* set = barriers->add_subcommand(
        "set", "Set the support and resistance of an index (added to the log when missing)");
    auto o = std::make_shared<JournalOptions>();
    addAccountOption(set, o->account);
    set->add_option("--log", o->log, "The log's id")->required();
    set->add_option("--index", o->index, "The index's name, exactly as the log has it")->required();
    set->add_option("--support", o->support, "Support level")->check(amountText());
    set->add_option("--resistance", o->resistance, "Resistance level")->check(amountText());
    set->callback([o] {
        AccountSession session(o->account);
        Log* log = session.record<Log>(o->log, "log");
        auto logAC = session.journal();
        logAC.setSelectedObjects({log});
        PriceBarrierArrayController barrierAC(session.context(), logAC);
        PriceBarrier& barrier = barrierOfIndex(barrierAC, o->index);
        if (o->support)
            barrier.setSupportValue(std::stod(*o->support));
        if (o->resistance)
            barrier.setResistanceValue(std::stod(*o->resistance));
        session.save();
    });
}

} // namespace

void registerJournalCommands(CLI::App& app) {
    auto* journal = app.add_subcommand("journal", "List, add and delete log entries");
    journal->require_subcommand(1);
    registerJournalList(journal);
    registerJournalAdd(journal);
    registerJournalDelete(journal);

    auto* notes = app.add_subcommand("notes", "Add, change and delete the notes of a log");
    notes->require_subcommand(1);
    registerNotesAdd(notes);
    registerNotesSet(notes);
    registerNotesDelete(notes);

    auto* barriers = app.add_subcommand("barriers", "Set the levels of an index for a log");
    barriers->require_subcommand(1);
    registerBarriersSet(barriers);
}

} // namespace brivel::cli
