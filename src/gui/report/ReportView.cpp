#include "gui/report/ReportView.h"

#ifndef Q_MOC_RUN
#include "core/app/StrategyNames.h"
#include "core/platform/AtomicFile.h"
#include "core/report/DefaultReportDates.h"
#include "core/report/HtmlRenderer.h"
#include "core/report/ReportSnapshotCapture.h"
#endif
#include "gui/report/FindBar.h"
#include "gui/report/ReportGeneration.h"

#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <chrono>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace brivel::gui {

namespace {

// Time given to one slice of reading the account or of writing into the document: short enough
// for the window to paint and respond between slices.
constexpr qint64 SliceMilliseconds = 20;

// The worker that built a report freed its copy of the account, hundreds of megabytes for a
// large one, in its own malloc arena, which glibc keeps; give it back to the system.
void releaseFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

QDateTime toDateTime(Date date) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(date.secondsSince1970 * 1000.0));
}

Date toDate(const QDateTime& value) {
    return Date(static_cast<double>(value.toMSecsSinceEpoch()) / 1000.0);
}

QDateTimeEdit* datePicker(const QString& name, const QString& accessible, QWidget* parent) {
    auto* picker = new QDateTimeEdit(parent);
    picker->setObjectName(name);
    picker->setAccessibleName(accessible);
    picker->setCalendarPopup(true);
    // The medium date style with the time of day, which the range keeps to the second.
    picker->setDisplayFormat(QStringLiteral("MMM d, yyyy  HH:mm:ss"));
    return picker;
}

} // namespace

ReportView::ReportView(AccountEnvironment& env, QWidget* parent) : AccountView(parent), m_env(env) {
    setObjectName(QStringLiteral("reportView"));
    setWindowTitle(tr("Report"));
    setAccessibleName(tr("Report"));
    buildControls();
    setDefaultDates();
    m_fillTimer.setSingleShot(true);
    m_fillTimer.setInterval(0);
    connect(&m_fillTimer, &QTimer::timeout, this, &ReportView::fillSlice);
    m_captureTimer.setSingleShot(true);
    m_captureTimer.setInterval(0);
    connect(&m_captureTimer, &QTimer::timeout, this, &ReportView::captureSlice);
    m_fitTimer.setSingleShot(true);
    m_fitTimer.setInterval(100);
    connect(&m_fitTimer, &QTimer::timeout, this, [this] {
        ReportDocumentFiller::fitImages(*m_theTextView->document(), maxImageWidth());
    });
    updateCommands();
}

ReportView::~ReportView() {
    stopWork();
}

void ReportView::buildControls() {
    m_reportTypePU = new QComboBox(this);
    m_reportTypePU->setObjectName(QStringLiteral("reportTypePU"));
    m_reportTypePU->setAccessibleName(tr("Report type"));
    // Item positions are the report type codes.
    m_reportTypePU->addItems({tr("Choose a Report"), tr("Journal"), tr("Notes"),
                              tr("Flagged Notes"), tr("Trades"), tr("Trade Details")});
    m_reportTypePU->setCurrentIndex(1);

    m_tickerTF = new QLineEdit(this);
    m_tickerTF->setObjectName(QStringLiteral("tickerTF"));
    m_tickerTF->setAccessibleName(tr("Ticker"));
    m_tickerTF->setPlaceholderText(tr("Any"));
    m_tickerTF->setToolTip(tr("Notes, trades and trade details only. * matches any run of "
                              "characters, ? one character."));
    m_tickerTF->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 7);
    m_tickerTF->setMaximumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 12);

    m_startDateDP = datePicker(QStringLiteral("startDateDP"), tr("From"), this);
    m_endDateDP = datePicker(QStringLiteral("endDateDP"), tr("To"), this);

    auto button = [this](const QString& name, const QString& text, const QString& accessible) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAccessibleName(accessible);
        return b;
    };
    m_generateReportBtn =
        button(QStringLiteral("generateReportBtn"), tr("Generate"), tr("Generate report"));
    m_generateReportBtn->setDefault(true);
    m_printBtn = button(QStringLiteral("printReportBtn"), tr("Print…"), tr("Print report"));
    m_savePdfBtn =
        button(QStringLiteral("savePdfBtn"), tr("Save as PDF…"), tr("Save report as PDF"));
    m_saveHtmlBtn =
        button(QStringLiteral("saveHtmlBtn"), tr("Save as HTML…"), tr("Save report as HTML"));
    m_cancelBtn =
        button(QStringLiteral("cancelReportBtn"), tr("Cancel"), tr("Cancel report generation"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("reportProgress"));
    m_progress->setAccessibleName(tr("Report progress"));

    buildLayout();

    buildShortcuts();
    connect(m_generateReportBtn, &QPushButton::clicked, this, &ReportView::generateReport);
    connect(m_cancelBtn, &QPushButton::clicked, this, &ReportView::cancelGeneration);
    connect(m_printBtn, &QPushButton::clicked, this, &ReportView::printReport);
    connect(m_savePdfBtn, &QPushButton::clicked, this, [this] { chooseAndSave(true); });
    connect(m_saveHtmlBtn, &QPushButton::clicked, this, [this] { chooseAndSave(false); });
    connect(m_reportTypePU, &QComboBox::currentIndexChanged, this, [this](int type) {
        // Only the notes and trade reports filter by ticker.
        m_tickerTF->setEnabled(type == 2 || type == 4 || type == 5);
    });
    m_tickerTF->setEnabled(false);
}

