#include "core/stats/Figures.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace brivel::stats {

int resultSign(double netProfit) {
    if (netProfit > BreakEvenTolerance)
        return 1;
    if (netProfit < -BreakEvenTolerance)
        return -1;
    return 0;
}

namespace {

// Takes the samples one at a time in equity order.
class Accumulator {
public:
    void add(const TradeSample& s) {
        ++m_f.trades;
        m_f.netProfit += s.netProfit;
        m_f.commissions += s.commissions;
        const int sign = resultSign(s.netProfit);
        if (sign > 0) {
            ++m_f.wins;
            m_f.grossProfit += s.netProfit;
            m_f.largestWin = std::max(m_f.largestWin.value_or(s.netProfit), s.netProfit);
        } else if (sign < 0) {
            ++m_f.losses;
            m_f.grossLoss += s.netProfit;
            m_f.largestLoss = std::min(m_f.largestLoss.value_or(s.netProfit), s.netProfit);
        } else {
            ++m_f.breakEven;
        }
        trackRuns(sign);
        trackDrawdown(s);
        m_holding.push_back(s.closeDate.timeIntervalSince(s.openDate));
    }

    Figures finish() {
        Figures f = m_f;
        if (f.trades == 0)
            return f;
        const auto n = static_cast<double>(f.trades);
        f.winRate = static_cast<double>(f.wins) / n;
        f.expectancy = f.netProfit / n;
        if (f.wins > 0)
            f.averageWin = f.grossProfit / static_cast<double>(f.wins);
        if (f.losses > 0)
            f.averageLoss = f.grossLoss / static_cast<double>(f.losses);
        // Both need a win and a loss: a factor of 0 from losses alone says nothing the loss
        // count does not.
        if (f.averageWin && f.averageLoss) {
            f.profitFactor = f.grossProfit / std::fabs(f.grossLoss);
            f.payoffRatio = *f.averageWin / std::fabs(*f.averageLoss);
        }
        f.maxDrawdown = m_drawdown;
        f.holdingTime = holdingTime();
        return f;
    }

private:
    void trackRuns(int sign) {
        m_winRun = sign > 0 ? m_winRun + 1 : 0;
        m_lossRun = sign < 0 ? m_lossRun + 1 : 0;
        m_f.longestWinRun = std::max(m_f.longestWinRun, m_winRun);
        m_f.longestLossRun = std::max(m_f.longestLossRun, m_lossRun);
    }

    void trackDrawdown(const TradeSample& s) {
        const std::size_t position = m_f.trades - 1;
        m_equity += s.netProfit;
        if (m_equity > m_peak) {
            m_peak = m_equity;
            m_peakDate = s.closeDate;
            m_peakTrade = position;
            return;
        }
        const double fall = m_peak - m_equity;
        if (fall > m_drawdown.amount + BreakEvenTolerance) {
            m_drawdown.amount = fall;
            m_drawdown.peakDate = m_peakDate;
            m_drawdown.peakTrade = m_peakTrade;
            m_drawdown.lowDate = s.closeDate;
            m_drawdown.lowTrade = position;
        }
    }

    HoldingTime holdingTime() {
        HoldingTime h;
        double sum = 0.0;
        for (double d : m_holding)
            sum += d;
        h.average = sum / static_cast<double>(m_holding.size());
        const std::size_t mid = m_holding.size() / 2;
        std::nth_element(m_holding.begin(), m_holding.begin() + static_cast<std::ptrdiff_t>(mid),
                         m_holding.end());
        h.median = m_holding[mid];
        if (m_holding.size() % 2 == 0) {
            const double lower = *std::max_element(
                m_holding.begin(), m_holding.begin() + static_cast<std::ptrdiff_t>(mid));
            h.median = (lower + h.median) / 2.0;
        }
        return h;
    }

    Figures m_f;
    std::size_t m_winRun = 0;
    std::size_t m_lossRun = 0;
    double m_equity = 0.0;
    double m_peak = 0.0;
    std::optional<Date> m_peakDate;
    std::optional<std::size_t> m_peakTrade;
    Drawdown m_drawdown;
    std::vector<double> m_holding;
};

} // namespace

Figures computeFigures(std::span<const TradeSample> samples) {
    Accumulator acc;
    for (const auto& s : samples)
        acc.add(s);
    return acc.finish();
}

Figures computeFigures(std::span<const TradeSample> all, std::span<const std::size_t> positions) {
    Accumulator acc;
    for (std::size_t p : positions)
        acc.add(all[p]);
    return acc.finish();
}

} // namespace brivel::stats
