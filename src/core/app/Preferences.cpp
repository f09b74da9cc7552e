#include "core/app/Preferences.h"

#include "core/platform/AtomicFile.h"
#include "core/platform/SystemLog.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fmt/format.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace brivel::app {

namespace {

using nlohmann::json;

const json& nullJson() {
    static const json n;
    return n;
}

const json& lookup(const json& dictionary, std::string_view key) {
    auto it = dictionary.find(std::string(key));
    return it == dictionary.end() ? nullJson() : *it;
}

std::string timestampForFileName() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H-%M-%S", &local);
    return buf;
}

} // namespace

Preferences::Preferences(std::filesystem::path file) : m_file(std::move(file)) {
    FileContents contents = readFile();
    if (!contents.problem.empty())
        m_setAside = setAside(contents.problem);
    else
        m_user = std::move(contents.values);
}

Preferences::~Preferences() = default;

Preferences::FileContents Preferences::readFile() const {
    FileContents result;
    std::error_code ec;
    auto status = std::filesystem::status(m_file, ec);
    if (!std::filesystem::exists(status))
        return result;
    result.exists = true;
    if (std::filesystem::is_directory(status)) {
        result.problem = "it is a folder";
        return result;
    }
    std::ifstream in(m_file, std::ios::binary);
    if (!in) {
        result.problem = fmt::format("cannot open it: {}", std::strerror(errno));
        return result;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        result.problem = "cannot read it";
        return result;
    }
    try {
        // Depth is checked while parsing, before anything that deep is built.
        auto limitDepth = [](int depth, json::parse_event_t, json&) {
            if (depth > MaxNesting)
                throw std::length_error(
                    fmt::format("it is nested more than {} levels deep", MaxNesting));
            return true;
        };
        json parsed = json::parse(text.str(), limitDepth);
        if (!parsed.is_object()) {
            result.problem = "it does not hold a dictionary";
            return result;
        }
        result.values = std::move(parsed);
    } catch (const json::exception& e) {
        result.problem = fmt::format("it is not valid JSON: {}", e.what());
    } catch (const std::length_error& e) {
        result.problem = e.what();
    }
    return result;
}

std::optional<std::filesystem::path> Preferences::setAside(const std::string& problem) {
    // The user's settings may still be recoverable by hand, so the file is kept, not replaced.
    const std::string base = m_file.filename().string() + ".unreadable-" + timestampForFileName();
    std::filesystem::path copy = m_file.parent_path() / base;
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(copy, ec)); ++n)
        copy = m_file.parent_path() / fmt::format("{}-{}", base, n);
    std::filesystem::rename(m_file, copy, ec);
    if (ec) {
        std::error_code copyEc;
        std::filesystem::copy_file(m_file, copy, copyEc);
        if (copyEc) {
            systemLog().log(fmt::format("Preferences file \"{}\" is unusable ({}) and could not be "
                                        "kept aside ({}); starting with the factory preferences",
                                        m_file.string(), problem, ec.message()));
            return std::nullopt;
        }
    }
    systemLog().log(fmt::format("Preferences file \"{}\" is unusable ({}); kept as \"{}\", "
                                "starting with the factory preferences",
                                m_file.string(), problem, copy.string()));
    return copy;
}

void Preferences::registerDefaults(const json& dictionary) {
    std::lock_guard guard(m_mutex);
    if (!dictionary.is_object())
        return;
    for (auto it = dictionary.begin(); it != dictionary.end(); ++it) {
        json before = objectForKey(it.key());
        m_registered[it.key()] = it.value();
        if (objectForKey(it.key()) != before)
            notify(it.key());
    }
}

json Preferences::objectForKey(std::string_view key) const {
    std::lock_guard guard(m_mutex);
    const json& user = lookup(m_user, key);
    if (!user.is_null())
        return user;
    return lookup(m_registered, key);
}

bool Preferences::hasUserValue(std::string_view key) const {
    std::lock_guard guard(m_mutex);
    return m_user.contains(std::string(key));
}

std::string Preferences::stringForKey(std::string_view key) const {
    json v = objectForKey(key);
    return v.is_string() ? v.get<std::string>() : std::string();
}

bool Preferences::boolForKey(std::string_view key) const {
    json v = objectForKey(key);
    if (v.is_boolean())
        return v.get<bool>();
    if (v.is_number())
        return v.get<double>() != 0.0;
    return false;
}

double Preferences::doubleForKey(std::string_view key) const {
    json v = objectForKey(key);
    return v.is_number() ? v.get<double>() : 0.0;
}

std::int64_t Preferences::integerForKey(std::string_view key) const {
    json v = objectForKey(key);
    if (v.is_number_integer())
        return v.get<std::int64_t>();
    if (v.is_number())
        return static_cast<std::int64_t>(v.get<double>());
    return 0;
}

json Preferences::arrayForKey(std::string_view key) const {
    json v = objectForKey(key);
    return v.is_array() ? v : json::array();
}

json Preferences::dictionaryForKey(std::string_view key) const {
    json v = objectForKey(key);
    return v.is_object() ? v : json::object();
}

std::optional<Date> Preferences::dateForKey(std::string_view key) const {
    json v = objectForKey(key);
    if (!v.is_number())
        return std::nullopt;
    return Date(v.get<double>());
}

void Preferences::setObject(const json& value, std::string_view key) {
    std::lock_guard guard(m_mutex);
    if (value.is_null()) {
        removeObjectForKey(key);
        return;
    }
    std::string k(key);
    json before = objectForKey(k);
    m_user[k] = value;
    m_changed.insert(k);
    changed(k, before);
}

