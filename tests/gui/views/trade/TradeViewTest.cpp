// The trade view: its orderings, the editing of trades and orders through the tables, the wells
// following the selection, the enlarged image, the closing hint and the pictures of a deleted
// trade coming back with Undo. The rows' colours are TradeListTableViewTest's; pastes still
// under way when their trade goes or the window closes are ChartImageWellTest's.

#include "gui/views/trade/TradeView.h"
#include "core/app/TradeClosingHint.h"
#include "gui/ArrayControllerModel.h"
#include "gui/support/ViewTestAccount.h"
#include "gui/views/trade/ChartImageWell.h"
#include "gui/views/trade/EnlargedImgPanel.h"
#include "gui/views/trade/TradeClosingHintPanel.h"
#include "gui/views/trade/TradeListTableView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTextBrowser>
#include <QtTest>

using namespace brivel;
using namespace brivel::test;
using gui::TradeView;
using gui::test::makeChart;
using gui::test::ViewTestAccount;
namespace fs = std::filesystem;

namespace {

model::Trade* addTrade(ViewTestAccount& account, TradeView& view, const std::string& ticker) {
    auto* t = view.tradeAC().newObject();
    view.tradeAC().addObject(t);
    t->setTicker(ticker);
    account.settle();
    return t;
}

std::vector<std::string> tickers(TradeView& view) {
    std::vector<std::string> out;
    for (auto* o : view.tradeAC().arrangedObjects())
        out.push_back(o->valueForKey("ticker").toString());
    return out;
}

QString cell(QAbstractItemModel* model, int row, int column) {
    return model->index(row, column).data().toString();
}

} // namespace

class TradeViewTest : public QObject {
    Q_OBJECT

private slots:
    void ordersTheListAndNarrowsItToTheTradesAskedFor() {
        ViewTestAccount account;
        TradeView view(account.env());
        auto* older = addTrade(account, view, "OLD");
        account.addOrder(older, true, 10, 5, "x", 1);
        account.addOrder(older, false, 10, 6, "x", 2);
        auto* newer = addTrade(account, view, "NEW");
        account.addOrder(newer, true, 10, 5, "x", 5);
        account.addOrder(newer, false, 10, 4, "x", 6);
        auto* open = addTrade(account, view, "OPEN");
        account.addOrder(open, true, 10, 5, "x", 0);
        account.settle();
        view.tradeAC().rearrangeObjects();
        QCOMPARE(tickers(view), (std::vector<std::string>{"OPEN", "NEW", "OLD"}));

        view.tradeList()->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
        QCOMPARE(tickers(view), (std::vector<std::string>{"NEW", "OLD", "OPEN"}));
        view.tradeList()->horizontalHeader()->setSortIndicator(4, Qt::DescendingOrder);
        QCOMPARE(tickers(view), (std::vector<std::string>{"OLD", "OPEN", "NEW"}));
        view.resetTradeSort();
        QCOMPARE(tickers(view), (std::vector<std::string>{"OPEN", "NEW", "OLD"}));
        QCOMPARE(view.tradeList()->horizontalHeader()->sortIndicatorSection(), -1);

        // The order list: oldest first.
        view.tradeAC().setSelectedObjects({newer});
        QCOMPARE(view.orderModel()->rowCount(), 2);
        QCOMPARE(cell(view.orderModel(), 0, 2), QStringLiteral("Buy"));
        QCOMPARE(cell(view.orderModel(), 1, 2), QStringLiteral("Sell"));

        // Trades asked for narrow the list until Show All. An identifier no trade has is
        // ignored; the first listed trade is selected.
        auto* bar = view.findChild<QWidget*>("narrowedBar");
        QVERIFY(bar && bar->isHidden());
        view.selectTrades({older->objectID(), open->objectID(), 999999});
        auto listed = tickers(view);
        std::sort(listed.begin(), listed.end());
        QCOMPARE(listed, (std::vector<std::string>{"OLD", "OPEN"}));
        QVERIFY(!bar->isHidden());
        QCOMPARE(view.findChild<QLabel*>("narrowedLabel")->text(),
                 QStringLiteral("Showing 2 trades from Statistics."));
        QCOMPARE(view.tradeAC().selectionIndexes(), (std::vector<std::size_t>{0}));
        // A trade added meanwhile stays in sight.
        auto* added = addTrade(account, view, "ADDED");
        QCOMPARE(tickers(view).size(), std::size_t(3));
        view.tradeAC().setSelectedObjects({added});
        view.showAllTrades();
        QCOMPARE(tickers(view).size(), std::size_t(4));
        QVERIFY(bar->isHidden());
        QCOMPARE(view.tradeAC().selectedObjects(), (std::vector<store::KeyValueCoding*>{added}));
    }

