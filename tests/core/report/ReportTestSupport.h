#pragma once

#include "core/model/AccountStore.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/platform/SystemLog.h"
#include "core/report/StyledText.h"
#include "core/store/ObjectContext.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brivel::report::test {

// Wall-clock time in the named zone, and in America/New_York, the zone every report test runs in.
Date wallClock(const char* zone, int year, int month, int day, int hour, int minute, int second);
Date localTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// The runs of a report as (text, style), an image as ("[image: PATH]", Plain).
using RunList = std::vector<std::pair<std::string, TextStyle>>;
RunList runsOf(const StyledText& text);

// An account in memory with helpers to fill it; the system log is captured.
class ReportFixture : public ::testing::Test {
protected:
    ReportFixture();
    ~ReportFixture() override;

    model::Log* addLog(std::optional<Date> date);
    model::Note* addNote(model::Log* log, std::optional<Date> timestamp,
                         std::optional<std::string> ticker, std::optional<std::string> comment,
                         bool flag = false);
    model::PriceBarrier* addBarrier(model::Log* log, std::optional<std::string> ticker,
                                    std::optional<double> support,
                                    std::optional<double> resistance);
    model::Trade* addTrade(std::optional<std::string> ticker, std::optional<Date> date,
                           double profit = 0, bool closed = false, std::int16_t strategy = 0);
    model::Order* addOrder(model::Trade* trade, std::optional<Date> date, bool buy,
                           std::int32_t shares, std::optional<std::string> desc, double price,
                           double commission = 0);

    store::ObjectContext& context() { return *m_context; }

    std::unique_ptr<store::ObjectContext> m_context;
    MemoryLog m_log;
};

} // namespace brivel::report::test

// Prints runs readably when an expectation fails.
namespace brivel::report {
void PrintTo(TextStyle style, std::ostream* os);
}
