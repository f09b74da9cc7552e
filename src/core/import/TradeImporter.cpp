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

// Strategy names to positions in "arrayOfStrategies". The names the list lacks are appended in
// one read-change-write of the preferences file, so that a list changed meanwhile by another
// window or process is extended rather than overwritten, and the positions are those of the list
// as written.
class TradeImporter::StrategyPositions {
public:
    StrategyPositions(app::Preferences& preferences, const ImportPlan& plan, bool add,
                      ImportSummary& summary) {
        auto extend = [&](const nlohmann::json& current) {
            nlohmann::json list = current.is_array() ? current : nlohmann::json::array();
            index(list);
            for (const auto& trade : plan.trades)
                if (trade.strategy && !m_positions.count(*trade.strategy)) {
                    m_positions.emplace(*trade.strategy, list.size());
                    list.push_back({{app::prefkeys::Strategy, *trade.strategy}});
                    summary.strategiesAdded.push_back(*trade.strategy);
                }
            return list;
        };
        bool needed = false;
        for (const auto& trade : plan.trades)
            needed = needed || trade.strategy.has_value();
        if (!needed)
            return;
        if (!add) {
            extend(preferences.arrayForKey(app::prefkeys::ArrayOfStrategies));
            return;
        }
        // A file that cannot be written keeps the list in memory; the next write tries again.
        preferences.update(app::prefkeys::ArrayOfStrategies, [&](const nlohmann::json& current) {
            m_positions.clear();
            summary.strategiesAdded.clear();
            return extend(current);
        });
    }

    std::optional<std::int16_t> position(const std::string& name) const {
        auto it = m_positions.find(name);
        if (it == m_positions.end() ||
            it->second > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
            return std::nullopt;
        return static_cast<std::int16_t>(it->second);
    }

private:
    void index(const nlohmann::json& list) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            const auto& entry = list[i];
            if (entry.is_object() && entry.contains(app::prefkeys::Strategy) &&
                entry[app::prefkeys::Strategy].is_string())
                m_positions.emplace(entry[app::prefkeys::Strategy].get<std::string>(), i);
        }
    }

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

    StrategyPositions strategies(m_preferences, plan, addStrategies, summary);
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
            if (auto position = strategies.position(*planned.strategy))
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