    void showsWhatATraderReadsAtAGlanceAndKeepsAStrategyOutsideTheList() {
        ViewTestAccount account;
        TradeView view(account.env());
        auto* t = addTrade(account, view, "AAPL");
        t->setTradeStrategyValue(7);
        account.addOrder(t, true, 100, 10, "long", 0);
        account.addOrder(t, true, 50, 11, "long", 1);
        account.addOrder(t, false, 150, 12, "long", 2);
        account.settle();
        auto* m = view.tradeModel();
        QCOMPARE(cell(m, 0, 0), QStringLiteral("AAPL"));
        QCOMPARE(cell(m, 0, 2), QStringLiteral("Unknown strategy #8"));
        QCOMPARE(cell(m, 0, 3), QStringLiteral("Closed"));
        QCOMPARE(cell(m, 0, 4), QLocale().toString(1800.0 - 1000.0 - 550.0, 'f', 2));
        QCOMPARE(cell(m, 0, 5), QStringLiteral("3"));
        QCOMPARE(cell(m, 0, 6), QStringLiteral("150"));
        view.show();
        QModelIndex index = view.tradeModel()->index(0, 2);
        view.tradeList()->setCurrentIndex(index);
        view.tradeList()->edit(index);
        auto* box = qobject_cast<QComboBox*>(view.tradeList()->indexWidget(index));
        QVERIFY(box);
        QCOMPARE(box->currentText(), QStringLiteral("Unknown strategy #8"));
        QCOMPARE(box->count(), 4);
        QVERIFY(view.commitEditing());
        QCOMPARE(t->tradeStrategyValue(), std::int16_t(7));
        // Choosing by position.
        view.tradeList()->edit(index);
        box = qobject_cast<QComboBox*>(view.tradeList()->indexWidget(index));
        QVERIFY(box);
        box->setCurrentIndex(2);
        QVERIFY(view.commitEditing());
        QCOMPARE(cell(view.tradeModel(), 0, 2), QStringLiteral("Earnings gap"));
    }

