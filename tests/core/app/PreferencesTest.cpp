#include "AppTestSupport.h"

#include "core/app/FactoryPreferences.h"
#include "core/app/Preferences.h"
#include "core/app/PreferencesLock.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>
#include <thread>

using namespace brivel;
using namespace brivel::app;
using brivel::test::readFile;
using brivel::test::writeFile;
using nlohmann::json;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

class PreferencesTest : public brivel::test::AppEnvironment {
protected:
    json fileContents() const { return json::parse(readFile(prefsFile())); }
};

TEST_F(PreferencesTest, UserValuesOverRegisteredOnesAndOnlyTheyAreWritten) {
    Preferences prefs(prefsFile());
    prefs.registerDefaults({{"a", 1}, {"b", "factory"}});
    EXPECT_EQ(prefs.objectForKey("b"), "factory");
    EXPECT_FALSE(prefs.hasUserValue("b"));

    prefs.setObject("mine", "b");
    EXPECT_EQ(prefs.objectForKey("b"), "mine");
    EXPECT_TRUE(prefs.hasUnsavedChanges());
    ASSERT_TRUE(prefs.synchronize());
    EXPECT_FALSE(prefs.hasUnsavedChanges());
    EXPECT_EQ(fileContents(), json({{"b", "mine"}})); // "a" stays in memory only

    // Removing the user's value shows the registered one again, and the file loses the key.
    prefs.removeObjectForKey("b");
    EXPECT_EQ(prefs.objectForKey("b"), "factory");
    ASSERT_TRUE(prefs.synchronize());
    EXPECT_EQ(fileContents(), json::object());
}

TEST_F(PreferencesTest, TypedReadsFollowThePropertyListKinds) {
    Preferences prefs(prefsFile());
    prefs.setObject(json::array({1, 2}), "array");
    prefs.setObject(json({{"k", "v"}}), "dict");
    prefs.setObject(2, "number");
    prefs.setObject("text", "string");
    prefs.setDate(Date(1700000000.5), "when");

    EXPECT_EQ(prefs.arrayForKey("array").size(), 2u);
    EXPECT_EQ(prefs.arrayForKey("dict"), json::array());
    EXPECT_EQ(prefs.dictionaryForKey("dict")["k"], "v");
    EXPECT_TRUE(prefs.boolForKey("number"));
    EXPECT_FALSE(prefs.boolForKey("string"));
    EXPECT_EQ(prefs.integerForKey("number"), 2);
    EXPECT_EQ(prefs.stringForKey("number"), "");
    EXPECT_EQ(prefs.stringForKey("string"), "text");
    ASSERT_TRUE(prefs.dateForKey("when").has_value());
    EXPECT_DOUBLE_EQ(prefs.dateForKey("when")->secondsSince1970, 1700000000.5);
    EXPECT_FALSE(prefs.dateForKey("string").has_value());

    ASSERT_TRUE(prefs.synchronize());
    Preferences reread(prefsFile());
    EXPECT_DOUBLE_EQ(reread.dateForKey("when")->secondsSince1970, 1700000000.5);
    EXPECT_EQ(reread.dictionaryForKey("dict"), json({{"k", "v"}}));
}

TEST_F(PreferencesTest, ObserversHearChangesOfWhatTheySeeAndNothingElse) {
    Preferences prefs(prefsFile());
    prefs.registerDefaults({{"k", "factory"}});
    std::vector<std::string> heard, heardAll;
    auto token = prefs.addObserver("k", [&](const std::string& key) { heard.push_back(key); });
    prefs.addObserver("", [&](const std::string& key) { heardAll.push_back(key); });
    // An observer may remove itself while being told.
    int selfCalls = 0;
    Preferences::Token self = 0;
    self = prefs.addObserver("k", [&](const std::string&) {
        ++selfCalls;
        prefs.removeObserver(self);
    });

    prefs.setObject("factory", "k"); // same value seen: nothing to tell
    prefs.setObject("new", "k");
    prefs.setObject(1, "other");
    prefs.removeObjectForKey("k"); // back to "factory": a change
    prefs.removeObjectForKey("k"); // nothing left to remove
    EXPECT_THAT(heard, ElementsAre("k", "k"));
    EXPECT_THAT(heardAll, ElementsAre("k", "other", "k"));
    EXPECT_EQ(selfCalls, 1);

    prefs.removeObserver(token);
    prefs.setObject("again", "k");
    EXPECT_EQ(heard.size(), 2u);
}

