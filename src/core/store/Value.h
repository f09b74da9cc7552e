#pragma once

#include "core/platform/Date.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace brivel::store {

// One attribute value of a record: absent, a Boolean, an integer, a double, a string or a date.
// Sixteen bytes. Texts up to 14 bytes (tickers, short names) live inside the value; longer ones
// are immutable and shared between copies, because an account holds hundreds of thousands of
// records and values are copied on every read by key. A view from stringView() lives as long as
// the value it came from.
class Value {
public:
    enum class Type : std::uint8_t { Null, Bool, Int, Double, String, Date };
    // The longest text kept inside the value, without an allocation.
    static constexpr std::size_t InlineCapacity = 14;

    Value() noexcept = default;
    Value(const Value& other) noexcept;
    Value(Value&& other) noexcept;
    Value& operator=(const Value& other) noexcept;
    Value& operator=(Value&& other) noexcept;
    ~Value() { release(); }

    static Value null() { return Value(); }
    static Value boolean(bool b);
    static Value integer(std::int64_t i);
    static Value real(double d);
    static Value string(std::string_view s);
    static Value date(Date d);

    template <class T> static Value from(const std::optional<T>& o) {
        return o ? from(*o) : Value();
    }
    static Value from(bool b) { return boolean(b); }
    static Value from(std::int16_t i) { return integer(i); }
    static Value from(std::int32_t i) { return integer(i); }
    static Value from(std::int64_t i) { return integer(i); }
    static Value from(double d) { return real(d); }
    static Value from(const std::string& s) { return string(s); }
    static Value from(Date d) { return date(d); }

    Type type() const { return m_type; }
    bool isNull() const { return m_type == Type::Null; }
    bool isNumber() const {
        return m_type == Type::Bool || m_type == Type::Int || m_type == Type::Double;
    }

    // Numbers convert among themselves as the platform's boxed numbers do; absent reads as 0.
    bool toBool() const;
    std::int64_t toInt64() const;
    double toDouble() const;
    // The text of a string value; empty for any other kind.
    std::string_view stringView() const;
    std::string toString() const { return std::string(stringView()); }
    Date toDate() const { return m_type == Type::Date ? Date(load<double>()) : Date(); }

    std::optional<std::string> optString() const {
        if (m_type != Type::String)
            return std::nullopt;
        return toString();
    }
    std::optional<Date> optDate() const {
        if (m_type != Type::Date)
            return std::nullopt;
        return Date(load<double>());
    }
    std::optional<double> optDouble() const {
        if (!isNumber())
            return std::nullopt;
        return toDouble();
    }
    std::optional<std::int64_t> optInt() const {
        if (!isNumber())
            return std::nullopt;
        return toInt64();
    }
    std::optional<bool> optBool() const {
        if (!isNumber())
            return std::nullopt;
        return toBool();
    }

    // Equality as the store sees it: numbers by numeric value, strings by their text.
    friend bool operator==(const Value& a, const Value& b);

    // Text for messages and the command line.
    std::string describe() const;

private:
    struct StringRep {
        std::atomic<std::uint32_t> refs;
        std::uint32_t size;
        char data[1];
    };
    static constexpr std::uint8_t OnHeap = 0xff;

    template <class T> T load() const noexcept {
        T t;
        std::memcpy(&t, m_bytes, sizeof t);
        return t;
    }
    template <class T> void store(T t) noexcept { std::memcpy(m_bytes, &t, sizeof t); }
    bool onHeap() const noexcept { return m_type == Type::String && m_inlineSize == OnHeap; }
    void release() noexcept;

    // The payload: a number, a date, a StringRep* or the bytes of a short text.
    alignas(8) unsigned char m_bytes[InlineCapacity] = {};
    std::uint8_t m_inlineSize = 0; // length of an inline text, or OnHeap
    Type m_type = Type::Null;
};
static_assert(sizeof(Value) == 16);

// Orders two values for sorting: absent first; numbers numerically; strings by their text;
// dates by time. Returns <0, 0 or >0.
int compareValues(const Value& a, const Value& b);

} // namespace brivel::store
