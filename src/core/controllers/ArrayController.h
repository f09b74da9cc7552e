#pragma once

#include "core/controllers/ContentSource.h"
#include "core/store/Predicate.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

namespace brivel::controllers {

using store::Predicate;
using store::SortDescriptor;
using store::Value;

// Structural and value changes of the arranged objects, in the pairs a Qt item model needs.
class ArrayControllerListener {
public:
    virtual ~ArrayControllerListener() = default;
    virtual void aboutToInsertRows(std::size_t /*first*/, std::size_t /*last*/) {}
    virtual void rowsInserted() {}
    virtual void aboutToRemoveRows(std::size_t /*first*/, std::size_t /*last*/) {}
    virtual void rowsRemoved() {}
    virtual void aboutToReset() {}
    virtual void reset() {}
    virtual void rowsChanged(std::size_t /*first*/, std::size_t /*last*/) {}
    virtual void selectionChanged() {}
};

class ArrayController;

// The selection read and written by key: reading gives the value when every selected object
// agrees, an absent value otherwise; writing sets it on every selected object.
class SelectionProxy : public store::KeyValueCoding {
public:
    explicit SelectionProxy(ArrayController& controller) : m_controller(controller) {}
    Value valueForKey(std::string_view key) const override;
    void setValueForKey(const Value& value, std::string_view key) override;
    bool isEmpty() const;

private:
    ArrayController& m_controller;
};

// A list of objects from a content source, filtered and sorted for display, with a selection.
class ArrayController {
public:
    explicit ArrayController(std::unique_ptr<ContentSource> source = nullptr);
    virtual ~ArrayController();
    ArrayController(const ArrayController&) = delete;
    ArrayController& operator=(const ArrayController&) = delete;

    void setContentSource(std::unique_ptr<ContentSource> source);
    ContentSource* contentSource() const { return m_source.get(); }

    // A new object for the content (not yet added). Specialisations fill in initial values.
    virtual KeyValueCoding* newObject();
    // Adds to the content, arranges, and selects the object.
    void addObject(KeyValueCoding* object);
    // The add command: newObject, then addObject.
    KeyValueCoding* add();
    // The remove command: removes the selected objects.
    virtual void remove();
    void removeObjects(const std::vector<KeyValueCoding*>& objects);

    const std::vector<KeyValueCoding*>& arrangedObjects() const { return m_arranged; }
    void setFilterPredicate(std::optional<Predicate> predicate);
    const std::optional<Predicate>& filterPredicate() const { return m_filter; }
    void setSortDescriptors(std::vector<SortDescriptor> descriptors);
    const std::vector<SortDescriptor>& sortDescriptors() const { return m_sort; }
    // Applies filter and sort again (after edits).
    void rearrangeObjects();
    // Re-reads the content from the source.
    void reloadContent();

    // Selection, as rows of the arranged objects.
    std::vector<std::size_t> selectionIndexes() const;
    bool setSelectionIndexes(const std::vector<std::size_t>& rows);
    bool setSelectedObjects(const std::vector<KeyValueCoding*>& objects);
    std::vector<KeyValueCoding*> selectedObjects() const;
    SelectionProxy& selection() { return m_selection; }
    // At most one selected row when set (the accounts table).
    void setAllowsMultipleSelection(bool allow) { m_multiple = allow; }
    // Whether adding an object selects it (default yes).
    void setSelectsInsertedObjects(bool select) { m_selectInserted = select; }

    void addListener(ArrayControllerListener* listener);
    void removeListener(ArrayControllerListener* listener);

protected:
    void handleInserted(const std::vector<KeyValueCoding*>& objects);
    void handleRemoved(const std::vector<KeyValueCoding*>& objects);
    void handleChanged(KeyValueCoding* object);
    void handleReset();
    // Whether the object passes the filter; specialisations may narrow further.
    virtual bool accepts(const KeyValueCoding& object) const;
    bool before(const KeyValueCoding& a, const KeyValueCoding& b) const;
    void notifySelection();
    template <class F> void each(F&& f) {
        auto copy = m_listeners;
        for (auto* l : copy)
            f(*l);
    }

private:
    void installHandlers();
    // Orders m_arranged by the sort descriptors, keeping the order of equal objects.
    void sortArranged();

    std::unique_ptr<ContentSource> m_source;
    std::vector<KeyValueCoding*> m_arranged;
    std::set<KeyValueCoding*> m_selected;
    std::optional<Predicate> m_filter;
    std::vector<SortDescriptor> m_sort;
    std::vector<ArrayControllerListener*> m_listeners;
    SelectionProxy m_selection{*this};
    bool m_multiple = true;
    bool m_selectInserted = true;
};

} // namespace brivel::controllers
