#pragma once

#include "core/store/KeyValueCoding.h"
#include "core/store/Value.h"

#include <memory>
#include <string>
#include <vector>

namespace brivel::store {

// The predicates the system uses: key BETWEEN {low, high} (both ends included),
// key LIKE[cd] pattern (whole value, case and diacritics ignored, * and ? wildcards, an absent
// value never matches), key == value (strings exact; flag == TRUE), and AND.
class Predicate {
public:
    enum class Kind { Between, LikeCD, Equal, And };

    static Predicate between(std::string keyPath, Value low, Value high);
    static Predicate likeCD(std::string keyPath, std::string pattern);
    static Predicate equal(std::string keyPath, Value value);
    static Predicate andOf(std::vector<Predicate> parts);

    bool evaluate(const KeyValueCoding& object) const;

    Kind kind() const { return m_kind; }
    const std::string& keyPath() const { return m_keyPath; }
    const std::vector<Value>& values() const { return m_values; }
    const std::vector<Predicate>& parts() const { return m_parts; }
    // The predicate in the platform's format syntax, for logs and messages.
    std::string format() const;

private:
    Kind m_kind = Kind::And;
    std::string m_keyPath;
    std::vector<Value> m_values;
    std::vector<Predicate> m_parts;
    std::shared_ptr<const std::u16string> m_foldedPattern; // LIKE: pattern folded once
};

// Folds text for LIKE[cd]: case folded and diacritics removed (ICU), as UTF-16.
std::u16string foldForLike(std::string_view utf8);
// Matches folded text against a folded pattern with * and ? wildcards.
bool likeMatch(std::u16string_view text, std::u16string_view pattern);

struct SortDescriptor {
    std::string keyPath;
    bool ascending = true;
};

// Orders by the descriptors in turn; absent values first (in ascending order).
int compareBySortDescriptors(const KeyValueCoding& a, const KeyValueCoding& b,
                             const std::vector<SortDescriptor>& descriptors);

struct FetchRequest {
    std::string entityName;
    std::optional<Predicate> predicate;
    std::vector<SortDescriptor> sortDescriptors;
};

} // namespace brivel::store