void Preferences::setDate(Date date, std::string_view key) {
    setObject(json(date.secondsSince1970), key);
}

void Preferences::removeObjectForKey(std::string_view key) {
    std::lock_guard guard(m_mutex);
    std::string k(key);
    json before = objectForKey(k);
    m_user.erase(k);
    m_changed.insert(k);
    changed(k, before);
}

void Preferences::changed(const std::string& key, const json& before) {
    if (objectForKey(key) != before)
        notify(key);
    afterChange();
}

void Preferences::afterChange() {
    if (!m_autosync)
        return;
    Error error;
    if (!synchronize(&error))
        systemLog().log(error.message());
}

Preferences::Token Preferences::addObserver(std::string key, Observer observer) {
    std::lock_guard guard(m_mutex);
    Token t = m_nextToken++;
    m_observers.emplace(t, Entry{std::move(key), std::move(observer)});
    return t;
}

void Preferences::removeObserver(Token token) {
    std::lock_guard guard(m_mutex);
    m_observers.erase(token);
}

void Preferences::notify(const std::string& key) {
    // Work on a copy of the tokens: an observer may remove itself or others.
    std::vector<Token> tokens;
    for (const auto& [token, entry] : m_observers)
        if (entry.key.empty() || entry.key == key)
            tokens.push_back(token);
    for (Token t : tokens) {
        auto it = m_observers.find(t);
        if (it == m_observers.end())
            continue;
        Observer observer = it->second.observer; // the entry may go while it runs
        observer(key);
    }
}

void Preferences::setAutosynchronize(bool on) {
    std::lock_guard guard(m_mutex);
    m_autosync = on;
}

bool Preferences::prepareFolder(Error* error) const {
    std::error_code ec;
    std::filesystem::create_directories(m_file.parent_path(), ec);
    if (!ec)
        return true;
    if (error) {
        error->domain = errors::FileDomain;
        error->code = errors::FileWriteUnknown;
        error->localizedDescription =
            fmt::format("The preferences could not be saved to \"{}\".", m_file.string());
        error->failureReason = fmt::format("The folder cannot be made: {}.", ec.message());
    }
    return false;
}

bool Preferences::synchronize(Error* error) {
    std::lock_guard guard(m_mutex);
    if (!prepareFolder(error))
        return false;
    std::optional<PreferencesLock> lock;
    if (!m_editLock.holds()) {
        lock = PreferencesLock::acquire(m_file.parent_path(), error);
        if (!lock)
            return false;
    }
    return mergeAndWrite(readFile(), error);
}

bool Preferences::update(std::string_view key, const std::function<json(const json&)>& change,
                         Error* error) {
    std::lock_guard guard(m_mutex);
    std::string k(key);
    bool folderReady = prepareFolder(error);
    std::optional<PreferencesLock> lock;
    if (folderReady && !m_editLock.holds()) {
        lock = PreferencesLock::acquire(m_file.parent_path(), error);
        folderReady = lock.has_value();
    }
    FileContents disk = folderReady ? readFile() : FileContents{};
    json current;
    if (m_changed.count(k) != 0 || !disk.problem.empty() || !folderReady)
        current = lookup(m_user, k);
    else
        current = lookup(disk.values, k);
    if (current.is_null())
        current = lookup(m_registered, k);

    json before = objectForKey(k);
    json next = change(current);
    if (next.is_null())
        m_user.erase(k);
    else
        m_user[k] = std::move(next);
    m_changed.insert(k);
    const bool written = folderReady && mergeAndWrite(std::move(disk), error);
    if (objectForKey(k) != before)
        notify(k);
    return written;
}

bool Preferences::mergeAndWrite(FileContents disk, Error* error) {
    if (!disk.problem.empty()) {
        setAside(disk.problem);
        disk = FileContents{};
    }

    json merged = disk.values;
    for (const auto& key : m_changed) {
        auto it = m_user.find(key);
        if (it != m_user.end())
            merged[key] = *it;
        else
            merged.erase(key);
    }

    const bool mustWrite = merged != disk.values || (!disk.exists && !merged.empty());
    if (mustWrite) {
        std::string text = merged.dump(4, ' ', false, json::error_handler_t::replace);
        text += '\n';
        if (!AtomicFile::write(m_file, text, error))
            return false;
    }

    // Take in what others wrote, telling observers of every key whose value now differs.
    std::set<std::string> keys;
    for (auto it = m_user.begin(); it != m_user.end(); ++it)
        keys.insert(it.key());
    for (auto it = merged.begin(); it != merged.end(); ++it)
        keys.insert(it.key());
    std::vector<std::pair<std::string, json>> before;
    for (const auto& k : keys)
        before.emplace_back(k, objectForKey(k));
    m_user = std::move(merged);
    m_changed.clear();
    for (const auto& [k, old] : before)
        if (objectForKey(k) != old)
            notify(k);
    return true;
}

bool Preferences::beginEdit(Error* error) {
    std::lock_guard guard(m_mutex);
    if (m_editLock.holds())
        throw std::logic_error("Preferences edits do not nest");
    const auto folder = m_file.parent_path();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    auto lock = PreferencesLock::acquire(folder, error);
    if (!lock)
        return false;
    m_editLock = std::move(*lock);
    if (!synchronize(error)) {
        m_editLock.release();
        return false;
    }
    return true;
}

void Preferences::endEdit() {
    std::lock_guard guard(m_mutex);
    m_editLock.release();
}

} // namespace brivel::app
