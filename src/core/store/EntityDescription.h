#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brivel::store {

class ManagedObject;
class ObjectContext;
struct FetchRequest;

enum class AttributeType { Date, String, Double, Int32, Int16, Boolean };

struct AttributeDescription {
    std::string name;
    AttributeType type;
    // Validation: a value must be present; numbers must not be below minimum.
    bool required = false;
    std::optional<double> minimum;
};

enum class DeleteRule { Nullify, Cascade };

struct RelationshipDescription {
    std::string name;
    std::string destinationName;
    std::string inverseName;
    bool toMany = false;
    DeleteRule deleteRule = DeleteRule::Nullify;
    // Filled in when the model is finished.
    const struct EntityDescription* destination = nullptr;
    std::size_t inverseIndex = 0;
    // The to-one side of a one-to-many (or, for a one-to-one, the side named in the model) keeps
    // the foreign key in the file.
    bool storesForeignKey = false;
};

using KeyId = std::uint16_t;
inline constexpr KeyId NoKey = 0xFFFF;

// Interns key names so that observation entries are small and compare cheaply.
KeyId internKey(std::string_view key);
const std::string& keyName(KeyId key);
// Interns a set of keys observed together through one observation, which is then told of a
// change of any of them: a trade follows five keys of each of its orders with one entry per
// order instead of five. Set identifiers have the high bit set; key identifiers never do.
KeyId internKeySet(std::initializer_list<std::string_view> keys);
// True when an observation registered on `observed` (a key or a key set) is told of a change
// of the key `changed`.
bool observesKey(KeyId observed, KeyId changed);

struct EntityDescription {
    std::string name;
    std::vector<AttributeDescription> attributes;
    std::vector<RelationshipDescription> relationships;
    // Makes an empty record of the entity's class.
    std::function<std::unique_ptr<ManagedObject>()> factory;
    // Dependent keys: for each key, the keys whose change also changes it (the scalar twins).
    std::map<std::string, std::vector<std::string>> keyPathsForValuesAffecting;

    // Filled in when the model is finished.
    std::size_t index = 0;
    std::vector<KeyId> attributeKeys;
    std::vector<KeyId> relationshipKeys;
    // For a changed key, the dependent keys whose observers are also told.
    std::map<KeyId, std::vector<KeyId>> affectedKeys;

    int attributeIndex(std::string_view key) const;
    int relationshipIndex(std::string_view key) const;
};

// The object model: the entities of an account and the named fetch request templates.
class ObjectModel {
public:
    void addEntity(EntityDescription entity);
    void addFetchRequestTemplate(std::string name, std::function<FetchRequest()> make);
    // Resolves destinations and inverses and indexes keys. Call once, after adding everything.
    void finish();

    const EntityDescription* entity(std::string_view name) const;
    const std::vector<std::unique_ptr<EntityDescription>>& entities() const { return m_entities; }
    std::optional<FetchRequest> fetchRequestTemplate(std::string_view name) const;

private:
    std::vector<std::unique_ptr<EntityDescription>> m_entities;
    std::map<std::string, std::function<FetchRequest()>, std::less<>> m_templates;
};

} // namespace brivel::store
