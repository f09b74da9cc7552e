#include "core/store/EntityDescription.h"

#include "core/store/Predicate.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

namespace brivel::store {

namespace {
struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

struct KeyTable {
    std::mutex mutex;
    std::deque<std::string> names; // deque: references stay valid as it grows
    std::unordered_map<std::string, KeyId, KeyHash, std::equal_to<>> ids;
    std::deque<std::vector<KeyId>> sets;
};
constexpr KeyId KeySetBit = 0x8000;
KeyTable& keyTable() {
    static KeyTable table;
    return table;
}
} // namespace

KeyId internKey(std::string_view key) {
    auto& t = keyTable();
    std::lock_guard lock(t.mutex);
    auto it = t.ids.find(key);
    if (it != t.ids.end())
        return it->second;
    if (t.names.size() >= KeySetBit)
        throw std::length_error("too many distinct keys");
    auto id = static_cast<KeyId>(t.names.size());
    t.names.emplace_back(key);
    t.ids.emplace(std::string(key), id);
    return id;
}

const std::string& keyName(KeyId key) {
    auto& t = keyTable();
    std::lock_guard lock(t.mutex);
    return t.names.at(key);
}

KeyId internKeySet(std::initializer_list<std::string_view> keys) {
    std::vector<KeyId> members;
    for (std::string_view key : keys)
        members.push_back(internKey(key));
    std::sort(members.begin(), members.end());
    members.erase(std::unique(members.begin(), members.end()), members.end());
    auto& t = keyTable();
    std::lock_guard lock(t.mutex);
    for (std::size_t i = 0; i < t.sets.size(); ++i)
        if (t.sets[i] == members)
            return static_cast<KeyId>(KeySetBit | i);
    if (t.sets.size() >= NoKey - KeySetBit)
        throw std::length_error("too many distinct key sets");
    t.sets.push_back(std::move(members));
    return static_cast<KeyId>(KeySetBit | (t.sets.size() - 1));
}

bool observesKey(KeyId observed, KeyId changed) {
    if (observed == changed)
        return true;
    if (!(observed & KeySetBit) || observed == NoKey)
        return false;
    auto& t = keyTable();
    std::lock_guard lock(t.mutex);
    const auto& members = t.sets.at(observed & ~KeySetBit);
    return std::binary_search(members.begin(), members.end(), changed);
}

int EntityDescription::attributeIndex(std::string_view key) const {
    for (std::size_t i = 0; i < attributes.size(); ++i)
        if (attributes[i].name == key)
            return static_cast<int>(i);
    return -1;
}

int EntityDescription::relationshipIndex(std::string_view key) const {
    for (std::size_t i = 0; i < relationships.size(); ++i)
        if (relationships[i].name == key)
            return static_cast<int>(i);
    return -1;
}

void ObjectModel::addEntity(EntityDescription entity) {
    entity.index = m_entities.size();
    m_entities.push_back(std::make_unique<EntityDescription>(std::move(entity)));
}

void ObjectModel::addFetchRequestTemplate(std::string name, std::function<FetchRequest()> make) {
    m_templates[std::move(name)] = std::move(make);
}

void ObjectModel::finish() {
    for (auto& e : m_entities) {
        e->attributeKeys.clear();
        e->relationshipKeys.clear();
        e->affectedKeys.clear();
        for (auto& a : e->attributes)
            e->attributeKeys.push_back(internKey(a.name));
        for (auto& r : e->relationships) {
            e->relationshipKeys.push_back(internKey(r.name));
            r.destination = entity(r.destinationName);
            if (!r.destination)
                throw std::logic_error("relationship " + e->name + "." + r.name +
                                       " leads to an unknown entity");
            int inv = r.destination->relationshipIndex(r.inverseName);
            if (inv < 0)
                throw std::logic_error("relationship " + e->name + "." + r.name +
                                       " has no inverse");
            r.inverseIndex = static_cast<std::size_t>(inv);
        }
        for (auto& [dependent, sources] : e->keyPathsForValuesAffecting)
            for (auto& source : sources)
                e->affectedKeys[internKey(source)].push_back(internKey(dependent));
    }
    // The foreign key goes on the to-one side of a one-to-many; of a one-to-one, on the side
    // whose inverse cascades (the owned record points at its owner).
    for (auto& e : m_entities) {
        for (auto& r : e->relationships) {
            if (r.toMany)
                continue;
            const auto& inverse = r.destination->relationships[r.inverseIndex];
            r.storesForeignKey = inverse.toMany || inverse.deleteRule == DeleteRule::Cascade;
        }
    }
}

const EntityDescription* ObjectModel::entity(std::string_view name) const {
    for (auto& e : m_entities)
        if (e->name == name)
            return e.get();
    return nullptr;
}

std::optional<FetchRequest> ObjectModel::fetchRequestTemplate(std::string_view name) const {
    auto it = m_templates.find(name);
    if (it == m_templates.end())
        return std::nullopt;
    return it->second();
}

} // namespace brivel::store
