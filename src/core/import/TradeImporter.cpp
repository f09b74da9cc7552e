#include "core/import/TradeImporter.h"

#include "core/app/PreferenceKeys.h"
#include "core/app/Preferences.h"
#include "core/controllers/OrderArrayController.h"
#include "core/controllers/TradeArrayController.h"
#include "core/import/DuplicateIndex.h"
#include "core/import/ImportedTradeSource.h"

#include <limits>
#include <unordered_map>

namespace brivel::import {

using model::Order;
using model::Trade;

// Strategy names to positions in "arrayOfStrategies"; a name the list lacks is appended.
class TradeImporter::StrategyPositions {
public:
    StrategyPositions(app::Preferences& preferences, bool add)
        : m_preferences(preferences), m_add(add),
          m_list(preferences.arrayForKey(app::prefkeys::ArrayOfStrategies)) {
        for (std::size_t i = 0; i < m_list.size(); ++i) {
            const auto& entry = m_list[i];
            if (entry.is_object() && entry.contains(app::prefkeys::Strategy) &&
                entry[app::prefkeys::Strategy].is_string())
                m_positions.emplace(entry[app::prefkeys::Strategy].get<std::string>(), i);
        }
    }

    std::optional<std::int16_t> position(const std::string& name, ImportSummary& summary) {
        auto it = m_positions.find(name);
        if (it == m_positions.end()) {
            it = m_positions.emplace(name, m_list.size()).first;
            m_list.push_back({{app::prefkeys::Strategy, name}});
            summary.strategiesAdded.push_back(name);
            if (m_add)
                m_preferences.setObject(m_list, app::prefkeys::ArrayOfStrategies);
        }
        if (it->second > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
            return std::nullopt;
        return static_cast<std::int16_t>(it->second);
    }

private:
    app::Preferences& m_preferences;
    bool m_add;
    nlohmann::json m_list;
    std::unordered_map<std::string, std::size_t> m_positions;
};

TradeImporter::TradeImporter(store::ObjectContext& context, app::Preferences& preferences,
                             const Clock& clock, Prompter& prompter, std::string folderCode)
    : m_context(context), m_preferences(preferences), m_clock(clock), m_prompter(prompter),
      m_folderCode(std::move(folderCode)) {}

ImportPlan TradeImporter::read(const std::filesystem::path& file, const ImportOptions& options,
                               ImportFileReader::Progress progress) const {
    DuplicateIndex duplicates;
    if (!options.keepDuplicates)
        duplicates = DuplicateIndex(m_context);
    return ImportFileReader::read(file, options, &duplicates, std::move(progress));
}

namespace {

void setValues(Order& order, const PlannedOrder& p) {
    order.setDate(p.date);
    order.setDesc(p.desc);
    order.setIsBuyValue(p.isBuy);
    if (p.numShares)
        order.setNumSharesValue(*p.numShares);
    if (p.price)
        order.setPriceValue(*p.price);
    if (p.commission)
        order.setCommissionValue(*p.commission);
    order.setReason(p.reason);
}

} // namespace

ImportSummary TradeImporter::apply(const ImportPlan& plan, bool addStrategies, Progress progress) {
    ImportSummary summary;
    summary.format = plan.format;
    summary.duplicatesSkipped = plan.duplicatesSkipped;
    summary.skippedLines = plan.badLines;
    summary.skippedLineCount = plan.badLineCount;

    StrategyPositions strategies(m_preferences, addStrategies);
    controllers::TradeArrayController tradeAC(m_context, m_clock, m_prompter, m_folderCode);
    tradeAC.setContentSource(std::make_unique<ImportedTradeSource>(m_context));
    controllers::OrderArrayController orderAC(m_context, tradeAC, m_clock);

    // Whatever the user did before is a step of its own; the import is the next one.
    auto& undo = m_context.undoManager();
    undo.endEventGroup();
    undo.beginUndoGrouping();
    std::size_t done = 0;
    for (const PlannedTrade& planned : plan.trades) {
        Trade* trade = tradeAC.newObject();
        tradeAC.addObject(trade);
        trade->setTicker(planned.ticker);
        if (planned.strategy)
            if (auto position = strategies.position(*planned.strategy, summary))
                trade->setTradeStrategyValue(*position);
        for (const PlannedOrder& p : planned.orders) {
            Order* order = orderAC.newObject();
            // Filled in before it joins the trade, so the trade evaluates once for all its
            // orders rather than once per value.
            setValues(*order, p);
            orderAC.addObject(order);
            ++summary.ordersCreated;
        }
        // The re-evaluation a typed order schedules, run now so the summary can tell.
        trade->tryToClose();
        trade->descListUpdate();
        ++summary.tradesCreated;
        if (trade->isClosedValue()) {
            ++summary.tradesClosed;
            summary.netProfit += trade->profitValue();
        }
        if (progress)
            progress(++done, plan.trades.size());
    }
    undo.endUndoGrouping();
    return summary;
}

} // namespace brivel::import
