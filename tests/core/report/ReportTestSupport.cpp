#include "ReportTestSupport.h"

#include <cstdlib>
#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/timezone.h>

namespace brivel::report {
void PrintTo(TextStyle style, std::ostream* os) {
    auto name = styleAttributes(style).name;
    *os << (name.empty() ? "Plain" : name);
}
} // namespace brivel::report

namespace brivel::report::test {

namespace {

// The tests read dates and numbers as en_US prints them in New York, also when the binary is run
// by hand outside CTest.
class LocaleEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("LC_ALL", "en_US.UTF-8", 1);
        setenv("TZ", "America/New_York", 1);
    }
};

[[maybe_unused]] ::testing::Environment* const g_localeEnvironment =
    ::testing::AddGlobalTestEnvironment(new LocaleEnvironment);

} // namespace

Date wallClock(const char* zone, int year, int month, int day, int hour, int minute, int second) {
    UErrorCode status = U_ZERO_ERROR;
    icu::GregorianCalendar calendar(icu::TimeZone::createTimeZone(icu::UnicodeString(zone)),
                                    status);
    calendar.clear();
    calendar.set(year, month - 1, day, hour, minute, second);
    UDate ms = calendar.getTime(status);
    EXPECT_TRUE(U_SUCCESS(status));
    return Date(ms / 1000.0);
}

Date localTime(int year, int month, int day, int hour, int minute, int second) {
    return wallClock("America/New_York", year, month, day, hour, minute, second);
}

RunList runsOf(const StyledText& text) {
    RunList out;
    for (const auto& run : text.runs()) {
        if (run.isAttachment())
            out.emplace_back("[image: " + text.attachmentOf(run).file.string() + "]",
                             TextStyle::Plain);
        else
            out.emplace_back(std::string(text.textOf(run)), run.style);
    }
    return out;
}

ReportFixture::ReportFixture()
    : m_context(std::make_unique<store::ObjectContext>(model::accountModel())) {
    setSystemLog(&m_log);
}

ReportFixture::~ReportFixture() {
    setSystemLog(nullptr);
}

model::Log* ReportFixture::addLog(std::optional<Date> date) {
    auto* log = model::Log::insertInManagedObjectContext(m_context.get());
    log->setDate(date);
    return log;
}

model::Note* ReportFixture::addNote(model::Log* log, std::optional<Date> timestamp,
                                    std::optional<std::string> ticker,
                                    std::optional<std::string> comment, bool flag) {
    auto* note = model::Note::insertInManagedObjectContext(m_context.get());
    note->setTimestamp(timestamp);
    note->setTicker(ticker);
    note->setComment(comment);
    note->setFlagValue(flag);
    if (log)
        log->addNoteObject(note);
    return note;
}

model::PriceBarrier* ReportFixture::addBarrier(model::Log* log, std::optional<std::string> ticker,
                                               std::optional<double> support,
                                               std::optional<double> resistance) {
    auto* barrier = model::PriceBarrier::insertInManagedObjectContext(m_context.get());
    barrier->setTicker(ticker);
    barrier->setSupport(support);
    barrier->setResistance(resistance);
    log->addPriceBarrierObject(barrier);
    return barrier;
}

model::Trade* ReportFixture::addTrade(std::optional<std::string> ticker, std::optional<Date> date,
                                      double profit, bool closed, std::int16_t strategy) {
    auto* trade = model::Trade::insertInManagedObjectContext(m_context.get());
    trade->setTicker(ticker);
    trade->setDate(date);
    trade->setProfitValue(profit);
    trade->setIsClosedValue(closed);
    trade->setTradeStrategyValue(strategy);
    return trade;
}

model::Order* ReportFixture::addOrder(model::Trade* trade, std::optional<Date> date, bool buy,
                                      std::int32_t shares, std::optional<std::string> desc,
                                      double price, double commission) {
    auto* order = model::Order::insertInManagedObjectContext(m_context.get());
    order->setDate(date);
    order->setIsBuyValue(buy);
    order->setNumSharesValue(shares);
    order->setDesc(desc);
    order->setPriceValue(price);
    order->setCommissionValue(commission);
    trade->addOrderObject(order);
    return order;
}

} // namespace brivel::report::test
