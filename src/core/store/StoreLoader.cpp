#include "core/store/StoreLoader.h"

#include "core/store/ObjectContext.h"
#include "core/store/SqliteStore.h"
#include "core/store/StoreIntegrity.h"

#include <algorithm>
#include <atomic>
#include <span>
#include <sqlite3.h>
#include <thread>
#include <tuple>

namespace brivel::store {

namespace {

// Short texts live inside their values; longer ones are shared up to this length (repeated
// names), beyond which (comments, notes) they are rarely repeated and sharing would only cost
// lookups.
constexpr std::size_t ShortText = 24;

// Each column is taken once as SQLite's value and read from there: through the column
// functions, a type check and a read would each pass SQLite's entry and exit checks. The value
// is only used before the next step, on the one thread that uses the connection.
void readText(sqlite3_value* column, Value& v,
              std::unordered_map<std::string_view, Value>& shortTexts) {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(column));
    std::string_view text(bytes, static_cast<std::size_t>(sqlite3_value_bytes(column)));
    if (text.size() <= Value::InlineCapacity || text.size() > ShortText) {
        v = Value::string(text);
        return;
    }
    auto it = shortTexts.find(text);
    if (it == shortTexts.end()) {
        // The key views the shared heap text, which lives as long as the map's copy.
        Value shared = Value::string(text);
        it = shortTexts.emplace(shared.stringView(), shared).first;
    }
    v = it->second;
}

void readValue(sqlite3_value* column, AttributeType type, Value& v,
               std::unordered_map<std::string_view, Value>& shortTexts) {
    switch (type) {
    case AttributeType::String:
        readText(column, v, shortTexts);
        break;
    case AttributeType::Date:
        v = Value::date(Date(sqlite3_value_double(column)));
        break;
    case AttributeType::Double:
        v = Value::real(sqlite3_value_double(column));
        break;
    case AttributeType::Boolean:
        v = Value::boolean(sqlite3_value_int64(column) != 0);
        break;
    case AttributeType::Int16:
        v = Value::integer(static_cast<std::int16_t>(sqlite3_value_int64(column)));
        break;
    case AttributeType::Int32:
        v = Value::integer(static_cast<std::int32_t>(sqlite3_value_int64(column)));
        break;
    }
}

// A stored reference waits in its to-one slot as the identifier it names until every record
// exists; linking turns it into the record (or nothing, for a dangling reference).
ManagedObject* pendingLink(std::int64_t id) {
    return reinterpret_cast<ManagedObject*>(static_cast<std::uintptr_t>(id));
}
std::size_t pendingID(const ManagedObject* slot) {
    return static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(slot));
}

// The record a pending link names, if it exists and is of the relationship's destination.
ManagedObject* linkTarget(const ManagedObject* pending, const EntityDescription* destination,
                          const std::vector<ManagedObject*>& byID) {
    const std::size_t id = pendingID(pending);
    ManagedObject* to = id > 0 && id < byID.size() ? byID[id] : nullptr;
    return to && &to->entity() == destination ? to : nullptr;
}

} // namespace

StoreLoader::StoreLoader(const ObjectModel& model, Database& db, std::filesystem::path path)
    : m_model(model), m_db(db), m_path(std::move(path)) {}

std::int64_t StoreLoader::rowCost(const EntityDescription& e) {
    // The step to the row and its identifier, then each column.
    return 2 + static_cast<std::int64_t>(e.attributes.size() +
                                         SqliteStore::storedForeignKeys(e).size());
}

StoreLoader::Plan StoreLoader::plan(std::vector<TableSize> tables) {
    const auto cost = [](const TableSize& t) { return t.rows * rowCost(*t.entity); };
    std::stable_sort(tables.begin(), tables.end(),
                     [&](const auto& a, const auto& b) { return cost(a) > cost(b); });
    std::int64_t rows = 0;
    for (const auto& t : tables)
        rows += t.rows;
    Plan plan;
    for (const auto& t : tables)
        plan.own.push_back({t.entity, t.rows});
    if (rows < ParallelRows)
        return plan;
    // The largest table goes to whichever connection is free, in ranges when its identifiers
    // allow. Identifiers grow with time, so a range holds rows in proportion to its width.
    const TableSize& largest = tables.front();
    plan.own.erase(plan.own.begin());
    const ObjectID width = largest.lastID - largest.firstID + 1;
    const ObjectID ranges = largest.lastID > 0 ? std::min<ObjectID>(SharedRanges, width) : 1;
    if (ranges == 1) {
        plan.shared.push_back({largest.entity, largest.rows});
        return plan;
    }
    for (ObjectID k = 0; k < ranges; ++k) {
        const ObjectID first = largest.firstID + width * k / ranges;
        const ObjectID last = largest.firstID + width * (k + 1) / ranges - 1;
        plan.shared.push_back(
            {largest.entity, largest.rows * (last - first + 1) / width, first, last});
    }
    return plan;
}

