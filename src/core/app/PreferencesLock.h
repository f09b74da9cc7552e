#pragma once

#include "core/platform/Error.h"

#include <chrono>
#include <filesystem>
#include <optional>

namespace brivel::app {

// The lock on the preferences folder that a read-modify-write of the preferences file holds, so
// that two processes editing the same list (accounts, strategies, indices) at once cannot write
// back each other's stale copy. A kernel advisory lock (flock) on the folder itself, freed when
// the holder dies. Like AccountLock it belongs to the object: Preferences keeps the one it holds
// during an edit and does not lock again inside it. Move-only; released when destroyed.
class PreferencesLock {
public:
    // Edits of the preferences take milliseconds; a holder for longer than this is stuck.
    static constexpr std::chrono::milliseconds DefaultWait{10000};

    PreferencesLock() = default; // holds nothing
    ~PreferencesLock();
    PreferencesLock(PreferencesLock&& other) noexcept;
    PreferencesLock& operator=(PreferencesLock&& other) noexcept;
    PreferencesLock(const PreferencesLock&) = delete;
    PreferencesLock& operator=(const PreferencesLock&) = delete;

    // Waits up to `wait` for the folder's lock; nothing, with a one-line error, when the folder
    // cannot be opened or the wait runs out.
    static std::optional<PreferencesLock> acquire(const std::filesystem::path& folder, Error* error,
                                                  std::chrono::milliseconds wait = DefaultWait);

    bool holds() const { return m_fd >= 0; }
    void release();

private:
    int m_fd = -1;
};

} // namespace brivel::app
