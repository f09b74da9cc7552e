// The report view on large generated accounts, offscreen: the time from the click on Generate to
// the report shown, the longest the main thread went without turning its event loop meanwhile,
// and the resident memory of a report of every trade in the view. After the report is shown the
// text view goes on laying out the rest of the document; that phase is timed too, up to the
// last line laid out.
//
//   brivel-report-view-bench [--skip-100k] [--only trades|details|100k] [--runs N]
//                            [--big-trades N]
//
// With --runs N each report is generated N times over the same account (a new view each time)
// and the medians are printed after the single figures.
//
// Wall-clock figures depend on the machine's load; say so when quoting them.
#include "core/app/Preferences.h"
#include "core/model/AccountStore.h"
#include "core/model/ChartImageFiles.h"
#include "core/model/Entities.h"
#include "core/model/Trade.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "gui/report/ReportView.h"
#include "support/AccountGenerator.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

using namespace brivel;

namespace {

constexpr double Day = 86400.0;

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

struct Account {
    std::filesystem::path folder;
    std::unique_ptr<store::ObjectContext> context;
    std::unique_ptr<app::Preferences> preferences;
    SystemClock clock;
    ScriptedPrompter prompter;
    std::unique_ptr<gui::AccountEnvironment> env;

    Account(const std::string& name, const bench::GeneratorOptions& options) {
        folder = std::filesystem::temp_directory_path() /
                 ("brivel-report-view-bench-" + std::to_string(getpid())) / name / "B0W1";
        std::filesystem::create_directories(folder);
        Error error;
        if (!model::createEmptyAccountStore(folder / "database.brdb", &error))
            throw std::runtime_error(error.message());
        context = model::openAccountStore(folder / "database.brdb", &error);
        if (!context)
            throw std::runtime_error(error.message());
        bench::fillAccount(*context, options);
        preferences = std::make_unique<app::Preferences>(folder.parent_path() / "prefs.json");
        preferences->registerDefaults(nlohmann::json{
            {"arrayOfStrategies", nlohmann::json::array({{{"strategy", "Breakout"}},
                                                         {{"strategy", "Pullback"}},
                                                         {{"strategy", "Gap and go"}},
                                                         {{"strategy", "Reversal"}},
                                                         {{"strategy", "Trend"}}})}});
        env = std::make_unique<gui::AccountEnvironment>(gui::AccountEnvironment{
            *context, *preferences, clock, prompter, "B0W1", folder / "database.brdb", nullptr});
    }
};

// Writes a 720 x 400 chart picture under the entry and exit names of every trade in the range.
std::size_t writeChartImages(Account& account, double end) {
    QImage picture(720, 400, QImage::Format_RGB32);
    picture.fill(QColor(24, 28, 40));
    QPainter p(&picture);
    p.setPen(QColor(90, 200, 120));
    for (int x = 0; x < 720; x += 6)
        p.drawLine(x, 200 + (x * 37) % 150 - 75, x + 6, 200 + ((x + 6) * 37) % 150 - 75);
    p.end();
    const QString first = QString::fromStdString((account.folder / "chart.png").string());
    picture.save(first, "PNG");
    std::size_t written = 0;
    for (auto* object : account.context->registeredObjects("Trade")) {
        auto* trade = static_cast<model::Trade*>(object);
        if (!trade->date() || trade->date()->secondsSince1970 > end || !trade->chartImg())
            continue;
        for (const auto& name : {trade->chartImg()->entryImg(), trade->chartImg()->exitImg()}) {
            auto file = model::chartImageFile(account.env->databasePath, *name);
            std::filesystem::copy_file(first.toStdString(), *file);
            ++written;
        }
    }
    return written;
}

struct Figures {
    double shownAfterMs = 0;
    double longestGapMs = 0;
    long rssBeforeKb = 0;
    long rssAfterKb = 0;
    double laidOutAfterMs = 0;    // the last line of the report laid out
    double longestGapAfterMs = 0; // from shown to laid out
    long rssLaidOutKb = 0;
};

bool lastLineLaidOut(const QTextDocument& document) {
    const QTextBlock last = document.lastBlock();
    return last.isValid() && last.layout() && last.layout()->lineCount() > 0;
}

// Clicks Generate from the event loop and turns the loop until the report is shown, timing the
// gaps between the loop's turns with a zero-interval timer.
Figures run(Account& account, int type, double begin, double end) {
    Figures f;
    gui::ReportView view(*account.env);
    view.resize(1200, 900);
    view.show();
    QApplication::processEvents();
    view.findChild<QComboBox*>("reportTypePU")->setCurrentIndex(type);
    auto at = [](double s) {
        return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(s * 1000));
    };
    view.findChild<QDateTimeEdit*>("startDateDP")->setDateTime(at(begin));
    view.findChild<QDateTimeEdit*>("endDateDP")->setDateTime(at(end));
    f.rssBeforeKb = residentKilobytes();

