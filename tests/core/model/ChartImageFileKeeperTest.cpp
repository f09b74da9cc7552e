// While an account window is open, the pictures of a trade whose deletion was saved wait aside,
// so that Undo brings the trade back whole; closing the window settles what stands.

#include "core/model/ChartImageFileKeeper.h"
#include "core/controllers/TradeArrayController.h"
#include "core/model/AccountStore.h"
#include "core/model/ChartImageFiles.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace brivel::test {
namespace {

namespace fs = std::filesystem;
using controllers::TradeArrayController;
using model::ChartImageFileKeeper;
using model::Trade;

class ChartImageFileKeeperTest : public ::testing::Test {
protected:
    ChartImageFileKeeperTest() {
        fs::create_directories(database.parent_path());
        Error error;
        EXPECT_TRUE(model::createEmptyAccountStore(database, &error)) << error.message();
        context = model::openAccountStore(database, &error);
        EXPECT_TRUE(context) << error.message();
        trades = std::make_unique<TradeArrayController>(*context, clock, prompter, "B0W1");
        keeper = std::make_unique<ChartImageFileKeeper>(*context);
    }

    struct Pictures {
        fs::path entry, exit;
        bool onDisk() const { return fs::exists(entry) && fs::exists(exit); }
        bool gone() const { return !fs::exists(entry) && !fs::exists(exit); }
    };

    // A saved trade whose two pictures are on disk, as its own undo step.
    std::pair<Trade*, Pictures> savedTradeWithPictures(const std::string& bytes = "png") {
        auto* t = trades->newObject();
        trades->addObject(t);
        Pictures p{*model::chartImageFile(database, *t->chartImg()->entryImg()),
                   *model::chartImageFile(database, *t->chartImg()->exitImg())};
        writeFile(p.entry, bytes + "-entry");
        writeFile(p.exit, bytes + "-exit");
        save();
        return {t, p};
    }
    void save() {
        Error error;
        ASSERT_TRUE(context->save(&error)) << error.message();
        endEvent();
    }
    void endEvent() { context->undoManager().endEventGroup(); }
    void deleteTrade(Trade* t) {
        trades->setSelectedObjects({t});
        prompter.queueAnswer(true);
        trades->remove();
        endEvent();
    }
    fs::path aside() const { return keeper->asideFolder(); }

    TempDir dir;
    fs::path database = dir / "B0W1/database.brdb";
    FixedClock clock{Date(1'700'000'000.0)};
    ScriptedPrompter prompter;
    std::unique_ptr<store::ObjectContext> context;
    std::unique_ptr<TradeArrayController> trades;
    std::unique_ptr<ChartImageFileKeeper> keeper;
};

TEST_F(ChartImageFileKeeperTest, UndoOfASavedDeletionBringsThePicturesBack) {
    auto [t, pictures] = savedTradeWithPictures();
    deleteTrade(t);
    save();
    EXPECT_TRUE(pictures.gone()) << "the account folder no longer shows them";
    EXPECT_EQ(keeper->keptCount(), 1u);
    EXPECT_TRUE(fs::exists(aside() / pictures.entry.filename()));

    context->undoManager().undo();
    ASSERT_FALSE(t->isDeleted());
    ASSERT_TRUE(pictures.onDisk());
    EXPECT_EQ(readFile(pictures.entry), "png-entry");
    EXPECT_EQ(readFile(pictures.exit), "png-exit");
    save();
    keeper->windowWillClose();
    EXPECT_TRUE(pictures.onDisk()) << "the trade's return was saved";
    EXPECT_FALSE(fs::exists(aside())) << "no empty folder left behind";
}

TEST_F(ChartImageFileKeeperTest, ClosingTheWindowSettlesEachCase) {
    auto [standing, standingPictures] = savedTradeWithPictures("a");
    auto [unsavedReturn, unsavedReturnPictures] = savedTradeWithPictures("b");
    auto [untouched, untouchedPictures] = savedTradeWithPictures("c");
    auto [redone, redonePictures] = savedTradeWithPictures("d");

    for (Trade* t : {standing, unsavedReturn, redone})
        deleteTrade(t);
    save();
    context->undoManager().undo(); // the save is no undo step: this brings back `redone`
    ASSERT_FALSE(redone->isDeleted());
    EXPECT_TRUE(redonePictures.onDisk());
    context->undoManager().redo(); // ...and deletes it again, saved below
    save();
    EXPECT_TRUE(redonePictures.gone()) << "a redone deletion is kept aside like the first";
    context->undoManager().undo(); // `redone` back once more, now from the second save
    EXPECT_TRUE(redonePictures.onDisk());
    context->undoManager().undo();
    ASSERT_FALSE(unsavedReturn->isDeleted());
    EXPECT_TRUE(unsavedReturnPictures.onDisk());
    ASSERT_TRUE(standing->isDeleted());

    keeper->windowWillClose();
    EXPECT_TRUE(standingPictures.gone());
    EXPECT_FALSE(fs::exists(aside() / standingPictures.entry.filename()));
    EXPECT_TRUE(unsavedReturnPictures.gone())
        << "closing without saving drops the return: the file holds the deletion";
    EXPECT_TRUE(redonePictures.gone());
    EXPECT_TRUE(untouchedPictures.onDisk());
    EXPECT_FALSE(fs::exists(aside()));
}

TEST_F(ChartImageFileKeeperTest, RevertingToTheSavedFileSettlesLikeAClose) {
    auto [t, pictures] = savedTradeWithPictures();
    deleteTrade(t);
    save();
    ASSERT_TRUE(context->rollback());
    EXPECT_EQ(keeper->keptCount(), 0u);
    EXPECT_TRUE(pictures.gone());
    EXPECT_FALSE(fs::exists(aside()));
}

TEST_F(ChartImageFileKeeperTest, FilesLeftAsideByAnUncleanEndAreRemovedOnTheNextOpen) {
    auto [t, pictures] = savedTradeWithPictures();
    deleteTrade(t);
    save();
    const fs::path left = aside() / pictures.entry.filename();
    ASSERT_TRUE(fs::exists(left));
    // A crash: the keeper never settles; a new window's keeper finds the leftovers.
    writeFile(aside() / "orphan.png", "x");
    auto other = model::openAccountStore(database, nullptr);
    ASSERT_TRUE(other);
    ChartImageFileKeeper next(*other);
    EXPECT_FALSE(fs::exists(left));
    EXPECT_FALSE(fs::exists(aside()));
}

TEST(StoredChartImageSizeTest, OnlyWiderPicturesAreScaledAndTheHeightIsNeverLimited) {
    struct Case {
        double w, h, storedW, storedH;
    };
    for (const Case& c :
         {Case{1440, 900, 720, 450}, Case{720, 1000, 720, 1000}, Case{300, 5000, 300, 5000},
          Case{2880, 1800, 720, 450}, Case{721, 1, 720, 720.0f * static_cast<float>(1.0 / 721.0)},
          Case{1000, 333, 720, 720.0f * static_cast<float>(0.333)}}) {
        auto s = model::storedChartImageSize(c.w, c.h);
        EXPECT_EQ(s.width, c.storedW) << c.w << "x" << c.h;
        EXPECT_EQ(s.height, c.storedH) << c.w << "x" << c.h;
    }
}

} // namespace
} // namespace brivel::test
