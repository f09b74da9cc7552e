// Renders the trade view offscreen on a realistic account with chart images, for looking at it:
//
//   QT_QPA_PLATFORM=offscreen brivel-trade-view-screenshots OUTPUT_FOLDER
//
// writes trade-view.png, trade-view-dark.png, trade-view-empty.png, trade-closing-hint.png and
// trade-enlarged-image.png.

#include "TradeTestAccount.h"
#include "gui/views/trade/ChartImageWell.h"
#include "gui/views/trade/EnlargedImgPanel.h"
#include "gui/views/trade/TradeClosingHintPanel.h"
#include "gui/views/trade/TradeListTableView.h"
#include "gui/views/trade/TradeView.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <random>

using namespace brivel;
using namespace brivel::test;

namespace {

// A candlestick chart with volume bars and a moving average, like a trading platform's export.
QImage candleChart(int w, int h, unsigned seed, bool rising) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(19, 23, 34));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(42, 46, 57));
    for (int y = h / 8; y < h; y += h / 8)
        p.drawLine(0, y, w, y);
    for (int x = w / 10; x < w; x += w / 10)
        p.drawLine(x, 0, x, h);
    std::mt19937 rng(seed);
    std::normal_distribution<double> step(rising ? 0.35 : -0.35, 2.2);
    const int candles = 70;
    const double cw = static_cast<double>(w) / candles;
    double price = 100;
    std::vector<double> closes;
    std::vector<QRectF> bodies;
    double lo = 1e9, hi = -1e9;
    std::vector<std::array<double, 4>> ohlc;
    for (int i = 0; i < candles; ++i) {
        double open = price;
        double close = open + step(rng);
        double high = std::max(open, close) + std::abs(step(rng)) * 0.6;
        double low = std::min(open, close) - std::abs(step(rng)) * 0.6;
        ohlc.push_back({open, high, low, close});
        lo = std::min(lo, low);
        hi = std::max(hi, high);
        price = close;
    }
    const double top = h * 0.06, chartH = h * 0.68;
    auto y = [&](double v) { return top + (hi - v) / (hi - lo) * chartH; };
    QPolygonF average;
    double sum = 0;
    for (int i = 0; i < candles; ++i) {
        auto [open, high, low, close] = ohlc[static_cast<std::size_t>(i)];
        QColor c = close >= open ? QColor(38, 166, 154) : QColor(239, 83, 80);
        double x = i * cw + cw / 2;
        p.setPen(QPen(c, 1));
        p.drawLine(QPointF(x, y(high)), QPointF(x, y(low)));
        p.fillRect(QRectF(x - cw * 0.35, y(std::max(open, close)), cw * 0.7,
                          std::max(1.0, std::abs(y(open) - y(close)))),
                   c);
        double volume = 0.3 + (rng() % 100) / 140.0;
        c.setAlpha(110);
        p.fillRect(QRectF(x - cw * 0.35, h - volume * h * 0.18, cw * 0.7, volume * h * 0.18), c);
        sum += close;
        if (i >= 9) {
            average << QPointF(x, y(sum / 10));
            sum -= ohlc[static_cast<std::size_t>(i - 9)][3];
        }
    }
    p.setPen(QPen(QColor(255, 183, 77), 1.6));
    p.drawPolyline(average);
    p.setPen(QColor(200, 200, 210));
    QFont f = p.font();
    f.setPixelSize(std::max(10, h / 28));
    p.setFont(f);
    p.drawText(QRectF(8, 4, w, h / 12.0), Qt::AlignLeft | Qt::AlignVCenter,
               rising ? QStringLiteral("NVDA · 5 min") : QStringLiteral("NVDA · 5 min · exit"));
    return image;
}

struct Order {
    bool buy;
    int shares;
    double price;
    const char* desc;
};

model::Trade* trade(TradeTestAccount& account, gui::TradeView& view, const char* ticker,
                    int strategy, double day, std::initializer_list<Order> orders) {
    auto* t = view.tradeAC().newObject();
    view.tradeAC().addObject(t);
    t->setTicker(std::string(ticker));
    t->setTradeStrategyValue(static_cast<std::int16_t>(strategy));
    double hour = 0;
    for (const Order& o : orders) {
        auto* order = account.addOrder(t, o.buy, o.shares, o.price, o.desc, day + hour);
        order->setCommissionValue(1.0);
        order->setReason(o.buy ? std::string("Breakout over the morning high")
                               : std::string("Target reached"));
        hour += 0.05;
    }
    return t;
}