TEST_F(PreferencesTest, TwoStoresOnOneFileKeepEachOthersKeys) {
    // The application and brivel-cli share the file: neither may undo the other's change.
    Preferences app(prefsFile());
    Preferences cli(prefsFile());
    app.setObject("app", "fromApp");
    ASSERT_TRUE(app.synchronize());

    cli.setObject("cli", "fromCli");
    ASSERT_TRUE(cli.synchronize());
    EXPECT_EQ(fileContents(), json({{"fromApp", "app"}, {"fromCli", "cli"}}));

    std::vector<std::string> heard;
    app.addObserver("", [&](const std::string& key) { heard.push_back(key); });
    ASSERT_TRUE(app.synchronize()); // takes in the other's key
    EXPECT_EQ(app.objectForKey("fromCli"), "cli");
    EXPECT_THAT(heard, ElementsAre("fromCli"));

    // A removal is a change too: it must not come back from the other's older view.
    cli.removeObjectForKey("fromApp");
    ASSERT_TRUE(cli.synchronize());
    ASSERT_TRUE(app.synchronize());
    EXPECT_TRUE(app.objectForKey("fromApp").is_null());
}

TEST_F(PreferencesTest, ACorruptFileIsKeptAsideAndTheFactoryValuesRule) {
    const std::string broken = "{\"arrayOfAccounts\": [ {\"name\": ";
    put(prefsFile(), broken);
    Preferences prefs(prefsFile());
    prefs.registerDefaults(FactoryPreferences::dictionary());

    ASSERT_TRUE(prefs.setAsideCopy().has_value());
    const auto copy = *prefs.setAsideCopy();
    EXPECT_EQ(copy.parent_path(), prefsFile().parent_path());
    EXPECT_THAT(copy.filename().string(), StartsWith("preferences.json.unreadable-20"));
    EXPECT_EQ(readFile(copy), broken);
    EXPECT_FALSE(std::filesystem::exists(prefsFile()));
    ASSERT_EQ(m_log.lines().size(), 1u);
    EXPECT_THAT(m_log.lines()[0], HasSubstr(copy.string()));

    EXPECT_EQ(prefs.arrayForKey("arrayOfAccounts"),
              FactoryPreferences::dictionary()["arrayOfAccounts"]);
    prefs.setObject(true, "x");
    ASSERT_TRUE(prefs.synchronize());
    EXPECT_EQ(fileContents(), json({{"x", true}}));
    EXPECT_EQ(readFile(copy), broken); // a second copy never overwrites the first

    put(prefsFile(), "[1, 2, 3]"); // valid JSON, but not a dictionary
    Preferences again(prefsFile());
    ASSERT_TRUE(again.setAsideCopy().has_value());
    EXPECT_NE(*again.setAsideCopy(), copy);
    EXPECT_TRUE(again.persistentDomain().empty());
}

TEST_F(PreferencesTest, AFileNestedTooDeeplyIsSetAsideLikeAnyUnreadableOne) {
    // A million levels once exhausted the stack while the values were copied.
    for (int depth : {Preferences::MaxNesting + 1, 1'000'000}) {
        SCOPED_TRACE(depth);
        put(prefsFile(), "{\"k\": " + std::string(depth, '[') + std::string(depth, ']') + "}");
        m_log.clear();
        Preferences prefs(prefsFile());
        prefs.registerDefaults(FactoryPreferences::dictionary());
        EXPECT_TRUE(prefs.setAsideCopy().has_value());
        EXPECT_TRUE(prefs.persistentDomain().empty());
        ASSERT_EQ(m_log.lines().size(), 1u);
        EXPECT_THAT(m_log.lines()[0], HasSubstr("nested"));
    }
    // As deep as allowed still reads.
    const int deepest = Preferences::MaxNesting - 1;
    put(prefsFile(), "{\"k\": " + std::string(deepest, '[') + std::string(deepest, ']') + "}");
    Preferences prefs(prefsFile());
    EXPECT_FALSE(prefs.setAsideCopy().has_value());
    EXPECT_TRUE(prefs.objectForKey("k").is_array());
}

