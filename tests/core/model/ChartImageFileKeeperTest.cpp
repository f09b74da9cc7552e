// While an account window is open, the pictures of a trade whose deletion was saved wait aside,
// so that Undo brings the trade back whole; closing the window settles what stands.

#include "core/model/ChartImageFileKeeper.h"
#include "ChartImageFixture.h"

namespace brivel::test {
namespace {

namespace fs = std::filesystem;
using model::ChartImageFileKeeper;
using model::Trade;

class ChartImageFileKeeperTest : public ChartImageFixture {
protected:
    ChartImageFileKeeperTest() { keeper = std::make_unique<ChartImageFileKeeper>(*context); }

    struct Pictures {
        fs::path entry, exit;
        bool onDisk() const { return fs::exists(entry) && fs::exists(exit); }
        bool gone() const { return !fs::exists(entry) && !fs::exists(exit); }
    };

    // A saved trade whose two pictures are on disk, as its own undo step.
    std::pair<Trade*, Pictures> savedTradeWithPictures(const std::string& bytes = "png") {
        auto* t = tradeWithPictures(bytes);
        Pictures p{file(*t->chartImg()->entryImg()), file(*t->chartImg()->exitImg())};
        saveStep();
        return {t, p};
    }
    void saveStep() {
        save();
        endEvent();
    }
    void deleteTrade(Trade* t) {
        trades->setSelectedObjects({t});
        deleteSelected();
        endEvent();
    }
    fs::path aside() const { return keeper->asideFolder(); }

    std::unique_ptr<ChartImageFileKeeper> keeper;
};

TEST_F(ChartImageFileKeeperTest, UndoOfASavedDeletionBringsThePicturesBack) {
    auto [t, pictures] = savedTradeWithPictures();
    deleteTrade(t);
    saveStep();
    EXPECT_TRUE(pictures.gone()) << "the account folder no longer shows them";
    EXPECT_EQ(keeper->keptCount(), 1u);
    EXPECT_TRUE(fs::exists(aside() / pictures.entry.filename()));

    context->undoManager().undo();
    ASSERT_FALSE(t->isDeleted());
    ASSERT_TRUE(pictures.onDisk());
    EXPECT_EQ(readFile(pictures.entry), "png-entry");
    EXPECT_EQ(readFile(pictures.exit), "png-exit");
    saveStep();
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
    saveStep();
    context->undoManager().undo(); // the save is no undo step: this brings back `redone`
    ASSERT_FALSE(redone->isDeleted());
    EXPECT_TRUE(redonePictures.onDisk());
    context->undoManager().redo(); // ...and deletes it again, saved below
    saveStep();
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
    saveStep();
    ASSERT_TRUE(context->rollback());
    EXPECT_EQ(keeper->keptCount(), 0u);
    EXPECT_TRUE(pictures.gone());
    EXPECT_FALSE(fs::exists(aside()));
}

TEST_F(ChartImageFileKeeperTest, FilesLeftAsideByAnUncleanEndAreRemovedOnTheNextOpen) {
    auto [t, pictures] = savedTradeWithPictures();
    deleteTrade(t);
    saveStep();
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
