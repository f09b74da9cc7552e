#include "gui/support/ViewTestAccount.h"

#ifndef Q_MOC_RUN
#include "core/model/AccountStore.h"
#include "core/model/ChartImageFiles.h"
#endif

#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QTimeZone>
#include <stdexcept>

namespace brivel::gui::test {

Date localTime(int year, int month, int day, int hour, int minute, int second) {
    QDateTime t(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::systemTimeZone());
    return Date(static_cast<double>(t.toMSecsSinceEpoch()) / 1000.0);
}

QImage makeChart(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(QColor(225, 225, 225));
    for (int x = 0; x < width; x += std::max(1, width / 12))
        p.drawLine(x, 0, x, height);
    p.setPen(QPen(QColor(30, 90, 200), std::max(1, width / 400)));
    QPointF last(0, height * 0.7);
    for (int i = 1; i <= 60; ++i) {
        QPointF next(width * i / 60.0,
                     height * (0.7 - 0.4 * i / 60.0 + 0.08 * ((i * 37 % 11) / 11.0 - 0.5)));
        p.drawLine(last, next);
        last = next;
    }
    return image;
}

ViewTestAccount::ViewTestAccount(Date now, const std::string& code,
                                 const std::filesystem::path& root)
    : clock(now), prompter(false), m_code(code),
      m_folder((root.empty() ? m_dir.path() : root) / code) {
    setSystemLog(&memoryLog);
    std::filesystem::create_directories(m_folder);
    const auto database = m_folder / "database.brdb";
    Error error;
    if (!std::filesystem::exists(database) && !model::createEmptyAccountStore(database, &error))
        throw std::runtime_error(error.message());
    m_context = model::openAccountStore(database, &error);
    if (!m_context)
        throw std::runtime_error(error.message());
    m_preferences = std::make_unique<app::Preferences>(m_dir.path() / "preferences.json");
    m_preferences->registerDefaults(nlohmann::json{
        {"arrayOfIndices", nlohmann::json::array({{{"index", "NASDAQ"}}, {{"index", "DOW"}}})},
        {"arrayOfStrategies", nlohmann::json::array({{{"strategy", "Breakout"}},
                                                     {{"strategy", "Pullback"}},
                                                     {{"strategy", "Earnings gap"}}})}});
    m_env = std::make_unique<AccountEnvironment>(
        AccountEnvironment{*m_context, *m_preferences, clock, prompter, m_code, database, nullptr});
}

ViewTestAccount::~ViewTestAccount() {
    m_env.reset();
    m_context.reset();
    setSystemLog(nullptr);
}

model::Log* ViewTestAccount::addLog(Date date) {
    auto* log = model::Log::insertInManagedObjectContext(m_context.get());
    log->setDate(date);
    return log;
}

model::Note* ViewTestAccount::addNote(model::Log* log, Date timestamp,
                                      std::optional<std::string> ticker,
                                      std::optional<std::string> comment, bool flag) {
    auto* note = model::Note::insertInManagedObjectContext(m_context.get());
    note->setTimestamp(timestamp);
    note->setTicker(std::move(ticker));
    note->setComment(std::move(comment));
    note->setFlagValue(flag);
    log->addNoteObject(note);
    return note;
}

model::PriceBarrier* ViewTestAccount::addBarrier(model::Log* log, std::string ticker,
                                                 double support, double resistance) {
    auto* barrier = model::PriceBarrier::insertInManagedObjectContext(m_context.get());
    barrier->setTicker(std::move(ticker));
    barrier->setSupportValue(support);
    barrier->setResistanceValue(resistance);
    log->addPriceBarrierObject(barrier);
    return barrier;
}

model::Trade* ViewTestAccount::addTrade(const std::string& ticker, Date date, double buy,
                                        double sell, int shares, const std::string& reason) {
    auto* trade = model::Trade::insertInManagedObjectContext(m_context.get());
    trade->setTicker(ticker);
    trade->setDate(date);
    auto* chart = model::ChartImage::insertInManagedObjectContext(m_context.get());
    const auto stem =
        m_code + "/" + ticker + std::to_string(static_cast<long>(date.secondsSince1970));
    chart->setEntryImg(stem + "-entry.png");
    chart->setExitImg(stem + "-exit.png");
    trade->setChartImg(chart);
    const double commission = 1.5;
    for (int k = 0; k < 2; ++k) {
        auto* order = model::Order::insertInManagedObjectContext(m_context.get());
        order->setDate(date.addingSeconds(k * 3600.0));
        order->setDesc(std::string("Position 1"));
        order->setIsBuyValue(k == 0);
        order->setNumSharesValue(shares);
        order->setPriceValue(k == 0 ? buy : sell);
        order->setCommissionValue(commission);
        order->setReason(reason);
        trade->addOrderObject(order);
    }
    // The values the bookkeeping would reach; set here so that no scheduler has to run.
    trade->setIsClosedValue(true);
    trade->setProfitValue((sell - buy) * shares - 2 * commission);
    trade->setTradeStrategyValue(static_cast<std::int16_t>(shares % 2));
    return trade;
}

model::Order* ViewTestAccount::addOrder(model::Trade* trade, bool buy, int shares, double price,
                                        const std::string& desc, double day) {
    auto* o = model::Order::insertInManagedObjectContext(m_context.get());
    o->setDate(Date(1'700'000'000.0 + day * 86'400));
    trade->addOrderObject(o);
    o->setDesc(desc);
    o->setIsBuyValue(buy);
    o->setNumSharesValue(shares);
    o->setPriceValue(price);
    return o;
}

void ViewTestAccount::settle() {
    m_context->manualScheduler().runUntilIdle();
    endEvent();
}

void ViewTestAccount::writeChartImages(model::Trade* trade, int width, int height) {
    const auto* chart = trade->chartImg();
    for (const auto& name : {chart->entryImg(), chart->exitImg()}) {
        auto file = model::chartImageFile(m_env->databasePath, *name);
        makeChart(width, height).save(QString::fromStdString(file->string()), "PNG");
    }
}

void ViewTestAccount::fillSample(Date firstDay, int days) {
    const char* tickers[] = {"AAPL", "MSFT", "NVDA", "TSLA", "AMD"};
    const char* comments[] = {
        "Gap up on earnings, waiting for the first pullback",
        "Volume drying up near resistance",
        "Market weak into the close, no new longs",
        "Held VWAP all morning; added on the break of the high",
        "Fed minutes at 2 pm, sizing down",
    };
    for (int d = 0; d < days; ++d) {
        const Date day = firstDay.addingSeconds(d * 86400.0);
        auto* log = addLog(day.addingSeconds(8 * 3600.0));
        addBarrier(log, "NASDAQ", 15800 + d * 35, 16150 + d * 20);
        addBarrier(log, "DOW", 38400 + d * 60, 39050 + d * 45);
        for (int n = 0; n < 3; ++n)
            addNote(log, day.addingSeconds((9.5 + n * 2.25) * 3600.0), tickers[(d + n) % 5],
                    comments[(d * 3 + n) % 5], (d + n) % 4 == 1);
        addTrade(tickers[d % 5], day.addingSeconds(10 * 3600.0), 180 + d * 3.5,
                 d % 3 == 2 ? 176.25 + d * 3.5 : 184.8 + d * 3.5, 100 + 50 * d);
    }
    endEvent();
}

} // namespace brivel::gui::test
