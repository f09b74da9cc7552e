#include "core/app/DictionaryObject.h"

namespace brivel::app {

using nlohmann::json;
using store::Value;

DictionaryObject::DictionaryObject(json dictionary)
    : m_dictionary(dictionary.is_object() ? std::move(dictionary) : json::object()) {}

Value DictionaryObject::toValue(const json& j) {
    switch (j.type()) {
    case json::value_t::boolean:
        return Value::boolean(j.get<bool>());
    case json::value_t::number_integer:
        return Value::integer(j.get<std::int64_t>());
    case json::value_t::number_unsigned:
        return Value::integer(static_cast<std::int64_t>(j.get<std::uint64_t>()));
    case json::value_t::number_float:
        return Value::real(j.get<double>());
    case json::value_t::string:
        return Value::string(j.get_ref<const std::string&>());
    default:
        return Value();
    }
}

json DictionaryObject::toJson(const Value& value) {
    switch (value.type()) {
    case Value::Type::Null:
        return json();
    case Value::Type::Bool:
        return value.toBool();
    case Value::Type::Int:
        return value.toInt64();
    case Value::Type::Double:
        return value.toDouble();
    case Value::Type::String:
        return value.toString();
    case Value::Type::Date:
        return value.toDate().secondsSince1970;
    }
    return json();
}

Value DictionaryObject::valueForKey(std::string_view key) const {
    auto it = m_dictionary.find(std::string(key));
    return it == m_dictionary.end() ? Value() : toValue(*it);
}

void DictionaryObject::setValueForKey(const Value& value, std::string_view key) {
    json j = toJson(value);
    if (j.is_null())
        m_dictionary.erase(std::string(key));
    else
        m_dictionary[std::string(key)] = std::move(j);
    if (m_onChange)
        m_onChange(*this);
}

void DictionaryObject::replaceDictionary(json dictionary) {
    m_dictionary = dictionary.is_object() ? std::move(dictionary) : json::object();
}

} // namespace brivel::app
