// The trade view on a generated account of 100,000 trades and 400,000 orders, offscreen:
// making and showing the list, sorting by a column, painting one viewport, selecting a trade with
// both pictures, and pasting a 2880 x 1800 screenshot. Each step runs several times; the report
// gives the median and the slowest run in milliseconds. Steps end when the result is painted
// (counted through paint events), or for the paste when its file is stored; during the paste the
// longest gap between two turns of the event loop is what typing would wait at most.
//
//   QT_QPA_PLATFORM=offscreen brivel-trade-view-bench [trades]

#include "core/app/Preferences.h"
#include "core/model/AccountStore.h"
#include "core/model/ChartImageFiles.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "gui/ArrayControllerModel.h"
#include "gui/document/AccountEnvironment.h"
#include "gui/views/trade/ChartImageEncoder.h"
#include "gui/views/trade/ChartImageWell.h"
#include "gui/views/trade/TradeListTableView.h"
#include "gui/views/trade/TradeView.h"
#include "support/AccountGenerator.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHeaderView>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

using namespace brivel;
namespace fs = std::filesystem;

namespace {

double ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

void report(const char* what, std::vector<double> runs, double target) {
    std::sort(runs.begin(), runs.end());
    std::printf("%-44s median %8.2f ms  max %8.2f ms  (target %g ms, %zu runs)\n", what,
                runs[runs.size() / 2], runs.back(), target, runs.size());
}

std::vector<double> repeat(int n, const std::function<void()>& step,
                           const std::function<void()>& before = {}) {
    std::vector<double> out;
    for (int i = 0; i < n; ++i) {
        if (before)
            before();
        QElapsedTimer t;
        t.start();
        step();
        out.push_back(ms(t));
    }
    return out;
}

// A chart as a screenshot shows it: a grid, price labels, candles and volume bars, with
// antialiased edges and text, so that the PNG is as large as a real one (not a flat picture that
// compresses to nothing).
QImage chart(int w, int h, int seed) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(250, 250, 250));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(225, 228, 232));
    for (int x = 0; x < w; x += w / 24)
        p.drawLine(x, 0, x, h);
    for (int y = 0; y < h; y += h / 16)
        p.drawLine(0, y, w, y);
    QFont font = p.font();
    font.setPixelSize(std::max(9, h / 60));
    p.setFont(font);
    p.setPen(QColor(90, 90, 100));
    for (int y = h / 16; y < h; y += h / 16)
        p.drawText(w - font.pixelSize() * 5, y - 2,
                   QString::number(180.0 + (h - y) * 0.01 + seed * 0.1, 'f', 2));
    for (int x = 4; x < w - 4; x += 6) {
        int volume = ((x * 2654435761u + static_cast<unsigned>(seed)) >> 7) % (h / 6);
        p.fillRect(QRectF(x, h - volume, 4, volume), QColor(120, 140, 200, 140));
    }
    double price = h / 2.0;
    for (int x = 4; x < w - 4; x += 6) {
        double next = price + ((x * 7919 + seed * 104729) % 23 - 11) * h / 300.0;
        next = std::clamp(next, h * 0.1, h * 0.9);
        p.setPen(next < price ? QColor(20, 150, 60) : QColor(200, 40, 40));
        p.drawLine(x + 2, static_cast<int>(std::min(price, next) - 6), x + 2,
                   static_cast<int>(std::max(price, next) + 6));
        p.fillRect(QRectF(x, std::min(price, next), 4, std::abs(next - price) + 1),
                   p.pen().color());
        price = next;
    }
    return image;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// Turns the event loop until done() holds (at most five seconds).
