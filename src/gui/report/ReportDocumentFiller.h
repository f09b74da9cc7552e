#pragma once

#ifndef Q_MOC_RUN
#include "core/report/StyledText.h"
#endif

#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <array>
#include <memory>

namespace brivel::gui {

// A report ready to be shown: the styled text and the chart images, read from their files off
// the main thread (keyed by file path; an unreadable file has no entry).
struct ReportResult {
    report::StyledText text;
    QHash<QString, QImage> images;
};

// Writes a report into a text document through the text cursor, a slice at a time, so that the
// main thread can paint between slices of a large report. Every style of the report becomes a
// character format; chart images go inline at their natural size, no wider than maxImageWidth.
class ReportDocumentFiller {
public:
    ReportDocumentFiller(QTextDocument& document, std::shared_ptr<const ReportResult> result,
                         qreal maxImageWidth);

    // Appends runs until the budget is spent or the report is complete; true once complete.
    bool fillSome(qint64 budgetMilliseconds);
    bool isComplete() const;
    // Runs written so far, out of runCount().
    std::size_t runsWritten() const { return m_next; }
    std::size_t runCount() const;

    // The character format of a report style.
    static QTextCharFormat charFormat(report::TextStyle style);
    // Scales every image of the document to fit maxWidth (never beyond its natural size).
    static void fitImages(QTextDocument& document, qreal maxWidth);

private:
    void appendRun(const report::StyledText::Run& run);

    QPointer<QTextDocument> m_document;
    std::shared_ptr<const ReportResult> m_result;
    qreal m_maxImageWidth;
    QTextCursor m_cursor;
    std::array<QTextCharFormat, report::TextStyleCount> m_formats;
    std::size_t m_next = 0;
};

} // namespace brivel::gui
