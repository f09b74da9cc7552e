#pragma once

#ifndef Q_MOC_RUN
#include "core/app/Preferences.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "core/platform/SystemLog.h"
#include "core/store/ObjectContext.h"
#include "gui/document/AccountEnvironment.h"
#include "support/TempDir.h"
#endif

#include <QImage>
#include <memory>
#include <optional>
#include <string>

namespace brivel::gui::test {

// Local wall-clock time in the zone the tests run in (TZ).
Date localTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// A plausible chart: a price line over a grid, in the given size.
QImage makeChart(int width, int height);

// An account on disk ("CODE/database.brdb" in a temporary support folder, or in root when given,
// where another account may already lie), with preferences on a temporary file (three strategies
// and the indices NASDAQ and DOW), a fixed clock, scripted answers and the system log captured:
// everything a view of an account window is built from.
class ViewTestAccount {
public:
    explicit ViewTestAccount(Date now = Date(1'700'000'000.0), const std::string& code = "B0W1",
                             const std::filesystem::path& root = {});
    ~ViewTestAccount();

    AccountEnvironment& env() { return *m_env; }
    store::ObjectContext& context() { return *m_context; }
    app::Preferences& preferences() { return *m_preferences; }
    const std::filesystem::path& folder() const { return m_folder; }
    const std::string& code() const { return m_code; }

    model::Log* addLog(Date date);
    model::Note* addNote(model::Log* log, Date timestamp, std::optional<std::string> ticker,
                         std::optional<std::string> comment, bool flag = false);
    model::PriceBarrier* addBarrier(model::Log* log, std::string ticker, double support,
                                    double resistance);
    // A closed trade of two orders (buy, then sell an hour later) with chart image names.
    model::Trade* addTrade(const std::string& ticker, Date date, double buy, double sell,
                           int shares, const std::string& strategyNote = "Breakout above range");
    // Adds an order dated `day` days after the clock's start, as the order list would.
    model::Order* addOrder(model::Trade* trade, bool buy, int shares, double price,
                           const std::string& desc, double day = 0);
    // Lets the bookkeeping run and ends the event.
    void settle();
    // Writes a chart picture (width x height) under the trade's entry and exit names.
    void writeChartImages(model::Trade* trade, int width, int height);

    // A few realistic days of journal (notes, flags, levels) and trades around them, starting
    // on the given day.
    void fillSample(Date firstDay, int days);

    // Ends the undo group of the current "user event", as the window does after every event.
    void endEvent() { m_context->undoManager().endEventGroup(); }

    FixedClock clock;
    ScriptedPrompter prompter;
    MemoryLog memoryLog;

private:
    brivel::test::TempDir m_dir;
    std::string m_code;
    std::filesystem::path m_folder;
    std::unique_ptr<store::ObjectContext> m_context;
    std::unique_ptr<app::Preferences> m_preferences;
    std::unique_ptr<AccountEnvironment> m_env;
};

} // namespace brivel::gui::test