void spinUntil(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Showing the view: the list is there at once. The account window makes its views when it
// opens; selecting the view shows it.
std::unique_ptr<gui::TradeView> makeAndShow(gui::AccountEnvironment& env) {
    std::unique_ptr<gui::TradeView> view;
    std::vector<double> made, shown;
    for (int i = 0; i < 3; ++i) {
        view.reset();
        QElapsedTimer t;
        t.start();
        view = std::make_unique<gui::TradeView>(env);
        made.push_back(ms(t));
        view->resize(1280, 800);
        auto* painted = new PaintCounter(view->tradeList()->viewport());
        t.restart();
        view->show();
        spinUntil([&] { return painted->count > 0; });
        shown.push_back(ms(t));
    }
    report("make the trade view (window opening)", made, 100);
    report("show it until the list is painted", shown, 100);
    return view;
}

// Sorting by a column header, and back to the default ordering: each column once each way.
void sortByHeaders(gui::TradeView& view) {
    auto* list = view.tradeList();
    auto* header = list->horizontalHeader();
    auto* painted = new PaintCounter(list->viewport());
    std::vector<double> sorts;
    for (int column = 0; column < header->count(); ++column) {
        std::printf(
            "  sort by %-12s",
            qPrintable(
                view.tradeModel()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()));
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            const int before = painted->count;
            QElapsedTimer t;
            t.start();
            header->setSortIndicator(column, order);
            spinUntil([&] { return painted->count > before; });
            sorts.push_back(ms(t));
            std::printf(" %7.2f ms", sorts.back());
        }
        std::printf("\n");
    }
    report("sort by a column header (until painted)", sorts, 300);
    report("resetTradeSort",
           repeat(3,
                  [&] {
                      view.resetTradeSort();
                      QApplication::processEvents();
                  }),
           300);
}

// One full viewport of the list, gradients included, with a selected closed trade.
void paintViewport(gui::TradeView& view) {
    auto* list = view.tradeList();
    view.tradeAC().setSelectionIndexes({40});
    list->scrollTo(view.tradeModel()->index(40, 0));
    QImage target(list->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    report("paint one viewport of the trade list",
           repeat(50,
                  [&] {
                      QPainter p(&target);
                      list->viewport()->render(&p);
                  }),
           8);
    std::printf("  (viewport %dx%d, %d rows visible)\n", target.width(), target.height(),
                list->viewport()->height() / list->verticalHeader()->defaultSectionSize());
}

// Selecting trades with two 720 x 450 pictures on disk, until the orders and both pictures are
// painted.
void selectTrades(gui::TradeView& view, const fs::path& database) {
    const std::size_t trades = view.tradeAC().arrangedObjects().size();
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < 10; ++i) {
        std::size_t row = std::min(trades - 1, trades / 100 + i * 7);
        rows.push_back(row);
        auto* trade = dynamic_cast<model::Trade*>(view.tradeAC().arrangedObjects()[row]);
        for (const auto& name : {trade->chartImg()->entryImg(), trade->chartImg()->exitImg()})
            chart(720, 450, static_cast<int>(row))
                .save(QString::fromStdString(model::chartImageFile(database, *name)->string()),
                      "PNG");
    }
    auto* entryPainted = new PaintCounter(view.entryIV());
    auto* exitPainted = new PaintCounter(view.exitIV());
    auto* ordersPainted = new PaintCounter(view.orderTable()->viewport());
    int orderResets = 0;
    QObject::connect(view.orderModel(), &QAbstractItemModel::modelReset, [&] { ++orderResets; });
    std::vector<double> selects;
    for (std::size_t i = 0; i < 2 * rows.size(); ++i) {
        const int e = entryPainted->count, x = exitPainted->count, o = ordersPainted->count;
        QElapsedTimer t;
        t.start();
        view.tradeAC().setSelectionIndexes({rows[i % rows.size()]});
        spinUntil([&] {
            return entryPainted->count > e && exitPainted->count > x && ordersPainted->count > o;
        });
        selects.push_back(ms(t));
        if (view.entryIV()->image().isNull() || view.exitIV()->image().isNull())
            std::printf("  (a picture is missing after selecting row %zu)\n",
                        rows[i % rows.size()]);
    }
    report("select a trade: orders and both pictures", selects, 50);
    std::printf("  (the orders table was reset %d times for %zu selections)\n", orderResets,
                selects.size());
    report("  of which loading both pictures",
           repeat(10,
                  [&] {
                      view.entryIV()->reload();
                      view.exitIV()->reload();
                  }),
           0);
    QImage wellTarget(view.entryIV()->size(), QImage::Format_ARGB32_Premultiplied);
    report("  of which painting one well",
           repeat(10,
                  [&] {
                      QPainter p(&wellTarget);
                      view.entryIV()->render(&p);
                  }),
           0);
    std::printf("  (well %dx%d)\n", wellTarget.width(), wellTarget.height());
}

