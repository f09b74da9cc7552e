#pragma once

#include "core/platform/Clock.h"
#include "core/platform/Error.h"

namespace brivel::app {

class Preferences;

// Whether the trade view may show the closing hint ("the descriptions of matching orders must be
// the same") when a trade's orders balance in total but not one by one. Every trade view of every
// open account asks, so the rule keeps the hint to the window the user works in and to once every
// five minutes across all accounts, and never after the user asked not to see it again.
class TradeClosingHint {
public:
    // Seconds that must have passed since the hint was last shown, anywhere.
    static constexpr double MinimumInterval = 300.0;

    // preferences and clock must outlive this object.
    TradeClosingHint(Preferences& preferences, const Clock& clock);

    // The hint is due: not ignored, more than MinimumInterval since it was last shown (never
    // shown counts as 1970), and the asking window is the active one.
    bool shouldShow(bool windowIsActive) const;
    // Records now as the moment it was shown and writes the preferences to disk at once, so that
    // another account window (or another running instance) sees it. False when the write failed.
    bool markShown(Error* error = nullptr);
    // shouldShow, then markShown when it is due. True when the caller should show the hint.
    bool showIfDue(bool windowIsActive);

    // "Do not show this again".
    bool isIgnored() const;
    void setIgnored(bool ignore);

private:
    Preferences& m_preferences;
    const Clock& m_clock;
};

} // namespace brivel::app
