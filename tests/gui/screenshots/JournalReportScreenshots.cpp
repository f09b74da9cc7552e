// Renders the journal view and every report type on a generated week of trading to PNG files,
// offscreen, for looking at the views without a display:
//
//   brivel-journal-report-screenshots OUTPUT_FOLDER
//
// Files: journal.png, journal-note-panel.png, report-<type>.png for the six report types.
#include "gui/report/ReportView.h"
#include "gui/support/ViewTestAccount.h"
#include "gui/views/journal/JournalView.h"
#include "gui/views/journal/NoteDetailPanel.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

using namespace brivel;
using brivel::gui::test::localTime;

namespace {

bool save(QWidget& widget, const QString& path) {
    QApplication::processEvents();
    const bool ok = widget.grab().save(path, "PNG");
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

bool shootReport(gui::ReportView& view, int type, const QString& ticker, const QString& path) {
    view.findChild<QComboBox*>("reportTypePU")->setCurrentIndex(type);
    view.findChild<QLineEdit*>("tickerTF")->setText(ticker);
    QEventLoop loop;
    QObject::connect(&view, &gui::ReportView::reportShown, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    view.generateReport();
    if (view.isGenerating())
        loop.exec();
    return save(view, path);
}

} // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: brivel-journal-report-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(app.arguments()[1]);
    QDir().mkpath(out.path());
    bool ok = true;

    gui::test::ViewTestAccount account(localTime(2024, 5, 10, 15, 30));
    account.fillSample(localTime(2024, 5, 6), 5, true);

    {
        gui::JournalView journal(account.env());
        journal.resize(1100, 680);
        journal.show();
        journal.logAC().setSelectionIndexes({3});
        journal.notesAC().setSelectionIndexes({1});
        ok = save(journal, out.filePath("journal.png")) && ok;
        journal.doubleClickNote(journal.mapToGlobal(QPoint(420, 160)));
        ok = save(*journal.noteDetailPanel(), out.filePath("journal-note-panel.png")) && ok;
        journal.closeNoteDetail();
    }

    gui::ReportView report(account.env());
    report.resize(1100, 760);
    report.show();
    auto at = [](Date d) {
        return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(d.secondsSince1970 * 1000));
    };
    report.findChild<QDateTimeEdit*>("startDateDP")->setDateTime(at(localTime(2024, 5, 6)));
    const struct {
        int type;
        const char* ticker;
        const char* file;
    } shots[] = {{0, "", "report-none.png"},   {1, "", "report-journal.png"},
                 {2, "", "report-notes.png"},  {3, "", "report-flagged.png"},
                 {4, "", "report-trades.png"}, {5, "", "report-details.png"}};
    for (const auto& shot : shots)
        ok = shootReport(report, shot.type, shot.ticker, out.filePath(shot.file)) && ok;
    return ok ? 0 : 1;
}
