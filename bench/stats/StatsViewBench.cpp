// The statistics view's refresh after one edit, over the large generated account (100,000
// trades): an order's price changes, the trade re-evaluates itself, and the view recomputes and
// shows the result once. Offscreen: QT_QPA_PLATFORM=offscreen brivel-stats-view-bench [RUNS]
#include "core/model/AccountStore.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "gui/stats/StatisticsView.h"
#include "support/AccountGenerator.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

using namespace brivel;

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TZ", "America/New_York", 0);
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    auto context = std::make_unique<store::ObjectContext>(model::accountModel());
    bench::fillAccount(*context, bench::GeneratorOptions{});
    context->manualScheduler().runUntilIdle();

    const auto folder = std::filesystem::temp_directory_path() /
                        ("brivel-stats-view-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    app::Preferences preferences(folder / "preferences.json");
    FixedClock clock(Date(1730000000.0));
    ScriptedPrompter prompter;
    gui::AccountEnvironment env{*context, preferences, clock, prompter, "B0W1", {}, nullptr};
    gui::StatisticsView view(env);
    view.resize(1280, 820);
    view.show();
    QApplication::processEvents();

    const auto& trades = context->registeredObjects(model::Trade::entityName());
    std::vector<double> millis;
    for (int i = 0; i < runs; ++i) {
        auto* trade = static_cast<model::Trade*>(trades[static_cast<std::size_t>(i) * 997]);
        auto* order = trade->order().front();
        const auto start = std::chrono::steady_clock::now();
        order->setPriceValue(order->priceValue() + 0.01);
        context->manualScheduler().runUntilIdle();
        view.repaint(); // the curve, the calendar and the table paint the new result
        millis.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(millis.begin(), millis.end());
    std::printf("refresh after one order edit (100,000 trades): median %.1f ms, best %.1f ms, "
                "worst %.1f ms over %d edits; %d recomputations\n",
                millis[millis.size() / 2], millis.front(), millis.back(), runs,
                view.recomputationCount() - 1);
    std::filesystem::remove_all(folder);
    return 0;
}
