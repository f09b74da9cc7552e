#include "core/report/ReportSnapshot.h"

#include "core/model/AccountStore.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/platform/Clock.h"
#include "core/platform/SystemLog.h"
#include "core/report/ReportQuery.h"

#include <algorithm>
#include <numeric>

namespace brivel::report {

namespace {

constexpr double OneDay = 86400.0;

// The copy is read, never worked on: a trade's re-evaluations, which its orders' arrival would
// schedule, are dropped (the copied profit and closed state are the live account's).
class DiscardingScheduler final : public Scheduler {
public:
    void schedule(double, std::function<void()>) override {}
};

// Records per slice: one slice is the unit of progress and of cancelling. A details block costs
// about ten times a trade summary (notes and images).
std::size_t sliceSize(ReportType type) {
    return type == ReportType::TradeDetailsReport ? 50 : 1000;
}

void appendAll(StyledText& out, const StyledText& part) {
    for (const auto& run : part.runs()) {
        if (run.isAttachment())
            out.appendAttachment(part.attachmentOf(run));
        else
            out.append(part.textOf(run), run.style);
    }
}

} // namespace

ReportSnapshot::ReportSnapshot(ReportSnapshot&&) noexcept = default;
ReportSnapshot& ReportSnapshot::operator=(ReportSnapshot&&) noexcept = default;
ReportSnapshot::~ReportSnapshot() = default;

ReportSnapshot ReportSnapshot::capture(const ReportRequest& request,
                                       const store::ObjectContext& context, StrategyList strategies,
                                       Date now) {
    std::vector<store::ManagedObject*> records;
    ReportSnapshot s = begin(request, context, std::move(strategies), now, records);
    for (const store::ManagedObject* record : records)
        s.copyRecord(record);
    s.finish(context);
    return s;
}

ReportSnapshot ReportSnapshot::begin(const ReportRequest& request,
                                     const store::ObjectContext& context, StrategyList strategies,
                                     Date now, std::vector<store::ManagedObject*>& records) {
    ReportSnapshot s;
    s.m_type = request.type;
    s.m_strategies = std::move(strategies);
    s.m_now = now;
    s.m_databasePath = context.fileURL();
    auto found = ReportQuery().queryWithTicker(request.ticker, request.type, request.beginDate,
                                               request.endDate, context);
    records.clear();
    if (!found || found->empty()) {
        systemLog().log("Empty query array");
        return s;
    }
    records = std::move(*found);
    // A trade comes with its four or so orders and its chart record; a log with its levels and
    // notes. Room made once keeps the copy from growing its arrays record by record.
    const std::size_t perRecord = 6;
    s.m_roots.reserve(records.size());
    s.m_copies.reserve(records.size() * perRecord);
    s.m_links.reserve(records.size() * (perRecord - 1));
    s.m_index.reserve(records.size() * perRecord);
    const std::size_t attributes = records.front()->entity().attributes.size();
    s.m_values.reserve(records.size() * (attributes + (perRecord - 1) * 8));
    return s;
}

void ReportSnapshot::copyRecord(const store::ManagedObject* record) {
    m_roots.push_back(copyOf(record));
    if (record->entityName() == model::Log::entityName()) {
        copyRelated(record, "priceBarrier");
        copyRelated(record, "note");
    } else if (record->entityName() == model::Trade::entityName()) {
        copyRelated(record, "order");
        copyRelated(record, "chartImg");
    }
}

void ReportSnapshot::finish(const store::ObjectContext& context) {
    if (m_type == ReportType::TradeDetailsReport && !m_roots.empty())
        copyTradeWindowNotes(context);
}

std::size_t ReportSnapshot::copyOf(const store::ManagedObject* object) {
    auto [it, inserted] = m_index.try_emplace(object->objectID(), m_copies.size());
    if (!inserted)
        return it->second;
    const std::size_t count = object->entity().attributes.size();
    m_copies.push_back({&object->entity(), object->objectID(), m_values.size()});
    for (std::size_t i = 0; i < count; ++i)
        m_values.push_back(object->attributeValue(i));
    return it->second;
}

void ReportSnapshot::copyRelated(const store::ManagedObject* object, std::string_view key) {
    const int index = object->entity().relationshipIndex(key);
    if (index < 0)
        return;
    const auto relationship = static_cast<std::size_t>(index);
    const std::size_t from = m_index.at(object->objectID());
    if (object->entity().relationships[relationship].toMany) {
        for (const store::ManagedObject* target : object->toMany(relationship))
            m_links.push_back({from, relationship, copyOf(target)});
    } else if (const store::ManagedObject* target = object->toOne(relationship)) {
        m_links.push_back({from, relationship, copyOf(target)});
    }
}

void ReportSnapshot::copyTradeWindowNotes(const store::ObjectContext& context) {
    // Every trade's window runs from a day before its date (or first order) to a day after its
    // last order when closed, or after now while open. The notes of the span of all windows are
    // copied; the layout picks each trade's own from them as it would from the account.
    std::optional<double> low, high;
    for (std::size_t root : m_roots) {
        const auto* trade =
            static_cast<const model::Trade*>(context.objectWithID(m_copies[root].id));
        if (!trade)
            continue;
        std::optional<Date> first = trade->date(), last;
        for (const model::Order* order : trade->order()) {
            if (auto date = order->date()) {
                if (!first || *date < *first)
                    first = date;
                if (!last || *last < *date)
                    last = date;
            }
        }
        if (!first)
            continue;
        if (!last)
            last = trade->date();
        const Date end = trade->isClosedValue() && last ? *last : m_now;
        const double begin = first->secondsSince1970 - OneDay;
        const double finish = end.secondsSince1970 + OneDay;
        low = low ? std::min(*low, begin) : begin;
        high = high ? std::max(*high, finish) : finish;
    }
    if (!low)
        return;
    for (const store::ManagedObject* object :
         context.registeredObjects(model::Note::entityName())) {
        auto timestamp = static_cast<const model::Note*>(object)->timestamp();
        if (timestamp && timestamp->secondsSince1970 >= *low &&
            timestamp->secondsSince1970 <= *high)
            copyOf(object);
    }
}

std::optional<StyledText> ReportSnapshot::build(const std::atomic<bool>& cancelled,
                                                const Progress& progress) {
    if (m_roots.empty())
        return StyledText::plain(EmptyResultText);

    store::ObjectContext context(model::accountModel());
    context.setFileURL(m_databasePath);
    DiscardingScheduler scheduler;
    context.setScheduler(&scheduler);
    store::UndoRegistrationPause pause(context.undoManager());

    // Made in the account's order of identifiers, so that ties in the layouts' sorting come out
    // as they do from the account itself.
    std::vector<std::size_t> order(m_copies.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [this](std::size_t a, std::size_t b) { return m_copies[a].id < m_copies[b].id; });
    std::vector<store::ManagedObject*> made(m_copies.size(), nullptr);
    for (std::size_t i : order) {
        const Copy& copy = m_copies[i];
        store::ManagedObject* object = context.insertNewObjectForEntityForName(copy.entity->name);
        const std::size_t count = copy.entity->attributes.size();
        for (std::size_t k = 0; k < count; ++k)
            object->setPrimitiveAttributeValue(k, m_values[copy.firstValue + k]);
        made[i] = object;
    }
    if (cancelled.load())
        return std::nullopt;
    for (const Link& link : m_links) {
        store::ManagedObject* from = made[link.from];
        if (from->entity().relationships[link.relationship].toMany)
            from->addToMany(link.relationship, made[link.to]);
        else
            from->setToOne(link.relationship, made[link.to]);
    }

    const FixedClock clock(m_now);
    ReportFormatter formatter([this] { return m_strategies; }, &clock);
    StyledText out;
    const std::size_t slice = sliceSize(m_type);
    std::vector<store::ManagedObject*> records;
    for (std::size_t start = 0; start < m_roots.size(); start += slice) {
        if (cancelled.load())
            return std::nullopt;
        const std::size_t end = std::min(m_roots.size(), start + slice);
        records.clear();
        for (std::size_t i = start; i < end; ++i)
            records.push_back(made[m_roots[i]]);
        appendAll(out, formatter.newScreenReport(records, m_type, context));
        if (progress)
            progress(end, m_roots.size());
    }
    return out;
}

} // namespace brivel::report