// The controls in a row above the report, the progress bar below them, then the report and its
// find bar.
void ReportView::buildLayout() {
    auto* controls = new QHBoxLayout;
    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    controls->addWidget(label(tr("&Report:"), m_reportTypePU));
    controls->addWidget(m_reportTypePU);
    controls->addWidget(label(tr("T&icker:"), m_tickerTF));
    controls->addWidget(m_tickerTF);
    controls->addWidget(label(tr("&From:"), m_startDateDP));
    controls->addWidget(m_startDateDP);
    controls->addWidget(label(tr("&To:"), m_endDateDP));
    controls->addWidget(m_endDateDP);
    controls->addWidget(m_generateReportBtn);
    controls->addStretch(1);
    controls->addWidget(m_printBtn);
    controls->addWidget(m_savePdfBtn);
    controls->addWidget(m_saveHtmlBtn);

    auto* busy = new QHBoxLayout;
    busy->addWidget(m_progress, 1);
    busy->addWidget(m_cancelBtn);

    m_theTextView = new QTextBrowser(this);
    m_theTextView->setObjectName(QStringLiteral("theTextView"));
    m_theTextView->setAccessibleName(tr("Report text"));
    m_theTextView->setOpenLinks(false);
    m_theTextView->setUndoRedoEnabled(false);
    m_theTextView->viewport()->installEventFilter(this);
    m_findBar = new FindBar(*m_theTextView, this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(busy);
    layout->addWidget(m_theTextView, 1);
    layout->addWidget(m_findBar);
    setBusy(false);
}

// Find, Find Next and Previous, Escape to cancel, Print: while the report view has the focus.
void ReportView::buildShortcuts() {
    m_findAction = new QAction(tr("Find…"), this);
    m_findAction->setObjectName(QStringLiteral("findAction"));
    m_findAction->setShortcut(QKeySequence::Find);
    m_findAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(m_findAction);
    auto* findNext = new QAction(tr("Find Next"), this);
    findNext->setShortcut(QKeySequence::FindNext);
    findNext->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(findNext);
    auto* findPrevious = new QAction(tr("Find Previous"), this);
    findPrevious->setShortcut(QKeySequence::FindPrevious);
    findPrevious->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(findPrevious);
    m_cancelAction = new QAction(tr("Cancel Report"), this);
    m_cancelAction->setShortcut(Qt::Key_Escape);
    m_cancelAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(m_cancelAction);
    auto* print = new QAction(tr("Print…"), this);
    print->setShortcut(QKeySequence::Print);
    print->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(print);

    connect(m_findAction, &QAction::triggered, m_findBar, &FindBar::open);
    connect(findNext, &QAction::triggered, this, [this] { m_findBar->findNext(false); });
    connect(findPrevious, &QAction::triggered, this, [this] { m_findBar->findNext(true); });
    connect(m_cancelAction, &QAction::triggered, this, &ReportView::cancelGeneration);
    connect(print, &QAction::triggered, this, [this] {
        if (m_shown)
            printReport();
    });
}

void ReportView::setDefaultDates() {
    auto range = report::defaultReportDates(m_env.clock.now());
    if (!range)
        return; // the pickers keep what they hold
    m_startDateDP->setDateTime(toDateTime(range->begin));
    m_endDateDP->setDateTime(toDateTime(range->end));
}

void ReportView::generateReport() {
    stopWork();
    report::ReportRequest request;
    request.type =
        static_cast<report::ReportType>(static_cast<std::int32_t>(m_reportTypePU->currentIndex()));
    request.ticker = m_tickerTF->text().toStdString();
    request.beginDate = toDate(m_startDateDP->dateTime());
    request.endDate = toDate(m_endDateDP->dateTime());
    m_capture = std::make_unique<report::ReportSnapshotCapture>(
        std::move(request), m_env.context, app::strategyNames(m_env.preferences),
        m_env.clock.now());
    setBusy(true);
    m_progress->setFormat(tr("Reading the account… %p%"));
    m_progress->setRange(0, 0);
    // A small account is read in this first slice and its report starts at once.
    captureSlice();
}

void ReportView::captureSlice() {
    if (!m_capture)
        return;
    if (!m_capture->captureSome(std::chrono::milliseconds(SliceMilliseconds))) {
        m_progress->setRange(0, static_cast<int>(m_capture->recordCount()));
        m_progress->setValue(static_cast<int>(m_capture->recordsCopied()));
        m_captureTimer.start();
        return;
    }
    auto snapshot = m_capture->take();
    m_capture.reset();
    if (snapshot.isEmpty()) {
        // Nothing to build: the empty-result text goes up at once.
        auto result = std::make_shared<ReportResult>();
        result->text = report::StyledText::plain(report::EmptyResultText);
        startFilling(std::move(result));
        m_filler->fillSome(1000);
        showFilledDocument();
        return;
    }
    m_generation = std::make_unique<ReportGeneration>(std::move(snapshot));
    connect(m_generation.get(), &ReportGeneration::progressed, this, [this](int done, int total) {
        m_progress->setFormat(tr("Building report… %p%"));
        m_progress->setRange(0, total);
        m_progress->setValue(done);
    });
    connect(
        m_generation.get(), &ReportGeneration::finished, this,
        [this](std::shared_ptr<const ReportResult> result) { startFilling(std::move(result)); });
    m_progress->setRange(0, 0);
    m_generation->start();
}

void ReportView::startFilling(std::shared_ptr<const ReportResult> result) {
    m_pendingResult = std::move(result);
    delete m_pendingDocument;
    m_pendingDocument = new QTextDocument(m_theTextView);
    m_pendingDocument->setUndoRedoEnabled(false);
    m_pendingDocument->setDefaultFont(m_theTextView->font());
    m_filler = std::make_unique<ReportDocumentFiller>(*m_pendingDocument, m_pendingResult,
                                                      maxImageWidth());
    m_progress->setFormat(tr("Laying out report… %p%"));
    m_progress->setRange(0, static_cast<int>(m_filler->runCount()));
    m_progress->setValue(0);
    m_fillTimer.start();
}

void ReportView::fillSlice() {
    if (!m_filler)
        return;
    const bool complete = m_filler->fillSome(SliceMilliseconds);
    m_progress->setValue(static_cast<int>(m_filler->runsWritten()));
    if (complete)
        showFilledDocument();
    else
        m_fillTimer.start();
}

void ReportView::showFilledDocument() {
    m_fillTimer.stop();
    m_filler.reset();
    // The document is a child of the view: the one it replaces is deleted with the switch.
    QTextDocument* document = m_pendingDocument;
    m_pendingDocument = nullptr;
    m_theTextView->setDocument(document);
    m_theTextView->moveCursor(QTextCursor::Start);
    m_shown = std::move(m_pendingResult);
    m_generation.reset();
    releaseFreedMemory();
    setBusy(false);
    updateCommands();
    emit reportShown();
}

void ReportView::stopWork() {
    const bool wasBusy = m_capture || m_generation || m_filler;
    m_captureTimer.stop();
    m_capture.reset();
    if (m_generation) {
        m_generation->cancel();
        m_generation.reset(); // waits for the thread's current slice
    }
    m_fillTimer.stop();
    m_filler.reset();
    delete m_pendingDocument;
    m_pendingDocument = nullptr;
    m_pendingResult.reset();
    if (wasBusy && m_progress)
        setBusy(false);
}

void ReportView::cancelGeneration() {
    if (!isGenerating())
        return;
    stopWork();
    emit generationCancelled();
}

bool ReportView::isGenerating() const {
    return m_capture != nullptr || m_generation != nullptr || m_filler != nullptr;
}

void ReportView::setBusy(bool busy) {
    m_progress->setVisible(busy);
    m_cancelBtn->setVisible(busy);
    if (m_cancelAction)
        m_cancelAction->setEnabled(busy);
}

void ReportView::updateCommands() {
    const bool shown = m_shown != nullptr;
    m_printBtn->setEnabled(shown);
    m_savePdfBtn->setEnabled(shown);
    m_saveHtmlBtn->setEnabled(shown);
}

const report::StyledText* ReportView::report() const {
    return m_shown ? &m_shown->text : nullptr;
}

qreal ReportView::maxImageWidth() const {
    // The room beside the vertical scroll bar, which a long report brings in.
    const qreal margin = m_theTextView->document()->documentMargin();
    const int scrollBar = m_theTextView->verticalScrollBar()->isVisible()
                              ? 0
                              : m_theTextView->verticalScrollBar()->sizeHint().width();
    return std::max<qreal>(50, m_theTextView->viewport()->width() - scrollBar - 2 * margin - 4);
}

bool ReportView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_theTextView->viewport() && event->type() == QEvent::Resize)
        m_fitTimer.start();
    return AccountView::eventFilter(watched, event);
}

