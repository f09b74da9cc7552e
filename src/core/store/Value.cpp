#include "core/store/Value.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fmt/format.h>
#include <new>

namespace brivel::store {

Value::Value(const Value& other) noexcept : m_u(other.m_u), m_type(other.m_type) {
    if (m_type == Type::String)
        m_u.s->refs.fetch_add(1, std::memory_order_relaxed);
}

Value::Value(Value&& other) noexcept : m_u(other.m_u), m_type(other.m_type) {
    other.m_type = Type::Null;
    other.m_u.i = 0;
}

Value& Value::operator=(const Value& other) noexcept {
    if (this != &other) {
        if (other.m_type == Type::String)
            other.m_u.s->refs.fetch_add(1, std::memory_order_relaxed);
        release();
        m_u = other.m_u;
        m_type = other.m_type;
    }
    return *this;
}

Value& Value::operator=(Value&& other) noexcept {
    if (this != &other) {
        release();
        m_u = other.m_u;
        m_type = other.m_type;
        other.m_type = Type::Null;
        other.m_u.i = 0;
    }
    return *this;
}

void Value::release() noexcept {
    if (m_type == Type::String && m_u.s->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        std::free(m_u.s);
    m_type = Type::Null;
}

Value Value::boolean(bool b) {
    Value v;
    v.m_type = Type::Bool;
    v.m_u.b = b;
    return v;
}

Value Value::integer(std::int64_t i) {
    Value v;
    v.m_type = Type::Int;
    v.m_u.i = i;
    return v;
}

Value Value::real(double d) {
    Value v;
    v.m_type = Type::Double;
    v.m_u.d = d;
    return v;
}

Value Value::string(std::string_view s) {
    auto* rep = static_cast<StringRep*>(std::malloc(offsetof(StringRep, data) + s.size() + 1));
    if (!rep)
        throw std::bad_alloc();
    new (&rep->refs) std::atomic<std::uint32_t>(1);
    rep->size = static_cast<std::uint32_t>(s.size());
    std::memcpy(rep->data, s.data(), s.size());
    rep->data[s.size()] = '\0';
    Value v;
    v.m_type = Type::String;
    v.m_u.s = rep;
    return v;
}

Value Value::date(Date d) {
    Value v;
    v.m_type = Type::Date;
    v.m_u.d = d.secondsSince1970;
    return v;
}

bool Value::toBool() const {
    switch (m_type) {
    case Type::Bool:
        return m_u.b;
    case Type::Int:
        return m_u.i != 0;
    case Type::Double:
        return m_u.d != 0.0;
    default:
        return false;
    }
}

std::int64_t Value::toInt64() const {
    switch (m_type) {
    case Type::Bool:
        return m_u.b ? 1 : 0;
    case Type::Int:
        return m_u.i;
    case Type::Double: {
        // Out-of-range doubles would be undefined behaviour to convert; clamp instead.
        if (std::isnan(m_u.d))
            return 0;
        if (m_u.d >= 9.2233720368547758e18)
            return INT64_MAX;
        if (m_u.d <= -9.2233720368547758e18)
            return INT64_MIN;
        return static_cast<std::int64_t>(m_u.d);
    }
    default:
        return 0;
    }
}

double Value::toDouble() const {
    switch (m_type) {
    case Type::Bool:
        return m_u.b ? 1.0 : 0.0;
    case Type::Int:
        return static_cast<double>(m_u.i);
    case Type::Double:
        return m_u.d;
    default:
        return 0.0;
    }
}

std::string_view Value::stringView() const {
    if (m_type != Type::String)
        return {};
    return std::string_view(m_u.s->data, m_u.s->size);
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
        return a.m_u.d == b.m_u.d;
    default:
        return false;
    }
}

std::string Value::describe() const {
    switch (m_type) {
    case Type::Null:
        return "(none)";
    case Type::Bool:
        return m_u.b ? "YES" : "NO";
    case Type::Int:
        return fmt::format("{}", m_u.i);
    case Type::Double:
        return fmt::format("{}", m_u.d);
    case Type::String:
        return toString();
    case Type::Date:
        return fmt::format("{}", m_u.d);
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
