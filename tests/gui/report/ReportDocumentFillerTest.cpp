#include "gui/report/ReportDocumentFiller.h"

#include <QTest>
#include <QTextDocument>

using namespace brivel;
using brivel::gui::ReportDocumentFiller;
using brivel::gui::ReportResult;

namespace {

// count trade-like paragraphs of three lines; an image after every tenth when images is set.
std::shared_ptr<ReportResult> sampleReport(int count, bool images = false) {
    auto result = std::make_shared<ReportResult>();
    for (int i = 0; i < count; ++i) {
        result->text.append("T" + std::to_string(i) + "\n", report::TextStyle::Date);
        result->text.append("Net Profit: $1.00\n", report::TextStyle::GainProfit);
        result->text.append("Strategy: Breakout\n", report::TextStyle::Note);
        if (images && i % 10 == 9) {
            result->text.appendAttachment({"chart.png", "/nowhere/chart.png"});
            result->text.append("\n", report::TextStyle::Note);
        }
    }
    result->images.insert("/nowhere/chart.png", QSize(720, 400));
    return result;
}

// Fills with no time to spare: a slice of a few runs at a time.
QString fill(QTextDocument& document, ReportDocumentFiller& filler) {
    while (!filler.fillSome(0)) {
    }
    return document.toPlainText();
}

} // namespace

class ReportDocumentFillerTest : public QObject {
    Q_OBJECT
private slots:
    void aReportTooTallIsCutAtAParagraphWithANote_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("images");
        QTest::addColumn<qreal>("limit");
        QTest::addColumn<bool>("cut");
        QTest::newRow("within the limit") << 50 << false << 100000.0 << false;
        QTest::newRow("text past the limit") << 2000 << false << 5000.0 << true;
        // Forty images of 400 pixels are 16,000 pixels on their own.
        QTest::newRow("images past the limit") << 400 << true << 12000.0 << true;
    }

    void aReportTooTallIsCutAtAParagraphWithANote() {
        QFETCH(int, count);
        QFETCH(bool, images);
        QFETCH(qreal, limit);
        QFETCH(bool, cut);
        QTextDocument document;
        ReportDocumentFiller filler(document, sampleReport(count, images), 2000);
        filler.setHeightLimit(limit);
        const QString text = fill(document, filler);
        QCOMPARE(filler.isTruncated(), cut);
        QVERIFY(filler.isComplete());
        const QString note = ReportDocumentFiller::truncationNote();
        QCOMPARE(text.endsWith(note), cut);
        if (!cut) {
            QVERIFY(text.contains(QStringLiteral("T%1\n").arg(count - 1)));
            return;
        }
        // Whole paragraphs up to the cut, and no more than about the limit's worth of lines.
        const QString shown = text.left(text.size() - note.size());
        QVERIFY(shown.endsWith(QLatin1Char('\n')));
        const qsizetype lines = shown.count(QLatin1Char('\n'));
        QVERIFY2(lines < count * 3, qPrintable(QString::number(lines)));
        QVERIFY(filler.runsWritten() < filler.runCount());
        const qreal lineHeight = QFontMetricsF(document.defaultFont()).lineSpacing();
        if (!images)
            QVERIFY(lines * lineHeight > limit * 0.5);
    }
};

QTEST_MAIN(ReportDocumentFillerTest)
#include "ReportDocumentFillerTest.moc"
