#pragma once

#include "core/platform/Clock.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace brivel::app {
class Preferences;
}

namespace brivel::rating {

// The preference keys the prompt keeps its counts and answers under.
inline constexpr std::string_view kRatingPromptCurrentVersion = "kRatingPromptCurrentVersion";
inline constexpr std::string_view kRatingPromptFirstUseDate = "kRatingPromptFirstUseDate";
inline constexpr std::string_view kRatingPromptUseCount = "kRatingPromptUseCount";
inline constexpr std::string_view kRatingPromptSignificantEventCount =
    "kRatingPromptSignificantEventCount";
inline constexpr std::string_view kRatingPromptDeclinedToRate = "kRatingPromptDeclinedToRate";
inline constexpr std::string_view kRatingPromptRatedCurrentVersion =
    "kRatingPromptRatedCurrentVersion";
inline constexpr std::string_view kRatingPromptReminderRequestDate =
    "kRatingPromptReminderRequestDate";
// Turns the whole prompt off: nothing is counted, checked or asked (as does the environment
// variable BRIVEL_NO_RATING_PROMPT=1).
inline constexpr std::string_view kRatingPromptDisabled = "kRatingPromptDisabled";

// The review page, with "APP_ID" where the application's identifier goes.
inline constexpr std::string_view templateReviewURL = "https://brivel.app/review?app=APP_ID";
// The application's identifier in the review address.
inline constexpr int applicationStoreIdentifier = 604118;

// Counts uses and significant events in the preferences and, once the thresholds below are
// passed, asks (through the host) to show the rating alert. Entry points may be called from any
// thread; each runs its work on a thread of its own so that preference writes and the network
// check never hold up the caller. The alert and its answer belong to the main thread.
//
// Thresholds: 15 days since the first counted use or event, more than 5 uses, more than 7
// significant events, and a day since "Remind me later"; declining or rating ends it for good.
class RatingPrompt {
public:
    // What the front end supplies. networkReachable runs on a background thread and must not
    // block for long; showAlert must only hand the alert to the main thread, never wait for it.
    struct Host {
        std::function<bool()> networkReachable;
        std::function<void()> showAlert;
    };

    // The alert's answers, with their return codes.
    enum Answer { RemindMeLater = -1, NoThanks = 0, Rate = 1 };

    static constexpr double kDaysUntilPrompt = 1'296'000.0; // seconds
    static constexpr int kUsesUntilPrompt = 5;
    static constexpr int kSignificantEventsUntilPrompt = 7;
    static constexpr double kTimeBeforeReminding = 86'400.0; // seconds

    // preferences and clock must outlive the prompt; appName and version are the running
    // application's.
    RatingPrompt(app::Preferences& preferences, const Clock& clock, std::string appName,
                 std::string version, Host host);
    // Waits for the background threads still running.
    ~RatingPrompt();
    RatingPrompt(const RatingPrompt&) = delete;
    RatingPrompt& operator=(const RatingPrompt&) = delete;

    // Entry points: each starts a background thread and returns at once.
    void appLaunched(bool canPromptForRating = true);
    void appEnteredForeground(bool canPromptForRating);
    // Only counts: a significant event never shows the prompt.
    void userDidSignificantEvent(bool canPromptForRating);

    // The thread bodies, callable directly (tests, or a caller already off the main thread).
    void incrementAndRate(bool canPromptForRating);
    void incrementSignificantEventAndRate(bool canPromptForRating);

    bool ratingConditionsHaveBeenMet() const;
    // The preference or BRIVEL_NO_RATING_PROMPT=1.
    bool isDisabled() const;

    // Records the answer (on the main thread). For Rate, returns the review address, which the
    // front end opens twice, two seconds apart; nothing otherwise.
    std::optional<std::string> alertDidEnd(int returnCode);

    std::string alertTitle() const;
    std::string alertMessage() const;
    std::string rateButtonTitle() const;
    std::string reviewURL() const;

    // Joins the background threads started so far (for tests and shutdown).
    void waitForBackgroundWork();

private:
    void start(std::function<void()> body);
    void incrementCount(std::string_view key);

    app::Preferences& m_preferences;
    const Clock& m_clock;
    std::string m_appName;
    std::string m_version;
    Host m_host;
    std::mutex m_threadsMutex;
    std::vector<std::thread> m_threads;
};

} // namespace brivel::rating
