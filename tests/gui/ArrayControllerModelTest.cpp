#ifndef Q_MOC_RUN
#include "core/controllers/RecordContentSources.h"
#include "core/model/AccountStore.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#endif
#include "gui/ArrayControllerModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace brivel;

class ArrayControllerModelTest : public QObject {
    Q_OBJECT
private slots:
    void followsInsertsEditsAndRemovalsOfTheController() {
        store::ObjectContext ctx(model::accountModel());
        controllers::ArrayController trades(
            std::make_unique<controllers::EntityContentSource>(ctx, "Trade"));
        trades.setSortDescriptors({{"ticker", true}});
        gui::ArrayControllerModel m(
            trades, {{"Ticker", "ticker", {}, true}, {"Profit", "profit", {}, false}});
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);

        auto* b = model::Trade::insertInManagedObjectContext(&ctx);
        b->setTicker(std::string("MSFT"));
        auto* a = model::Trade::insertInManagedObjectContext(&ctx);
        a->setTicker(std::string("AAPL"));
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(m.rowCount(), 2);
        QVERIFY(changed.count() >= 2);
        trades.rearrangeObjects();
        QCOMPARE(m.index(0, 0).data().toString(), QStringLiteral("AAPL"));
        a->setProfitValue(-12.5);
        QCOMPARE(m.index(0, 1).data(gui::ArrayControllerModel::SortRole).toDouble(), -12.5);
        QCOMPARE(m.flags(m.index(0, 1)) & Qt::ItemIsEditable, Qt::ItemFlags());

        trades.setSelectedObjects({a});
        trades.remove();
        QCOMPARE(m.rowCount(), 1);
        QCOMPARE(m.index(0, 0).data().toString(), QStringLiteral("MSFT"));
        ctx.undoManager().endEventGroup();
        QVERIFY(ctx.rollback());
        QCOMPARE(m.rowCount(), 0);
    }

    // Edits typed into the views' tables, and their undo, are TradeViewTest's and
    // JournalViewTest's; here, what the table itself cannot show.
    void textThatIsNoNumberLeavesTheNumber() {
        store::ObjectContext ctx(model::accountModel());
        controllers::ArrayController orders(
            std::make_unique<controllers::EntityContentSource>(ctx, "Order"));
        gui::ArrayControllerModel m(orders, {{"Shares", "numShares", {}, true}});
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        auto* o = model::Order::insertInManagedObjectContext(&ctx);
        o->setNumSharesValue(100);
        QVERIFY(m.setData(m.index(0, 0), QStringLiteral("lots"), Qt::EditRole));
        QCOMPARE(o->numSharesValue(), 100);
    }
};

QTEST_MAIN(ArrayControllerModelTest)
#include "ArrayControllerModelTest.moc"
