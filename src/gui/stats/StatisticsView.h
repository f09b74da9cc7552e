#pragma once

#include "gui/document/AccountView.h"

#ifndef Q_MOC_RUN
#include "core/stats/StatsFormatter.h"
#include "core/stats/TradeStatistics.h"
#include "core/store/ObjectContext.h"
#include "gui/document/AccountEnvironment.h"
#endif

#include <QList>
#include <QMap>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;

namespace brivel::gui {

class BreakdownModel;
class DailyCalendarWidget;
class EquityCurveWidget;

// The account window's statistics: filters (range, strategy, ticker pattern), the figures of the
// trades they select, the equity curve, a calendar of daily results and a sortable breakdown.
//
// It follows the account: a change of a trade or an order schedules one recomputation through the
// context's scheduler, after the trades' own re-evaluation; every further change before it runs
// joins the same one, so a burst of edits costs one recomputation.
class StatisticsView : public AccountView, private store::ContextListener {
    Q_OBJECT
public:
    explicit StatisticsView(AccountEnvironment& env, QWidget* parent = nullptr);
    ~StatisticsView() override;

    // The filter as the fields give it (an unreadable date field is left out).
    stats::StatsFilter filter() const;
    const stats::StatisticsResult& result() const { return m_result; }
    // Recomputations so far (for tests and the benchmark).
    int recomputationCount() const { return m_recomputations; }
    // Recomputes now, dropping any scheduled recomputation.
    void recompute();

signals:
    // A recomputation has been shown.
    void refreshed();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeFilterRow();
    QWidget* makeFiguresGrid();
    QWidget* makeBreakdown();
    void fillStrategies();
    void scheduleRefresh();
    void showResult();
    void dateEdited(QLineEdit* field);
    void breakdownActivated(const QModelIndex& index);

    // store::ContextListener: what can move a figure.
    void objectsInserted(const std::vector<store::ManagedObject*>& objects) override;
    void objectsDeleted(const std::vector<store::ManagedObject*>& objects) override;
    void objectChanged(store::ManagedObject* object, store::KeyId key) override;
    void contextReset() override;

    AccountEnvironment& m_env;
    stats::StatsFormatter m_formatter;
    stats::StatisticsResult m_result;
    bool m_refreshPending = false;
    int m_recomputations = 0;
    // Lives as long as the view: a scheduled recomputation that comes due later does nothing.
    std::shared_ptr<char> m_alive = std::make_shared<char>();

    QLineEdit* m_fromTF = nullptr;
    QLineEdit* m_toTF = nullptr;
    QComboBox* m_strategyPU = nullptr;
    QLineEdit* m_tickerTF = nullptr;
    QComboBox* m_breakdownPU = nullptr;
    QMap<QString, QLabel*> m_figureLabels;
    QLabel* m_openTradesLabel = nullptr;
    EquityCurveWidget* m_curve = nullptr;
    DailyCalendarWidget* m_calendar = nullptr;
    BreakdownModel* m_breakdownModel = nullptr;
    QSortFilterProxyModel* m_breakdownSort = nullptr;
    QTableView* m_breakdownTV = nullptr;
};

} // namespace brivel::gui
