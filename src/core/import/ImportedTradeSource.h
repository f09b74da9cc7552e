#pragma once

#include "core/controllers/ContentSource.h"
#include "core/store/ObjectContext.h"

namespace brivel::import {

// The trade list an import works through: only the trade being filled. A trade controller over
// every trade of the account would re-sort and search its whole list for each of the thousands
// of records an import makes; this one keeps the list at one row, so the order controller still
// adds each order to the selected trade exactly as the trade view does.
class ImportedTradeSource final : public controllers::ContentSource {
public:
    explicit ImportedTradeSource(store::ObjectContext& context) : m_context(context) {}

    std::vector<controllers::KeyValueCoding*> objects() const override;
    controllers::KeyValueCoding* newObject() override;
    void addObject(controllers::KeyValueCoding* object) override;
    void removeObject(controllers::KeyValueCoding* object) override;

private:
    store::ObjectContext& m_context;
    controllers::KeyValueCoding* m_current = nullptr;
};

} // namespace brivel::import
