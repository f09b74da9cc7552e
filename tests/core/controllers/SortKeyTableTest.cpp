// The sort table orders exactly as the store's value comparison does, whatever the kinds of the
// values: every pair compares the same, and the sorted lists are the same.

#include "core/controllers/SortKeyTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>

using namespace brivel;
using controllers::SortKeyTable;
using store::SortDescriptor;
using store::Value;

namespace {

struct Item : store::KeyValueCoding {
    std::map<std::string, Value, std::less<>> values;
    Value valueForKey(std::string_view key) const override {
        auto it = values.find(key);
        return it == values.end() ? Value() : it->second;
    }
    void setValueForKey(const Value& value, std::string_view key) override {
        values[std::string(key)] = value;
    }
};

int sign(int c) {
    return (c > 0) - (c < 0);
}

Value date(double seconds) {
    return Value::date(Date(seconds));
}

struct Case {
    const char* what;
    std::vector<Value> values;
};

std::vector<Case> cases() {
    using std::string_literals::operator""s;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto big = std::int64_t(1) << 53;
    return {
        {"integers and booleans",
         {Value::integer(3), Value(), Value::integer(-7), Value::boolean(true),
          Value::boolean(false), Value::integer(std::numeric_limits<std::int64_t>::min()),
          Value::integer(std::numeric_limits<std::int64_t>::max()), Value::integer(1)}},
        {"reals",
         {Value::real(2.5), Value::real(-0.0), Value::real(0.0), Value(), Value::real(-1e300),
          Value::real(1e-300), Value::real(nan), Value::real(2.5)}},
        {"integers beside reals",
         {Value::integer(big + 1), Value::real(double(big)), Value::integer(big), Value::real(0.5),
          Value(), Value::integer(0)}},
        {"dates", {date(1'700'000'000.0), date(-5.0), Value(), date(1'700'000'000.5), date(0.0)}},
        {"texts",
         {Value::string(""), Value::string("A"), Value::string("AB"), Value::string("AB\0"s),
          Value::string("ABCDEFGH"), Value::string("ABCDEFGHI"), Value::string("ABCDEFGHJ"),
          Value::string("ABCDEFGH\0"s), Value::string("\xc3\x89TF"), Value::string("Z"), Value(),
          Value::string("AAPL"), Value::string("ABCDEFGHIJKLMNOPQ"),
          Value::string("ABCDEFGHIJKLMNOPR")}},
        {"mixed kinds",
         {Value::string("SPY"), Value::integer(4), date(10.0), Value::real(1.5), Value(),
          Value::boolean(true), Value::string("")}},
        {"only absent", {Value(), Value()}},
    };
}

} // namespace

TEST(SortKeyTableTest, OrdersAsTheValueComparisonForEveryKindOfValue) {
    std::mt19937 random(7);
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        // Many rows drawn from the case's values, with a second key of few values to break ties
        // and to show that equal rows keep their order.
        std::vector<std::unique_ptr<Item>> items;
        std::vector<store::KeyValueCoding*> objects;
        for (int i = 0; i < 300; ++i) {
            auto item = std::make_unique<Item>();
            item->values["first"] = c.values[random() % c.values.size()];
            item->values["second"] = Value::integer(static_cast<std::int64_t>(random() % 3));
            objects.push_back(item.get());
            items.push_back(std::move(item));
        }
        for (const auto& descriptors :
             std::vector<std::vector<SortDescriptor>>{{{"first", true}},
                                                      {{"first", false}},
                                                      {{"second", true}, {"first", false}},
                                                      {{"first", true}, {"second", false}}}) {
            SortKeyTable table(objects, descriptors);
            for (std::size_t a = 0; a < objects.size(); a += 7)
                for (std::size_t b = 0; b < objects.size(); ++b)
                    ASSERT_EQ(sign(table.compare(a, b)),
                              sign(store::compareBySortDescriptors(*objects[a], *objects[b],
                                                                   descriptors)))
                        << objects[a]->valueForKey("first").describe() << " against "
                        << objects[b]->valueForKey("first").describe();
            std::vector<std::size_t> expected(objects.size());
            for (std::size_t i = 0; i < expected.size(); ++i)
                expected[i] = i;
            std::stable_sort(expected.begin(), expected.end(), [&](std::size_t a, std::size_t b) {
                return store::compareBySortDescriptors(*objects[a], *objects[b], descriptors) < 0;
            });
            EXPECT_EQ(table.sortedOrder(), expected);
        }
    }
}

TEST(SortKeyTableTest, NoRowsOrNoKeys) {
    EXPECT_TRUE(SortKeyTable({}, {{"first", true}}).sortedOrder().empty());
    Item a, b;
    a.values["first"] = Value::integer(2);
    b.values["first"] = Value::integer(1);
    // Without a key every row is equal: the order stays.
    EXPECT_EQ(SortKeyTable({&a, &b}, {}).sortedOrder(), (std::vector<std::size_t>{0, 1}));
}
