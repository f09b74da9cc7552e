#include "core/app/PreferenceArrayContent.h"

#include <algorithm>

namespace brivel::app {

using controllers::KeyValueCoding;
using nlohmann::json;

PreferenceArrayContent::PreferenceArrayContent(Preferences& preferences, std::string key)
    : m_preferences(preferences), m_key(std::move(key)) {
    for (const auto& entry : m_preferences.arrayForKey(m_key)) {
        m_objects.push_back(std::make_unique<DictionaryObject>(entry));
        adopt(*m_objects.back());
    }
    m_observer = m_preferences.addObserver(m_key, [this](const std::string&) {
        if (!m_writing)
            reload();
    });
}

PreferenceArrayContent::~PreferenceArrayContent() {
    m_preferences.removeObserver(m_observer);
}

std::vector<KeyValueCoding*> PreferenceArrayContent::objects() const {
    std::vector<KeyValueCoding*> result;
    result.reserve(m_objects.size());
    for (const auto& o : m_objects)
        result.push_back(o.get());
    return result;
}

KeyValueCoding* PreferenceArrayContent::newObject() {
    m_pending.push_back(std::make_unique<DictionaryObject>());
    return m_pending.back().get();
}

void PreferenceArrayContent::addObject(KeyValueCoding* object) {
    auto it = std::find_if(m_pending.begin(), m_pending.end(),
                           [&](const auto& p) { return p.get() == object; });
    if (it == m_pending.end())
        return;
    m_removed.clear();
    m_objects.push_back(std::move(*it));
    m_pending.erase(it);
    adopt(*m_objects.back());
    writeBack();
    contentInserted({object});
}

void PreferenceArrayContent::removeObject(KeyValueCoding* object) {
    auto it = std::find_if(m_objects.begin(), m_objects.end(),
                           [&](const auto& p) { return p.get() == object; });
    if (it == m_objects.end())
        return;
    m_removed.push_back(std::move(*it));
    m_objects.erase(it);
    writeBack();
    contentRemoved({object});
}

void PreferenceArrayContent::discardNewObject(KeyValueCoding* object) {
    std::erase_if(m_pending, [&](const auto& p) { return p.get() == object; });
}

std::size_t PreferenceArrayContent::indexOf(const KeyValueCoding* object) const {
    auto it = std::find_if(m_objects.begin(), m_objects.end(),
                           [&](const auto& p) { return p.get() == object; });
    return static_cast<std::size_t>(it - m_objects.begin());
}

void PreferenceArrayContent::adopt(DictionaryObject& object) {
    object.setChangeHandler([this](DictionaryObject& changed) {
        writeBack();
        contentChanged(&changed);
    });
}

void PreferenceArrayContent::writeBack() {
    json array = json::array();
    for (const auto& o : m_objects)
        array.push_back(o->dictionary());
    m_writing = true;
    try {
        m_preferences.setObject(array, m_key);
    } catch (...) {
        m_writing = false;
        throw;
    }
    m_writing = false;
}

void PreferenceArrayContent::reload() {
    json array = m_preferences.arrayForKey(m_key);
    if (array.size() == m_objects.size()) {
        // Same length: most likely an edit of entries; keep the objects (and so the selection).
        for (std::size_t i = 0; i < m_objects.size(); ++i) {
            json entry = array[i].is_object() ? array[i] : json::object();
            if (entry != m_objects[i]->dictionary()) {
                m_objects[i]->replaceDictionary(std::move(entry));
                contentChanged(m_objects[i].get());
            }
        }
        return;
    }
    m_removed.clear();
    std::vector<std::unique_ptr<DictionaryObject>> old = std::move(m_objects);
    m_objects.clear();
    for (const auto& entry : array) {
        m_objects.push_back(std::make_unique<DictionaryObject>(entry));
        adopt(*m_objects.back());
    }
    contentReset();
    m_removed = std::move(old);
}

} // namespace brivel::app
