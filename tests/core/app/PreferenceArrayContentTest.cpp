#include "AppTestSupport.h"

#include "core/app/DictionaryObject.h"
#include "core/app/PreferenceArrayContent.h"
#include "core/app/Preferences.h"
#include "core/controllers/ArrayController.h"

#include <gmock/gmock.h>

using namespace brivel;
using namespace brivel::app;
using brivel::controllers::ArrayController;
using brivel::controllers::ArrayControllerListener;
using brivel::store::Value;
using nlohmann::json;

namespace {

class Recorder : public ArrayControllerListener {
public:
    void rowsInserted() override { events.push_back("inserted"); }
    void rowsRemoved() override { events.push_back("removed"); }
    void reset() override { events.push_back("reset"); }
    void rowsChanged(std::size_t first, std::size_t) override {
        events.push_back("changed " + std::to_string(first));
    }
    std::vector<std::string> events;
};

class PreferenceListTest : public brivel::test::AppEnvironment {
protected:
    PreferenceListTest() : prefs(prefsFile()) {
        prefs.registerDefaults({{"arrayOfStrategies", json::array({{{"strategy", "Breakout"}},
                                                                   {{"strategy", "Swing"}}})}});
    }
    std::unique_ptr<ArrayController> controller(const char* key = "arrayOfStrategies") {
        return std::make_unique<ArrayController>(
            std::make_unique<PreferenceArrayContent>(prefs, key));
    }
    json stored() const { return prefs.persistentDomain().value("arrayOfStrategies", json()); }

    Preferences prefs;
};

TEST_F(PreferenceListTest, AddEditAndRemoveEachWriteTheWholeArrayBack) {
    auto c = controller();
    auto* entry = c->newObject();
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(static_cast<DictionaryObject*>(entry)->dictionary().empty());
    entry->setValueForKey(Value::string("New Strategy"), "strategy");
    EXPECT_FALSE(prefs.hasUserValue("arrayOfStrategies")); // not part of the list yet

    c->addObject(entry);
    EXPECT_EQ(stored(), json::parse(R"([{"strategy":"Breakout"},{"strategy":"Swing"},
                                         {"strategy":"New Strategy"}])"));
    EXPECT_EQ(c->selectedObjects(), std::vector<controllers::KeyValueCoding*>{entry});

    entry->setValueForKey(Value::string("Scalp"), "strategy");
    EXPECT_EQ(stored()[2]["strategy"], "Scalp");

    c->setSelectionIndexes({0});
    c->remove();
    EXPECT_EQ(stored(), json::parse(R"([{"strategy":"Swing"},{"strategy":"Scalp"}])"));
}

TEST_F(PreferenceListTest, ControllersOverOneKeySeeEachOthersAndThePreferencesChanges) {
    // The application's accounts controller and the accounts window's both show one list.
    auto first = controller();
    auto second = controller();
    Recorder seen;
    second->addListener(&seen);
    second->setSelectionIndexes({1});

    first->arrangedObjects()[0]->setValueForKey(Value::string("Breakout 2"), "strategy");
    EXPECT_EQ(second->arrangedObjects()[0]->valueForKey("strategy").toString(), "Breakout 2");
    EXPECT_THAT(seen.events, ::testing::ElementsAre("changed 0"));
    EXPECT_EQ(second->selectionIndexes(), std::vector<std::size_t>{1}); // an edit keeps it

    first->add();
    EXPECT_EQ(second->arrangedObjects().size(), 3u);
    EXPECT_EQ(seen.events.back(), "reset");
    // A write of the key through the preferences is taken in as well.
    prefs.setObject(json::array({{{"strategy", "Only"}}}), "arrayOfStrategies");
    ASSERT_EQ(second->arrangedObjects().size(), 1u);
    EXPECT_EQ(second->arrangedObjects()[0]->valueForKey("strategy").toString(), "Only");
}

TEST(DictionaryObject, ValuesByKeyRoundTripAndAbsentRemovesTheKey) {
    DictionaryObject d(json{{"name", "A"}, {"open", true}, {"n", 3}, {"x", 1.5}, {"nested", {1}}});
    EXPECT_EQ(d.valueForKey("name").toString(), "A");
    EXPECT_EQ(d.valueForKey("open").type(), Value::Type::Bool);
    EXPECT_EQ(d.valueForKey("n").toInt64(), 3);
    EXPECT_DOUBLE_EQ(d.valueForKey("x").toDouble(), 1.5);
    EXPECT_TRUE(d.valueForKey("nested").isNull());
    EXPECT_TRUE(d.valueForKey("missing").isNull());

    int changes = 0;
    d.setChangeHandler([&](DictionaryObject&) { ++changes; });
    d.setValueForKey(Value(), "open");
    EXPECT_FALSE(d.dictionary().contains("open"));
    d.setValueForKey(Value::date(Date(86400.0)), "when");
    EXPECT_EQ(d.dictionary()["when"], 86400.0);
    EXPECT_EQ(changes, 2);
}

} // namespace
