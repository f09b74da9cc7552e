#include "core/store/Value.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fmt/format.h>
#include <new>

namespace brivel::store {

Value::Value(const Value& other) noexcept {
    std::memcpy(static_cast<void*>(this), &other, sizeof(Value));
    if (onHeap())
        load<StringRep*>()->refs.fetch_add(1, std::memory_order_relaxed);
}

Value::Value(Value&& other) noexcept {
    std::memcpy(static_cast<void*>(this), &other, sizeof(Value));
    other.m_type = Type::Null;
}

Value& Value::operator=(const Value& other) noexcept {
    if (this != &other) {
        if (other.onHeap())
            other.load<StringRep*>()->refs.fetch_add(1, std::memory_order_relaxed);
        release();
        std::memcpy(static_cast<void*>(this), &other, sizeof(Value));
    }
    return *this;
}

Value& Value::operator=(Value&& other) noexcept {
    if (this != &other) {
        release();
        std::memcpy(static_cast<void*>(this), &other, sizeof(Value));
        other.m_type = Type::Null;
    }
    return *this;
}

void Value::release() noexcept {
    if (onHeap()) {
        auto* rep = load<StringRep*>();
        if (rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
            std::free(rep);
    }
    m_type = Type::Null;
}

Value Value::boolean(bool b) {
    Value v;
    v.m_type = Type::Bool;
    v.store(b);
    return v;
}

Value Value::integer(std::int64_t i) {
    Value v;
    v.m_type = Type::Int;
    v.store(i);
    return v;
}

Value Value::real(double d) {
    Value v;
    v.m_type = Type::Double;
    v.store(d);
    return v;
}

Value Value::string(std::string_view s) {
    Value v;
    v.m_type = Type::String;
    if (s.size() <= InlineCapacity) {
        if (!s.empty())
            std::memcpy(v.m_bytes, s.data(), s.size());
        v.m_inlineSize = static_cast<std::uint8_t>(s.size());
        return v;
    }
    auto* rep = static_cast<StringRep*>(std::malloc(offsetof(StringRep, data) + s.size() + 1));
    if (!rep)
        throw std::bad_alloc();
    new (&rep->refs) std::atomic<std::uint32_t>(1);
    rep->size = static_cast<std::uint32_t>(s.size());
    std::memcpy(rep->data, s.data(), s.size());
    rep->data[s.size()] = '\0';
    v.store(rep);
    v.m_inlineSize = OnHeap;
    return v;
}

Value Value::date(Date d) {
    Value v;
    v.m_type = Type::Date;
    v.store(d.secondsSince1970);
    return v;
}

bool Value::toBool() const {
    switch (m_type) {
    case Type::Bool:
        return load<bool>();
    case Type::Int:
        return load<std::int64_t>() != 0;
    case Type::Double:
        return load<double>() != 0.0;
    default:
        return false;
    }
}

std::int64_t Value::toInt64() const {
    switch (m_type) {
    case Type::Bool:
        return load<bool>() ? 1 : 0;
    case Type::Int:
        return load<std::int64_t>();
    case Type::Double: {
        // Out-of-range doubles would be undefined behaviour to convert; clamp instead.
        double d = load<double>();
        if (std::isnan(d))
            return 0;
        if (d >= 9.2233720368547758e18)
            return INT64_MAX;
        if (d <= -9.2233720368547758e18)
            return INT64_MIN;
        return static_cast<std::int64_t>(d);
    }
    default:
        return 0;
    }
}

double Value::toDouble() const {
    switch (m_type) {
    case Type::Bool:
        return load<bool>() ? 1.0 : 0.0;
    case Type::Int:
        return static_cast<double>(load<std::int64_t>());
    case Type::Double:
        return load<double>();
    default:
        return 0.0;
    }
}

std::string_view Value::stringView() const {
    if (m_type != Type::String)
        return {};
    if (m_inlineSize != OnHeap)
        return std::string_view(reinterpret_cast<const char*>(m_bytes), m_inlineSize);
    const StringRep* rep = load<StringRep*>();
    return std::string_view(rep->data, rep->size);
}

bool operator==(const Value& a, const Value& b) {
    if (a.isNumber() && b.isNumber()) {
        if (a.m_type == Value::Type::Double || b.m_type == Value::Type::Double)
            return a.toDouble() == b.toDouble();
        return a.toInt64() == b.toInt64();
    }
    if (a.m_type != b.m_type)
        return false;
    switch (a.m_type) {
    case Value::Type::Null:
        return true;
    case Value::Type::String:
        return a.stringView() == b.stringView();
    case Value::Type::Date:
        return a.load<double>() == b.load<double>();
    default:
        return false;
    }
}

std::string Value::describe() const {
    switch (m_type) {
    case Type::Null:
        return "(none)";
    case Type::Bool:
        return load<bool>() ? "YES" : "NO";
    case Type::Int:
        return fmt::format("{}", load<std::int64_t>());
    case Type::Double:
        return fmt::format("{}", load<double>());
    case Type::String:
        return toString();
    case Type::Date:
        return fmt::format("{}", load<double>());
    }
    return {};
}

int compareValues(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull())
        return (a.isNull() ? 0 : 1) - (b.isNull() ? 0 : 1);
    if (a.isNumber() && b.isNumber()) {
        if (a.type() != Value::Type::Double && b.type() != Value::Type::Double) {
            auto x = a.toInt64(), y = b.toInt64();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.type() == Value::Type::String && b.type() == Value::Type::String) {
        int c = a.stringView().compare(b.stringView());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (a.type() == Value::Type::Date && b.type() == Value::Type::Date) {
        double x = a.toDate().secondsSince1970, y = b.toDate().secondsSince1970;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    // Mixed kinds never occur for one key; order them by kind so sorting stays total.
    return static_cast<int>(a.type()) - static_cast<int>(b.type());
}

} // namespace brivel::store
