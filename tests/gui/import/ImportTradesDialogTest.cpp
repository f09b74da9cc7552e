// The import dialog, offscreen: preview, column choices, bad lines, and the import itself as one
// undo step.

#include "gui/import/ImportTradesDialog.h"
#include "gui/support/ViewTestAccount.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace brivel;

class ImportTradesDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<gui::test::ViewTestAccount> m_account;

    QString file(const char* name, const std::string& text) {
        auto path = m_account->folder().parent_path() / name;
        test::writeFile(path, text);
        return QString::fromStdString(path.string());
    }
    std::size_t tradeCount() const {
        return m_account->context().registeredObjects("Trade").size();
    }

private slots:
    void init() { m_account = std::make_unique<gui::test::ViewTestAccount>(Date(1700000000.0)); }
    void cleanup() { m_account.reset(); }

    void previewShowsTheOrdersAndTheChosenColumnsOrTheOwnExport() {
        gui::ImportTradesDialog dialog(m_account->env());
        dialog.setFile(file("fills.csv", "Date,Symbol,Side,Qty,Fill Price\n"
                                         "2024-03-01 09:30,AAPL,buy,100,10\n"
                                         "2024-03-01 09:40,AAPL,sell,100,12\n"
                                         "2024-03-01 09:45,MSFT,buy,10,20\n"));
        auto* import = dialog.findChild<QPushButton*>("importButton");
        auto* detected = dialog.findChild<QLabel*>("importDetectedLabel");
        QVERIFY(import && detected);
        QVERIFY(!import->isEnabled());
        QVERIFY2(detected->text().contains("price"), qPrintable(detected->text()));

        // The user names the price column; the preview follows.
        auto* price = dialog.findChild<QComboBox*>("importColumn_price");
        QVERIFY(price);
        price->setCurrentIndex(price->findText("Fill Price"));
        QVERIFY(!dialog.plan().failure);
        QVERIFY2(detected->text().contains("Broker executions"), qPrintable(detected->text()));
        auto* symbol = dialog.findChild<QComboBox*>("importColumn_symbol");
        QCOMPARE(symbol->currentText(), QString("Symbol"));
        auto* preview = dialog.findChild<QTableView*>("importPreviewTable");
        QCOMPARE(preview->model()->rowCount(), 3);
        QCOMPARE(preview->model()->index(1, 4).data().toString(), QString("Sell"));
        QCOMPARE(preview->model()->index(1, 3).data().toString(), QString("AAPL 2024-03-01"));
        QCOMPARE(preview->model()->index(2, 0).data().toString(), QString("2"));
        QVERIFY(import->isEnabled());
        QCOMPARE(tradeCount(), std::size_t(0)); // a preview writes nothing

        // Another file chosen in the same dialog: the application's own export is recognised.
        dialog.setFile(file("trades.csv", "Trade #,Order Date,Ticker,Description,Buy/Sell,"
                                          "Quantity,Price,Commission,Reason,Strategy\n"
                                          "1,2024-03-01 09:30:00 -0500,X,A,Buy,10,$5.00,,,\n"));
        QVERIFY2(detected->text().contains("Brivel trade export"), qPrintable(detected->text()));
        QVERIFY(!dialog.findChild<QWidget*>("importColumnsBox")->isEnabled());
        QCOMPARE(preview->model()->rowCount(), 1);
    }

    void badLinesAreListedAndBlockTheImportUntilSkipped() {
        gui::ImportTradesDialog dialog(m_account->env());
        dialog.setFile(file("bad.csv", "Date,Symbol,Side,Quantity,Price\n"
                                       "2024-03-01,AAPL,buy,100,10\n"
                                       "2024-03-01,AAPL,sell,many,12\n"));
        auto* errors = dialog.findChild<QTableView*>("importErrorsTable");
        QCOMPARE(errors->model()->rowCount(), 1);
        QCOMPARE(errors->model()->index(0, 0).data().toString(), QString("3"));
        QCOMPARE(errors->model()->index(0, 1).data().toString(), QString("Quantity"));
        QCOMPARE(errors->model()->index(0, 2).data().toString(), QString("many"));
        auto* import = dialog.findChild<QPushButton*>("importButton");
        QVERIFY(!import->isEnabled());
        dialog.findChild<QCheckBox*>("importSkipBadLines")->setChecked(true);
        QVERIFY(import->isEnabled());
    }

    void importingCreatesTheTradesAsOneUndoStep() {
        gui::ImportTradesDialog dialog(m_account->env());
        dialog.setFile(file("fills.csv", "Date,Symbol,Side,Quantity,Price,Commission\n"
                                         "2024-03-01 09:30,AAPL,buy,100,10,1\n"
                                         "2024-03-01 09:40,AAPL,sell,100,12,1\n"
                                         "2024-03-01 09:45,MSFT,buy,10,20,1\n"));
        dialog.findChild<QPushButton*>("importButton")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(tradeCount(), std::size_t(2));
        QVERIFY(dialog.summary()); // its figures are the importer's; the message shows them
        QCOMPARE(m_account->prompter.asked().size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(m_account->prompter.asked()[0].title),
                 QString("Import Complete"));
        QVERIFY(QString::fromStdString(m_account->prompter.asked()[0].message).contains("198.00"));

        m_account->context().undoManager().undo();
        QCOMPARE(tradeCount(), std::size_t(0));
        QVERIFY(m_account->context().registeredObjects("Order").empty());

        // The same file again: nothing new once the first import stands.
        m_account->context().undoManager().redo();
        QCOMPARE(tradeCount(), std::size_t(2));
        gui::ImportTradesDialog again(m_account->env());
        again.setFile(file("fills.csv", "Date,Symbol,Side,Quantity,Price,Commission\n"
                                        "2024-03-01 09:30,AAPL,buy,100,10,1\n"));
        QCOMPARE(again.plan().duplicatesSkipped, std::size_t(1));
        QVERIFY(!again.findChild<QPushButton*>("importButton")->isEnabled());
    }
};

QTEST_MAIN(ImportTradesDialogTest)
#include "ImportTradesDialogTest.moc"
