#include "AppTestSupport.h"

#include "core/model/Trade.h"
#include "gui/app/AccountsWindowController.h"
#include "gui/app/DocumentRegistry.h"
#include "gui/document/AccountWindow.h"

#include <QMenu>
#include <QMenuBar>
#include <QtTest>

using namespace brivel;
using namespace brivel::test;
using Answer = gui::Dialogs::SaveChangesAnswer;

class AppControllerTest : public QObject {
    Q_OBJECT
private slots:
    void init() { fx = std::make_unique<AppFixture>(); }
    void cleanup() { fx.reset(); }

    void startUpOpensTheAccountsMarkedOpenInOrder() {
        fx->setAccounts(
            {{"Third", "C3C3", true}, {"First", "A1A1", false}, {"Second", "B2B2", true}});
        auto& app = fx->launch();
        QCOMPARE(codesOf(app.documents()), (QStringList{"C3C3", "B2B2"}));
        for (auto* d : app.documents().documents())
            QVERIFY(d->window().isVisible());
        QVERIFY(!app.accountsWindowController());
    }

    void withNothingToOpenTheAccountsWindowComesUp() {
        fx->setAccounts({{"Main", "B0W1", false}});
        auto& app = fx->launch();
        QVERIFY(app.documents().documents().empty());
        QVERIFY(app.accountsWindowController());
        QVERIFY(app.accountsWindowController()->isVisible());
    }

    void openAccountsMenuHasOneItemPerAccount() {
        fx->setAccounts({{"Same", "A1A1", false}, {"Same", "B2B2", false}, {"R&D", "C3C3", false}});
        auto& app = fx->app();
        QMenu menu;
        menu.addAction("stale");
        app.menuNeedsUpdate(&menu);
        QCOMPARE(menu.actions().size(), 3);
        QCOMPARE(menu.actions()[0]->text(), QStringLiteral("Same"));
        QCOMPARE(menu.actions()[1]->text(), QStringLiteral("Same"));
        QCOMPARE(menu.actions()[2]->text(), QStringLiteral("R&&D"));
        menu.actions()[1]->trigger(); // the second of the two named alike
        QCOMPARE(codesOf(app.documents()), QStringList{"B2B2"});

        fx->setAccounts({});
        app.menuNeedsUpdate(&menu);
        QVERIFY(menu.actions().isEmpty());
    }

    void anOpenAccountIsOpenedOnceWithTheMenusAndClosesOutright() {
        fx->setAccounts({{"Main", "B0W1", true}});
        auto& app = fx->launch();
        auto* first = app.documents().documents().front();
        app.openAccount(0);
        QCOMPARE(app.documents().documents().size(), std::size_t(1));
        QCOMPARE(app.documents().documents().front(), first);
        // The same file by another spelling of its path is the same document.
        auto other = app::SupportFolder::path() / "." / "B0W1" / "database.brdb";
        QCOMPARE(app.openDocument(other, true), first);

        // Its window carries the application's menus.
        QStringList names;
        for (QAction* a : first->window().fileMenu()->actions())
            if (!a->isSeparator())
                names << (a->menu() ? a->menu()->objectName() : a->objectName());
        QCOMPARE(names, (QStringList{"openAccountsMenu", "showAccountsAction", "saveAction",
                                     "closeAction", "importTradesAction", "exportTradesAction",
                                     "exportJournalAction", "quitAction"}));
        QVERIFY(first->window().findChild<QAction*>("importTradesAction")->isEnabled());
        QVERIFY(first->window().findChild<QAction*>("showPreferencesAction"));
        QVERIFY(first->window().findChild<QAction*>("showAboutAction"));

        // Closed outright, an edited account asks nothing; closing it again finds nothing.
        model::Trade::insertInManagedObjectContext(&first->context());
        QVERIFY(app.documents().closeDocument(app::AccountRecord::databasePath("B0W1")));
        QVERIFY(app.documents().documents().empty());
        QCOMPARE(fx->dialogs.saveChangesAsked, 0);
        QVERIFY(!app.documents().closeDocument(app::AccountRecord::databasePath("B0W1")));
    }

    void windowsAreMadeOnce() {
        auto& app = fx->app();
        auto shown = [&] {
            app.showPreferences();
            app.showAboutPanel();
            app.showAccountsPanel();
            return std::tuple{app.preferencesController(), app.aboutPanelController(),
                              app.accountsWindowController()};
        };
        QVERIFY(shown() == shown());
    }

    void quitAsksAboutEveryEditedAccountAndStopsOnCancel() {
        fx->setAccounts({{"One", "A1A1", true}, {"Two", "B2B2", true}, {"Three", "C3C3", true}});
        auto& app = fx->launch();
        auto documents = app.documents().documents();
        for (auto* d : {documents[0], documents[2]})
            model::Trade::insertInManagedObjectContext(&d->context());

        fx->dialogs.saveChangesAnswers = {Answer::Cancel};
        QVERIFY(!app.quit());
        QCOMPARE(fx->dialogs.saveChangesAsked, 1);
        QCOMPARE(app.documents().documents().size(), std::size_t(3));

        fx->dialogs.saveChangesAnswers = {Answer::DontSave, Answer::Cancel};
        QVERIFY(!app.quit());
        QCOMPARE(fx->dialogs.saveChangesAsked, 3);
        // The first closed; the unchanged second closed without a question; the third stayed.
        QCOMPARE(codesOf(app.documents()), QStringList{"C3C3"});

        fx->dialogs.saveChangesAnswers = {Answer::Save};
        QVERIFY(app.quit());
        QVERIFY(app.documents().documents().empty());
        Error error;
        auto saved = model::openAccountStore(app::AccountRecord::databasePath("C3C3"), &error);
        QCOMPARE(saved->registeredObjects("Trade").size(), std::size_t(1));
        auto dropped = model::openAccountStore(app::AccountRecord::databasePath("A1A1"), &error);
        QCOMPARE(dropped->registeredObjects("Trade").size(), std::size_t(0));
    }

private:
    static QStringList codesOf(gui::DocumentRegistry& registry) {
        QStringList out;
        for (auto* d : registry.documents())
            out << QString::fromStdString(d->supportDirectory());
        return out;
    }
    std::unique_ptr<AppFixture> fx;
};

QTEST_MAIN(AppControllerTest)
#include "AppControllerTest.moc"