TEST_F(PreferencesTest, AnEditStartsFromTheFileAndHoldsOffOtherEditsUntilItEnds) {
    Preferences first(prefsFile());
    Preferences second(prefsFile());
    first.setObject(json::array({"a"}), "list");
    ASSERT_TRUE(first.synchronize());

    // second read the file before "a" was written; an edit takes it in first.
    ASSERT_TRUE(second.beginEdit(nullptr));
    json list = second.arrayForKey("list");
    EXPECT_EQ(list, json::array({"a"}));
    list.push_back("b");
    second.setObject(list, "list");
    // Meanwhile another process cannot start its own edit, not even once this one has written.
    ASSERT_TRUE(second.synchronize());
    EXPECT_FALSE(
        PreferencesLock::acquire(prefsFile().parent_path(), nullptr, std::chrono::milliseconds(0)));
    second.endEdit();
    EXPECT_TRUE(
        PreferencesLock::acquire(prefsFile().parent_path(), nullptr, std::chrono::milliseconds(0)));

    ASSERT_TRUE(first.beginEdit(nullptr));
    EXPECT_EQ(first.arrayForKey("list"), json::array({"a", "b"}));
    first.endEdit();
    EXPECT_EQ(fileContents()["list"], json::array({"a", "b"}));
}

TEST_F(PreferencesTest, AFailedWriteKeepsTheChangesUnsaved) {
    // The preferences folder cannot be made when a plain file stands in its place.
    writeFile(scratch() / "blocker", "not a folder");
    Preferences blocked(scratch() / "blocker" / "Brivel Trade Journal" / "preferences.json");
    blocked.setObject("new", "k");
    Error error;
    EXPECT_FALSE(blocked.synchronize(&error));
    EXPECT_FALSE(error.message().empty());
    EXPECT_TRUE(blocked.hasUnsavedChanges());
}

TEST_F(PreferencesTest, AutosynchronizedWritesLeaveNoTemporaryFiles) {
    // The file is replaced through AtomicFile, whose own test checks the permissions.
    Preferences prefs(prefsFile());
    prefs.setAutosynchronize(true);
    prefs.setObject("v", "k"); // written at once
    EXPECT_EQ(fileContents(), json({{"k", "v"}}));
    EXPECT_THAT(brivel::test::fileNames(prefsFile().parent_path()),
                ElementsAre("preferences.json"));
}

} // namespace

TEST_F(PreferencesTest, UpdatesFromThreadsAndStoresOnOneFileLoseNoCount) {
    // Two stores stand for two processes; two threads each hammer both of them.
    Preferences first(prefsFile());
    Preferences second(prefsFile());
    first.setObject("unsaved", "other");
    auto increment = [](const json& v) { return json(v.is_number() ? v.get<int>() + 1 : 1); };
    auto hammer = [&](Preferences& prefs) {
        for (int i = 0; i < 25; ++i)
            ASSERT_TRUE(prefs.update("count", increment));
    };
    std::thread a([&] { hammer(first); });
    std::thread b([&] { hammer(second); });
    hammer(first);
    a.join();
    b.join();

    EXPECT_EQ(fileContents()["count"], 75);
    EXPECT_EQ(fileContents()["other"], "unsaved"); // the first store's unsaved key went along
    ASSERT_TRUE(second.synchronize());
    EXPECT_EQ(second.integerForKey("count"), 75);
}

TEST_F(PreferencesTest, AnUpdateStartsFromTheRegisteredValueAndTellsObservers) {
    Preferences prefs(prefsFile());
    prefs.registerDefaults({{"list", json::array({"a"})}});
    std::vector<std::string> told;
    prefs.addObserver("list", [&](const std::string& key) { told.push_back(key); });
    ASSERT_TRUE(prefs.update("list", [](const json& v) {
        json next = v;
        next.push_back("b");
        return next;
    }));
    EXPECT_EQ(prefs.objectForKey("list"), json::array({"a", "b"}));
    EXPECT_EQ(fileContents()["list"], json::array({"a", "b"}));
    EXPECT_THAT(told, ElementsAre("list"));
    ASSERT_TRUE(prefs.update("list", [](const json&) { return json(); }));
    EXPECT_EQ(prefs.objectForKey("list"), json::array({"a"}));
    EXPECT_FALSE(fileContents().contains("list"));
}
