#include "DocumentTestSupport.h"

#include "core/app/PreferenceKeys.h"
#include "core/model/AccountStore.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "gui/document/AccountWindow.h"

#include <QCoreApplication>
#include <QtTest>

using namespace brivel;
using namespace brivel::test;
using Answer = gui::Dialogs::SaveChangesAnswer;

namespace {

void renameAccount(app::Preferences& preferences, const std::string& code,
                   const std::string& name) {
    auto accounts = preferences.arrayForKey(app::prefkeys::ArrayOfAccounts);
    for (auto& record : accounts)
        if (record.value("directory", "") == code)
            record["name"] = name;
    preferences.setObject(accounts, app::prefkeys::ArrayOfAccounts);
}

std::size_t tradeCount(const std::filesystem::path& path) {
    Error error;
    auto context = model::openAccountStore(path, &error);
    return context ? context->registeredObjects("Trade").size() : 0;
}

} // namespace

class AccountDocumentTest : public QObject {
    Q_OBJECT
private slots:
    void init() { fx = std::make_unique<DocumentFixture>(); }
    void cleanup() { fx.reset(); }

    void titleNamesTheAccountRecord() {
        renameAccount(*fx->preferences, "B0W1", "Main");
        auto document = fx->openDefault();
        QVERIFY(document);
        QCOMPARE(document->windowTitleForDocumentDisplayName(),
                 QStringLiteral("Brivel Trade Journal - Main"));
        QCOMPARE(document->window().windowTitle(),
                 QStringLiteral("Brivel Trade Journal - Main[*]"));
        QCOMPARE(document->supportDirectory(), std::string("B0W1"));

        // A rename shows when the title is asked for again, not before.
        renameAccount(*fx->preferences, "B0W1", "Renamed");
        QCOMPARE(document->window().windowTitle(),
                 QStringLiteral("Brivel Trade Journal - Main[*]"));
        QCOMPARE(document->windowTitleForDocumentDisplayName(),
                 QStringLiteral("Brivel Trade Journal - Renamed"));

        // A database outside every record is named after its folder.
        const auto folder = fx->dir / "Elsewhere";
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(fx->defaultDatabase(), folder / "database.brdb");
        auto elsewhere = fx->open(folder / "database.brdb");
        QVERIFY(elsewhere);
        QCOMPARE(elsewhere->windowTitleForDocumentDisplayName(),
                 QStringLiteral("Brivel Trade Journal - Elsewhere"));
    }

    void closePromptAnswers_data() {
        QTest::addColumn<int>("answer"); // -1: no edits, nothing to ask
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("savedTrades");
        QTest::newRow("no edits") << -1 << true << 0;
        QTest::newRow("Save") << int(Answer::Save) << true << 1;
        QTest::newRow("Don't Save") << int(Answer::DontSave) << true << 0;
        QTest::newRow("Cancel") << int(Answer::Cancel) << false << 0;
    }

    void closePromptAnswers() {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QFETCH(int, savedTrades);
        auto document = fx->openDefault();
        QSignalSpy closed(document.get(), &gui::AccountDocument::documentClosed);
        document->window().show();
        if (answer >= 0) {
            model::Trade::insertInManagedObjectContext(&document->context());
            QCoreApplication::processEvents();
            QVERIFY(document->window().isWindowModified());
            fx->dialogs.saveChangesAnswers.push_back(static_cast<Answer>(answer));
        }
        QCOMPARE(document->close(), closes);
        QCOMPARE(fx->dialogs.saveChangesAsked, answer >= 0 ? 1 : 0);
        QCOMPARE(closed.count(), closes ? 1 : 0);
        QCOMPARE(document->window().isVisible(), !closes);
        QCOMPARE(tradeCount(fx->defaultDatabase()), static_cast<std::size_t>(savedTrades));
    }

    void failedSaveListsTheFirstThreeErrors_data() {
        QTest::addColumn<int>("failures");
        QTest::addColumn<bool>("heading");
        QTest::newRow("2") << 2 << false;
        QTest::newRow("3") << 3 << false;
        QTest::newRow("5") << 5 << true;
    }

    void failedSaveListsTheFirstThreeErrors() {
        QFETCH(int, failures);
        QFETCH(bool, heading);
        auto document = fx->openDefault();
        document->window().show();
        // A day without its date cannot be saved.
        for (int i = 0; i < failures; ++i)
            model::Log::insertInManagedObjectContext(&document->context())->setDate(std::nullopt);

        fx->dialogs.saveChangesAnswers.push_back(Answer::Save);
        QVERIFY(!document->close());
        QVERIFY(document->window().isVisible());
        const auto& asked = fx->dialogs.prompter.asked();
        QCOMPARE(asked.size(), std::size_t(1));
        QVERIFY(asked[0].isAlert);
        const QString message = QString::fromStdString(asked[0].title);
        QVERIFY(message.startsWith("Cannot save because some required fields may be missing.\n\n"));
        QCOMPARE(message.contains("The first 3 are:\n"), heading);
        const QString listed = message.section("\n\n", 1).remove("The first 3 are:\n");
        QCOMPARE(listed.count('\n'), std::min(failures, 3));
        QVERIFY(listed.endsWith('\n'));
        QCOMPARE(tradeCount(fx->defaultDatabase()), std::size_t(0));
    }

