#include "AppTestSupport.h"

#include "core/app/AccountArrayController.h"
#include "core/app/AccountRegistry.h"
#include "core/app/Preferences.h"
#include "core/app/StartUp.h"

#include <deque>
#include <gmock/gmock.h>
#include <regex>

using namespace brivel;
using namespace brivel::app;
using brivel::store::Value;
using brivel::test::readFile;
using brivel::test::writeFile;
using nlohmann::json;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

// Draws that give chosen folder codes, four numbers a code, in the order drawn (r1..r4).
AccountRegistry::RandomSource drawsFor(std::vector<std::string> codes) {
    auto queue = std::make_shared<std::deque<std::uint32_t>>();
    for (const auto& c : codes) {
        queue->push_back(static_cast<std::uint32_t>(c[3] - '0'));
        queue->push_back(static_cast<std::uint32_t>(c[2] - 'A'));
        queue->push_back(static_cast<std::uint32_t>(c[1] - '0'));
        queue->push_back(static_cast<std::uint32_t>(c[0] - 'A'));
    }
    return [queue] {
        if (queue->empty())
            throw std::runtime_error("ran out of draws");
        auto v = queue->front();
        queue->pop_front();
        return v;
    };
}

class AccountRegistryTest : public brivel::test::AppEnvironment {
protected:
    AccountRegistryTest() : prefs(prefsFile()) { StartUp::prepare(prefs); }

    json accounts() const { return prefs.arrayForKey("arrayOfAccounts"); }
    void setAccounts(const char* list) { prefs.setObject(json::parse(list), "arrayOfAccounts"); }

    Preferences prefs;
    ScriptedPrompter prompter;
    std::vector<fs::path> closed;
    AccountArrayController::CloseDocument closeDocument = [this](const fs::path& p) {
        closed.push_back(p);
    };
};

TEST(FolderCode, TheFourDrawsMakeLetterDigitLetterDigitWithoutZOrNine) {
    EXPECT_EQ(AccountRegistry::folderCodeFromDraws(1, 22, 0, 1), "B0W1");
    // r4 decides the first letter, r1 the last digit.
    EXPECT_EQ(AccountRegistry::folderCodeFromDraws(8, 24, 8, 24), "Y8Y8");
    EXPECT_EQ(AccountRegistry::folderCodeFromDraws(9, 25, 9, 25), "A0A0");
    EXPECT_EQ(
        AccountRegistry::folderCodeFromDraws(4294967295u, 4294967295u, 4294967295u, 4294967295u),
        "U3U3"); // 2^32 - 1 is 20 mod 25 and 3 mod 9
}

TEST_F(AccountRegistryTest, ANewAccountHasItsRecordFolderAndEmptyDatabase) {
    AccountArrayController controller(prefs, prompter);
    auto* record = controller.add();
    ASSERT_NE(record, nullptr);

    const std::string code = record->valueForKey("directory").toString();
    EXPECT_TRUE(std::regex_match(code, std::regex("[A-Y][0-8][A-Y][0-8]"))) << code;
    EXPECT_TRUE(isAccountDatabase(support() / code / "database.brdb"));

    const json list = accounts();
    ASSERT_EQ(list.size(), 2u); // the factory record, then the new one
    EXPECT_EQ(list[1], json({{"name", "New Account"}, {"directory", code}}));
    EXPECT_EQ(controller.selectedAccount()->directory, code);
}

TEST_F(AccountRegistryTest, ADrawnCodeThatIsTakenIsDrawnAgainAndNothingIsOverwritten) {
    makeAccount("C3D4");
    const std::string before = readFile(support() / "C3D4" / "database.brdb");
    fs::create_directories(support() / "E5F6"); // a folder without a database is taken too
    // A record whose folder was removed by hand still owns its code.
    json list = accounts();
    list.push_back({{"name", "Gone"}, {"directory", "G7H7"}});
    prefs.setObject(list, "arrayOfAccounts");

    AccountArrayController controller(prefs, prompter, {},
                                      drawsFor({"C3D4", "E5F6", "G7H7", "B0W1", "K1L2"}));
    auto* record = controller.add();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->valueForKey("directory").toString(), "K1L2");
    EXPECT_EQ(readFile(support() / "C3D4" / "database.brdb"), before);
    EXPECT_TRUE(brivel::test::fileNames(support() / "E5F6").empty());
}

TEST_F(AccountRegistryTest, ANewAccountThatCannotBeMadeAddsNothingAndSaysSo) {
    fs::remove_all(support());
    AccountArrayController controller(prefs, prompter, {}, drawsFor({"K1L2"}));
    const json before = accounts();
    EXPECT_EQ(controller.add(), nullptr);
    EXPECT_EQ(accounts(), before);
    ASSERT_TRUE(controller.lastNewAccountError().has_value());
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].title, "New Account Failed");
    EXPECT_FALSE(fs::exists(support() / "K1L2"));
}