bool ReportView::writeFile(const QString& path, const QByteArray& bytes) {
    Error error;
    if (AtomicFile::write(path.toStdString(),
                          std::string_view(bytes.data(), static_cast<std::size_t>(bytes.size())),
                          &error))
        return true;
    m_env.prompter.alert("The report could not be saved.",
                         error.message().empty() ? path.toStdString() : error.message());
    return false;
}

bool ReportView::savePdf(const QString& path) {
    if (!m_shown)
        return false;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(tr("Report"));
        writer.setCreator(QStringLiteral("Brivel Trade Journal"));
        writer.setPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem
                               ? QPageSize(QPageSize::Letter)
                               : QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        m_theTextView->document()->print(&writer);
    }
    return writeFile(path, buffer.data());
}

bool ReportView::saveHtml(const QString& path) {
    if (!m_shown)
        return false;
    const std::string html = report::renderHtml(m_shown->text, "Report");
    return writeFile(path, QByteArray(html.data(), static_cast<qsizetype>(html.size())));
}

void ReportView::printReport() {
    if (!m_shown)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(tr("Report"));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr("Print Report"));
    if (dialog.exec() == QDialog::Accepted)
        m_theTextView->document()->print(&printer);
}

void ReportView::chooseAndSave(bool pdf) {
    if (!m_shown)
        return;
    const QString filter = pdf ? tr("PDF files (*.pdf)") : tr("HTML files (*.html *.htm)");
    QString path = QFileDialog::getSaveFileName(
        this, pdf ? tr("Save Report as PDF") : tr("Save Report as HTML"),
        pdf ? tr("Report.pdf") : tr("Report.html"), filter);
    if (path.isEmpty())
        return;
    if (pdf)
        savePdf(path);
    else
        saveHtml(path);
}

} // namespace brivel::gui
