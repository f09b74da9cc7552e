#pragma once

#include "core/store/Value.h"

#include <string_view>

namespace brivel::store {

// Reading and writing by key: records of the store and dictionaries of the preference lists both
// offer it, so list controllers, predicates and sorting work on either.
class KeyValueCoding {
public:
    virtual ~KeyValueCoding() = default;
    virtual Value valueForKey(std::string_view key) const = 0;
    virtual void setValueForKey(const Value& value, std::string_view key) = 0;
    // The object a to-one key leads to, for key paths such as "log.date"; nullptr otherwise.
    virtual const KeyValueCoding* objectForKey(std::string_view /*key*/) const { return nullptr; }

    // Follows a dotted key path; an absent step gives an absent value.
    Value valueForKeyPath(std::string_view path) const;
};

} // namespace brivel::store
