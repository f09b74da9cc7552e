#include "AppTestSupport.h"

#include "core/model/Entities.h"
#include "core/model/Trade.h"
#include "gui/app/AccountsWindowController.h"
#include "gui/app/DocumentRegistry.h"
#include "gui/app/ItemViewEditing.h"
#include "gui/document/AccountWindow.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace brivel;
using namespace brivel::test;
namespace fs = std::filesystem;

class AccountsWindowControllerTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        fx = std::make_unique<AppFixture>();
        fx->setAccounts({{"Main", "B0W1", false}, {"Second", "A1A1", false}});
        fx->app().showAccountsPanel();
        window = fx->app().accountsWindowController();
    }
    void cleanup() { fx.reset(); }

    void tableShowsNameAndOpen() {
        auto* model = table()->model();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("Second"));
        QCOMPARE(model->index(1, 1).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(model->setData(model->index(1, 1), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(
            fx->preferences->arrayForKey(app::prefkeys::ArrayOfAccounts)[1].value("open", false));
        QVERIFY(model->setData(model->index(1, 0), QStringLiteral("Renamed"), Qt::EditRole));
        QCOMPARE(names(), (QStringList{"Main", "Renamed"}));
    }

    void addMakesAnAccountReadyForItsName() {
        click("addAccountButton"); // the account's folder and database: AccountRegistryTest
        QCOMPARE(names(), (QStringList{"Main", "Second", "New Account"}));
        QVERIFY(gui::itemViewEditor(table()));
        QCOMPARE(table()->currentIndex().row(), 2);
    }

    void deletingAsksAndAnOpenAccountsWindowClosesWithoutAPrompt() {
        auto& app = fx->app();
        auto* document = app.openDocument(app::AccountRecord::databasePath("A1A1"), true);
        QVERIFY(document);
        model::Trade::insertInManagedObjectContext(&document->context());
        select(1);
        // The question and its answers are the registry's own tests; here, the button asks.
        fx->dialogs.prompter.queueAnswer(false);
        click("removeAccountButton");
        QCOMPARE(fx->dialogs.prompter.asked().back().title, std::string("Confirm Deletion"));
        QCOMPARE(names(), (QStringList{"Main", "Second"}));
        fx->dialogs.prompter.queueAnswer(true);
        click("removeAccountButton");
        QCOMPARE(names(), QStringList{"Main"});
        QVERIFY(app.documents().documents().empty());
        QCOMPARE(fx->dialogs.saveChangesAsked, 0); // the folder's removal: AccountRegistryTest
    }

    void contextMenuWorksOnTheRowUnderThePointer() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        select(0);
        const QRect second = table()->visualRect(table()->model()->index(1, 0));
        window->showContextMenu(second.center());
        window->contextMenu()->hide();
        QCOMPARE(window->accountArrayController().selectionIndexes(), std::vector<std::size_t>{1});
        QCOMPARE(table()->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(table()->selectionModel()->selectedRows()[0].row(), 1);

        window->showContextMenu(QPoint(second.center().x(), table()->viewport()->height() - 2));
        window->contextMenu()->hide();
        QVERIFY(window->accountArrayController().selectionIndexes().empty());
        QVERIFY(!window->findChild<QPushButton*>("backupAccountButton")->isEnabled());
    }

    void backupAndRestoreThroughTheWindow() {
        auto& app = fx->app();
        // Account "Second" gets a trade, saved, and is backed up.
        {
            auto* document = app.openDocument(app::AccountRecord::databasePath("A1A1"), true);
            model::Trade::insertInManagedObjectContext(&document->context());
            QVERIFY(document->saveDocument());
        }
        const fs::path archive = fx->dir / "second.zip";
        select(1);
        fx->dialogs.panelAnswers = {archive};
        QSignalSpy finished(window, &gui::AccountsWindowController::archiveToolFinished);
        click("backupAccountButton");
        QVERIFY(window->isArchiveToolRunning());
        QVERIFY(finished.wait(10000));
        QCOMPARE(fx->dialogs.prompter.asked().back().title, std::string("Backup Complete!"));
        QCOMPARE(fx->dialogs.panels.back().request.nameFieldLabel,
                 QStringLiteral("Save backup as:"));
        QVERIFY(fs::exists(archive));

        // Restored into "Main", whose window is open with unsaved edits: it closes without a
        // prompt and opens again, restored, after the success panel.
        auto* main = app.openDocument(app::AccountRecord::databasePath("B0W1"), true);
        model::Log::insertInManagedObjectContext(&main->context());
        select(0);
        fx->dialogs.panelAnswers = {archive};
        fx->dialogs.prompter.queueAnswer(true);
        click("restoreAccountButton");
        QVERIFY(finished.wait(10000));
        const auto& asked = fx->dialogs.prompter.asked();
        QCOMPARE(asked[asked.size() - 2].title, std::string("Confirm Restore"));
        QCOMPARE(asked.back().title, std::string("Restore Complete!"));
        QCOMPARE(fx->dialogs.saveChangesAsked, 0);
        auto* reopened = app.documents().documentForPath(app::AccountRecord::databasePath("B0W1"));
        QVERIFY(reopened);
        QCOMPARE(reopened->context().registeredObjects("Trade").size(), std::size_t(1));
        QCOMPARE(reopened->context().registeredObjects("Log").size(), std::size_t(0));
        QCOMPARE(names(), (QStringList{"Main", "Second"}));

        // A corrupt archive is not restored: the account and its open window stay as they are.
        const fs::path corrupt = fx->dir / "corrupt.zip";
        writeFile(corrupt, "PK\x03\x04 this is not a zip archive");
        select(0);
        fx->dialogs.panelAnswers = {corrupt};
        fx->dialogs.prompter.queueAnswer(true);
        click("restoreAccountButton");
        QVERIFY(finished.wait(10000));
        QCOMPARE(fx->dialogs.prompter.asked().back().title, std::string("Restore Failed!"));
        auto* still = app.documents().documentForPath(app::AccountRecord::databasePath("B0W1"));
        QVERIFY(still);
        QCOMPARE(still->context().registeredObjects("Trade").size(), std::size_t(1));
    }

private:
    QTableView* table() { return window->table(); }
    void select(int row) { table()->selectRow(row); }
    void click(const char* name) {
        auto* b = window->findChild<QPushButton*>(name);
        QVERIFY(b && b->isEnabled());
        b->click();
    }
    QStringList names() {
        QStringList out;
        for (const auto& r : fx->preferences->arrayForKey(app::prefkeys::ArrayOfAccounts))
            out << QString::fromStdString(r.value("name", ""));
        return out;
    }
    std::unique_ptr<AppFixture> fx;
    gui::AccountsWindowController* window = nullptr;
};

QTEST_MAIN(AccountsWindowControllerTest)
#include "AccountsWindowControllerTest.moc"