    void otherErrorsArePresentedUnchanged() {
        struct Case {
            const char* domain;
            int code;
        };
        for (Case c : {Case{errors::ValidationDomain, errors::ValidationMissingMandatoryProperty},
                       Case{errors::StoreDomain, errors::ValidationMultipleErrors},
                       Case{errors::FileDomain, errors::FileWriteUnknown}}) {
            Error e{c.domain, c.code, "single", "", "", {}, {Error{}, Error{}}};
            QCOMPARE(gui::AccountDocument::willPresentError(e).localizedDescription,
                     std::string("single"));
        }
    }

    void exportsWriteTheirFiles() {
        auto document = fx->openDefault();
        auto* trade = model::Trade::insertInManagedObjectContext(&document->context());
        trade->setTicker(std::string("ACME"));
        auto* order = model::Order::insertInManagedObjectContext(&document->context());
        order->setDate(Date(1700000000.0));
        trade->addOrderObject(order);
        const auto trades = fx->dir / "trades.csv";
        const auto journal = fx->dir / "journal.csv";
        fx->dialogs.panelAnswers = {trades, journal, std::nullopt,
                                    fx->dir / "missing" / "folder" / "trades.csv"};
        document->tradesToCSV();
        document->notesToCSV();
        document->tradesToCSV(); // cancelled: nothing written, nothing asked
        QVERIFY(fx->dialogs.prompter.asked().empty());
        document->tradesToCSV(); // a place that cannot be written
        QCOMPARE(fx->dialogs.prompter.asked().size(), std::size_t(1));
        QCOMPARE(fx->dialogs.prompter.asked()[0].title, std::string("Export Failed"));
        QCOMPARE(fx->dialogs.panels.size(), std::size_t(4));
        for (const auto& panel : fx->dialogs.panels) {
            QVERIFY(panel.save);
            QCOMPARE(panel.request.fileType, QStringLiteral("csv"));
            QCOMPARE(panel.request.nameFieldLabel, QStringLiteral("Save CSV as:"));
        }
        QVERIFY(readFile(trades).find("ACME") != std::string::npos);
        QVERIFY(std::filesystem::exists(journal));
        QVERIFY(readFile(journal).find("ACME") == std::string::npos);
    }

    void tradeClosesAfterTheEventLoopRuns() {
        auto document = fx->openDefault();
        auto& context = document->context();
        auto* trade = model::Trade::insertInManagedObjectContext(&context);
        for (bool buy : {true, false}) {
            auto* order = model::Order::insertInManagedObjectContext(&context);
            order->setDate(Date(1000.0));
            trade->addOrderObject(order);
            order->setDesc(std::string("A"));
            order->setIsBuyValue(buy);
            order->setNumSharesValue(100);
            order->setPriceValue(buy ? 10.0 : 12.5);
        }
        // Nothing runs inside the change itself; the event loop does it 0.01 s later (what the
        // bookkeeping makes of the orders is TradeTest's).
        QVERIFY(!trade->isClosedValue());
        QTRY_VERIFY_WITH_TIMEOUT(trade->isClosedValue(), 2000);
    }

    void oneUndoStepPerEvent() {
        auto document = fx->openDefault();
        auto& context = document->context();
        auto* trade = model::Trade::insertInManagedObjectContext(&context);
        trade->setTicker(std::string("A"));
        const auto strategy = trade->tradeStrategyValue();
        QCoreApplication::processEvents(); // end of the first event: insert and ticker
        trade->setTicker(std::string("B"));
        trade->setTradeStrategyValue(static_cast<std::int16_t>(strategy + 2));
        QCoreApplication::processEvents(); // end of the second event: two edits
        QCOMPARE(context.undoManager().undoStepCount(), std::size_t(2));

        context.undoManager().undo();
        QCOMPARE(trade->ticker().value_or(""), std::string("A"));
        QCOMPARE(trade->tradeStrategyValue(), strategy);
        context.undoManager().undo();
        QCOMPARE(context.registeredObjects("Trade").size(), std::size_t(0));
    }

    void anOpenAccountIsLockedForItsWindowsLifetime() {
        const auto folder = fx->defaultDatabase().parent_path();
        auto document = fx->openDefault();
        QVERIFY(document);
        // What a command meets then is AccountLockTest's.
        QCOMPARE(app::AccountLock::holder(folder), app::AccountLockHolder::Application);
        // A second window on the same account in this process is refused.
        Error error;
        QVERIFY(!gui::AccountDocument::open(fx->defaultDatabase(), fx->services, nullptr, &error));
        document->closeWithoutPrompt();
        document.reset();
        QCOMPARE(app::AccountLock::holder(folder), app::AccountLockHolder::Nobody);
    }

private:
    std::unique_ptr<DocumentFixture> fx;
};

QTEST_MAIN(AccountDocumentTest)
#include "AccountDocumentTest.moc"
