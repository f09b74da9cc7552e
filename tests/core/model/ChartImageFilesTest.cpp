// A deleted trade's chart image files go when the deletion is saved, and not before: an undone
// deletion, or one dropped by closing without saving, brings the trade back with its pictures.

#include "ChartImageFixture.h"

#include <functional>

namespace brivel::test {
namespace {

namespace fs = std::filesystem;
using model::Trade;

class ChartImageDeletionTest : public ChartImageFixture {
protected:
    static std::pair<std::string, std::string> namesOf(const Trade* t) {
        return {*t->chartImg()->entryImg(), *t->chartImg()->exitImg()};
    }
    bool picturesOnDisk(const std::string& entry, const std::string& exit) const {
        return fs::exists(file(entry)) && fs::exists(file(exit));
    }
};

TEST_F(ChartImageDeletionTest, UndoneRolledBackOrUnsavedDeletionKeepsThePictures) {
    using End = std::function<void(Trade*, const std::string& entry)>;
    const std::pair<const char*, End> cases[] = {
        {"undone",
         [&](Trade* t, const std::string& entry) {
             context->undoManager().undo();
             EXPECT_FALSE(t->isDeleted());
             ASSERT_TRUE(t->chartImg());
             EXPECT_EQ(t->chartImg()->entryImg(), entry);
             save(); // saving a trade that is back keeps them
         }},
        {"rolled back",
         [&](Trade*, const std::string&) {
             ASSERT_TRUE(context->rollback());
             EXPECT_EQ(Trade::fetchNewFetchRequest(context.get()).size(), 2u);
             trades->reloadContent();
         }},
        {"closed without saving",
         [&](Trade*, const std::string&) {
             trades.reset();
             context.reset();
         }},
    };
    for (const auto& [what, end] : cases) {
        SCOPED_TRACE(what);
        Trade* t = tradeWithPictures();
        save();
        endEvent();
        const auto [entry, exit] = namesOf(t);
        deleteSelected();
        ASSERT_TRUE(t->isDeleted());
        EXPECT_TRUE(picturesOnDisk(entry, exit));
        end(t, entry);
        EXPECT_TRUE(picturesOnDisk(entry, exit));
    }
}

TEST_F(ChartImageDeletionTest, SavedDeletionRemovesBothPicturesOfThatTradeFromItsOwnFolderOnly) {
    Trade* kept = tradeWithPictures();
    Trade* doomed = tradeWithPictures();
    // A name made in another account (restored from its backup) still means this folder.
    const std::string uuidName = fs::path(*doomed->chartImg()->entryImg()).filename().string();
    doomed->chartImg()->setEntryImg("C9X2/" + uuidName);
    const fs::path otherAccount = dir / "C9X2" / uuidName;
    fs::create_directories(otherAccount.parent_path());
    writeFile(otherAccount, "png");
    Trade* neverSaved = nullptr;
    save();
    neverSaved = tradeWithPictures();
    const auto [keptEntry, keptExit] = namesOf(kept);
    const auto [doomedEntry, doomedExit] = namesOf(doomed);
    const auto [newEntry, newExit] = namesOf(neverSaved);

    trades->setSelectedObjects({doomed, neverSaved});
    deleteSelected();
    EXPECT_TRUE(fs::exists(file(doomedEntry))) << "not before the save";
    save();
    EXPECT_FALSE(fs::exists(file(doomedEntry)));
    EXPECT_FALSE(fs::exists(file(doomedExit)));
    EXPECT_FALSE(fs::exists(file(newEntry))) << "a trade deleted before its first save as well";
    EXPECT_FALSE(fs::exists(file(newExit)));
    EXPECT_TRUE(picturesOnDisk(keptEntry, keptExit));
    EXPECT_TRUE(fs::exists(otherAccount));
}

TEST_F(ChartImageDeletionTest, MissingOrFalsePictureNamesNeitherStandInTheWayNorRemoveAnything) {
    // A crafted or damaged name must not make a deletion remove anything but a picture.
    const fs::path outside = dir / "outside.png";
    writeFile(outside, "someone else's");
    writeFile(database.parent_path() / "notes.txt", "not a picture");
    writeFile(database.parent_path() / ".hidden.png", "hidden");
    fs::create_symlink(outside, database.parent_path() / "link.png");
    // A folder that happens to carry an image's name is not a picture.
    fs::create_directories(database.parent_path() / "folder.png");
    auto deleteSaved = [&](Trade* t) {
        save();
        trades->reloadContent();
        trades->setSelectedObjects({t});
        deleteSelected();
        save();
        EXPECT_TRUE(t->isDeleted());
    };
    using Name = std::optional<std::string>;
    const std::vector<std::pair<Name, Name>> cases = {
        {"B0W1/database.brdb", "B0W1/notes.txt"},
        {"B0W1/.hidden.png", "B0W1/link.png"},
        {"B0W1/..", "../outside.png"},
        {"B0W1/folder.png", "B0W1/missing.png"},
        {std::nullopt, ""},
    };
    for (const auto& [entry, exit] : cases) {
        SCOPED_TRACE(entry.value_or("no name"));
        Trade* t = trades->newObject();
        t->chartImg()->setEntryImg(entry);
        t->chartImg()->setExitImg(exit);
        deleteSaved(t);
    }
    Trade* noImage = trades->newObject();
    context->deleteObject(noImage->chartImg());
    deleteSaved(noImage);

    EXPECT_TRUE(fs::exists(database));
    EXPECT_TRUE(fs::exists(database.parent_path() / "notes.txt"));
    EXPECT_TRUE(fs::exists(database.parent_path() / ".hidden.png"));
    EXPECT_TRUE(fs::is_symlink(database.parent_path() / "link.png"));
    EXPECT_TRUE(fs::is_directory(database.parent_path() / "folder.png"));
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_FALSE(model::chartImageFile(database, "B0W1/database.brdb"));
    EXPECT_EQ(model::chartImageFile(database, "X1X1/A.png"), database.parent_path() / "A.png");
    // The account still opens: its database was never deleted.
    open();
}

TEST_F(ChartImageDeletionTest, APictureFinishedLaterIsWrittenOnlyForALiveRecordNamingIt) {
    // A paste is encoded while the user goes on: by the time it is done its trade may be gone.
    Trade* t = trades->newObject();
    trades->addObject(t);
    save();
    context->undoManager().endEventGroup();
    const store::ManagedObject* record = t->chartImg();
    const auto [entry, exit] = namesOf(t);
    struct Case {
        const char* when;
        std::function<void()> step;
        bool entryWritable, exitWritable;
    };
    const std::vector<Case> cases = {
        {"live", [] {}, true, true},
        {"deleted", [&] { deleteSelected(); }, false, false},
        {"deletion saved", [&] { save(); }, false, false},
        {"deletion undone",
         [&] {
             context->undoManager().endEventGroup();
             context->undoManager().undo();
         },
         true, true},
        {"entry name let go", [&] { t->chartImg()->setEntryImg(std::nullopt); }, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        c.step();
        EXPECT_EQ(model::chartImageStillNamed(*context, record, entry), c.entryWritable);
        EXPECT_EQ(model::chartImageStillNamed(*context, record, exit), c.exitWritable);
    }
    EXPECT_FALSE(model::chartImageStillNamed(*context, nullptr, entry));
    // After a rollback the records are loaded anew: the new record names the saved pictures.
    t->chartImg()->setEntryImg(entry);
    save();
    t->chartImg()->setEntryImg(std::nullopt);
    ASSERT_TRUE(context->rollback());
    trades->reloadContent();
    ASSERT_EQ(trades->arrangedObjects().size(), 1u);
    auto* again = dynamic_cast<Trade*>(trades->arrangedObjects().front());
    EXPECT_TRUE(model::chartImageStillNamed(*context, again->chartImg(), entry));
    EXPECT_FALSE(model::chartImageStillNamed(*context, again->chartImg(), ""));
    EXPECT_FALSE(model::chartImageStillNamed(*context, again, entry)) << "a trade is no image";
}

} // namespace
} // namespace brivel::test
