#include "core/app/TradeClosingHint.h"

#include "core/app/PreferenceKeys.h"
#include "core/app/Preferences.h"

namespace brivel::app {

TradeClosingHint::TradeClosingHint(Preferences& preferences, const Clock& clock)
    : m_preferences(preferences), m_clock(clock) {}

bool TradeClosingHint::isIgnored() const {
    return m_preferences.boolForKey(prefkeys::CloseTradeHintIgnore);
}

void TradeClosingHint::setIgnored(bool ignore) {
    m_preferences.setObject(ignore, prefkeys::CloseTradeHintIgnore);
    m_preferences.synchronize();
}

bool TradeClosingHint::shouldShow(bool windowIsActive) const {
    if (!windowIsActive || isIgnored())
        return false;
    double shown = m_preferences.doubleForKey(prefkeys::CloseTradeHintShown);
    double elapsed = m_clock.now().secondsSince1970 - shown;
    // A moment in the future means the clock was set back since: waiting until it catches up
    // could hide the hint for days, so count it as long ago.
    return elapsed > MinimumInterval || elapsed < 0.0;
}

bool TradeClosingHint::markShown(Error* error) {
    m_preferences.setObject(m_clock.now().secondsSince1970, prefkeys::CloseTradeHintShown);
    return m_preferences.synchronize(error);
}

bool TradeClosingHint::showIfDue(bool windowIsActive) {
    if (!shouldShow(windowIsActive))
        return false;
    // Shown even when the write fails: the user still benefits, and the next write retries.
    markShown();
    return true;
}

} // namespace brivel::app