    void anOrderTypedInTheTableClosesTheTradeAndEditsCommitOnClick() {
        ViewTestAccount account;
        TradeView view(account.env());
        view.resize(900, 600);
        view.show();
        auto* t = addTrade(account, view, "NVDA");
        account.addOrder(t, true, 100, 10, "Long NVDA", 0);
        account.settle();
        view.tradeAC().setSelectedObjects({t});
        QVERIFY(!t->isClosedValue());

        view.addOrder();
        account.context().undoManager().endEventGroup();
        QCOMPARE(view.orderModel()->rowCount(), 2);
        // The completions offer the trade's descriptions exactly as typed before.
        QCOMPARE(view.orderDescriptions(), QStringList{QStringLiteral("Long NVDA")});
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (!editor)
            editor = view.orderTable()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QVERIFY(editor->completer());
        editor->setText(QStringLiteral("Long NVDA"));
        QVERIFY(view.commitEditing());
        QModelIndex newRow = view.orderModel()->index(1, 0);
        auto* order = view.orderModel()->objectAt(1);
        QCOMPARE(QString::fromStdString(order->valueForKey("desc").toString()),
                 QStringLiteral("Long NVDA"));
        // A new order sells; 100 at 12 typed into the table's cells.
        QVERIFY(view.orderModel()->setData(newRow.siblingAtColumn(3), QStringLiteral("100"),
                                           Qt::EditRole));
        QVERIFY(view.orderModel()->setData(newRow.siblingAtColumn(4), QStringLiteral("12"),
                                           Qt::EditRole));
        QCOMPARE(cell(view.orderModel(), 1, 2), QStringLiteral("Sell"));
        QVERIFY(!t->isClosedValue()); // not inside the change
        account.settle();
        QVERIFY(t->isClosedValue());
        QCOMPARE(t->profitValue(), 200.0);
        QCOMPARE(cell(view.tradeModel(), 0, 3), QStringLiteral("Closed"));

        // A click on Buy/Sell commits the shares still being typed before it flips the side.
        auto* first = dynamic_cast<model::Order*>(view.orderModel()->objectAt(0));
        QVERIFY(first);
        QModelIndex shares = view.orderModel()->index(0, 3);
        view.orderTable()->setCurrentIndex(shares);
        view.orderTable()->edit(shares);
        editor = qobject_cast<QLineEdit*>(view.orderTable()->indexWidget(shares));
        QVERIFY(editor);
        editor->setText(QStringLiteral("250"));
        QTest::mouseClick(view.orderTable()->viewport(), Qt::LeftButton, {},
                          view.orderTable()->visualRect(shares.siblingAtColumn(2)).center());
        QCOMPARE(first->numSharesValue(), 250);
        QVERIFY(!first->isBuyValue());
        // A value that is not a number is refused and the old one kept.
        view.orderTable()->edit(shares);
        editor = qobject_cast<QLineEdit*>(view.orderTable()->indexWidget(shares));
        QVERIFY(editor);
        editor->setText(QStringLiteral("many"));
        QVERIFY(!view.commitEditing());
        QCOMPARE(first->numSharesValue(), 250);
    }

    void addingAndDeletingTradesAndOrders() {
        ViewTestAccount account;
        TradeView view(account.env());
        view.show();
        view.addTrade();
        QVERIFY(view.commitEditing());
        QCOMPARE(view.tradeModel()->rowCount(), 1);
        auto* t = dynamic_cast<model::Trade*>(view.tradeAC().arrangedObjects().front());
        view.addOrder();
        view.addOrder();
        QVERIFY(view.commitEditing());
        QCOMPARE(t->order().size(), std::size_t(2));
        view.orderAC().setSelectionIndexes({0});
        auto& undo = account.context().undoManager();
        undo.endEventGroup();
        view.deleteOrder();
        QCOMPARE(t->order().size(), std::size_t(1));
        QCOMPARE(undo.undoActionName(), std::string("Delete Order"));
        undo.endEventGroup();

        // Answered "No" (the question is RecordRulesTest's): nothing changed, and the last step
        // keeps its name.
        account.prompter.queueAnswer(false);
        view.deleteTrade();
        QCOMPARE(view.tradeModel()->rowCount(), 1);
        QCOMPARE(undo.undoActionName(), std::string("Delete Order"));
        account.prompter.queueAnswer(true);
        view.deleteTrade();
        QCOMPARE(view.tradeModel()->rowCount(), 0);
        QCOMPARE(undo.undoActionName(), std::string("Delete Trade"));
        QVERIFY(!view.entryIV()->isEnabled());
    }

    void wellsFollowTheSelectedTradeAndEnlargeWithTheirTitle() {
        ViewTestAccount account;
        TradeView view(account.env());
        view.show();
        auto* a = addTrade(account, view, "A");
        auto* b = addTrade(account, view, "B");
        view.tradeAC().setSelectedObjects({a});
        QVERIFY(view.entryIV()->writeImageToFile(makeChart(1440, 900)));
        QVERIFY(view.exitIV()->writeImageToFile(makeChart(600, 400)));
        view.tradeAC().setSelectedObjects({b});
        QVERIFY(view.entryIV()->image().isNull());
        QVERIFY(view.exitIV()->image().isNull());
        view.tradeAC().setSelectedObjects({a});
        QCOMPARE(view.entryIV()->image().size(), QSize(720, 450));
        QCOMPARE(view.exitIV()->image().size(), QSize(600, 400));

        QTest::mouseDClick(view.exitIV(), Qt::LeftButton);
        QCOMPARE(view.lgImagePanel()->windowTitle(), QStringLiteral("Exit Image"));
        QCOMPARE(view.lgImagePanel()->targetFrame().size(), QSize(600, 400));
        QTest::mouseDClick(view.entryIV(), Qt::LeftButton);
        QCOMPARE(view.lgImagePanel()->windowTitle(), QStringLiteral("Entry Image"));
        view.enlargeChartImage(makeChart(300, 200));
        QCOMPARE(view.lgImagePanel()->windowTitle(), QStringLiteral("Enlarged Image"));
    }

