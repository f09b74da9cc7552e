#include "gui/stats/StatisticsView.h"

#include "gui/stats/BreakdownModel.h"
#include "gui/stats/DailyCalendarWidget.h"
#include "gui/support/ViewTestAccount.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>
#include <optional>

using namespace brivel;
using gui::test::localTime;

namespace {

QString figure(const gui::StatisticsView& view, const char* key) {
    auto* label = view.findChild<QLabel*>(QStringLiteral("figure_") + key);
    return label ? label->text() : QStringLiteral("<missing>");
}

} // namespace

class StatisticsViewTest : public QObject {
    Q_OBJECT

private slots:
    void init() { account.emplace(Date(1710000000.0)); }
    void cleanup() { account.reset(); }

    void showsTheFiguresOfASmallAccount() {
        makeWeek();
        gui::StatisticsView view(account->env());
        QCOMPARE(figure(view, "trades"), "3");
        QCOMPARE(figure(view, "winRate"), "33.3%");
        QCOMPARE(figure(view, "netProfit"), "$80.00");
        QCOMPARE(figure(view, "grossLoss"), "-$110.00");
        QCOMPARE(figure(view, "profitFactor"), "1.73");
        QCOMPARE(figure(view, "breakEven"), "1");
        QVERIFY(figure(view, "maxDrawdown").startsWith("$110.00 ("));
        auto* tip = view.findChild<QLabel*>("figure_profitFactor");
        QVERIFY(tip->toolTip().contains("gross loss"));
        // The breakdown by strategy, sorted by its own order.
        auto* table = view.findChild<QTableView*>("breakdownTV");
        QCOMPARE(table->model()->rowCount(), 2);
        QCOMPARE(table->model()->index(0, 0).data().toString(), "Breakout");
        QCOMPARE(table->model()->index(1, gui::BreakdownModel::NetProfit).data().toString(),
                 "-$110.00");
    }

    void anOrderEditThatClosesATradeUpdatesOnce() {
        makeWeek();
        auto* open = model::Trade::insertInManagedObjectContext(&account->context());
        open->setTicker(std::string("NVDA"));
        addOrder(open, true, 10, 100, localTime(2024, 3, 7, 10));
        account->settle();
        auto view = std::make_unique<gui::StatisticsView>(account->env());
        QCOMPARE(figure(*view, "openTrades"), "1 (NVDA 10)");
        QSignalSpy refreshed(view.get(), &gui::StatisticsView::refreshed);

        // The sell order typed in field by field: a burst of edits, then the trade closes.
        addOrder(open, false, 10, 103, localTime(2024, 3, 7, 15), 1);
        QCOMPARE(refreshed.count(), 0); // nothing inside the change notifications
        account->settle();
        QCOMPARE(refreshed.count(), 1);
        QCOMPARE(figure(*view, "trades"), "4");
        QCOMPARE(figure(*view, "netProfit"), "$109.00");
        QCOMPARE(figure(*view, "openTrades"), "0");

        // Reopening it takes it out again, with one more recomputation.
        open->order().back()->setNumSharesValue(4);
        account->settle();
        QCOMPARE(refreshed.count(), 2);
        QCOMPARE(figure(*view, "trades"), "3");
        QCOMPARE(figure(*view, "openTrades"), "1 (NVDA 6)");

        // A refresh scheduled after the view is gone does nothing.
        model::Trade::insertInManagedObjectContext(&account->context())
            ->setTicker(std::string("X"));
        view.reset();
        QVERIFY(account->context().manualScheduler().runUntilIdle() >= 1);
    }

