#pragma once

#include "core/store/ManagedObject.h"
#include "core/store/ObjectContext.h"

#include <cstdint>
#include <optional>
#include <string>

namespace brivel::model {

using store::Value;

// Conversions between stored values and the accessors' types.
template <class T> std::optional<T> fromValue(const Value& v);
template <> inline std::optional<std::string> fromValue(const Value& v) {
    return v.optString();
}
template <> inline std::optional<Date> fromValue(const Value& v) {
    return v.optDate();
}
template <> inline std::optional<double> fromValue(const Value& v) {
    return v.optDouble();
}
template <> inline std::optional<bool> fromValue(const Value& v) {
    return v.optBool();
}
template <> inline std::optional<std::int32_t> fromValue(const Value& v) {
    if (!v.isNumber())
        return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v.toInt64()));
}
template <> inline std::optional<std::int16_t> fromValue(const Value& v) {
    if (!v.isNumber())
        return std::nullopt;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v.toInt64()));
}

template <class T> Value toValue(const std::optional<T>& o) {
    return Value::from(o);
}

// Raises the platform's assertion failure for a missing object context.
[[noreturn]] void missingContext(const char* source);

} // namespace brivel::model

// Accessors of one attribute: object (optional), primitive, and for numbers the scalar four.
#define BRIVEL_OBJECT_ATTRIBUTE(Name, name, Type, Index)                                           \
    std::optional<Type> name() const {                                                             \
        return ::brivel::model::fromValue<Type>(attributeValue(Index));                            \
    }                                                                                              \
    void set##Name(const std::optional<Type>& v) {                                                 \
        setAttributeValue(Index, ::brivel::model::toValue<Type>(v));                               \
    }                                                                                              \
    std::optional<Type> primitive##Name() const {                                                  \
        return ::brivel::model::fromValue<Type>(attributeValue(Index));                            \
    }                                                                                              \
    void setPrimitive##Name(const std::optional<Type>& v) {                                        \
        setPrimitiveAttributeValue(Index, ::brivel::model::toValue<Type>(v));                      \
    }

#define BRIVEL_SCALAR_ATTRIBUTE(Name, name, Type, Index)                                           \
    BRIVEL_OBJECT_ATTRIBUTE(Name, name, Type, Index)                                               \
    Type name##Value() const {                                                                     \
        return name().value_or(Type{});                                                            \
    }                                                                                              \
    void set##Name##Value(Type v) {                                                                \
        set##Name(std::optional<Type>(v));                                                         \
    }                                                                                              \
    Type primitive##Name##Value() const {                                                          \
        return primitive##Name().value_or(Type{});                                                 \
    }                                                                                              \
    void setPrimitive##Name##Value(Type v) {                                                       \
        setPrimitive##Name(std::optional<Type>(v));                                                \
    }

// The class operations every entity base offers.
#define BRIVEL_ENTITY_CLASS_OPERATIONS(Class, Base, EntityName)                                    \
    static const char* entityName() {                                                              \
        return EntityName;                                                                         \
    }                                                                                              \
    static const ::brivel::store::EntityDescription* entityInManagedObjectContext(                 \
        ::brivel::store::ObjectContext* moc_) {                                                    \
        if (!moc_)                                                                                 \
            ::brivel::model::missingContext(#Base);                                                \
        return moc_->model().entity(EntityName);                                                   \
    }                                                                                              \
    template <class C = Class>                                                                     \
    static C* insertInManagedObjectContext(::brivel::store::ObjectContext* moc_) {                 \
        if (!moc_)                                                                                 \
            ::brivel::model::missingContext(#Base);                                                \
        return static_cast<C*>(moc_->insertNewObjectForEntityForName(EntityName));                 \
    }
