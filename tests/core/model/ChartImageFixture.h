#pragma once

// An account "B0W1" on disk, opened, with the trade list that makes trades and their chart image
// names: what the chart image file tests start from.

#include "core/controllers/TradeArrayController.h"
#include "core/model/AccountStore.h"
#include "core/model/ChartImageFiles.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "support/StoreTestSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace brivel::test {

class ChartImageFixture : public ::testing::Test {
protected:
    ChartImageFixture() {
        createAccount(database);
        open();
    }

    void open() {
        trades.reset();
        context = openAccount(database);
        ASSERT_TRUE(context);
        trades =
            std::make_unique<controllers::TradeArrayController>(*context, clock, prompter, "B0W1");
    }
    // A new trade, selected, whose two pictures are on disk.
    model::Trade* tradeWithPictures(const std::string& bytes = "png") {
        auto* t = trades->newObject();
        trades->addObject(t);
        writeFile(file(*t->chartImg()->entryImg()), bytes + "-entry");
        writeFile(file(*t->chartImg()->exitImg()), bytes + "-exit");
        return t;
    }
    std::filesystem::path file(const std::string& name) const {
        return *model::chartImageFile(database, name);
    }
    void save() {
        Error error;
        ASSERT_TRUE(context->save(&error)) << error.message();
    }
    void endEvent() { context->undoManager().endEventGroup(); }
    // Deletes the selected trades, answering yes to the question.
    void deleteSelected() {
        prompter.queueAnswer(true);
        trades->remove();
    }

    TempDir dir;
    std::filesystem::path database = dir / "B0W1/database.brdb";
    FixedClock clock{Date(1'700'000'000.0)};
    ScriptedPrompter prompter;
    std::unique_ptr<store::ObjectContext> context;
    std::unique_ptr<controllers::TradeArrayController> trades;
};

} // namespace brivel::test
