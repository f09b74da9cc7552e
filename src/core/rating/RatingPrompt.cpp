#include "core/rating/RatingPrompt.h"

#include "core/app/Preferences.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace brivel::rating {

using nlohmann::json;

RatingPrompt::RatingPrompt(app::Preferences& preferences, const Clock& clock, std::string appName,
                           std::string version, Host host)
    : m_preferences(preferences), m_clock(clock), m_appName(std::move(appName)),
      m_version(std::move(version)), m_host(std::move(host)) {}

RatingPrompt::~RatingPrompt() {
    waitForBackgroundWork();
}

void RatingPrompt::appLaunched(bool canPromptForRating) {
    start([this, canPromptForRating] { incrementAndRate(canPromptForRating); });
}

void RatingPrompt::appEnteredForeground(bool canPromptForRating) {
    appLaunched(canPromptForRating);
}

void RatingPrompt::userDidSignificantEvent(bool canPromptForRating) {
    start([this, canPromptForRating] { incrementSignificantEventAndRate(canPromptForRating); });
}

void RatingPrompt::start(std::function<void()> body) {
    if (isDisabled())
        return;
    std::lock_guard lock(m_threadsMutex);
    m_threads.emplace_back(std::move(body));
}

void RatingPrompt::waitForBackgroundWork() {
    for (;;) {
        std::vector<std::thread> running;
        {
            std::lock_guard lock(m_threadsMutex);
            running.swap(m_threads);
        }
        if (running.empty())
            return;
        for (auto& t : running)
            t.join();
    }
}

bool RatingPrompt::isDisabled() const {
    const char* env = std::getenv("BRIVEL_NO_RATING_PROMPT");
    if (env && std::strcmp(env, "1") == 0)
        return true;
    return m_preferences.boolForKey(kRatingPromptDisabled);
}

void RatingPrompt::incrementCount(std::string_view key) {
    // Each step is one read-modify-write of the file, so counts from other threads and other
    // processes are never lost.
    const std::string version = m_version;
    m_preferences.update(kRatingPromptCurrentVersion,
                         [&version](const json& v) { return v.is_string() ? v : json(version); });
    const double now = m_clock.now().secondsSince1970;
    m_preferences.update(kRatingPromptFirstUseDate, [now](const json& v) {
        return v.is_number() && v.get<double>() != 0.0 ? v : json(now);
    });
    m_preferences.update(key, [](const json& v) {
        std::int64_t count = v.is_number() ? v.get<std::int64_t>() : 0;
        // The count is kept as a 32-bit integer.
        return json(static_cast<std::int32_t>(static_cast<std::uint32_t>(count) + 1u));
    });
}

void RatingPrompt::incrementAndRate(bool canPromptForRating) {
    if (isDisabled())
        return;
    incrementCount(kRatingPromptUseCount);
    // The conditions come first so that nothing goes over the network when no prompt is due.
    if (canPromptForRating && ratingConditionsHaveBeenMet() && m_host.networkReachable &&
        m_host.networkReachable() && m_host.showAlert)
        m_host.showAlert();
}

void RatingPrompt::incrementSignificantEventAndRate(bool /*canPromptForRating*/) {
    if (isDisabled())
        return;
    incrementCount(kRatingPromptSignificantEventCount);
}

bool RatingPrompt::ratingConditionsHaveBeenMet() const {
    const double now = m_clock.now().secondsSince1970;
    if (now - m_preferences.doubleForKey(kRatingPromptFirstUseDate) < kDaysUntilPrompt)
        return false;
    if (m_preferences.integerForKey(kRatingPromptUseCount) <= kUsesUntilPrompt)
        return false;
    if (m_preferences.integerForKey(kRatingPromptSignificantEventCount) <=
        kSignificantEventsUntilPrompt)
        return false;
    if (m_preferences.boolForKey(kRatingPromptDeclinedToRate))
        return false;
    if (m_preferences.boolForKey(kRatingPromptRatedCurrentVersion))
        return false;
    return now - m_preferences.doubleForKey(kRatingPromptReminderRequestDate) >=
           kTimeBeforeReminding;
}

std::optional<std::string> RatingPrompt::alertDidEnd(int returnCode) {
    std::optional<std::string> address;
    switch (returnCode) {
    case Rate:
        address = reviewURL();
        m_preferences.setObject(true, kRatingPromptRatedCurrentVersion);
        m_preferences.setObject(m_version, kRatingPromptCurrentVersion);
        break;
    case NoThanks:
        m_preferences.setObject(true, kRatingPromptDeclinedToRate);
        break;
    case RemindMeLater:
        m_preferences.setDate(m_clock.now(), kRatingPromptReminderRequestDate);
        break;
    default:
        break;
    }
    m_preferences.synchronize();
    return address;
}

std::string RatingPrompt::alertTitle() const {
    return fmt::format("Rate {}", m_appName);
}

std::string RatingPrompt::alertMessage() const {
    return fmt::format("If you enjoy using {}, would you mind taking a moment to rate it? It "
                       "won't take more than a minute. Thanks for your support!",
                       m_appName);
}

std::string RatingPrompt::rateButtonTitle() const {
    return fmt::format("Rate {}", m_appName);
}

std::string RatingPrompt::reviewURL() const {
    std::string address(templateReviewURL);
    const std::string placeholder = "APP_ID";
    if (auto at = address.find(placeholder); at != std::string::npos)
        address.replace(at, placeholder.size(), fmt::format("{}", applicationStoreIdentifier));
    return address;
}

} // namespace brivel::rating