// One paste into the well: milliseconds until the file is stored, and the longest gap between
// two turns of the event loop meanwhile (the longest a key press would wait). A 1 ms timer marks
// the turns without keeping a core busy itself.
std::pair<double, double> pasteOnce(gui::ChartImageWell& well, const QMimeData& data) {
    bool written = false;
    QEventLoop loop;
    QObject::connect(&well, &gui::ChartImageWell::pendingImageFinished, &loop, [&](bool ok) {
        written = ok;
        loop.quit();
    });
    QElapsedTimer t;
    double last = 0, longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        double now = ms(t);
        longest = std::max(longest, now - last);
        last = now;
    });
    ticker.start(1);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    t.start();
    well.readFromMimeData(&data);
    loop.exec();
    const double stored = ms(t);
    if (!written)
        std::printf("  (the paste was not stored within 5 s)\n");
    return {stored, std::max(longest, stored - last)};
}

// Pasting a 2880 x 1800 screenshot (PNG data, as screenshot tools offer it), and the parts of
// the work on their own.
void pasteScreenshots(gui::TradeView& view, const fs::path& folder) {
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        chart(2880, 1800, 7).save(&buffer, "PNG");
    }
    std::printf("  (the screenshot's PNG: %lld bytes)\n", static_cast<long long>(png.size()));
    QMimeData data;
    data.setData(QStringLiteral("image/png"), png);
    std::vector<double> stored, gaps;
    for (int i = 0; i < 5; ++i) {
        auto [done, gap] = pasteOnce(*view.entryIV(), data);
        stored.push_back(done);
        gaps.push_back(gap);
    }
    report("paste a 2880x1800 screenshot: PNG stored", stored, 300);
    report("  longest event-loop gap meanwhile", gaps, 100);
    if (const auto file = view.entryIV()->filePath()) {
        const QSize size = QImageReader(*file).size();
        std::printf("  (stored file %dx%d, %lld bytes)\n", size.width(), size.height(),
                    static_cast<long long>(QFileInfo(*file).size()));
    }
    const QImage decoded = QImage::fromData(png);
    const QImage scaled = gui::ChartImageEncoder::scaledForStorage(decoded);
    const QByteArray bytes = gui::ChartImageEncoder::pngData(scaled);
    const std::string_view contents(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    report("  on the main thread: the atomic write (flushed)",
           repeat(10,
                  [&] {
                      Error e;
                      AtomicFile::write(folder / "write-test.png", contents, &e);
                  }),
           0);
    report("  on the worker: decoding", repeat(5, [&] { (void)QImage::fromData(png); }), 0);
    report("  on the worker: scaling to 720 wide",
           repeat(5, [&] { (void)gui::ChartImageEncoder::scaledForStorage(decoded); }), 0);
    report("  on the worker: PNG encoding",
           repeat(5, [&] { (void)gui::ChartImageEncoder::pngData(scaled); }), 0);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const std::size_t trades = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;

    const fs::path dir =
        fs::temp_directory_path() /
        ("brivel-trade-view-bench-" + std::to_string(QCoreApplication::applicationPid()));
    const fs::path database = dir / "B0W1" / "database.brdb";
    fs::create_directories(database.parent_path());
    Error error;
    model::createEmptyAccountStore(database, &error);
    auto context = model::openAccountStore(database, &error);
    bench::GeneratorOptions options;
    options.trades = trades;
    options.logs = 0;
    QElapsedTimer gen;
    gen.start();
    bench::fillAccount(*context, options);
    context->undoManager().removeAllActions();
    std::printf("generated %zu trades, %zu orders in %.0f ms\n", trades,
                context->registeredObjects("Order").size(), ms(gen));

    app::Preferences preferences(dir / "preferences.json");
    preferences.setObject(nlohmann::json::array({{{"strategy", "Breakout"}},
                                                 {{"strategy", "Pullback"}},
                                                 {{"strategy", "Gap"}},
                                                 {{"strategy", "Trend"}},
                                                 {{"strategy", "Range"}}}),
                          "arrayOfStrategies");
    FixedClock clock(Date(1'700'000'000.0));
    ScriptedPrompter prompter(true);
    gui::AccountEnvironment env{*context, preferences, clock, prompter, "B0W1", database, nullptr};

    std::unique_ptr<gui::TradeView> view = makeAndShow(env);
    sortByHeaders(*view);
    paintViewport(*view);
    selectTrades(*view, database);
    pasteScreenshots(*view, database.parent_path());

    view.reset();
    context.reset();
    fs::remove_all(dir);
    return 0;
}
