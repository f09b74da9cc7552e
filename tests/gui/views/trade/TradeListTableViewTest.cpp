// The trade list's drawing, checked on pixels of the list rendered offscreen: the gain and loss
// gradients from top to bottom of a row, plain open trades, and the selected row's colour with
// the gradient tab and its shadow at the right end.

#include "gui/views/trade/TradeListTableView.h"
#include "gui/ArrayControllerModel.h"
#include "gui/support/ViewTestAccount.h"
#include "gui/views/trade/TradeRowDelegate.h"
#include "gui/views/trade/TradeView.h"

#include <QHeaderView>
#include <QtTest>

using namespace brivel;
using namespace brivel::test;
using gui::TradeRowDelegate;
using gui::test::makeChart;
using gui::test::ViewTestAccount;

namespace {

struct Expected {
    QColor top, middle, bottom;
};
const Expected Gain{QColor(100, 212, 98), QColor(55, 180, 60), QColor(11, 151, 27)};
const Expected Loss{QColor(244, 99, 99), QColor(222, 60, 60), QColor(206, 26, 26)};

bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QString describe(const QColor& c) {
    return QStringLiteral("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

} // namespace

class TradeListTableViewTest : public QObject {
    Q_OBJECT

    // Three trades: a win, a loss and an open one (that a profit of exactly 0 is a gain is
    // gradientChoice's).
    struct Fixture {
        Fixture() {
            auto closed = [this](double buy, double sell, double day) {
                auto* t = view.tradeAC().newObject();
                view.tradeAC().addObject(t);
                t->setTicker(std::string("T") + std::to_string(static_cast<int>(day)));
                account.addOrder(t, true, 100, buy, "long", day);
                account.addOrder(t, false, 100, sell, "long", day + 1);
                return t;
            };
            win = closed(10, 12, 1);
            loss = closed(10, 8, 2);
            open = view.tradeAC().newObject();
            view.tradeAC().addObject(open);
            account.addOrder(open, true, 100, 10, "long", 4);
            account.settle();
            view.resize(900, 600);
            view.show();
            view.activateWindow();
            (void)QTest::qWaitForWindowActive(&view);
            list()->setFocus();
            view.tradeAC().setSelectionIndexes({});
        }
        gui::TradeListTableView* list() { return view.tradeList(); }
        int rowOf(model::Trade* t) {
            const auto& rows = view.tradeAC().arrangedObjects();
            return static_cast<int>(std::find(rows.begin(), rows.end(), t) - rows.begin());
        }
        QImage render() { return list()->viewport()->grab().toImage(); }
        QRect rowRect(model::Trade* t) {
            int row = rowOf(t);
            QRect first = list()->visualRect(view.tradeModel()->index(row, 0));
            return QRect(0, first.top(), list()->horizontalHeader()->length(), first.height());
        }

        ViewTestAccount account;
        gui::TradeView view{account.env()};
        model::Trade *win, *loss, *open;
    };

    // Top, middle and bottom pixels of a row at x, away from any text.
    static void checkColumn(const QImage& image, const QRect& row, int x, const Expected& e,
                            int tolerance, const char* what) {
        const std::pair<int, QColor> stops[] = {
            {row.top(), e.top}, {row.top() + row.height() / 2, e.middle}, {row.bottom(), e.bottom}};
        for (const auto& [y, expected] : stops) {
            const QColor got = image.pixelColor(x, y);
            QVERIFY2(near(got, expected, tolerance),
                     qPrintable(QString("%1 at y %2: %3").arg(what).arg(y).arg(describe(got))));
        }
    }
    // A spot inside the Status column past its short text.
    static int quietX(Fixture& f) {
        return f.list()->columnViewportPosition(3) + f.list()->columnWidth(3) - 4;
    }

private slots:
    void gradientChoice_data() {
        QTest::addColumn<bool>("closed");
        QTest::addColumn<double>("profit");
        QTest::addColumn<int>("result"); // -1 none, 0 gain, 1 loss
        QTest::newRow("open winner") << false << 50.0 << -1;
        QTest::newRow("win") << true << 0.01 << 0;
        QTest::newRow("break-even") << true << 0.0 << 0;
        QTest::newRow("negative zero") << true << -0.0 << 0;
        QTest::newRow("loss") << true << -0.01 << 1;
        QTest::newRow("not a number") << true << std::nan("") << -1;
    }
    void gradientChoice() {
        QFETCH(bool, closed);
        QFETCH(double, profit);
        QFETCH(int, result);
        auto r = TradeRowDelegate::resultOf(closed, profit);
        QCOMPARE(r ? static_cast<int>(*r) : -1, result);
    }

    void unselectedRowsShowTheirGradientTopToBottom() {
        Fixture f;
        QImage image = f.render();
        // Row rendering rounds each stop to whole pixels a little.
        checkColumn(image, f.rowRect(f.win), quietX(f), Gain, 12, "win");
        checkColumn(image, f.rowRect(f.loss), quietX(f), Loss, 12, "loss");
        // The whole row, first column to last.
        QRect row = f.rowRect(f.loss);
        QVERIFY(near(image.pixelColor(2, row.center().y()), Loss.middle, 12));
        QVERIFY(near(image.pixelColor(row.right() - 2, row.center().y()), Loss.middle, 12));
        // An open trade is drawn plainly.
        QRect openRow = f.rowRect(f.open);
        const QColor base = f.list()->palette().color(QPalette::Base);
        for (int y : {openRow.top(), openRow.center().y(), openRow.bottom()})
            QVERIFY2(near(image.pixelColor(quietX(f), y), base, 2),
                     qPrintable(describe(image.pixelColor(quietX(f), y))));
    }

    void aSelectedClosedRowHasAGradientTabFollowingNoFocusAndAnOpenOneNone() {
        Fixture f;
        f.view.tradeAC().setSelectedObjects({f.loss});
        QApplication::processEvents();
        QImage image = f.render();
        QRect row = f.rowRect(f.loss);
        const QColor highlight = f.list()->palette().color(
            f.list()->hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
        QVERIFY2(near(image.pixelColor(quietX(f), row.center().y()), highlight, 2),
                 qPrintable(describe(image.pixelColor(quietX(f), row.center().y()))));
        // The tab: the rightmost 20 pixels carry the loss gradient.
        checkColumn(image, row, row.right() - 10, Loss, 12, "tab");
        // The shadow: darker than the selection colour, darkest at its right end.
        const QColor shadowRight = image.pixelColor(row.right() - 20, row.center().y());
        const QColor shadowLeft = image.pixelColor(row.right() - 24, row.center().y());
        QVERIFY(shadowRight.lightness() < highlight.lightness());
        QVERIFY(shadowRight.lightness() < shadowLeft.lightness());
        // Left of the shadow, the selection colour again.
        QVERIFY(near(image.pixelColor(row.right() - 30, row.top() + 1), highlight, 2));
        // The other closed rows keep their whole-row gradient.
        checkColumn(image, f.rowRect(f.win), quietX(f), Gain, 12, "unselected win");

        // A selected open row has no tab: the selection colour to its right end.
        f.view.tradeAC().setSelectedObjects({f.open});
        QApplication::processEvents();
        image = f.render();
        row = f.rowRect(f.open);
        for (int x : {quietX(f), row.right() - 10, row.right() - 22})
            QVERIFY2(near(image.pixelColor(x, row.center().y()), highlight, 2),
                     qPrintable(describe(image.pixelColor(x, row.center().y()))));

        // The selection colour follows the focus; the tab does not.
        QPalette palette = f.list()->palette();
        palette.setColor(QPalette::Active, QPalette::Highlight, QColor(20, 80, 200));
        palette.setColor(QPalette::Inactive, QPalette::Highlight, QColor(180, 180, 180));
        f.list()->setPalette(palette);
        f.view.tradeAC().setSelectedObjects({f.win});
        QApplication::processEvents();
        row = f.rowRect(f.win);
        f.list()->setFocus();
        QApplication::processEvents();
        const bool focused = f.list()->hasFocus();
        QImage withFocus = f.render();
        f.view.orderTable()->setFocus();
        QApplication::processEvents();
        QImage without = f.render();
        if (focused)
            QVERIFY(
                near(withFocus.pixelColor(quietX(f), row.center().y()), QColor(20, 80, 200), 2));
        QVERIFY(near(without.pixelColor(quietX(f), row.center().y()), QColor(180, 180, 180), 2));
        checkColumn(withFocus, row, row.right() - 10, Gain, 12, "tab with focus");
        checkColumn(without, row, row.right() - 10, Gain, 12, "tab without focus");
    }

    void anEmptyListSaysWhatToDo() {
        ViewTestAccount account;
        gui::TradeView view(account.env());
        view.resize(800, 500);
        view.show();
        QCOMPARE(view.tradeModel()->rowCount(), 0);
        QCOMPARE(gui::TradeListTableView::emptyText(),
                 QStringLiteral("No trades yet. Add one with +"));
        QImage image = view.tradeList()->viewport()->grab().toImage();
        // Something is written in the middle of the empty list.
        const QColor base = view.tradeList()->palette().color(QPalette::Base);
        bool drawn = false;
        for (int x = 0; x < image.width() && !drawn; ++x)
            drawn = !near(image.pixelColor(x, image.height() / 2), base, 10);
        QVERIFY(drawn);
    }
};

QTEST_MAIN(TradeListTableViewTest)
#include "TradeListTableViewTest.moc"
