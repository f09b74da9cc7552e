#pragma once

#include "core/app/PreferencesLock.h"
#include "core/platform/Date.h"
#include "core/platform/Error.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace brivel::app {

// The per-user preferences store: the user's values in a JSON file, over a registration domain of
// factory values that is held in memory only and never written.
//
// Values are of the property-list kinds: string, number, boolean, array, dictionary; a date is
// kept as seconds since 1970. Every write of the file is atomic, and a write merges the keys this
// store changed into what is on disk at that moment, so that the application and brivel-cli can
// share one file without undoing each other's changes. Main thread only.
class Preferences {
public:
    using Token = std::uint64_t;
    using Observer = std::function<void(const std::string& key)>;

    // Reads the user's values from file. A missing file is an empty store; a file that cannot be
    // read or parsed is moved aside as a dated copy, with one log line, and the store starts
    // empty (that is, with the factory values once they are registered).
    explicit Preferences(std::filesystem::path file);
    ~Preferences();
    Preferences(const Preferences&) = delete;
    Preferences& operator=(const Preferences&) = delete;

    const std::filesystem::path& filePath() const { return m_file; }
    // Where the unreadable file found at construction was moved, if one was.
    const std::optional<std::filesystem::path>& setAsideCopy() const { return m_setAside; }

    // Adds to the registration domain (later registrations win key by key).
    void registerDefaults(const nlohmann::json& dictionary);
    const nlohmann::json& registrationDomain() const { return m_registered; }
    // The user's own values: what the file holds after the next synchronize().
    const nlohmann::json& persistentDomain() const { return m_user; }

    // The user's value, else the registered one, else null.
    nlohmann::json objectForKey(std::string_view key) const;
    bool hasUserValue(std::string_view key) const;
    std::string stringForKey(std::string_view key) const;        // "" unless a string
    bool boolForKey(std::string_view key) const;                 // a nonzero number or true
    double doubleForKey(std::string_view key) const;             // 0 unless a number
    std::int64_t integerForKey(std::string_view key) const;      // 0 unless a number
    nlohmann::json arrayForKey(std::string_view key) const;      // [] unless an array
    nlohmann::json dictionaryForKey(std::string_view key) const; // {} unless a dictionary
    std::optional<Date> dateForKey(std::string_view key) const;  // absent unless a number

    // Sets the user's value; a null value removes it, so the registered one shows again.
    void setObject(const nlohmann::json& value, std::string_view key);
    void setDate(Date date, std::string_view key);
    void removeObjectForKey(std::string_view key);

    // Tells observer whenever the value seen for key changes (an empty key: any key). Observers
    // may add or remove observers and set values while being told.
    Token addObserver(std::string key, Observer observer);
    void removeObserver(Token token);

    // Writes the user's values to the file (atomically) and takes in what other processes wrote
    // for the keys this store did not change. False with error when the file cannot be written;
    // the changes are kept and the next call tries again.
    bool synchronize(Error* error = nullptr);
    bool hasUnsavedChanges() const { return !m_changed.empty(); }

    // A read-modify-write of the file across processes. beginEdit takes the preferences folder's
    // lock and reads in what other processes wrote (observers are told, so list contents
    // reload); synchronize() inside the edit writes without letting go; endEdit lets go. List
    // edits (accounts, strategies, indices) run inside one, so that they change the list as it
    // is on disk, not a copy read earlier. False, with the lock not held, when it cannot be had
    // (a one-line error) or the file cannot be written. Edits do not nest.
    bool beginEdit(Error* error);
    void endEdit();
    bool inEdit() const { return m_editLock.holds(); }

    // Files nested deeper than this are unreadable (and set aside): copying one would exhaust
    // the stack, and no preference needs more than a few levels.
    static constexpr int MaxNesting = 64;

    // Write after every change. Failures then go to the system log.
    void setAutosynchronize(bool on);

    // Reads key's value as the file holds it now (this store's own unsaved value of the key, if
    // any, wins), stores change(value) and writes the file at once, all under the folder lock: a
    // read-modify-write (a counter, a list edit) that neither another thread nor another process
    // can interleave with. A null result removes the key. False with error when the file cannot
    // be written; the new value is then kept in memory like any unsaved change.
    bool update(std::string_view key,
                const std::function<nlohmann::json(const nlohmann::json&)>& change,
                Error* error = nullptr);

private:
    struct Entry {
        std::string key;
        Observer observer;
    };
    struct FileContents {
        bool exists = false;
        nlohmann::json values = nlohmann::json::object();
        std::string problem; // not empty when the file exists but cannot be used
    };

    FileContents readFile() const;
    bool prepareFolder(Error* error) const;
    // The body of synchronize(), with the folder lock held and the file as read under it.
    bool mergeAndWrite(FileContents disk, Error* error);
    std::optional<std::filesystem::path> setAside(const std::string& problem);
    void changed(const std::string& key, const nlohmann::json& before);
    void notify(const std::string& key);
    void afterChange();

    std::filesystem::path m_file;
    std::optional<std::filesystem::path> m_setAside;
    nlohmann::json m_registered = nlohmann::json::object();
    nlohmann::json m_user = nlohmann::json::object();
    std::set<std::string, std::less<>> m_changed;
    std::map<Token, Entry> m_observers;
    Token m_nextToken = 1;
    bool m_autosync = false;
    // Every member above is guarded: the store is used from the main thread and from background
    // threads (the rating prompt's counters). Observers run on the thread that made the change.
    mutable std::recursive_mutex m_mutex;
    PreferencesLock m_editLock;
};

} // namespace brivel::app
