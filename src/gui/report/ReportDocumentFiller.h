#pragma once

#ifndef Q_MOC_RUN
#include "core/report/StyledText.h"
#endif

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QSize>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <array>
#include <memory>

namespace brivel::gui {

// A report ready to be shown: the styled text and the natural sizes of its chart images, read
// off the main thread (keyed by file path; a file that cannot be read as an image has no entry).
// The pictures themselves are loaded by the text document when they come into view, so a report
// of a thousand charts does not hold them all in memory.
struct ReportResult {
    report::StyledText text;
    QHash<QString, QSize> images;
};

// Writes a report into a text document through the text cursor, a slice at a time, so that the
// main thread can paint between slices of a large report. Every style of the report becomes a
// character format; chart images go inline at their natural size, no wider than maxImageWidth.
//
// Qt's text layout stops making progress (the window hangs) once a document grows past about
// 2^23 pixels in height, some 40,000 trades of the trades report. A report that would come near
// that is cut at the end of a paragraph, with a closing line that says so; the whole report can
// still be saved as HTML.
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
    // Whether the report was cut short for its height (see above).
    bool isTruncated() const { return m_truncated; }
    // The estimated height, in pixels, past which the report is cut; for tests.
    void setHeightLimit(qreal pixels) { m_heightLimit = pixels; }

    // The character format of a report style.
    static QTextCharFormat charFormat(report::TextStyle style);
    // Scales every image of the document to fit maxWidth (never beyond its natural size).
    static void fitImages(QTextDocument& document, qreal maxWidth);

    // The closing line of a report cut short.
    static QString truncationNote();

private:
    void appendRun(const report::StyledText::Run& run);
    void truncate();

    QPointer<QTextDocument> m_document;
    std::shared_ptr<const ReportResult> m_result;
    qreal m_maxImageWidth;
    QTextCursor m_cursor;
    std::array<QTextCharFormat, report::TextStyleCount> m_formats;
    std::array<qreal, report::TextStyleCount> m_lineHeights{};
    std::size_t m_next = 0;
    // Lines and images written so far, in pixels, at the tallest style of each line; lines that
    // wrap are not counted, which the limit leaves room for.
    qreal m_height = 0;
    qreal m_lineHeight = 0; // of the line being written
    qreal m_heightLimit = 4'000'000;
    bool m_truncated = false;
};

} // namespace brivel::gui
