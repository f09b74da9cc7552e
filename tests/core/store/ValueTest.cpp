#include "core/store/Value.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using brivel::store::Value;

namespace {

// Lengths around the switch from texts kept inside the value to shared heap texts.
const std::vector<std::string> Texts = {"",
                                        "A",
                                        std::string(13, 'b'),
                                        std::string(14, 'c'),
                                        std::string(15, 'd'),
                                        std::string(300, 'e'),
                                        std::string("nul\0inside", 10)};

} // namespace

TEST(ValueTest, TextsSurviveCopiesMovesAndAssignmentsAcrossTheInlineLimit) {
    for (const auto& text : Texts) {
        SCOPED_TRACE(text.size());
        Value original = Value::string(text);
        EXPECT_EQ(original.type(), Value::Type::String);
        EXPECT_EQ(original.stringView(), text);

        Value copy = original;
        Value moved = std::move(copy);
        EXPECT_TRUE(copy.isNull()); // NOLINT(bugprone-use-after-move): moved-from is absent
        EXPECT_EQ(moved.stringView(), text);

        // Overwrite values of every other length in both directions; nothing leaks or is freed
        // twice (the sanitizer build checks), and each keeps its own text.
        for (const auto& other : Texts) {
            Value target = Value::string(other);
            target = original;
            EXPECT_EQ(target.stringView(), text);
            Value source = Value::string(other);
            target = std::move(source);
            EXPECT_EQ(target.stringView(), other);
            EXPECT_EQ(original.stringView(), text);
            EXPECT_EQ(Value::string(other) == original, other == text);
            int order = other.compare(text);
            EXPECT_EQ(brivel::store::compareValues(Value::string(other), original),
                      order < 0 ? -1 : (order > 0 ? 1 : 0));
        }
        Value& self = original;
        original = self;
        EXPECT_EQ(original.stringView(), text);
        original = Value::integer(7);
        EXPECT_EQ(original.toInt64(), 7);
        EXPECT_EQ(moved.stringView(), text);
    }
}

TEST(ValueTest, NumbersAndDatesKeepTheirBitsThroughCopies) {
    std::vector<Value> values = {Value::boolean(true), Value::integer(-9'007'199'254'740'993),
                                 Value::real(0.1), Value::date(brivel::Date(1'700'000'000.25))};
    std::vector<Value> copies = values;
    values.clear();
    EXPECT_TRUE(copies[0].toBool());
    EXPECT_EQ(copies[1].toInt64(), -9'007'199'254'740'993);
    EXPECT_EQ(copies[2].toDouble(), 0.1);
    EXPECT_EQ(copies[3].toDate().secondsSince1970, 1'700'000'000.25);
    EXPECT_EQ(copies[0].stringView(), "");
}
