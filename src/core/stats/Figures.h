#pragma once

#include "core/platform/Date.h"
#include "core/store/ManagedObject.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace brivel::stats {

// One counted (closed) trade, as the figures need it.
struct TradeSample {
    store::ObjectID id = 0;
    Date openDate;  // the earliest order date
    Date closeDate; // the latest order date
    double netProfit = 0.0;
    double commissions = 0.0;
    std::int16_t strategy = 0;
    std::string ticker;
};

// The largest fall from a running peak (the start counts as a peak of 0) to a later low.
struct Drawdown {
    double amount = 0.0; // positive
    // The close date of the trade that set the peak; none when the peak is the start.
    std::optional<Date> peakDate;
    // The close date of the trade at the low; none when there was no fall.
    std::optional<Date> lowDate;
    // The positions of those trades among the trades the figures cover, in equity order.
    std::optional<std::size_t> peakTrade;
    std::optional<std::size_t> lowTrade;
};

// First order to close, in seconds.
struct HoldingTime {
    double average = 0.0;
    double median = 0.0;
};

// The performance figures of a set of counted trades. A figure that needs a divisor or a sample
// the set lacks is none, never a division by zero.
struct Figures {
    std::size_t trades = 0;
    std::size_t wins = 0;
    std::size_t losses = 0;
    std::size_t breakEven = 0;
    std::optional<double> winRate; // wins / trades, 0..1
    std::optional<double> averageWin;
    std::optional<double> averageLoss; // negative
    std::optional<double> largestWin;
    std::optional<double> largestLoss; // negative
    double grossProfit = 0.0;
    double grossLoss = 0.0; // negative or 0
    double netProfit = 0.0;
    double commissions = 0.0;
    std::optional<double> profitFactor; // gross profit / |gross loss|; none without a loss or a win
    std::optional<double> expectancy;   // net profit / trades
    std::optional<double> payoffRatio;  // average win / |average loss|
    std::optional<Drawdown> maxDrawdown;
    std::size_t longestWinRun = 0;
    std::size_t longestLossRun = 0; // a break-even ends a run of either kind
    std::optional<HoldingTime> holdingTime;
};

// A profit this close to zero is a break-even: sums of products of decimal prices leave
// floating-point dust that must not turn an even trade into a win or a loss.
inline constexpr double BreakEvenTolerance = 1e-6;

// -1 loss, 0 break-even, +1 win.
int resultSign(double netProfit);

// The figures of samples given in equity order (close date, ties by trade identifier).
Figures computeFigures(std::span<const TradeSample> samples);
// The same for samples given through their positions in a larger, equity-ordered list.
Figures computeFigures(std::span<const TradeSample> all, std::span<const std::size_t> positions);

} // namespace brivel::stats
