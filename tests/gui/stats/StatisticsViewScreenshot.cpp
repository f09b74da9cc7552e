// Renders the statistics view over a generated account of a year of trading to a PNG, for the
// screenshots script: brivel-stats-screenshot OUT.png [WIDTH HEIGHT]

#include "gui/stats/StatisticsView.h"

#include "core/app/FactoryPreferences.h"
#include "core/model/AccountStore.h"
#include "support/AccountGenerator.h"

#include <QApplication>
#include <QComboBox>
#include <QPixmap>
#include <filesystem>
#include <iostream>

using namespace brivel;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: brivel-stats-screenshot OUT.png [WIDTH HEIGHT]\n";
        return 2;
    }
    QApplication application(argc, argv);
    const auto folder = std::filesystem::temp_directory_path() /
                        ("brivel-stats-shot-" + std::to_string(QCoreApplication::applicationPid()));
    std::filesystem::create_directories(folder);
    const auto database = folder / "database.brdb";
    bench::GeneratorOptions options;
    options.trades = 700;
    options.ordersPerTrade = 2;
    options.logs = 300;
    options.notesPerLog = 1;
    options.barriersPerLog = 0;
    options.firstDay = 1704067200.0; // 2024-01-01
    bench::generateAccount(database, options);

    Error error;
    auto context = model::openAccountStore(database, &error);
    if (!context) {
        std::cerr << error.message() << '\n';
        return 1;
    }
    app::Preferences preferences(folder / "preferences.json");
    preferences.registerDefaults(app::FactoryPreferences::dictionary());
    FixedClock clock(Date(1730000000.0));
    ScriptedPrompter prompter;
    gui::AccountEnvironment env{*context, preferences, clock, prompter, "B0W1", database, nullptr};
    int status = 0;
    {
        gui::StatisticsView view(env);
        view.resize(argc >= 4 ? std::atoi(argv[2]) : 1280, argc >= 4 ? std::atoi(argv[3]) : 820);
        auto* by = view.findChild<QComboBox*>("breakdownPU");
        by->setCurrentIndex(2); // by month
        context->manualScheduler().runUntilIdle();
        view.show();
        QApplication::processEvents();
        if (!view.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
            std::cerr << "cannot write " << argv[1] << '\n';
            status = 1;
        }
    }
    context.reset();
    std::filesystem::remove_all(folder);
    return status;
}
