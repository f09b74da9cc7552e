#include "core/controllers/SortKeyTable.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace brivel::controllers {

using store::Value;

namespace {

template <class T> int threeWay(T x, T y) {
    return x < y ? -1 : (x > y ? 1 : 0);
}

double realOf(std::uint64_t bits) {
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

std::uint64_t bitsOf(double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

// The first eight bytes, most significant first, so that comparing the integers compares the
// bytes as unsigned characters, the way the text comparison does.
std::uint64_t prefixOf(std::string_view text) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8; ++i)
        bits = (bits << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return bits;
}

} // namespace

SortKeyTable::SortKeyTable(const std::vector<store::KeyValueCoding*>& objects,
                           const std::vector<store::SortDescriptor>& descriptors)
    : m_rows(objects.size()) {
    m_keys.resize(descriptors.size());
    for (std::size_t k = 0; k < descriptors.size(); ++k) {
        Key& key = m_keys[k];
        key.ascending = descriptors[k].ascending;
        key.values.reserve(objects.size());
        for (const auto* o : objects)
            key.values.push_back(o->valueForKeyPath(descriptors[k].keyPath));
        key.kind = kindOf(key.values);
        if (key.kind == Kind::Generic)
            continue;
        key.cells.reserve(objects.size());
        for (const Value& v : key.values)
            key.cells.push_back(cellOf(key.kind, v));
        if (key.kind != Kind::Text)
            key.values.clear(); // the cells say everything
    }
}

SortKeyTable::Kind SortKeyTable::kindOf(const std::vector<Value>& values) {
    bool integers = true, reals = true, dates = true, texts = true;
    for (const Value& v : values) {
        switch (v.type()) {
        case Value::Type::Null:
            break;
        case Value::Type::Bool:
        case Value::Type::Int:
            reals = dates = texts = false;
            break;
        case Value::Type::Double:
            integers = dates = texts = false;
            break;
        case Value::Type::Date:
            integers = reals = texts = false;
            break;
        case Value::Type::String:
            integers = reals = dates = false;
            break;
        }
    }
    // An integer beside a real compares as an integer with another integer but as a real with
    // the real: such a mixture goes the general way.
    if (integers)
        return Kind::Integer;
    if (reals || dates)
        return Kind::Real;
    return texts ? Kind::Text : Kind::Generic;
}

SortKeyTable::Cell SortKeyTable::cellOf(Kind kind, const Value& value) {
    Cell cell;
    if (value.isNull())
        return cell;
    cell.null = false;
    switch (kind) {
    case Kind::Integer:
        cell.bits = static_cast<std::uint64_t>(value.toInt64());
        break;
    case Kind::Real:
        cell.bits = bitsOf(value.type() == Value::Type::Date ? value.toDate().secondsSince1970
                                                             : value.toDouble());
        break;
    case Kind::Text: {
        std::string_view text = value.stringView();
        cell.bits = prefixOf(text);
        cell.size = static_cast<std::uint32_t>(text.size());
        break;
    }
    case Kind::Generic:
        break;
    }
    return cell;
}

int SortKeyTable::compareKey(const Key& key, std::size_t a, std::size_t b) {
    if (key.kind == Kind::Generic)
        return store::compareValues(key.values[a], key.values[b]);
    const Cell& x = key.cells[a];
    const Cell& y = key.cells[b];
    if (x.null || y.null)
        return (x.null ? 0 : 1) - (y.null ? 0 : 1); // absent values first
    switch (key.kind) {
    case Kind::Integer:
        return threeWay(static_cast<std::int64_t>(x.bits), static_cast<std::int64_t>(y.bits));
    case Kind::Real:
        return threeWay(realOf(x.bits), realOf(y.bits));
    case Kind::Text:
        if (x.bits != y.bits)
            return x.bits < y.bits ? -1 : 1;
        // Equal prefixes of two short texts: the shorter one is a prefix of the other.
        if (x.size <= 8 && y.size <= 8)
            return threeWay(x.size, y.size);
        return threeWay(key.values[a].stringView().compare(key.values[b].stringView()), 0);
    case Kind::Generic:
        break;
    }
    return 0;
}

int SortKeyTable::compare(std::size_t a, std::size_t b) const {
    for (const Key& key : m_keys) {
        int c = compareKey(key, a, b);
        if (c != 0)
            return key.ascending ? c : -c;
    }
    return 0;
}

std::vector<std::size_t> SortKeyTable::sortedOrder() const {
    std::vector<std::size_t> order(m_rows);
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [this](std::size_t a, std::size_t b) { return compare(a, b) < 0; });
    return order;
}

} // namespace brivel::controllers
