#pragma once

#include "core/store/KeyValueCoding.h"

#include <functional>
#include <nlohmann/json.hpp>

namespace brivel::app {

// One entry of a preference list (an account record, a strategy, an index): a dictionary read
// and written by key, so that list controllers, predicates and sorting treat it like a record.
class DictionaryObject final : public store::KeyValueCoding {
public:
    using ChangeHandler = std::function<void(DictionaryObject&)>;

    explicit DictionaryObject(nlohmann::json dictionary = nlohmann::json::object());

    // Strings, booleans and numbers come back as such; nested arrays and dictionaries, which
    // no list entry holds, read as absent.
    store::Value valueForKey(std::string_view key) const override;
    // An absent value removes the key, as setting nil in a dictionary does. A date is kept as
    // seconds since 1970.
    void setValueForKey(const store::Value& value, std::string_view key) override;

    const nlohmann::json& dictionary() const { return m_dictionary; }
    // Replaces the whole dictionary without telling the change handler (the owner's reload).
    void replaceDictionary(nlohmann::json dictionary);

    // Called after every change made through setValueForKey.
    void setChangeHandler(ChangeHandler handler) { m_onChange = std::move(handler); }

    static store::Value toValue(const nlohmann::json& json);
    static nlohmann::json toJson(const store::Value& value);

private:
    nlohmann::json m_dictionary;
    ChangeHandler m_onChange;
};

} // namespace brivel::app
