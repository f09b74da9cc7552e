#include "gui/report/ReportView.h"
#include "gui/support/ViewTestAccount.h"

#ifndef Q_MOC_RUN
#include "core/report/PlainTextRenderer.h"
#include "core/report/ReportGenerator.h"
#endif

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextImageFormat>

using namespace brivel;
using brivel::gui::ReportView;
using brivel::gui::test::localTime;
using brivel::gui::test::ViewTestAccount;

namespace {

QString plainText(const ReportView& view) {
    return view.textView()->document()->toPlainText();
}

void choose(ReportView& view, int type, const QString& ticker = {}) {
    view.findChild<QComboBox*>("reportTypePU")->setCurrentIndex(type);
    view.findChild<QLineEdit*>("tickerTF")->setText(ticker);
}

void setRange(ReportView& view, Date begin, Date end) {
    auto at = [](Date d) {
        return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(d.secondsSince1970 * 1000));
    };
    view.findChild<QDateTimeEdit*>("startDateDP")->setDateTime(at(begin));
    view.findChild<QDateTimeEdit*>("endDateDP")->setDateTime(at(end));
}

// Generates and waits until the report is shown.
bool generate(ReportView& view) {
    QSignalSpy shown(&view, &ReportView::reportShown);
    view.generateReport();
    return shown.count() == 1 || shown.wait(20000);
}

// The character format at the first occurrence of text in the view.
QTextCharFormat formatAt(const ReportView& view, const QString& text) {
    QTextCursor c = view.textView()->document()->find(text);
    if (c.isNull())
        return {};
    c.setPosition(c.selectionStart() + 1);
    return c.charFormat();
}

} // namespace

class ReportViewTest : public QObject {
    Q_OBJECT
private slots:
    // The range itself (clock changes, time zones) is DefaultReportDatesTest's; here, that the
    // pickers start on it.
    void theDatePickersStartOnTheLastSevenCalendarDays() {
        ViewTestAccount account(localTime(2024, 1, 17, 15));
        ReportView view(account.env());
        QCOMPARE(view.findChild<QDateTimeEdit*>("startDateDP")->dateTime(),
                 QDateTime(QDate(2024, 1, 11), QTime(0, 0)));
        QCOMPARE(view.findChild<QDateTimeEdit*>("endDateDP")->dateTime(),
                 QDateTime(QDate(2024, 1, 17), QTime(23, 59, 59)));
    }

