// The closing hint shows in the active window only, at most once every five minutes across all
// accounts, never once ignored, and its moment reaches the disk at once.

#include "core/app/TradeClosingHint.h"
#include "AppTestSupport.h"
#include "core/app/PreferenceKeys.h"
#include "core/app/Preferences.h"

namespace brivel::test {
namespace {

using app::Preferences;
using app::TradeClosingHint;

class TradeClosingHintTest : public AppEnvironment {
protected:
    Preferences prefs{prefsFile()};
    FixedClock clock{Date(1'700'000'000.0)};
    TradeClosingHint hint{prefs, clock};
};

TEST_F(TradeClosingHintTest, ShowsAtMostOnceEveryFiveMinutes) {
    struct Step {
        double advance;
        bool shown;
    };
    // Never shown counts as 1970; 300 seconds exactly is not yet more than 300.
    for (const Step& s : {Step{0, true}, Step{0, false}, Step{299, false}, Step{1, false},
                          Step{0.5, true}, Step{300.5, true}, Step{10, false}}) {
        clock.advance(s.advance);
        EXPECT_EQ(hint.showIfDue(true), s.shown) << "at " << clock.now().secondsSince1970;
    }
}

TEST_F(TradeClosingHintTest, OnlyTheActiveWindowOfTwoAccountsShowsIt) {
    // Both windows receive the same notification; the inactive one asks first.
    TradeClosingHint otherAccount(prefs, clock);
    EXPECT_FALSE(otherAccount.showIfDue(false));
    EXPECT_FALSE(prefs.hasUserValue(app::prefkeys::CloseTradeHintShown));
    EXPECT_TRUE(hint.showIfDue(true));
    // The five minutes hold across accounts.
    clock.advance(60);
    EXPECT_FALSE(otherAccount.showIfDue(true));
}

TEST_F(TradeClosingHintTest, IgnoredNeverShowsAndTheChoiceAndTheMomentAreOnDiskAtOnce) {
    prefs.setAutosynchronize(false);
    hint.setIgnored(true);
    EXPECT_TRUE(Preferences(prefsFile()).boolForKey(app::prefkeys::CloseTradeHintIgnore));
    clock.advance(10'000);
    EXPECT_FALSE(hint.showIfDue(true));
    EXPECT_FALSE(prefs.hasUserValue(app::prefkeys::CloseTradeHintShown));
    hint.setIgnored(false);
    ASSERT_TRUE(hint.showIfDue(true));
    EXPECT_DOUBLE_EQ(Preferences(prefsFile()).doubleForKey(app::prefkeys::CloseTradeHintShown),
                     clock.now().secondsSince1970);
}

TEST_F(TradeClosingHintTest, AMomentInTheFutureDoesNotHideTheHintUntilTheClockCatchesUp) {
    prefs.setObject(clock.now().secondsSince1970 + 86'400, app::prefkeys::CloseTradeHintShown);
    EXPECT_TRUE(hint.shouldShow(true));
}

} // namespace
} // namespace brivel::test