    void filtersSelectTheTrades() {
        makeWeek();
        gui::StatisticsView view(account->env());
        auto* ticker = view.findChild<QLineEdit*>("tickerTF");
        ticker->setText("msf?");
        emit ticker->editingFinished();
        account->settle();
        QCOMPARE(figure(view, "trades"), "1");
        ticker->clear();
        emit ticker->editingFinished();
        view.findChild<QComboBox*>("strategyPU")->setCurrentIndex(1); // Breakout
        account->settle();
        QCOMPARE(figure(view, "trades"), "2");
        // One on construction, one per burst: the two changes above made one.
        QCOMPARE(view.recomputationCount(), 3);

        auto* to = view.findChild<QLineEdit*>("toDateTF");
        to->setText("3/4/24");
        emit to->editingFinished();
        QCOMPARE(to->text(), "Mar 4, 2024");
        account->settle();
        QCOMPARE(figure(view, "trades"), "1"); // the whole of Monday

        to->setText("no date");
        emit to->editingFinished();
        account->settle();
        QCOMPARE(figure(view, "trades"), "1"); // unchanged: the bad text schedules nothing
        QVERIFY(!view.filter().to);
    }

    void breakdownTableAndCalendarAskForTheirTrades() {
        makeWeek();
        gui::StatisticsView view(account->env());
        view.resize(1100, 700);
        auto* kind = view.findChild<QComboBox*>("breakdownPU");
        kind->setCurrentIndex(kind->findData(int(stats::BreakdownKind::Ticker)));
        account->settle();
        auto* table = view.findChild<QTableView*>("breakdownTV");
        QAbstractItemModelTester tester(table->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(table->model()->rowCount(), 2);
        // Sorting by net profit, highest first, puts AAPL (+190) on top.
        table->sortByColumn(gui::BreakdownModel::NetProfit, Qt::DescendingOrder);
        QCOMPARE(table->model()->index(0, 0).data().toString(), "AAPL");
        table->sortByColumn(gui::BreakdownModel::NetProfit, Qt::AscendingOrder);
        QCOMPARE(table->model()->index(0, 0).data().toString(), "MSFT");

        QSignalSpy asked(&view, &gui::StatisticsView::showTradesRequested);
        emit table->doubleClicked(table->model()->index(1, 3));
        QCOMPARE(asked.count(), 1);
        QCOMPARE(asked.at(0).at(0).value<QList<qint64>>().size(), 2); // AAPL's two trades

        view.show();
        auto* calendar = view.findChild<gui::DailyCalendarWidget*>("dailyCalendar");
        const QRect tuesday = calendar->rectOfDay({2024, 3, 5});
        QVERIFY(!tuesday.isEmpty());
        QTest::mouseDClick(calendar, Qt::LeftButton, {}, tuesday.center());
        QCOMPARE(asked.count(), 2);
        QCOMPARE(asked.at(1).at(0).value<QList<qint64>>().size(), 1);
        QVERIFY(!calendar->dayAt(calendar->rectOfDay({2024, 3, 9}).center())); // no trades
    }

private:
    void addOrder(model::Trade* trade, bool buy, int shares, double price, Date date,
                  double commission = 0) {
        auto* o = account->addOrder(trade, buy, shares, price, "A");
        o->setDate(date);
        o->setCommissionValue(commission);
    }
    // Buys at open, sells at close, then lets the bookkeeping close the trade.
    void roundTrip(const char* ticker, std::int16_t strategy, Date open, Date close, int shares,
                   double buy, double sell, double commission = 0) {
        auto* t = model::Trade::insertInManagedObjectContext(&account->context());
        t->setTicker(std::string(ticker));
        t->setTradeStrategyValue(strategy);
        addOrder(t, true, shares, buy, open, commission);
        addOrder(t, false, shares, sell, close, commission);
        account->settle();
    }
    // +190 Breakout AAPL Monday, -110 Pullback MSFT Tuesday, 0 Breakout AAPL Wednesday.
    void makeWeek() {
        roundTrip("AAPL", 0, localTime(2024, 3, 4, 10), localTime(2024, 3, 4, 15), 100, 10, 12, 5);
        roundTrip("MSFT", 1, localTime(2024, 3, 5, 10), localTime(2024, 3, 5, 11), 50, 20, 18, 5);
        roundTrip("AAPL", 0, localTime(2024, 3, 6, 9, 30), localTime(2024, 3, 6, 16), 10, 50, 50);
    }

    std::optional<gui::test::ViewTestAccount> account;
};

QTEST_MAIN(StatisticsViewTest)
#include "StatisticsViewTest.moc"
