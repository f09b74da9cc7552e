#include "DocumentTestSupport.h"

#include "core/model/Trade.h"
#include "gui/document/AccountWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QStackedWidget>
#include <QtTest>

using namespace brivel;
using namespace brivel::test;

class AccountWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { fx = std::make_unique<DocumentFixture>(); }
    void cleanup() { fx.reset(); }

    void opensOnTheJournalAndTheButtonsFollowTheView() {
        auto document = fx->openDefault();
        auto& w = document->window();
        QCOMPARE(w.views().size(), std::size_t(3));
        QCOMPARE(w.currentViewIndex(), 0);
        QCOMPARE(checkedStates(w), (std::vector<bool>{true, false, false}));
        QCOMPARE(w.viewActions()[0]->text(), QStringLiteral("Journal"));
        for (int index : {2, 1, 0}) {
            w.viewActions()[static_cast<std::size_t>(index)]->trigger();
            QCOMPARE(w.currentViewIndex(), index);
            QCOMPARE(w.findChild<QStackedWidget*>("viewStack")->currentWidget(),
                     w.views()[static_cast<std::size_t>(index)]);
            QCOMPARE(checkedStates(w), (std::vector<bool>{index == 0, index == 1, index == 2}));
        }
        // A tag with no view changes nothing.
        QVERIFY(!w.changeViewController(7));
        QCOMPARE(checkedStates(w), (std::vector<bool>{true, false, false}));
        // An edit that cannot be committed keeps the view.
        static_cast<RefusingView*>(w.views()[0])->refuse = true;
        w.viewActions()[1]->trigger();
        QCOMPARE(w.currentViewIndex(), 0);
        QCOMPARE(checkedStates(w), (std::vector<bool>{true, false, false}));
    }

    void tradesAskedForShowInTheListingView() {
        auto document = fx->openDefault();
        auto& w = document->window();
        auto view = [&w](std::size_t i) { return static_cast<RefusingView*>(w.views()[i]); };
        view(1)->listing = true;
        w.changeViewController(2);

        // An edit that cannot end keeps the asking view, and nothing is selected.
        view(2)->refuse = true;
        emit view(2)->showTradesRequested({3, 5});
        QCOMPARE(w.currentViewIndex(), 2);
        QVERIFY(view(1)->selected.isEmpty());

        view(2)->refuse = false;
        emit view(2)->showTradesRequested({3, 5});
        QCOMPARE(w.currentViewIndex(), 1);
        QCOMPARE(view(1)->selected, (QList<qint64>{3, 5}));
    }

    void unsavedChangesMarkAndUndoCommands() {
        auto document = fx->openDefault();
        auto& w = document->window();
        QVERIFY(!w.isWindowModified());
        QVERIFY(!w.undoAction()->isEnabled());
        model::Trade::insertInManagedObjectContext(&document->context());
        document->context().undoManager().setActionName("Add Trade");
        QCoreApplication::processEvents();
        QVERIFY(w.isWindowModified());
        QVERIFY(w.undoAction()->isEnabled());
        QCOMPARE(w.undoAction()->text(), QStringLiteral("&Undo Add Trade"));
        QVERIFY(!w.redoAction()->isEnabled());

        w.undoAction()->trigger();
        QCOMPARE(document->context().registeredObjects("Trade").size(), std::size_t(0));
        QVERIFY(w.redoAction()->isEnabled());
        QCOMPARE(w.undoAction()->text(), QStringLiteral("&Undo"));
        QCOMPARE(w.redoAction()->text(), QStringLiteral("&Redo Add Trade"));
        w.redoAction()->trigger();
        QCOMPARE(document->context().registeredObjects("Trade").size(), std::size_t(1));

        QVERIFY(document->saveDocument());
        QVERIFY(!w.isWindowModified());
    }

    void geometryIsRememberedPerAccount() {
        {
            auto document = fx->openDefault();
            document->window().show();
            document->window().setGeometry(40, 50, 777, 555);
            QVERIFY(document->close());
        }
        auto document = fx->openDefault();
        QCOMPARE(document->window().size(), QSize(777, 555));
    }

private:
    static std::vector<bool> checkedStates(gui::AccountWindow& w) {
        std::vector<bool> out;
        for (QAction* a : w.viewActions())
            out.push_back(a->isChecked());
        return out;
    }
    std::unique_ptr<DocumentFixture> fx;
};

QTEST_MAIN(AccountWindowTest)
#include "AccountWindowTest.moc"
