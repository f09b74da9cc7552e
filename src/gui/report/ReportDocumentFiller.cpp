#include "gui/report/ReportDocumentFiller.h"

#include <QFontMetricsF>
#include <QObject>
#include <QTextBlock>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>
#include <algorithm>

namespace brivel::gui {

namespace {

// The document keeps the full-size picture under this name; the format only scales it.
constexpr int NaturalWidthProperty = QTextFormat::UserProperty + 1;
constexpr int NaturalHeightProperty = QTextFormat::UserProperty + 2;

QString imageName(const QString& file) {
    return QUrl::fromLocalFile(file).toString();
}

void scale(QTextImageFormat& format, qreal maxWidth) {
    const qreal w = format.doubleProperty(NaturalWidthProperty);
    const qreal h = format.doubleProperty(NaturalHeightProperty);
    if (w <= 0 || h <= 0)
        return;
    const qreal width = maxWidth > 0 ? std::min(w, maxWidth) : w;
    format.setWidth(width);
    format.setHeight(h * width / w);
}

} // namespace

ReportDocumentFiller::ReportDocumentFiller(QTextDocument& document,
                                           std::shared_ptr<const ReportResult> result,
                                           qreal maxImageWidth)
    : m_document(&document), m_result(std::move(result)), m_maxImageWidth(maxImageWidth),
      m_cursor(&document) {
    for (std::size_t i = 0; i < report::TextStyleCount; ++i) {
        m_formats[i] = charFormat(static_cast<report::TextStyle>(i));
        QFont font = document.defaultFont();
        if (m_formats[i].hasProperty(QTextFormat::FontFamilies))
            font = m_formats[i].font().resolve(font);
        m_lineHeights[i] = QFontMetricsF(font).lineSpacing();
    }
    m_cursor.movePosition(QTextCursor::End);
}

std::size_t ReportDocumentFiller::runCount() const {
    return m_result->text.runs().size();
}

bool ReportDocumentFiller::isComplete() const {
    return m_truncated || m_next >= runCount();
}

QString ReportDocumentFiller::truncationNote() {
    return QObject::tr("\nThis report is too long to show in full here. Save it as HTML to read "
                       "all of it.");
}

QTextCharFormat ReportDocumentFiller::charFormat(report::TextStyle style) {
    QTextCharFormat format;
    if (style == report::TextStyle::Plain)
        return format; // the document's default font
    const report::StyleAttributes& a = report::styleAttributes(style);
    // The family as the report names it; font matching picks the nearest installed face.
    format.setFontFamilies(
        {QString::fromUtf8(a.fontFamily.data(), static_cast<qsizetype>(a.fontFamily.size()))});
    format.setFontPointSize(a.pointSize);
    format.setFontWeight(a.bold ? QFont::Bold : QFont::Normal);
    format.setFontUnderline(a.underline);
    if (a.background) {
        format.setBackground(QColor::fromRgbF(static_cast<float>(a.background->red),
                                              static_cast<float>(a.background->green),
                                              static_cast<float>(a.background->blue)));
        // The text colour is the text system's default, black; in a dark colour scheme the
        // default would be light and unreadable on these backgrounds.
        format.setForeground(QColor(Qt::black));
    }
    return format;
}

bool ReportDocumentFiller::fillSome(qint64 budgetMilliseconds) {
    if (!m_document)
        return true;
    QElapsedTimer timer;
    timer.start();
    const auto& runs = m_result->text.runs();
    m_cursor.beginEditBlock();
    while (!isComplete()) {
        appendRun(runs[m_next++]);
        if (m_height > m_heightLimit && !runs[m_next - 1].isAttachment() &&
            m_result->text.textOf(runs[m_next - 1]).ends_with('\n')) {
            truncate();
            break;
        }
        // The clock is read every few runs only: reading it costs about as much as a short run.
        if ((m_next & 7) == 0 && timer.elapsed() >= budgetMilliseconds)
            break;
    }
    m_cursor.endEditBlock();
    return isComplete();
}

void ReportDocumentFiller::appendRun(const report::StyledText::Run& run) {
    const report::StyledText& text = m_result->text;
    if (run.isAttachment()) {
        const QString file = QString::fromStdString(text.attachmentOf(run).file.string());
        auto found = m_result->images.constFind(file);
        if (found == m_result->images.constEnd())
            return; // a file that cannot be read leaves no picture
        QTextImageFormat format;
        format.setName(imageName(file));
        format.setProperty(NaturalWidthProperty, qreal(found->width()));
        format.setProperty(NaturalHeightProperty, qreal(found->height()));
        scale(format, m_maxImageWidth);
        m_cursor.insertImage(format);
        // An image is laid out at most as tall as it is at its natural size.
        m_lineHeight = std::max(m_lineHeight, qreal(found->height()));
        return;
    }
    const std::string_view piece = text.textOf(run);
    const qreal lineHeight = m_lineHeights[static_cast<std::size_t>(run.style)];
    for (char c : piece) {
        m_lineHeight = std::max(m_lineHeight, lineHeight);
        if (c == '\n') {
            m_height += m_lineHeight;
            m_lineHeight = 0;
        }
    }
    m_cursor.insertText(QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size())),
                        m_formats[static_cast<std::size_t>(run.style)]);
}

void ReportDocumentFiller::truncate() {
    m_truncated = true;
    m_cursor.insertText(truncationNote(),
                        m_formats[static_cast<std::size_t>(report::TextStyle::BoldNote)]);
}

void ReportDocumentFiller::fitImages(QTextDocument& document, qreal maxWidth) {
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const qreal before = format.width();
            scale(format, maxWidth);
            if (format.width() == before)
                continue;
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
    cursor.endEditBlock();
}

} // namespace brivel::gui
