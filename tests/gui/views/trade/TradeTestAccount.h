#pragma once

// An account on disk for the trade view's tests: its folder, database, preferences, a fixed
// clock and scripted answers, and the environment a view is built from.

#include "core/app/PreferenceKeys.h"
#include "core/app/Preferences.h"
#include "core/model/AccountStore.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "gui/document/AccountEnvironment.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <QtTest>
#include <memory>

namespace brivel::test {

class TradeTestAccount {
public:
    explicit TradeTestAccount(const std::string& code = "B0W1",
                              const std::filesystem::path& root = {})
        : m_root(root.empty() ? m_dir.path() : root), folderCode(code),
          database(m_root / code / "database.brdb") {
        std::filesystem::create_directories(database.parent_path());
        Error error;
        if (!std::filesystem::exists(database))
            model::createEmptyAccountStore(database, &error);
        context = model::openAccountStore(database, &error);
        if (!context)
            qFatal("cannot open the test account: %s", error.message().c_str());
        preferences = std::make_unique<app::Preferences>(m_root / "preferences.json");
        preferences->setObject(nlohmann::json::array({{{"strategy", "Breakout"}},
                                                      {{"strategy", "Pullback"}},
                                                      {{"strategy", "Earnings gap"}}}),
                               app::prefkeys::ArrayOfStrategies);
        env = std::make_unique<gui::AccountEnvironment>(gui::AccountEnvironment{
            *context, *preferences, clock, prompter, folderCode, database, nullptr});
    }

    // Adds an order to a trade as the order list would, then lets the bookkeeping run.
    model::Order* addOrder(model::Trade* trade, bool buy, int shares, double price,
                           const std::string& desc, double day = 0) {
        auto* o = model::Order::insertInManagedObjectContext(context.get());
        o->setDate(Date(1'700'000'000.0 + day * 86'400));
        trade->addOrderObject(o);
        o->setDesc(desc);
        o->setIsBuyValue(buy);
        o->setNumSharesValue(shares);
        o->setPriceValue(price);
        return o;
    }
    void settle() {
        context->manualScheduler().runUntilIdle();
        context->undoManager().endEventGroup();
    }
    std::filesystem::path folder() const { return database.parent_path(); }

private:
    TempDir m_dir;
    std::filesystem::path m_root;

public:
    std::string folderCode;
    std::filesystem::path database;
    FixedClock clock{Date(1'700'000'000.0)};
    ScriptedPrompter prompter;
    std::unique_ptr<store::ObjectContext> context;
    std::unique_ptr<app::Preferences> preferences;
    std::unique_ptr<gui::AccountEnvironment> env;
};

// A plausible chart: a price line over a grid, in the given size.
inline QImage makeChart(int width, int height, QColor line = QColor(30, 90, 200)) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(QColor(225, 225, 225));
    for (int x = 0; x < width; x += std::max(1, width / 12))
        p.drawLine(x, 0, x, height);
    p.setPen(QPen(line, std::max(1, width / 400)));
    QPointF last(0, height * 0.7);
    for (int i = 1; i <= 60; ++i) {
        QPointF next(width * i / 60.0,
                     height * (0.7 - 0.4 * i / 60.0 + 0.08 * ((i * 37 % 11) / 11.0 - 0.5)));
        p.drawLine(last, next);
        last = next;
    }
    return image;
}

} // namespace brivel::test