    QEventLoop loop;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setInterval(0);
    bool shown = false;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double gap = sinceTick.nsecsElapsed() / 1e6;
        double& longest = shown ? f.longestGapAfterMs : f.longestGapMs;
        longest = std::max(longest, gap);
        sinceTick.restart();
        if (shown && (lastLineLaidOut(*view.textView()->document()) ||
                      clock.elapsed() - f.shownAfterMs > 120000)) {
            f.laidOutAfterMs = clock.nsecsElapsed() / 1e6;
            loop.quit();
        }
    });
    QObject::connect(&view, &gui::ReportView::reportShown, [&] {
        // The first paint of the shown report belongs to the figure too.
        view.repaint();
        f.shownAfterMs = clock.nsecsElapsed() / 1e6;
        f.longestGapMs = std::max(f.longestGapMs, sinceTick.nsecsElapsed() / 1e6);
        f.rssAfterKb = residentKilobytes();
        shown = true;
        sinceTick.restart();
    });
    QTimer::singleShot(0, &view, [&] {
        clock.start();
        sinceTick.start();
        ticker.start();
        view.generateReport();
    });
    loop.exec();
    ticker.stop();
    f.rssLaidOutKb = residentKilobytes();
    return f;
}

void print(const char* what, const Figures& f) {
    std::printf("%-44s shown after %7.0f ms   longest main-thread gap %6.1f ms   RSS %ld -> %ld "
                "MB\n%-44s laid out after %4.0f ms   longest gap meanwhile %6.1f ms   RSS %ld MB\n",
                what, f.shownAfterMs, f.longestGapMs, f.rssBeforeKb / 1024, f.rssAfterKb / 1024, "",
                f.laidOutAfterMs, f.longestGapAfterMs, f.rssLaidOutKb / 1024);
    std::fflush(stdout);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Generates the report runs times; prints the first run's figures and the medians of all.
Figures measure(const char* what, int runs, Account& account, int type, double begin, double end) {
    std::vector<Figures> all;
    for (int i = 0; i < runs; ++i)
        all.push_back(run(account, type, begin, end));
    print(what, all.front());
    if (runs > 1) {
        auto of = [&](double Figures::*field) {
            std::vector<double> values;
            for (const auto& f : all)
                values.push_back(f.*field);
            return median(values);
        };
        std::printf("%-44s median of %d runs: shown after %.0f ms, longest gap %.1f ms; laid out "
                    "after %.0f ms, longest gap %.1f ms\n",
                    "", runs, of(&Figures::shownAfterMs), of(&Figures::longestGapMs),
                    of(&Figures::laidOutAfterMs), of(&Figures::longestGapAfterMs));
        std::fflush(stdout);
    }
    return all.front();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    setenv("LC_ALL", "en_US.UTF-8", 0);
    setenv("TZ", "America/New_York", 0);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool skip100k = args.contains("--skip-100k");
    auto option = [&](const QString& name, const QString& fallback) {
        const auto at = args.indexOf(name);
        return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
    };
    const QString only = option("--only", {});
    const int runs = std::max(1, option("--runs", "1").toInt());
    auto wanted = [&](const char* name) { return only.isEmpty() || only == name; };
    const auto root = std::filesystem::temp_directory_path() /
                      ("brivel-report-view-bench-" + std::to_string(getpid()));
    try {
        bench::GeneratorOptions tenThousand;
        tenThousand.trades = 10000;
        tenThousand.logs = 2000;
        if (wanted("trades")) {
            Account account("trades", tenThousand);
            const double end = tenThousand.firstDay + tenThousand.logs * Day;
            measure("Trades report, 10,000 trades", runs, account, 4, tenThousand.firstDay, end);
        }
        if (wanted("details")) {
            bench::GeneratorOptions options = tenThousand;
            Account account("details", options);
            // The first 1,000 trades of 10,000 spread evenly over the journal's days.
            const double end = options.firstDay + options.logs * Day * 1000.0 / options.trades - 1;
            const std::size_t images = writeChartImages(account, end);
            std::printf("(%zu chart image files of 720 x 400 written)\n", images);
            measure("Trade details report, 1,000 trades + images", runs, account, 5,
                    options.firstDay, end);
        }
        if (!skip100k && wanted("100k")) {
            bench::GeneratorOptions all; // 100,000 trades
            // Fewer for looking at how the figures grow with the size of the report.
            all.trades = option("--big-trades", "100000").toULong();
            Account account("all", all);
            const long before = residentKilobytes();
            const Figures f = measure("Trades report, 100,000 trades", runs, account, 4,
                                      all.firstDay, all.firstDay + all.logs * Day);
            std::printf("Resident memory of the 100,000-trade report in the view: %ld MB when "
                        "shown, %ld MB laid out (account loaded: %ld MB)\n",
                        (f.rssAfterKb - f.rssBeforeKb) / 1024,
                        (f.rssLaidOutKb - f.rssBeforeKb) / 1024, before / 1024);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        std::filesystem::remove_all(root);
        return 1;
    }
    std::filesystem::remove_all(root);
    return 0;
}
