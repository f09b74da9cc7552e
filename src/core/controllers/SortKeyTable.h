#pragma once

#include "core/store/KeyValueCoding.h"
#include "core/store/Predicate.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brivel::controllers {

// The sort values of a list, read once per object and kept so that comparing two rows seldom
// follows a pointer: numbers, dates and the first eight bytes of strings sit in one array per
// sort key. A list of a hundred thousand records sorts by its ticker without a cache miss per
// comparison. Orders exactly as store::compareBySortDescriptors does.
class SortKeyTable {
public:
    SortKeyTable(const std::vector<store::KeyValueCoding*>& objects,
                 const std::vector<store::SortDescriptor>& descriptors);

    // <0, 0 or >0, as compareBySortDescriptors for the objects at rows a and b.
    int compare(std::size_t a, std::size_t b) const;
    // The rows in sorted order; rows that compare equal keep their order.
    std::vector<std::size_t> sortedOrder() const;

private:
    // How a key's values compare: all integers (or booleans), all reals, all dates, all strings,
    // or anything else (mixed kinds) through compareValues.
    enum class Kind : std::uint8_t { Generic, Integer, Real, Text };
    struct Cell {
        std::uint64_t bits = 0; // the integer, the real's or date's bits, or the text's prefix
        std::uint32_t size = 0; // the text's length
        bool null = true;
    };
    struct Key {
        Kind kind = Kind::Generic;
        bool ascending = true;
        std::vector<Cell> cells;
        std::vector<store::Value> values; // owns the strings the cells point into
    };

    static Kind kindOf(const std::vector<store::Value>& values);
    static Cell cellOf(Kind kind, const store::Value& value);
    static int compareKey(const Key& key, std::size_t a, std::size_t b);

    std::vector<Key> m_keys;
    std::size_t m_rows = 0;
};

} // namespace brivel::controllers
