#include "core/store/StoreWriter.h"

#include "core/store/SqliteStore.h"

#include <fmt/format.h>
#include <sqlite3.h>

namespace brivel::store {

namespace {

std::string sqlName(const std::string& name) {
    return "\"" + name + "\"";
}

bool storesForeignKey(const RelationshipDescription& r) {
    return !r.toMany && r.storesForeignKey;
}

// The stored columns of an entity selected by a mask, in column order: attributes, then the
// foreign keys of to-one relationships. Each entry is the column name and its index.
std::vector<std::pair<std::string, std::size_t>> columnsOf(const EntityDescription& e,
                                                           std::uint64_t mask) {
    std::vector<std::pair<std::string, std::size_t>> out;
    for (std::size_t a = 0; a < e.attributes.size(); ++a)
        if (mask & ManagedObject::columnBit(a))
            out.emplace_back(e.attributes[a].name, a);
    for (std::size_t r = 0; r < e.relationships.size(); ++r)
        if (storesForeignKey(e.relationships[r]) &&
            (mask & ManagedObject::columnBit(e.attributes.size() + r)))
            out.emplace_back(e.relationships[r].name + "_id", e.attributes.size() + r);
    return out;
}

std::uint64_t storedColumns(const EntityDescription& e) {
    std::uint64_t mask = 0;
    for (std::size_t a = 0; a < e.attributes.size(); ++a)
        mask |= ManagedObject::columnBit(a);
    for (std::size_t r = 0; r < e.relationships.size(); ++r)
        if (storesForeignKey(e.relationships[r]))
            mask |= ManagedObject::columnBit(e.attributes.size() + r);
    return mask;
}

void bindColumn(Statement& st, int index, const ManagedObject& o, std::size_t column) {
    const auto& e = o.entity();
    if (column < e.attributes.size()) {
        st.bind(index, o.attributeValue(column), e.attributes[column].type);
        return;
    }
    if (auto* d = o.toOne(column - e.attributes.size()))
        st.bindInt(index, d->objectID());
    else
        st.bindNull(index);
}

} // namespace

StoreWriter::StoreWriter(Database& db) : m_db(db) {}
StoreWriter::~StoreWriter() = default;

std::string StoreWriter::identifierGuardsSQL(const ObjectModel& model, ObjectID maxID,
                                             bool ifNotExists) {
    std::string sql;
    for (const auto& e : model.entities()) {
        std::string taken = fmt::format("NEW.id < 1 OR NEW.id > {}", maxID);
        for (const auto& other : model.entities())
            if (other != e)
                taken += fmt::format(" OR EXISTS (SELECT 1 FROM {} WHERE id = NEW.id)",
                                     sqlName(other->name));
        sql += fmt::format("CREATE TRIGGER {}{} BEFORE INSERT ON {} WHEN {} BEGIN SELECT "
                           "RAISE(ABORT, 'record identifier already used or out of range'); "
                           "END;\n",
                           ifNotExists ? "IF NOT EXISTS " : "",
                           sqlName("brivel_unique_id_" + e->name), sqlName(e->name), taken);
    }
    return sql;
}

bool StoreWriter::guardIdentifiers(const ObjectModel& model, ObjectID maxID) {
    Error error;
    if (!m_db.exec(identifierGuardsSQL(model, maxID, true), &error)) {
        m_failure = error.failureReason;
        return false;
    }
    return true;
}

StoreWriter::Prepared* StoreWriter::prepared(const EntityDescription& e, std::uint64_t columns,
                                             Kind kind) {
    Prepared& p = m_statements[{&e, {columns, kind}}];
    if (p.statement)
        return &p;
    auto cols = columnsOf(e, columns);
    std::string sql;
    if (kind == Kind::Delete) {
        sql = "DELETE FROM " + sqlName(e.name) + " WHERE id = ?";
    } else if (kind == Kind::Insert) {
        std::string names = "id", marks = "?";
        for (const auto& [name, index] : cols) {
            names += ", " + sqlName(name);
            marks += ", ?";
        }
        sql = "INSERT INTO " + sqlName(e.name) + " (" + names + ") VALUES (" + marks + ")";
    } else {
        std::string sets;
        for (const auto& [name, index] : cols)
            sets += (sets.empty() ? "" : ", ") + sqlName(name) + " = ?";
        sql = "UPDATE " + sqlName(e.name) + " SET " + sets + " WHERE id = ?";
    }
    for (const auto& [name, index] : cols)
        p.columns.push_back(index);
    p.statement = std::make_unique<Statement>(m_db, sql);
    if (!p.statement->ok()) {
        m_failure = m_db.lastMessage();
        p.statement.reset();
        return nullptr;
    }
    return &p;
}

bool StoreWriter::step(Statement& st) {
    bool ok = st.step() == SQLITE_DONE;
    if (!ok)
        m_failure = m_db.lastMessage();
    st.reset();
    return ok;
}

bool StoreWriter::deleteRows(const std::vector<ManagedObject*>& deleted) {
    for (auto* o : deleted) {
        Prepared* p = prepared(o->entity(), 0, Kind::Delete);
        if (!p)
            return false;
        p->statement->bindInt(1, o->objectID());
        if (!step(*p->statement))
            return false;
    }
    return true;
}

bool StoreWriter::insertRows(const std::vector<ManagedObject*>& inserted) {
    for (auto* o : inserted) {
        Prepared* p = prepared(o->entity(), ~std::uint64_t(0), Kind::Insert);
        if (!p)
            return false;
        p->statement->bindInt(1, o->objectID());
        int i = 2;
        for (std::size_t column : p->columns)
            bindColumn(*p->statement, i++, *o, column);
        if (!step(*p->statement))
            return false;
    }
    return true;
}

bool StoreWriter::updateRows(const std::vector<ManagedObject*>& updated,
                             const std::vector<std::uint64_t>& columns) {
    for (std::size_t n = 0; n < updated.size(); ++n) {
        const ManagedObject& o = *updated[n];
        const std::uint64_t mask = columns[n] & storedColumns(o.entity());
        if (!mask)
            continue; // only its to-many members changed: its own row stays as it is
        Prepared* p = prepared(o.entity(), mask, Kind::Update);
        if (!p)
            return false;
        int i = 1;
        for (std::size_t column : p->columns)
            bindColumn(*p->statement, i++, o, column);
        p->statement->bindInt(i, o.objectID());
        if (!step(*p->statement))
            return false;
    }
    return true;
}

bool StoreWriter::writeNextID(const std::string& metaTable, ObjectID nextID) {
    Statement meta(
        m_db, fmt::format("UPDATE {} SET value = max(value, ?) WHERE key = 'next_id'", metaTable));
    if (!meta.ok()) {
        m_failure = m_db.lastMessage();
        return false;
    }
    meta.bindInt(1, nextID);
    return step(meta);
}

} // namespace brivel::store
