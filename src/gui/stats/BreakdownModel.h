#pragma once

#ifndef Q_MOC_RUN
#include "core/stats/StatisticsResult.h"
#include "core/stats/StatsFormatter.h"
#endif

#include <QAbstractTableModel>

namespace brivel::gui {

// Shows the breakdown rows of the statistics view's current result. It keeps no copy: it reads
// the result the view owns, and the view resets it around every replacement of that result.
class BreakdownModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The raw value of a cell for sorting: a number (none sorts lowest) or the key's text.
    static constexpr int SortRole = Qt::UserRole + 1;

    enum Column {
        Key,
        Trades,
        WinRate,
        NetProfit,
        AverageWin,
        AverageLoss,
        ProfitFactor,
        Expectancy,
        MaxDrawdown,
        ColumnCount
    };

    BreakdownModel(const stats::StatsFormatter& formatter, QObject* parent = nullptr);

    // The result to show; null shows nothing. Resets the model.
    void setResult(const stats::StatisticsResult* result);
    const stats::BreakdownRow* rowAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVariant display(const stats::BreakdownRow& row, int column) const;
    QVariant sortValue(const stats::BreakdownRow& row, int column) const;

    const stats::StatsFormatter& m_formatter;
    const stats::StatisticsResult* m_result = nullptr;
};

} // namespace brivel::gui
