#pragma once

#include "core/app/PreferenceKeys.h"
#include "core/app/Preferences.h"
#include "core/app/StrategyNames.h"
#include "core/export/CSVHandler.h"
#include "core/import/TradeImporter.h"
#include "core/model/AccountStore.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "core/store/ObjectContext.h"
#include "support/StoreTestSupport.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace brivel::test {

// One account on disk with its own preferences, in New York time and US English.
class ImportAccount {
public:
    ImportAccount(const std::filesystem::path& folder, const std::vector<std::string>& strategies)
        : prefs(folder / "preferences.json"), database(folder / "A001" / "database.brdb") {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& s : strategies)
            list.push_back({{app::prefkeys::Strategy, s}});
        prefs.setObject(list, app::prefkeys::ArrayOfStrategies);
        context = createAccount(database);
    }

    void reopen() {
        context.reset();
        context = openAccount(database);
    }

    import::TradeImporter importer(){
        return import::TradeImporter(*context, prefs, clock, prompter, "A001");
}

// Reads and, when every line is understood (or skipBadLines), imports, settles and saves.
import::ImportSummary
importFile(const std::filesystem::path& file, const import::ImportOptions& options = {},
           import::ImportPlan* planOut = nullptr) {
    auto imp = importer();
    import::ImportPlan plan = imp.read(file, options);
    EXPECT_FALSE(plan.failure) << *plan.failure;
    if (planOut)
        *planOut = plan;
    import::ImportSummary summary = imp.apply(plan, true);
    context->manualScheduler().runUntilIdle();
    Error error;
    EXPECT_TRUE(context->save(&error)) << error.message();
    return summary;
}

std::string exportTrades(const std::filesystem::path& file) {
    exporting::CSVHandler handler([this](std::int64_t position) {
        return app::strategyNameAt(prefs.arrayForKey(app::prefkeys::ArrayOfStrategies), position);
    });
    EXPECT_FALSE(handler.writeTradesTo(file, *context).has_value());
    return readFile(file);
}

// The trades by date, each with its orders by date.
std::vector<model::Trade*> trades() const {
    std::vector<model::Trade*> out;
    for (auto* r : context->registeredObjects(model::Trade::entityName()))
        out.push_back(static_cast<model::Trade*>(r));
    std::stable_sort(out.begin(), out.end(),
                     [](auto* a, auto* b) { return a->date() < b->date(); });
    return out;
}
static std::vector<model::Order*> orders(const model::Trade* t) {
    auto out = t->order();
    std::stable_sort(out.begin(), out.end(),
                     [](auto* a, auto* b) { return a->date() < b->date(); });
    return out;
}

app::Preferences prefs;
std::filesystem::path database;
std::unique_ptr<store::ObjectContext> context;
FixedClock clock{Date(1700000000.0)};
ScriptedPrompter prompter;
}; // namespace brivel::test

class ImportTest : public ::testing::Test {
protected:
    ScopedEnv locale{"LC_ALL", "en_US.UTF-8"};
    ScopedEnv zone{"TZ", "America/New_York"};
    TempDir dir;
};

} // namespace brivel::test
