#pragma once

#include "core/app/DictionaryObject.h"
#include "core/app/Preferences.h"
#include "core/controllers/ContentSource.h"

#include <memory>
#include <string>
#include <vector>

namespace brivel::app {

// The content of a list controller over an array in the preferences ("arrayOfAccounts",
// "arrayOfStrategies", "arrayOfIndices"). Every addition, removal or edit writes the whole array
// back to the preferences at once; a change of the array made elsewhere (another controller over
// the same key, a synchronize that took in another process's write) is taken in and announced.
class PreferenceArrayContent final : public controllers::ContentSource {
public:
    PreferenceArrayContent(Preferences& preferences, std::string key);
    ~PreferenceArrayContent() override;
    PreferenceArrayContent(const PreferenceArrayContent&) = delete;
    PreferenceArrayContent& operator=(const PreferenceArrayContent&) = delete;

    std::vector<controllers::KeyValueCoding*> objects() const override;
    // An empty dictionary, owned here until it is added or discarded.
    controllers::KeyValueCoding* newObject() override;
    // Appends an object made by newObject; anything else is ignored.
    void addObject(controllers::KeyValueCoding* object) override;
    void removeObject(controllers::KeyValueCoding* object) override;
    // Drops an object made by newObject that is not going to be added.
    void discardNewObject(controllers::KeyValueCoding* object);

    const std::string& key() const { return m_key; }
    Preferences& preferences() const { return m_preferences; }
    std::size_t count() const { return m_objects.size(); }
    DictionaryObject* objectAt(std::size_t index) const { return m_objects.at(index).get(); }
    // The position of an object in the content, or count() when it is not part of it.
    std::size_t indexOf(const controllers::KeyValueCoding* object) const;

private:
    void adopt(DictionaryObject& object);
    void writeBack();
    void reload();

    Preferences& m_preferences;
    std::string m_key;
    std::vector<std::unique_ptr<DictionaryObject>> m_objects;
    std::vector<std::unique_ptr<DictionaryObject>> m_pending;
    // Removed objects live on until the next change, as the controller may still compare them.
    std::vector<std::unique_ptr<DictionaryObject>> m_removed;
    Preferences::Token m_observer = 0;
    bool m_writing = false;
};

} // namespace brivel::app