    void theClosingHintShowsInTheActiveWindowOfAnyAccount() {
        TempDir root;
        ViewTestAccount first(Date(1'700'000'000.0), "A001", root.path());
        ViewTestAccount second(first.clock.now(), "B002", root.path());
        // Two windows of one application: one preferences store, one clock, one notification
        // center for every trade.
        NotificationCenter center;
        first.context().setNotificationCenter(&center);
        second.context().setNotificationCenter(&center);
        gui::AccountEnvironment env2{
            second.context(), first.preferences(),       first.clock, second.prompter,
            "B002",           second.env().databasePath, nullptr};
        TradeView active(first.env());
        TradeView other(env2);
        active.setActiveWindowQuery([] { return true; });
        other.setActiveWindowQuery([] { return false; });

        // A trade of the other account whose shares balance in total only.
        auto* t = addTrade(second, other, "SPY");
        second.addOrder(t, true, 100, 10, "buy spy", 0);
        second.addOrder(t, false, 100, 11, "sell  spy", 1);
        second.settle();
        QVERIFY(active.helpfulHintPanel()->isVisible());
        QVERIFY(!other.helpfulHintPanel()->isVisible());
        const QString text = active.helpfulHintPanel()->helpfulHintMsg()->toPlainText();
        QVERIFY(text.startsWith(QStringLiteral("Do you want to calculate profit automatically?")));
        QVERIFY(text.endsWith(QStringLiteral("visit our support topic.")));
        QVERIFY(active.helpfulHintPanel()->helpfulHintMsg()->toHtml().contains(
            gui::TradeClosingHintPanel::supportTopicUrl()));
        // Not again within five minutes (when it is due again is TradeClosingHintTest's).
        active.helpfulHintPanel()->hide();
        first.clock.advance(200);
        center.post(model::ShowTradeClosingHint, t);
        QVERIFY(!active.helpfulHintPanel()->isVisible());
        // "Do not show this again" is kept.
        active.helpfulHintPanel()->ignoreCheckBox()->setChecked(true);
        QVERIFY(first.preferences().boolForKey("closeTradeHintIgnore"));
    }

    void aSavedDeletionUndoneComesBackWithItsPictures() {
        ViewTestAccount account;
        auto view = std::make_unique<TradeView>(account.env());
        auto* t = addTrade(account, *view, "TSLA");
        view->tradeAC().setSelectedObjects({t});
        QVERIFY(view->entryIV()->writeImageToFile(makeChart(800, 500)));
        const fs::path entry = view->entryIV()->filePath()->toStdString();
        Error error;
        QVERIFY(account.context().save(&error));
        account.context().undoManager().endEventGroup();

        account.prompter.queueAnswer(true);
        view->deleteTrade();
        account.context().undoManager().endEventGroup();
        QVERIFY(account.context().save(&error));
        account.context().undoManager().undo();
        QVERIFY(fs::exists(entry));
        view->tradeAC().setSelectedObjects({t});
        QCOMPARE(view->entryIV()->image().size(), QSize(720, 450));

        // Deleted again and saved: closing the window removes the pictures for good.
        account.prompter.queueAnswer(true);
        view->deleteTrade();
        QVERIFY(account.context().save(&error));
        view->windowWillClose();
        view.reset();
        QVERIFY(!fs::exists(entry));
        QVERIFY(!fs::exists(account.folder() / model::ChartImageFileKeeper::FolderName));
    }
};

QTEST_MAIN(TradeViewTest)
#include "TradeViewTest.moc"
