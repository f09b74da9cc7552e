#include "core/store/StoreLoader.h"

#include "core/store/ObjectContext.h"
#include "core/store/SqliteStore.h"
#include "core/store/StoreIntegrity.h"

#include <algorithm>
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

void readText(sqlite3_stmt* s, int col, Value& v,
              std::unordered_map<std::string_view, Value>& shortTexts) {
    std::string_view text(reinterpret_cast<const char*>(sqlite3_column_text(s, col)),
                          static_cast<std::size_t>(sqlite3_column_bytes(s, col)));
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

void readValue(sqlite3_stmt* s, int col, AttributeType type, Value& v,
               std::unordered_map<std::string_view, Value>& shortTexts) {
    switch (type) {
    case AttributeType::String:
        readText(s, col, v, shortTexts);
        break;
    case AttributeType::Date:
        v = Value::date(Date(sqlite3_column_double(s, col)));
        break;
    case AttributeType::Double:
        v = Value::real(sqlite3_column_double(s, col));
        break;
    case AttributeType::Boolean:
        v = Value::boolean(sqlite3_column_int64(s, col) != 0);
        break;
    case AttributeType::Int16:
        v = Value::integer(static_cast<std::int16_t>(sqlite3_column_int64(s, col)));
        break;
    case AttributeType::Int32:
        v = Value::integer(static_cast<std::int32_t>(sqlite3_column_int64(s, col)));
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

} // namespace

StoreLoader::StoreLoader(const ObjectModel& model, Database& db, std::filesystem::path path)
    : m_model(model), m_db(db), m_path(std::move(path)) {}

std::int64_t StoreLoader::rowCost(const EntityDescription& e) {
    // The step to the row and its identifier, then each column.
    return 2 + static_cast<std::int64_t>(e.attributes.size() +
                                         SqliteStore::storedForeignKeys(e).size());
}

namespace {

void add(StoreLoader::Part& part, const StoreLoader::Slice& slice) {
    part.slices.push_back(slice);
    part.rows += slice.rows;
    part.cost += slice.rows * StoreLoader::rowCost(*slice.entity);
}

// Moves the upper identifiers of heavy's first slice to light, until the two cost about the
// same. Identifiers grow with time, so a range of them holds rows in proportion to its width.
void balance(StoreLoader::Part& heavy, StoreLoader::Part& light,
             const StoreLoader::TableSize& table) {
    StoreLoader::Slice& largest = heavy.slices.front();
    const std::int64_t excess = (heavy.cost - light.cost) / 2;
    const std::int64_t largestCost = largest.rows * StoreLoader::rowCost(*largest.entity);
    // Not worth a second statement below a sixteenth of the work.
    if (excess * 16 < heavy.cost + light.cost || largestCost == 0 ||
        table.lastID - table.firstID < 2)
        return;
    const double share = std::min(1.0, static_cast<double>(excess) / largestCost);
    const auto width = static_cast<double>(table.lastID - table.firstID);
    const ObjectID cut = table.firstID + static_cast<ObjectID>(width * (1.0 - share));
    const auto moved = static_cast<std::int64_t>(static_cast<double>(largest.rows) * share);
    StoreLoader::Slice upper{largest.entity, moved, cut + 1, table.lastID};
    largest.firstID = table.firstID;
    largest.lastID = cut;
    largest.rows -= moved;
    heavy.rows -= moved;
    heavy.cost -= moved * StoreLoader::rowCost(*largest.entity);
    add(light, upper);
}

} // namespace

std::pair<StoreLoader::Part, StoreLoader::Part>
StoreLoader::partition(std::vector<TableSize> tables) {
    std::stable_sort(tables.begin(), tables.end(), [](const auto& a, const auto& b) {
        return a.rows * rowCost(*a.entity) > b.rows * rowCost(*b.entity);
    });
    // Each table goes to the part that costs less so far.
    Part mine, theirs;
    for (const auto& t : tables)
        add(theirs.cost < mine.cost ? theirs : mine, {t.entity, t.rows});
    if (mine.rows + theirs.rows < ParallelRows || theirs.slices.empty()) {
        for (const auto& slice : theirs.slices)
            add(mine, slice);
        theirs = Part();
    } else if (mine.cost > theirs.cost) {
        balance(mine, theirs, tables.front());
    }
    return {std::move(mine), std::move(theirs)};
}

std::pair<StoreLoader::Part, StoreLoader::Part> StoreLoader::countAndPartition() {
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
    return partition(std::move(tables));
}

bool StoreLoader::load(ObjectContext& context) {
    auto [mine, theirs] = countAndPartition();
    // The second connection's thread takes the part with the largest table (an account's
    // orders: records and shared short texts, little else). This thread's heap, which the
    // program prepares for large accounts (tuneHeapForLargeAccounts), takes the records that
    // bring texts and lists of their own.
    if (!theirs.slices.empty())
        std::swap(mine, theirs);
    if (!readInParallel(mine, theirs))
        return false;
    m_storedReferences.assign(m_model.entities().size(), {});
    for (const auto& e : m_model.entities())
        for (const auto* r : SqliteStore::storedForeignKeys(*e))
            m_storedReferences[e->index].push_back(
                static_cast<std::size_t>(e->relationshipIndex(r->name)));
    std::vector<ManagedObject*> byID;
    auto records = adoptAll(context, byID);
    reserveToMany(records, byID);
    link(records, byID);
    return true;
}

bool StoreLoader::readInParallel(const Part& mine, const Part& theirs) {
    bool okHere = true, okThere = true;
    reserve(mine, m_here);
    reserve(theirs, m_there);
    if (theirs.slices.empty()) {
        okHere = readTables(m_db, mine, m_here);
    } else {
        std::thread worker([&] {
            Database second;
            Error error;
            if (!second.open(m_path, SQLITE_OPEN_READONLY, &error)) {
                m_there.failure = error.message();
                okThere = false;
                return;
            }
            okThere = readTables(second, theirs, m_there);
        });
        okHere = readTables(m_db, mine, m_here);
        worker.join();
    }
    if (!okHere || !okThere) {
        forgetPendingLinks(m_here);
        forgetPendingLinks(m_there);
        m_failure = !okHere ? m_here.failure : m_there.failure;
        return false;
    }
    return true;
}

// The row counts are known: the lists are sized once rather than regrown (and first-touched)
// step by step, and by the calling thread, whose heap is prepared for large accounts.
void StoreLoader::reserve(const Part& part, LoadedRows& out) {
    std::size_t records = 0;
    for (const auto& slice : part.slices) {
        // A range's rows are an estimate: room for more costs nothing until it is written,
        // while a list regrown would copy (and first-touch) everything again.
        auto rows = static_cast<std::size_t>(slice.rows);
        if (slice.firstID || slice.lastID)
            rows += rows / 4 + 1024;
        records += rows;
    }
    out.records.reserve(records);
}

// Records that will never be linked must not carry identifiers where records belong.
void StoreLoader::forgetPendingLinks(LoadedRows& rows) {
    for (auto& r : rows.records)
        for (auto& slot : std::span(r->m_relations, r->m_entity->relationships.size()))
            if (!slot.many)
                slot.one = nullptr;
}

bool StoreLoader::readTables(Database& db, const Part& part, LoadedRows& out) {
    for (const auto& slice : part.slices)
        if (!readTable(db, slice, out))
            return false;
    return true;
}

bool StoreLoader::readTable(Database& db, const Slice& slice, LoadedRows& out) {
    const EntityDescription& e = *slice.entity;
    const auto fks = SqliteStore::storedForeignKeys(e);
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
    std::vector<std::size_t> fkIndex;
    for (const auto* r : fks)
        fkIndex.push_back(static_cast<std::size_t>(e.relationshipIndex(r->name)));
    sqlite3_stmt* s = st.handle();
    const std::size_t before = out.records.size();
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        auto record = e.factory();
        ManagedObject* o = record.get();
        o->m_id = sqlite3_column_int64(s, 0);
        o->m_persisted = true;
        int col = 1;
        for (std::size_t i = 0; i < e.attributes.size(); ++i, ++col)
            if (sqlite3_column_type(s, col) != SQLITE_NULL)
                readValue(s, col, e.attributes[i].type, o->m_values[i], out.shortTexts);
        for (std::size_t f = 0; f < fks.size(); ++f, ++col)
            if (sqlite3_column_type(s, col) != SQLITE_NULL)
                o->m_relations[fkIndex[f]].one = pendingLink(sqlite3_column_int64(s, col));
        out.largestID = std::max(out.largestID, o->m_id);
        out.records.push_back(std::move(record));
    }
    if (rc != SQLITE_DONE) {
        out.failure = db.lastMessage();
        return false;
    }
    if (out.perEntity.size() <= e.index)
        out.perEntity.resize(e.index + 1, 0);
    out.perEntity[e.index] += out.records.size() - before;
    return true;
}

std::span<std::unique_ptr<ManagedObject>> StoreLoader::adoptAll(ObjectContext& context,
                                                                std::vector<ManagedObject*>& byID) {
    m_largestID = std::max(m_here.largestID, m_there.largestID);
    byID.assign(static_cast<std::size_t>(m_largestID) + 1, nullptr);
    const std::size_t first = context.m_owned.size();
    context.m_owned.reserve(first + m_here.records.size() + m_there.records.size());
    // The lists of live records by entity grow once rather than by doubling.
    std::vector<std::size_t> perEntity(context.m_live.size(), 0);
    for (auto* part : {&m_here, &m_there})
        for (std::size_t i = 0; i < part->perEntity.size() && i < perEntity.size(); ++i)
            perEntity[i] += part->perEntity[i];
    for (std::size_t i = 0; i < perEntity.size(); ++i)
        context.m_live[i].reserve(context.m_live[i].size() + perEntity[i]);
    for (auto* part : {&m_here, &m_there}) {
        for (auto& r : part->records) {
            if (r->m_id > 0)
                byID[static_cast<std::size_t>(r->m_id)] = r.get();
            context.adopt(std::move(r));
        }
        part->records.clear();
        part->records.shrink_to_fit();
    }
    return std::span(context.m_owned).subspan(first);
}

// The record a pending link names, if it exists and is of the relationship's destination.
static ManagedObject* linkTarget(const ManagedObject* pending, const EntityDescription* destination,
                                 const std::vector<ManagedObject*>& byID) {
    const std::size_t id = pendingID(pending);
    ManagedObject* to = id > 0 && id < byID.size() ? byID[id] : nullptr;
    return to && &to->entity() == destination ? to : nullptr;
}

// Sizes every to-many list once before it is filled: a trade's orders and a day's notes would
// otherwise regrow their lists one record at a time.
void StoreLoader::reserveToMany(std::span<std::unique_ptr<ManagedObject>> records,
                                const std::vector<ManagedObject*>& byID) {
    std::vector<std::uint32_t> members(byID.size(), 0);
    for (const auto& r : records)
        for (std::size_t index : m_storedReferences[r->m_entity->index]) {
            const auto& rel = r->m_entity->relationships[index];
            if (ManagedObject* to = linkTarget(r->m_relations[index].one, rel.destination, byID))
                ++members[static_cast<std::size_t>(to->m_id)];
        }
    for (std::size_t id = 0; id < byID.size(); ++id) {
        if (!members[id])
            continue;
        for (auto& slot :
             std::span(byID[id]->m_relations, byID[id]->m_entity->relationships.size()))
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
            ManagedObject*& slot = from->m_relations[index].one;
            if (!slot)
                continue;
            // A dangling reference: the record simply has no owner.
            slot = linkTarget(slot, rel.destination, byID);
            if (!slot)
                continue;
            auto& inverse = slot->m_relations[rel.inverseIndex];
            if (inverse.many)
                inverse.many->push_back(from);
            else
                inverse.one = from;
        }
    }
}

} // namespace brivel::store