TEST_F(AccountRegistryTest, DeletingAsksFirstAndRemovesOnlyWhatNoOtherRecordNeeds) {
    using Result = AccountArrayController::RemoveResult;
    struct Case {
        const char* what;
        const char* list; // the records, the first selected ("": the factory list, none selected)
        bool yes;
        Result result;
        std::size_t remaining, closes;
    };
    const Case cases[] = {
        {"nothing selected", "", true, Result::NothingSelected, 1, 0},
        {"no", R"([{"name":"Mine","directory":"C3D4"}])", false, Result::Declined, 1, 0},
        {"folder gone", R"([{"name":"Gone","directory":"E5F6"}])", true, Result::Removed, 0, 1},
        {"folder shared",
         R"([{"name":"One","directory":"C3D4"},{"name":"Two","directory":"C3D4"}])", true,
         Result::Removed, 1, 1},
        // An unusable code never removes the support folder.
        {"empty code", R"([{"name":"Broken","directory":""}])", true, Result::Removed, 0, 0},
        {"dot-dot code", R"([{"name":"Worse","directory":".."}])", true, Result::Removed, 0, 0},
    };
    makeAccount("C3D4", {{"A.png", "img"}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (*c.list)
            setAccounts(c.list);
        prompter = ScriptedPrompter();
        closed.clear();
        AccountArrayController controller(prefs, prompter, closeDocument);
        controller.setSelectionIndexes(*c.list ? std::vector<std::size_t>{0}
                                               : std::vector<std::size_t>{});
        prompter.queueAnswer(c.yes);
        const auto outcome = controller.removeSelectedAccount();
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_FALSE(outcome.folderError.has_value());
        // The question only: no failure alert.
        ASSERT_EQ(prompter.asked().size(), c.result == Result::NothingSelected ? 0u : 1u);
        if (!prompter.asked().empty()) {
            const auto& asked = prompter.asked()[0];
            EXPECT_EQ(asked.title, "Confirm Deletion");
            EXPECT_EQ(asked.message, "Are you sure you want to delete this Account? Data will "
                                     "be permanently lost!");
            EXPECT_EQ(asked.defaultButton, "No");
            EXPECT_EQ(asked.alternateButton, "Yes");
        }
        EXPECT_EQ(accounts().size(), c.remaining);
        EXPECT_EQ(closed.size(), c.closes);
        EXPECT_EQ(readFile(support() / "C3D4" / "A.png"), "img");
        EXPECT_TRUE(fs::exists(support() / "B0W1" / "database.brdb"));
    }
}

TEST_F(AccountRegistryTest, YesClosesTheDocumentThenRemovesTheFolderThenTheRecord) {
    makeAccount("C3D4", {{"A.png", "img"}});
    makeAccount("E5F6");
    setAccounts(R"([{"name":"Mine","directory":"C3D4","open":true},
                                    {"name":"Other","directory":"E5F6"}])");
    AccountArrayController controller(prefs, prompter, [&](const fs::path& p) {
        EXPECT_TRUE(fs::exists(p)) << "closed after its folder went";
        closed.push_back(p);
    });
    controller.setSelectionIndexes({0});
    prompter.queueAnswer(true);

    controller.remove();
    EXPECT_THAT(closed, ElementsAre(support() / "C3D4" / "database.brdb"));
    EXPECT_FALSE(fs::exists(support() / "C3D4"));
    EXPECT_TRUE(fs::exists(support() / "E5F6" / "database.brdb"));
    EXPECT_EQ(accounts(), json::parse(R"([{"name":"Other","directory":"E5F6"}])"));
}

TEST_F(AccountRegistryTest, TheTableSelectsOneRowAndTheContextMenuRowReplacesIt) {
    setAccounts(R"([{"name":"A","directory":"A1A1"},{"name":"B","directory":"B2B2"},
                                    {"name":"C","directory":"C3C3"}])");
    AccountArrayController controller(prefs, prompter);
    controller.setSelectionIndexes({0, 2});
    EXPECT_EQ(controller.selectionIndexes(), std::vector<std::size_t>{0});

    controller.selectRowForContextMenu(2);
    EXPECT_EQ(controller.selectionIndexes(), std::vector<std::size_t>{2});
    EXPECT_EQ(controller.selectedAccount()->name, "C");
    controller.selectRowForContextMenu(std::nullopt); // below the last row
    EXPECT_TRUE(controller.selectionIndexes().empty());
    controller.selectRowForContextMenu(7);
    EXPECT_FALSE(controller.selectedAccount().has_value());
}

} // namespace