StoreLoader::Plan StoreLoader::countAndPlan() {
    std::vector<TableSize> tables;
    for (const auto& e : m_model.entities()) {
        TableSize t{e.get()};
        const std::string table = SqliteStore::quotedName(e->name);
        // Alone in its statement, count(*) takes SQLite's quick path.
        Statement count(m_db, "SELECT count(*) FROM " + table);
        if (count.ok() && count.step() == SQLITE_ROW)
            t.rows = sqlite3_column_int64(count.handle(), 0);
        std::optional<std::pair<ObjectID, ObjectID>> range;
        if (t.rows > 0 && StoreIntegrity::identifierRange(m_db, e->name, range) && range)
            std::tie(t.firstID, t.lastID) = *range;
        tables.push_back(t);
    }
    return plan(std::move(tables));
}

bool StoreLoader::load(ObjectContext& context) {
    m_storedReferences.assign(m_model.entities().size(), {});
    for (const auto& e : m_model.entities())
        for (const auto* r : SqliteStore::storedForeignKeys(*e))
            m_storedReferences[e->index].push_back(
                static_cast<std::size_t>(e->relationshipIndex(r->name)));
    const Plan plan = countAndPlan();
    if (!readInParallel(plan))
        return false;
    std::vector<ManagedObject*> byID;
    std::vector<std::uint32_t> members;
    auto records = adoptAll(context, byID, members);
    reserveToMany(byID, members);
    link(records, byID);
    return true;
}

bool StoreLoader::readInParallel(const Plan& plan) {
    // The lists are sized here, by the calling thread, whose heap is prepared for large
    // accounts, rather than regrown (and first-touched) step by step. A range's rows are an
    // estimate: room for more costs nothing until it is written.
    m_rows.reserve(plan.own.size() + plan.shared.size());
    for (const auto* slices : {&plan.own, &plan.shared})
        for (const auto& slice : *slices) {
            LoadedRows& rows = m_rows.emplace_back();
            rows.slice = &slice;
            auto expected = static_cast<std::size_t>(slice.rows);
            if (slice.firstID || slice.lastID)
                expected += expected / 4 + 1024;
            rows.records.reserve(expected);
        }
    LoadedRows* const shared = m_rows.data() + plan.own.size();
    std::atomic<std::size_t> nextShared{0};
    std::atomic<bool> failed{false};
    const auto readShared = [&](Database& db, SharedTexts& texts) {
        for (std::size_t i; !failed && (i = nextShared++) < plan.shared.size();)
            if (!readTable(db, plan.shared[i], shared[i], texts))
                failed = true;
    };
    std::thread worker;
    std::string secondFailure;
    if (!plan.shared.empty() && m_rows.size() > 1) {
        worker = std::thread([&] {
            Database second;
            Error error;
            if (second.open(m_path, SQLITE_OPEN_READONLY, &error)) {
                readShared(second, m_textsThere);
            } else {
                secondFailure = error.message();
                failed = true;
            }
        });
    }
    for (std::size_t i = 0; i < plan.own.size() && !failed; ++i)
        if (!readTable(m_db, plan.own[i], m_rows[i], m_textsHere))
            failed = true;
    readShared(m_db, m_textsHere);
    if (worker.joinable())
        worker.join();
    if (!failed)
        return true;
    m_failure = secondFailure;
    for (const auto& rows : m_rows)
        if (m_failure.empty() && !rows.failure.empty()) {
            m_failure = rows.failure;
            break;
        }
    forgetPendingLinks();
    return false;
}

// Records that will never be linked must not carry identifiers where records belong.
void StoreLoader::forgetPendingLinks() {
    for (auto& rows : m_rows)
        for (auto& r : rows.records)
            for (auto& slot : std::span(r->relations(), r->m_entity->relationships.size()))
                if (!slot.many)
                    slot.one = nullptr;
}