void fill(TradeTestAccount& account, gui::TradeView& view) {
    const char* tickers[] = {"AAPL", "MSFT", "AMD",   "TSLA", "META", "SPY",
                             "QQQ",  "AMZN", "GOOGL", "NFLX", "INTC", "SHOP"};
    std::mt19937 rng(7);
    for (int i = 0; i < 22; ++i) {
        const char* ticker = tickers[i % 12];
        double entry = 40 + (rng() % 4000) / 10.0;
        double exit = entry * (0.96 + (rng() % 90) / 1000.0);
        int shares = 50 * (1 + static_cast<int>(rng() % 6));
        trade(account, view, ticker, i % 3, -60 + i * 2.5,
              {{true, shares, entry, "Long"}, {false, shares, exit, "Long"}});
    }
    trade(account, view, "COIN", 1, -1, {{true, 200, 181.4, "Long"}});
    trade(account, view, "PLTR", 0, -0.5, {{true, 500, 21.3, "Long"}, {false, 200, 22.1, "Long"}});
    account.settle();
}

void save(QWidget& w, const QString& path) {
    QApplication::processEvents();
    if (!w.grab().save(path))
        qWarning("could not write %s", qPrintable(path));
}

QPalette darkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(45, 45, 48));
    p.setColor(QPalette::WindowText, QColor(220, 220, 220));
    p.setColor(QPalette::Base, QColor(30, 30, 32));
    p.setColor(QPalette::AlternateBase, QColor(40, 40, 43));
    p.setColor(QPalette::Text, QColor(220, 220, 220));
    p.setColor(QPalette::Button, QColor(53, 53, 56));
    p.setColor(QPalette::ButtonText, QColor(220, 220, 220));
    p.setColor(QPalette::Highlight, QColor(61, 174, 233));
    p.setColor(QPalette::HighlightedText, QColor(252, 252, 252));
    p.setColor(QPalette::PlaceholderText, QColor(140, 140, 140));
    p.setColor(QPalette::Link, QColor(61, 174, 233));
    return p;
}

void shootView(const QString& folder, const QString& name, bool dark) {
    if (dark)
        QApplication::setPalette(darkPalette());
    TradeTestAccount account;
    gui::TradeView view(*account.env);
    view.resize(1180, 760);
    fill(account, view);
    // A closed winner selected, with its two charts.
    model::Trade* selected = nullptr;
    for (auto* o : view.tradeAC().arrangedObjects()) {
        auto* t = dynamic_cast<model::Trade*>(o);
        if (t->isClosedValue() && t->profitValue() > 0) {
            selected = t;
            break;
        }
    }
    view.tradeAC().setSelectedObjects({selected});
    view.show();
    view.entryIV()->writeImageToFile(candleChart(1440, 900, 3, true));
    view.exitIV()->writeImageToFile(candleChart(1440, 900, 5, false));
    view.tradeList()->setFocus();
    save(view, folder + name);
    if (!dark) {
        view.lgImagePanel()->showImage(view.exitIV()->image(), QStringLiteral("Exit Image"),
                                       QPoint(40, 40));
        QTest::qWait(400);
        save(*view.lgImagePanel(), folder + QStringLiteral("trade-enlarged-image.png"));
        view.lgImagePanel()->hide();
        view.setActiveWindowQuery([] { return true; });
        view.showTradeClosingHint();
        save(*view.helpfulHintPanel(), folder + QStringLiteral("trade-closing-hint.png"));
    }
    if (dark)
        QApplication::setPalette(QApplication::style()->standardPalette());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    if (!folder.endsWith('/'))
        folder += '/';
    shootView(folder, QStringLiteral("trade-view.png"), false);
    shootView(folder, QStringLiteral("trade-view-dark.png"), true);
    {
        TradeTestAccount account;
        gui::TradeView view(*account.env);
        view.resize(1000, 600);
        view.show();
        save(view, folder + QStringLiteral("trade-view-empty.png"));
    }
    return 0;
}
