#include "core/rating/RatingPrompt.h"

#include "core/app/Preferences.h"
#include "support/TempDir.h"

#include <atomic>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <thread>

using namespace brivel;
using namespace brivel::rating;

namespace {

constexpr double kDay = 86'400.0;
const Date kStart(1'700'000'000.0);

class RatingPromptTest : public ::testing::Test {
protected:
    RatingPromptTest() : m_noEnv("BRIVEL_NO_RATING_PROMPT", "0") { makePrompt(); }

    void makePrompt() {
        m_prompt.reset();
        m_prompt = std::make_unique<RatingPrompt>(m_prefs, m_clock, "Brivel Trade Journal", "2.1",
                                                  RatingPrompt::Host{[this] {
                                                                         ++m_networkChecks;
                                                                         return m_reachable.load();
                                                                     },
                                                                     [this] { ++m_alerts; }});
    }
    // Counts events and uses (the first use at kStart), then moves the clock to `later`.
    void count(int events, int uses, double later = 0.0) {
        for (int i = 0; i < events; ++i)
            m_prompt->incrementSignificantEventAndRate(true);
        for (int i = 0; i < uses; ++i)
            m_prompt->incrementAndRate(false);
        m_clock.advance(later);
    }
    std::int64_t integer(std::string_view key) {
        app::Preferences reread(m_dir / "prefs.json"); // what the file holds
        return reread.integerForKey(key);
    }

    test::TempDir m_dir;
    test::ScopedEnv m_noEnv;
    app::Preferences m_prefs{m_dir / "prefs.json"};
    FixedClock m_clock{kStart};
    std::atomic<bool> m_reachable{true};
    std::atomic<int> m_networkChecks{0};
    std::atomic<int> m_alerts{0};
    std::unique_ptr<RatingPrompt> m_prompt;
};

TEST_F(RatingPromptTest, TheSixthUseFifteenDaysOnPromptsOnceEightEventsAreCounted) {
    count(7, 5, 15 * kDay);
    m_prompt->incrementAndRate(true); // 6th use, 7 events
    EXPECT_EQ(m_alerts, 0);
    EXPECT_EQ(m_networkChecks, 0); // nothing goes over the network when no prompt is due

    m_prompt->incrementSignificantEventAndRate(true); // 8th event: counts, never prompts
    EXPECT_EQ(m_alerts, 0);
    m_prompt->incrementAndRate(true); // 7th use
    EXPECT_EQ(m_alerts, 1);
    EXPECT_EQ(integer(kRatingPromptUseCount), 7);
    EXPECT_EQ(integer(kRatingPromptSignificantEventCount), 8);
    EXPECT_EQ(m_prefs.doubleForKey(kRatingPromptFirstUseDate), kStart.secondsSince1970);
    EXPECT_EQ(m_prefs.stringForKey(kRatingPromptCurrentVersion), "2.1");
}

TEST_F(RatingPromptTest, FifteenDaysMeansFifteenDaysToTheSecond) {
    count(8, 5, 15 * kDay - 1);
    m_prompt->incrementAndRate(true); // 6th use, a second short of 15 days
    EXPECT_EQ(m_alerts, 0);
    m_clock.advance(1);
    m_prompt->incrementAndRate(true);
    EXPECT_EQ(m_alerts, 1);
}

TEST_F(RatingPromptTest, TheFifthUseDoesNotPromptEvenLateEnough) {
    count(8, 4, 20 * kDay);
    m_prompt->incrementAndRate(true);
    EXPECT_EQ(m_alerts, 0);
    m_prompt->incrementAndRate(true);
    EXPECT_EQ(m_alerts, 1);
}

TEST_F(RatingPromptTest, CountingWithoutPermissionOrReachabilityNeverPrompts) {
    count(8, 10, 30 * kDay);
    m_prompt->incrementAndRate(false);
    m_prompt->incrementSignificantEventAndRate(true);
    EXPECT_EQ(m_alerts, 0);
    m_reachable = false;
    m_prompt->incrementAndRate(true);
    EXPECT_EQ(m_networkChecks, 1);
    EXPECT_EQ(m_alerts, 0);
    EXPECT_EQ(integer(kRatingPromptUseCount), 12);
}

TEST_F(RatingPromptTest, RemindMeLaterHoldsThePromptBackForExactlyADay) {
    count(8, 6, 16 * kDay);
    ASSERT_TRUE(m_prompt->ratingConditionsHaveBeenMet());
    EXPECT_FALSE(m_prompt->alertDidEnd(RatingPrompt::RemindMeLater));
    EXPECT_EQ(m_prefs.doubleForKey(kRatingPromptReminderRequestDate),
              m_clock.now().secondsSince1970);
    m_clock.advance(kDay - 1);
    m_prompt->incrementAndRate(true);
    EXPECT_EQ(m_alerts, 0);
    m_clock.advance(1);
    m_prompt->incrementAndRate(true);
    EXPECT_EQ(m_alerts, 1);
}

TEST_F(RatingPromptTest, DecliningOrRatingEndsThePromptsForGood) {
    for (int answer : {int(RatingPrompt::NoThanks), int(RatingPrompt::Rate)}) {
        m_prefs.update(kRatingPromptDeclinedToRate, [](const nlohmann::json&) { return nullptr; });
        m_prefs.update(kRatingPromptRatedCurrentVersion,
                       [](const nlohmann::json&) { return nullptr; });
        count(8, 6, 16 * kDay);
        ASSERT_TRUE(m_prompt->ratingConditionsHaveBeenMet());
        m_prompt->alertDidEnd(answer);
        m_clock.advance(365 * kDay);
        m_alerts = 0;
        m_prompt->incrementAndRate(true);
        EXPECT_EQ(m_alerts, 0) << "answer " << answer;
    }
}

TEST_F(RatingPromptTest, RatingGivesTheReviewAddressAndStoresTheRunningVersion) {
    m_prefs.setObject("1.0", kRatingPromptCurrentVersion); // counted under an older version
    count(1, 1);
    EXPECT_EQ(m_prefs.stringForKey(kRatingPromptCurrentVersion), "1.0");
    auto address = m_prompt->alertDidEnd(RatingPrompt::Rate);
    ASSERT_TRUE(address);
    EXPECT_EQ(*address, "https://brivel.app/review?app=604118");
    app::Preferences reread(m_dir / "prefs.json");
    EXPECT_EQ(reread.stringForKey(kRatingPromptCurrentVersion), "2.1");
    EXPECT_TRUE(reread.boolForKey(kRatingPromptRatedCurrentVersion));
    EXPECT_FALSE(m_prompt->alertDidEnd(42)); // an unknown answer changes nothing
    EXPECT_EQ(m_prompt->alertTitle(), "Rate Brivel Trade Journal");
}

TEST_F(RatingPromptTest, CountsFromManyThreadsAreAllKept) {
    for (int i = 0; i < 20; ++i) {
        m_prompt->appLaunched(false);
        m_prompt->userDidSignificantEvent(true);
    }
    std::thread other([this] {
        for (int i = 0; i < 20; ++i)
            m_prompt->appEnteredForeground(false);
    });
    other.join();
    m_prompt->waitForBackgroundWork();
    EXPECT_EQ(integer(kRatingPromptUseCount), 40);
    EXPECT_EQ(integer(kRatingPromptSignificantEventCount), 20);
    EXPECT_EQ(m_alerts, 0);
}

TEST_F(RatingPromptTest, DisabledCountsNothing) {
    m_prefs.setObject(true, kRatingPromptDisabled);
    count(8, 10, 30 * kDay);
    m_prompt->appLaunched(true);
    m_prompt->waitForBackgroundWork();
    EXPECT_EQ(m_prefs.integerForKey(kRatingPromptUseCount), 0);
    m_prefs.setObject(false, kRatingPromptDisabled);
    test::ScopedEnv off("BRIVEL_NO_RATING_PROMPT", "1");
    count(1, 1);
    EXPECT_EQ(m_prefs.integerForKey(kRatingPromptSignificantEventCount), 0);
}

} // namespace
