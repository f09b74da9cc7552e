#pragma once

#include "core/controllers/ArrayController.h"
#include "core/model/Trade.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "core/store/ObjectContext.h"

#include <optional>
#include <string>
#include <unordered_set>

namespace brivel::controllers {

// The trades of an account. A new trade is dated now and gets its chart image record with two
// fresh image names in the account's folder; deleting trades asks first.
class TradeArrayController : public ArrayController {
public:
    // Open trades first, then newest first. clock and prompter must outlive the controller.
    TradeArrayController(store::ObjectContext& context, const Clock& clock, Prompter& prompter,
                         std::string supportDirectory = {});

    // The account's folder code: the first component of new chart image names.
    const std::string& supportDirectory() const { return m_supportDirectory; }
    void setSupportDirectory(std::string code) { m_supportDirectory = std::move(code); }

    model::Trade* newObject() override;
    // Deletes the selected trades (with their orders and chart image record) once the user says
    // "Yes". Their image files go when the deletion is saved.
    void remove() override;

    // Narrows the list to these trades (those a statistics row or day stands for); nullopt lists
    // every trade again. A trade added while the list is narrowed is listed too.
    void showOnlyTrades(std::optional<std::unordered_set<store::ObjectID>> tradeIds);
    bool isNarrowed() const { return m_shownTrades.has_value(); }

    // The trade list's default ordering, to install again after the user sorted by a column.
    static std::vector<SortDescriptor> defaultSortDescriptors();

    store::ObjectContext& context() const { return m_context; }

protected:
    bool accepts(const store::KeyValueCoding& object) const override;

private:
    std::string newImageName() const;

    store::ObjectContext& m_context;
    const Clock& m_clock;
    Prompter& m_prompter;
    std::string m_supportDirectory;
    std::optional<std::unordered_set<store::ObjectID>> m_shownTrades;
};

} // namespace brivel::controllers
