#pragma once

// moc does not read C++20 library headers.
#ifndef Q_MOC_RUN
#include "gui/document/AccountEnvironment.h"
#endif

#include "gui/document/AccountView.h"
#include "gui/report/ReportDocumentFiller.h"

#include <QTimer>
#include <memory>

class QAction;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTextBrowser;

namespace brivel::report {
class ReportSnapshotCapture;
}

namespace brivel::gui {

class FindBar;
class ReportGeneration;

// The report view: a report type, an optional ticker and a date range, and the report below as
// read-only styled text that can be searched, printed and saved as PDF or HTML.
//
// A report is built away from the main thread from a snapshot of the account (itself taken in
// slices on the main thread, where the account lives), then written into a fresh text document
// in slices; only when that is complete does it replace the report shown,
// so a cancelled or superseded generation leaves the previous report in place.
class ReportView : public AccountView {
    Q_OBJECT
public:
    explicit ReportView(AccountEnvironment& env, QWidget* parent = nullptr);
    ~ReportView() override;

    // The generate button's action: the selected type (its item index is the report type code),
    // the ticker and the two dates as the pickers hold them. A generation still running is
    // cancelled first.
    void generateReport();
    void cancelGeneration();
    bool isGenerating() const;

    // The report shown (nothing before the first generation).
    const report::StyledText* report() const;
    QTextBrowser* textView() const { return m_theTextView; }

    // Writes the report shown; false (after telling the user) when the file cannot be written.
    bool savePdf(const QString& path);
    bool saveHtml(const QString& path);
    void printReport();

    QAction* findAction() const { return m_findAction; }

signals:
    // A generated report replaced the one shown.
    void reportShown();
    // A generation was cancelled before its report was shown.
    void generationCancelled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildLayout();
    void buildShortcuts();
    void setDefaultDates();
    void captureSlice();
    void startFilling(std::shared_ptr<const ReportResult> result);
    void fillSlice();
    void showFilledDocument();
    void stopWork();
    void setBusy(bool busy);
    void updateCommands();
    qreal maxImageWidth() const;
    void chooseAndSave(bool pdf);
    bool writeFile(const QString& path, const QByteArray& bytes);

    AccountEnvironment& m_env;
    QComboBox* m_reportTypePU = nullptr;
    QLineEdit* m_tickerTF = nullptr;
    QDateTimeEdit* m_startDateDP = nullptr;
    QDateTimeEdit* m_endDateDP = nullptr;
    QPushButton* m_generateReportBtn = nullptr;
    QPushButton* m_printBtn = nullptr;
    QPushButton* m_savePdfBtn = nullptr;
    QPushButton* m_saveHtmlBtn = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancelBtn = nullptr;
    QTextBrowser* m_theTextView = nullptr;
    FindBar* m_findBar = nullptr;
    QAction* m_findAction = nullptr;
    QAction* m_cancelAction = nullptr;

    std::unique_ptr<report::ReportSnapshotCapture> m_capture;
    std::unique_ptr<ReportGeneration> m_generation;
    QTextDocument* m_pendingDocument = nullptr;
    std::unique_ptr<ReportDocumentFiller> m_filler;
    std::shared_ptr<const ReportResult> m_pendingResult;
    std::shared_ptr<const ReportResult> m_shown;
    QTimer m_captureTimer;
    QTimer m_fillTimer;
    QTimer m_fitTimer;
};

} // namespace brivel::gui