    void eachGenerationReplacesThePreviousSavesAsHtmlAndNoTypeGivesTheEmptyText() {
        ViewTestAccount account(localTime(2024, 5, 6, 12));
        account.fillSample(localTime(2024, 5, 1), 4);
        auto* log = account.addLog(localTime(2024, 5, 1, 8));
        account.addNote(log, localTime(2024, 5, 1, 9), "AAPL", "<script>alert(1)</script> & more");
        account.endEvent();
        ReportView view(account.env());
        setRange(view, localTime(2024, 5, 1), localTime(2024, 5, 6));
        QVERIFY(!view.saveHtml("unused")); // nothing to save yet
        choose(view, 1);
        QVERIFY(generate(view));
        QVERIFY(plainText(view).startsWith("Wednesday - May 1, 2024"));
        choose(view, 2, "aapl");
        QVERIFY(generate(view));
        const QString notes = plainText(view);
        QVERIFY(!notes.contains("Wednesday"));
        QVERIFY(!notes.contains("MSFT"));
        QCOMPARE(notes.count("AAPL"), notes.count('\n')); // one line per AAPL note, nothing else
        // Saved as the report's HTML (its escaping is RenderersTest's); an unwritable place is an
        // alert.
        const auto file = account.folder() / "report.html";
        QVERIFY(view.saveHtml(QString::fromStdString(file.string())));
        const std::string html = brivel::test::readFile(file);
        QVERIFY(html.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; more") != std::string::npos);
        QVERIFY(!view.saveHtml(
            QString::fromStdString((account.folder() / "no/such/dir/r.html").string())));
        QCOMPARE(account.prompter.asked().size(), 1u);
        QVERIFY(account.prompter.asked()[0].isAlert);
        // What is logged for an empty result is ReportSnapshotTest's.
        for (int type : {0, -1}) {
            view.findChild<QComboBox*>("reportTypePU")->setCurrentIndex(type);
            QVERIFY(generate(view));
            QCOMPARE(plainText(view), QString::fromUtf8(report::EmptyResultText.data()));
            // Plain: no style of the report's own.
            QCOMPARE(formatAt(view, "query").fontPointSize(), 0.0);
        }
    }

    void rendersEveryStyleAndTheChartImagesOfTheReport() {
        ViewTestAccount account(localTime(2024, 5, 6, 12));
        auto* log = account.addLog(localTime(2024, 5, 1, 8));
        account.addBarrier(log, "NASDAQ", 15800, 16150);
        account.addNote(log, localTime(2024, 5, 1, 9, 30), "AAPL", "plain note");
        account.addNote(log, localTime(2024, 5, 1, 10), "MSFT", "flagged note", true);
        auto* wide = account.addTrade("AAPL", localTime(2024, 5, 1, 10), 180, 190, 100);
        account.writeChartImages(wide, 1400, 700);
        auto* small = account.addTrade("TSLA", localTime(2024, 5, 2, 10), 180, 170, 100);
        account.writeChartImages(small, 200, 120);
        account.endEvent();
        ReportView view(account.env());
        view.resize(900, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        setRange(view, localTime(2024, 5, 1), localTime(2024, 5, 6));

        choose(view, 1);
        QVERIFY(generate(view));
        QTextCharFormat heading = formatAt(view, "Wednesday - May 1, 2024");
        QCOMPARE(heading.fontPointSize(), 18.0);
        QVERIFY(heading.fontUnderline());
        QCOMPARE(heading.fontWeight(), int(QFont::Bold));
        QCOMPARE(formatAt(view, "NASDAQ").fontPointSize(), 14.0);
        QCOMPARE(formatAt(view, "15,800").fontWeight(), int(QFont::Normal));
        QCOMPARE(formatAt(view, "flagged note").background().color(), QColor(Qt::yellow));
        QCOMPARE(formatAt(view, "plain note").background().style(), Qt::NoBrush);
        QCOMPARE(formatAt(view, "plain note").fontPointSize(), 12.0);
        // The document holds exactly the report's text.
        QString expected = QString::fromStdString(view.report()->string());
        QCOMPARE(plainText(view), expected);

        // Chart images are inline and no wider than the view.
        choose(view, 5);
        QVERIFY(generate(view));
        QList<QTextImageFormat> images;
        for (QTextBlock b = view.textView()->document()->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it)
                if (it.fragment().charFormat().isImageFormat())
                    images << it.fragment().charFormat().toImageFormat();
        QCOMPARE(images.size(), 4);
        const int viewport = view.textView()->viewport()->width();
        QVERIFY(images[0].width() < 1400 && images[0].width() <= viewport);
        QCOMPARE(images[0].height() / images[0].width(), 0.5); // proportions kept
        QCOMPARE(images[2].width(), 200.0);                    // natural size when it fits
        QCOMPARE(images[2].height(), 120.0);
    }

    void cancellingALongGenerationKeepsThePreviousReport() {
        ViewTestAccount account(localTime(2024, 5, 6, 12));
        account.fillSample(localTime(2024, 5, 1), 2);
        ReportView view(account.env());
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        setRange(view, localTime(2024, 5, 1), localTime(2024, 5, 6));
        choose(view, 3);
        QVERIFY(generate(view));
        const QString before = plainText(view);
        QVERIFY(!before.isEmpty());
        for (int i = 0; i < 4000; ++i)
            account.addTrade("T" + std::to_string(i), localTime(2024, 5, 3, 9).addingSeconds(i), 10,
                             11, 10);
        account.endEvent();

        QSignalSpy shown(&view, &ReportView::reportShown);
        QSignalSpy cancelled(&view, &ReportView::generationCancelled);
        choose(view, 5);
        view.generateReport();
        QVERIFY(view.isGenerating());
        QTest::keyClick(view.findChild<QTextBrowser*>("theTextView"), Qt::Key_Escape);
        QCOMPARE(cancelled.count(), 1);
        QVERIFY(!view.isGenerating());
        QTest::qWait(300);
        QCOMPARE(shown.count(), 0);
        QCOMPARE(plainText(view), before);
        QCOMPARE(QString::fromStdString(view.report()->string()).trimmed(), before.trimmed());
    }

    void savesThePdfWithTheReportsText() {
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (pdftotext.isEmpty())
            QSKIP(
                "pdftotext (Debian poppler-utils) is not installed; scripts/setup.sh installs it");
        ViewTestAccount account(localTime(2024, 5, 6, 12));
        account.fillSample(localTime(2024, 5, 1), 3);
        ReportView view(account.env());
        setRange(view, localTime(2024, 5, 1), localTime(2024, 5, 6));
        choose(view, 1);
        QVERIFY(generate(view));
        const QString heading = plainText(view).section('\n', 0, 0);

        const QString pdf = QString::fromStdString((account.folder() / "report.pdf").string());
        QVERIFY(view.savePdf(pdf));
        QVERIFY(QFileInfo(pdf).size() > 0);
        QProcess p;
        p.start(pdftotext, {pdf, "-"});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(text.contains(heading), qPrintable(text.left(300)));
        QVERIFY(text.contains("Gap up on earnings"));
    }

    void findsTextWithCtrlF() {
        ViewTestAccount account(localTime(2024, 5, 6, 12));
        account.fillSample(localTime(2024, 5, 1), 5);
        ReportView view(account.env());
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        setRange(view, localTime(2024, 5, 1), localTime(2024, 5, 6));
        choose(view, 2);
        QVERIFY(generate(view));
        auto* text = view.findChild<QTextBrowser*>("theTextView");
        text->setFocus();
        QTest::keyClick(text, Qt::Key_F, Qt::ControlModifier);
        auto* field = view.findChild<QLineEdit*>("findTF");
        QVERIFY(field->isVisible());
        QTRY_VERIFY(field->hasFocus());
        QTest::keyClicks(field, "fed minutes");
        QCOMPARE(text->textCursor().selectedText(), QStringLiteral("Fed minutes"));
        const int first = text->textCursor().selectionStart();
        QTest::keyClick(field, Qt::Key_Return);
        const int second = text->textCursor().selectionStart();
        QVERIFY(second > first);
        // Wraps around to the first match again.
        const int matches = plainText(view).count("Fed minutes");
        for (int i = 1; i < matches; ++i)
            QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(text->textCursor().selectionStart(), first);
        QTest::keyClicks(field, "zzz");
        QVERIFY(view.findChild<QLabel*>("findStatus")->text().contains("Not found"));
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!field->isVisible());
    }
};

QTEST_MAIN(ReportViewTest)
#include "ReportViewTest.moc"
