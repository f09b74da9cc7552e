#include "core/stats/StatsFormatter.h"

#include "core/platform/UserLocale.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <unicode/datefmt.h>
#include <unicode/numfmt.h>
#include <unicode/timezone.h>

namespace brivel::stats {

struct StatsFormatter::Formats {
    std::unique_ptr<icu::NumberFormat> money, percent, ratio, count;
    std::unique_ptr<icu::DateFormat> dateTime, day;
};

namespace {

std::unique_ptr<icu::NumberFormat> made(icu::NumberFormat* format) {
    return std::unique_ptr<icu::NumberFormat>(format);
}

std::string formatted(const icu::NumberFormat* format, double value) {
    if (!format)
        return fmt::format("{:.2f}", value);
    icu::UnicodeString text;
    format->format(value, text);
    return toUtf8(text);
}

struct Definition {
    const char* key;
    const char* label;
    const char* text;
};

// The figures in reading order, with how each is worked out.
const Definition Definitions[] = {
    {"trades", "Trades",
     "Closed trades whose close date (the latest of their orders' dates) lies in the range, both "
     "ends included, and that pass the strategy and ticker filters."},
    {"wins", "Wins", "Trades with a net profit above zero."},
    {"losses", "Losses", "Trades with a net profit below zero."},
    {"breakEven", "Break-even", "Trades with a net profit of zero (to a millionth)."},
    {"winRate", "Win rate", "Wins divided by trades."},
    {"netProfit", "Net profit",
     "Sum of the trades' net profits: sale proceeds less purchase costs less all commissions."},
    {"grossProfit", "Gross profit", "Sum of the net profits of the wins."},
    {"grossLoss", "Gross loss", "Sum of the net profits of the losses (negative)."},
    {"commissions", "Commissions",
     "Sum of the commissions of the trades' orders, already taken off the net profit."},
    {"averageWin", "Average win", "Gross profit divided by the number of wins."},
    {"averageLoss", "Average loss", "Gross loss divided by the number of losses (negative)."},
    {"largestWin", "Largest win", "The highest net profit of a win."},
    {"largestLoss", "Largest loss", "The lowest net profit of a loss (negative)."},
    {"profitFactor", "Profit factor",
     "Gross profit divided by the size of the gross loss; none without a loss or a win."},
    {"expectancy", "Expectancy", "Net profit divided by trades: the average result of a trade."},
    {"payoffRatio", "Payoff ratio",
     "Average win divided by the size of the average loss; none without wins or losses."},
    {"maxDrawdown", "Maximum drawdown",
     "The largest fall of the equity curve (cumulative net profit in close-date order, ties by "
     "trade, starting at 0) from a running peak to a later low, with the dates of peak and low; "
     "the start counts as a peak of 0."},
    {"longestWinRun", "Longest winning run",
     "Most wins in a row in close-date order; a break-even ends a run."},
    {"longestLossRun", "Longest losing run",
     "Most losses in a row in close-date order; a break-even ends a run."},
    {"holdingTime.average", "Average holding time",
     "Mean time from a trade's first order to its close."},
    {"holdingTime.median", "Median holding time",
     "Middle time from a trade's first order to its close."},
};

} // namespace

StatsFormatter::StatsFormatter() : m_formats(std::make_unique<Formats>()) {
    const icu::Locale locale = userLocale();
    UErrorCode status = U_ZERO_ERROR;
    m_formats->money = made(icu::NumberFormat::createCurrencyInstance(locale, status));
    status = U_ZERO_ERROR;
    m_formats->percent = made(icu::NumberFormat::createPercentInstance(locale, status));
    if (m_formats->percent)
        m_formats->percent->setMaximumFractionDigits(1);
    status = U_ZERO_ERROR;
    m_formats->ratio = made(icu::NumberFormat::createInstance(locale, status));
    if (m_formats->ratio) {
        m_formats->ratio->setMinimumFractionDigits(2);
        m_formats->ratio->setMaximumFractionDigits(2);
    }
    status = U_ZERO_ERROR;
    m_formats->count = made(icu::NumberFormat::createInstance(locale, status));
    if (m_formats->count)
        m_formats->count->setMaximumFractionDigits(0);
    m_formats->dateTime.reset(icu::DateFormat::createDateTimeInstance(
        icu::DateFormat::kShort, icu::DateFormat::kShort, locale));
    if (m_formats->dateTime)
        m_formats->dateTime->adoptTimeZone(userTimeZone().release());
    m_formats->day.reset(icu::DateFormat::createDateInstance(icu::DateFormat::kMedium, locale));
    if (m_formats->day)
        m_formats->day->adoptTimeZone(icu::TimeZone::getGMT()->clone());
}

StatsFormatter::~StatsFormatter() = default;

std::string StatsFormatter::money(double amount) const {
    // No "-$0.00" for dust.
    return formatted(m_formats->money.get(), std::fabs(amount) < 0.005 ? 0.0 : amount);
}

std::string StatsFormatter::percent(double fraction) const {
    return formatted(m_formats->percent.get(), fraction);
}

std::string StatsFormatter::ratio(double value) const {
    return formatted(m_formats->ratio.get(), value);
}

std::string StatsFormatter::count(std::size_t n) const {
    return formatted(m_formats->count.get(), static_cast<double>(n));
}

std::string StatsFormatter::duration(double seconds) {
    const auto total = static_cast<long long>(std::llround(std::max(0.0, seconds)));
    const long long d = total / 86400, h = total % 86400 / 3600, m = total % 3600 / 60;
    if (d > 0)
        return h > 0 ? fmt::format("{}d {}h", d, h) : fmt::format("{}d", d);
    if (h > 0)
        return m > 0 ? fmt::format("{}h {}m", h, m) : fmt::format("{}h", h);
    if (m > 0)
        return fmt::format("{}m", m);
    return fmt::format("{}s", total);
}

std::string StatsFormatter::dateTime(Date date) const {
    if (!m_formats->dateTime)
        return {};
    icu::UnicodeString text;
    m_formats->dateTime->format(date.secondsSince1970 * 1000.0, text);
    return toUtf8(text);
}

std::string StatsFormatter::day(CivilDay d) const {
    if (!m_formats->day)
        return d.isoText();
    icu::UnicodeString text;
    const double noon = static_cast<double>(LocalCalendar::daysFromCivil(d)) * 86400.0 + 43200.0;
    m_formats->day->format(noon * 1000.0, text);
    return toUtf8(text);
}

std::vector<FigureRow> StatsFormatter::definitions() {
    std::vector<FigureRow> out;
    for (const auto& d : Definitions)
        out.push_back({d.key, d.label, std::string(None), d.text});
    return out;
}

std::vector<FigureRow> StatsFormatter::rows(const Figures& f) const {
    auto rows = definitions();
    auto moneyOr = [&](const std::optional<double>& v) {
        return v ? money(*v) : std::string(None);
    };
    auto ratioOr = [&](const std::optional<double>& v) {
        return v ? ratio(*v) : std::string(None);
    };
    std::string drawdown(None);
    if (f.maxDrawdown) {
        const auto& dd = *f.maxDrawdown;
        drawdown = money(dd.amount);
        if (dd.lowDate) {
            const LocalCalendar calendar;
            drawdown += fmt::format(" ({} \u2192 {})",
                                    dd.peakDate ? day(calendar.dayOf(*dd.peakDate)) : "start",
                                    day(calendar.dayOf(*dd.lowDate)));
        }
    }
    const std::string values[] = {
        count(f.trades),
        count(f.wins),
        count(f.losses),
        count(f.breakEven),
        f.winRate ? percent(*f.winRate) : std::string(None),
        money(f.netProfit),
        money(f.grossProfit),
        money(f.grossLoss),
        money(f.commissions),
        moneyOr(f.averageWin),
        moneyOr(f.averageLoss),
        moneyOr(f.largestWin),
        moneyOr(f.largestLoss),
        ratioOr(f.profitFactor),
        moneyOr(f.expectancy),
        ratioOr(f.payoffRatio),
        drawdown,
        count(f.longestWinRun),
        count(f.longestLossRun),
        f.holdingTime ? duration(f.holdingTime->average) : std::string(None),
        f.holdingTime ? duration(f.holdingTime->median) : std::string(None),
    };
    static_assert(sizeof(values) / sizeof(values[0]) ==
                  sizeof(Definitions) / sizeof(Definitions[0]));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].value = values[i];
    return rows;
}

} // namespace brivel::stats
