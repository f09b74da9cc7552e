#include "support/StoreTestSupport.h"

#include <tuple>

using namespace brivel;
using namespace brivel::model;
using brivel::test::AccountFixture;
using store::FetchRequest;
using store::Predicate;
using store::Value;

class PredicateTest : public AccountFixture {
protected:
    Note* note(std::optional<std::string> ticker, double t, bool flag = false) {
        auto* n = insert<Note>();
        n->setTicker(ticker);
        n->setTimestamp(Date(t));
        n->setFlagValue(flag);
        return n;
    }
    std::vector<store::ManagedObject*> fetch(std::optional<Predicate> p,
                                             std::vector<store::SortDescriptor> sort = {}) {
        FetchRequest r;
        r.entityName = "Note";
        r.predicate = std::move(p);
        r.sortDescriptors = std::move(sort);
        return ctx->executeFetchRequest(r);
    }
};

TEST(LikeMatch, WildcardsCaseAndDiacritics) {
    using store::foldForLike;
    auto like = [](std::string text, std::string pattern) {
        return store::likeMatch(foldForLike(text), foldForLike(pattern));
    };
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"AAPL", "aapl", true},   {"Société", "SOCIETE", true},
        {"AAPL", "A*", true},     {"", "*", true},
        {"AAPL", "A?PL", true},   {"AAPL", "*P*", true},
        {"abcbcd", "*bcd", true}, {"AAPL", "AAP", false}, // the whole value
        {"AAPL", "?AAPL", false}, {"", "?", false},
        {"AAPL", "MSFT", false},  {"straße", "STRASSE", true}, // full case folding
    };
    for (const auto& [text, pattern, matches] : cases)
        EXPECT_EQ(like(text, pattern), matches) << text << " LIKE " << pattern;
}

TEST_F(PredicateTest, BetweenIncludesBothEndsLikeSkipsAbsentValues) {
    auto* a = note("AAPL", 100);
    auto* b = note("aapl", 200, true);
    auto* c = note(std::nullopt, 150);
    note("MSFT", 300);
    auto between = Predicate::between("timestamp", Value::date(Date(100)), Value::date(Date(200)));
    auto got = fetch(between, {{"timestamp", true}});
    EXPECT_EQ(got, (std::vector<store::ManagedObject*>{a, c, b}));

    auto like = Predicate::likeCD("ticker", "AAPL");
    EXPECT_EQ(fetch(like, {{"timestamp", true}}), (std::vector<store::ManagedObject*>{a, b}));
    EXPECT_EQ(fetch(Predicate::likeCD("ticker", "*")).size(), 3u); // the absent one never matches

    auto flagged = Predicate::andOf({between, Predicate::equal("flag", Value::boolean(true))});
    EXPECT_EQ(fetch(flagged), std::vector<store::ManagedObject*>{b});
    EXPECT_EQ(fetch(Predicate::equal("ticker", Value::string("aapl"))),
              std::vector<store::ManagedObject*>{b}); // == is exact
    EXPECT_EQ(flagged.format(),
              "timestamp BETWEEN {CAST(100, \"NSDate\"), CAST(200, \"NSDate\")} AND flag == TRUE");
}

TEST_F(PredicateTest, KeyPathsAndSortingPutAbsentValuesFirst) {
    auto* log1 = insert<Log>();
    log1->setDate(Date(50));
    auto* log2 = insert<Log>();
    log2->setDate(Date(500));
    auto* x = note("B", 1);
    auto* y = note(std::nullopt, 2);
    auto* z = note("A", 3);
    log1->addNoteObject(x);
    log2->addNoteObject(z);
    log2->addNoteObject(y);
    EXPECT_EQ(fetch(std::nullopt, {{"ticker", true}}),
              (std::vector<store::ManagedObject*>{y, z, x}));
    EXPECT_EQ(fetch(std::nullopt, {{"ticker", false}}),
              (std::vector<store::ManagedObject*>{x, z, y}));
    EXPECT_EQ(fetch(Predicate::between("log.date", Value::date(Date(100)), Value::date(Date(1000))),
                    {{"timestamp", false}}),
              (std::vector<store::ManagedObject*>{z, y}));
    EXPECT_EQ(fetch(std::nullopt, {{"log.date", false}, {"ticker", true}}),
              (std::vector<store::ManagedObject*>{y, z, x}));
}