bool StoreLoader::readTable(Database& db, const Slice& slice, LoadedRows& out,
                            SharedTexts& texts) const {
    const EntityDescription& e = *slice.entity;
    const auto fks = SqliteStore::storedForeignKeys(e);
    const auto& references = m_storedReferences[e.index]; // the relationships of fks
    std::string sql = "SELECT id";
    for (const auto& a : e.attributes)
        sql += ", " + SqliteStore::quotedName(a.name);
    for (const auto* r : fks)
        sql += ", " + SqliteStore::quotedName(SqliteStore::foreignKeyColumn(*r));
    sql += " FROM " + SqliteStore::quotedName(e.name);
    if (slice.firstID || slice.lastID)
        sql += " WHERE id BETWEEN " + std::to_string(slice.firstID) + " AND " +
               std::to_string(slice.lastID);
    sql += " ORDER BY id";
    Statement st(db, sql);
    if (!st.ok()) {
        out.failure = db.lastMessage();
        return false;
    }
    sqlite3_stmt* s = st.handle();
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        auto record = e.factory();
        ManagedObject* o = record.get();
        o->m_id = sqlite3_column_int64(s, 0);
        o->m_persisted = true;
        int col = 1;
        for (std::size_t i = 0; i < e.attributes.size(); ++i, ++col)
            if (sqlite3_value* v = sqlite3_column_value(s, col);
                sqlite3_value_type(v) != SQLITE_NULL)
                readValue(v, e.attributes[i].type, o->values()[i], texts);
        for (std::size_t f = 0; f < fks.size(); ++f, ++col)
            if (sqlite3_value* v = sqlite3_column_value(s, col);
                sqlite3_value_type(v) != SQLITE_NULL)
                o->relations()[references[f]].one = pendingLink(sqlite3_value_int64(v));
        out.largestID = std::max(out.largestID, o->m_id);
        out.records.push_back(std::move(record));
    }
    if (rc != SQLITE_DONE) {
        out.failure = db.lastMessage();
        return false;
    }
    return true;
}

std::span<std::unique_ptr<ManagedObject>>
StoreLoader::adoptAll(ObjectContext& context, std::vector<ManagedObject*>& byID,
                      std::vector<std::uint32_t>& members) {
    // Each slice's records are kept apart, whichever connection read them, and the ranges of
    // a table follow each other: every table's records (and each trade's orders) come out in
    // the order of their identifiers every time.
    std::size_t total = 0;
    std::vector<std::size_t> perEntity(context.m_live.size(), 0);
    for (const auto& rows : m_rows) {
        total += rows.records.size();
        m_largestID = std::max(m_largestID, rows.largestID);
        if (rows.slice->entity->index < perEntity.size())
            perEntity[rows.slice->entity->index] += rows.records.size();
    }
    byID.assign(static_cast<std::size_t>(m_largestID) + 1, nullptr);
    // The members of each to-many list, counted by the identifiers named, without visiting the
    // records they name: a dangling reference only makes a list a little larger than needed.
    members.assign(byID.size(), 0);
    const std::size_t first = context.m_owned.size();
    context.m_owned.reserve(first + total);
    // The lists of live records by entity grow once rather than by doubling.
    for (std::size_t i = 0; i < perEntity.size(); ++i)
        context.m_live[i].reserve(context.m_live[i].size() + perEntity[i]);
    for (auto& rows : m_rows) {
        for (auto& r : rows.records) {
            if (r->m_id > 0)
                byID[static_cast<std::size_t>(r->m_id)] = r.get();
            for (std::size_t index : m_storedReferences[r->m_entity->index])
                if (const std::size_t id = pendingID(r->relations()[index].one);
                    id < members.size())
                    ++members[id];
            context.adopt(std::move(r));
        }
        rows.records = std::vector<std::unique_ptr<ManagedObject>>();
    }
    return std::span(context.m_owned).subspan(first);
}

// Sizes every to-many list once before it is filled: a trade's orders and a day's notes would
// otherwise regrow their lists one record at a time.
void StoreLoader::reserveToMany(const std::vector<ManagedObject*>& byID,
                                const std::vector<std::uint32_t>& members) {
    for (std::size_t id = 0; id < byID.size(); ++id) {
        if (!members[id] || !byID[id])
            continue;
        for (auto& slot :
             std::span(byID[id]->relations(), byID[id]->m_entity->relationships.size()))
            if (slot.many)
                slot.many->reserve(members[id]);
    }
}

// Relationships are set directly, both sides at once.
void StoreLoader::link(std::span<std::unique_ptr<ManagedObject>> records,
                       const std::vector<ManagedObject*>& byID) {
    for (const auto& r : records) {
        ManagedObject* from = r.get();
        for (std::size_t index : m_storedReferences[from->m_entity->index]) {
            const auto& rel = from->m_entity->relationships[index];
            ManagedObject*& slot = from->relations()[index].one;
            if (!slot)
                continue;
            // A dangling reference: the record simply has no owner.
            slot = linkTarget(slot, rel.destination, byID);
            if (!slot)
                continue;
            auto& inverse = slot->relations()[rel.inverseIndex];
            if (inverse.many)
                inverse.many->push_back(from);
            else
                inverse.one = from;
        }
    }
}

} // namespace brivel::store
