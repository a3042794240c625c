// Changes of a record set written back to its base table(s): INSERT, UPDATE and DELETE located
// by key, so a row changed by someone else since it was read is reported, never overwritten.
#include <sqlcipher/sqlite3.h>

#include "ado/CellReader.h"
#include "ado/RecordsetImpl.h"
#include "ado/SqlWords.h"
#include "ado/ValueBinding.h"

namespace NUVADO::detail {

namespace {

// Runs one write statement with its values; the number of rows it changed.
int RunWrite(Database& db, const std::string& sql, const WriteBinds& binds) {
    Statement st;
    db.Prepare(sql, st);
    for (std::size_t i = 0; i < binds.size(); ++i) BindValue(st.stmt, static_cast<int>(i + 1), *binds[i].first, binds[i].second);
    if (db.Step(st, sql)) db.RaiseEngine(SQLITE_MISUSE, sql);  // a write statement returns no rows
    return sqlite3_changes(db.db);
}

// Whether a table has row ids: only a table declared WITHOUT ROWID lacks the column.
bool HasRowId(Database& db, const std::string& table) {
    sqlite3_stmt* st = nullptr;
    std::string q = "SELECT rowid FROM " + Ident(table);
    int rc = sqlite3_prepare_v2(db.db, q.c_str(), -1, &st, nullptr);
    sqlite3_finalize(st);
    if (rc == SQLITE_OK) return true;
    if (std::string_view(sqlite3_errmsg(db.db)) == "no such column: rowid") return false;
    db.RaiseEngine(rc, q);
}

[[noreturn]] void RaiseRowNotFound(const char* doing) {
    Raise(DB_E_CANTUPDATE,
          std::string("Row cannot be located for ") + doing + ". Some values may have been changed since it was last read.",
          kEngineSource);
}

}  // namespace

std::string RecordsetImpl::KeyWhere(std::size_t row, const std::vector<int>& keyCols, WriteBinds& binds) {
    std::string where;
    for (int k : keyCols) {
        const Column& c = snap_->cols[static_cast<std::size_t>(k)];
        if (!where.empty()) where += " AND ";
        where += Ident(c.baseColumn) + " IS ?";
        binds.emplace_back(&snap_->Cell(row, static_cast<std::size_t>(k)), c.type);
    }
    return where;
}

void RecordsetImpl::WriteInsert(std::size_t row) {
    Database& db = *db_;
    std::string cols, marks;
    WriteBinds binds;
    _variant_t next;
    for (std::size_t c = 0; c < snap_->cols.size(); ++c) {
        const Column& col = snap_->cols[c];
        if (col.baseColumn.empty()) continue;
        const VARIANT* v = nullptr;
        if (changed_[c]) v = &editBuf_[c];
        else if (col.autoIncrement && !col.rowidAlias) {
            // A self-numbering column SQLite does not number itself: the next free value.
            Statement st;
            std::string q = "SELECT coalesce(max(" + Ident(col.baseColumn) + "), 0) + 1 FROM " + Ident(snap_->table);
            db.Prepare(q, st);
            if (!db.Step(st, q)) db.RaiseEngine(SQLITE_ERROR, q);
            next = _variant_t(static_cast<long>(sqlite3_column_int64(st.stmt, 0)));
            v = &next;
        }
        if (!v) continue;
        cols += (cols.empty() ? "" : ", ") + Ident(col.baseColumn);
        marks += marks.empty() ? "?" : ", ?";
        binds.emplace_back(v, col.type);
    }
    RunWrite(db, "INSERT INTO " + Ident(snap_->table) + (cols.empty() ? " DEFAULT VALUES" : " (" + cols + ") VALUES (" + marks + ")"),
             binds);
    // Read the stored row back: self-numbered IDs and defaults become visible. It is found by its
    // row id, or in a table without row ids by its primary key as written.
    sqlite3_int64 rowid = sqlite3_last_insert_rowid(db.db);
    std::string list;
    std::vector<std::size_t> idx;
    for (std::size_t c = 0; c < snap_->cols.size(); ++c) {
        if (snap_->cols[c].baseColumn.empty()) continue;
        list += (list.empty() ? "" : ", ") + Ident(snap_->cols[c].baseColumn);
        idx.push_back(c);
    }
    std::string where;
    WriteBinds keyBinds;
    bool byRowId = HasRowId(db, snap_->table);
    if (byRowId) {
        where = "rowid = ?";
    } else if (snap_->keyIsPrimary && !snap_->keyCols.empty()) {
        for (int k : snap_->keyCols) {
            auto c = static_cast<std::size_t>(k);
            if (!changed_[c]) {
                where.clear();
                break;
            }
            where += (where.empty() ? "" : " AND ") + Ident(snap_->cols[c].baseColumn) + " IS ?";
            keyBinds.emplace_back(&editBuf_[c], snap_->cols[c].type);
        }
    }
    if (list.empty() || where.empty()) {
        // Nothing to read, or a key the engine chose and cannot tell: the values written stand.
        for (std::size_t c = 0; c < changed_.size(); ++c)
            if (changed_[c]) snap_->Set(row, c, editBuf_[c]);
        return;
    }
    Statement back;
    std::string q = "SELECT " + list + " FROM " + Ident(snap_->table) + " WHERE " + where;
    db.Prepare(q, back);
    if (byRowId) sqlite3_bind_int64(back.stmt, 1, rowid);
    for (std::size_t i = 0; i < keyBinds.size(); ++i)
        BindValue(back.stmt, static_cast<int>(i + 1), *keyBinds[i].first, keyBinds[i].second);
    // The row was just written: not finding it means a trigger took it away, which the caller must hear.
    if (!db.Step(back, q)) RaiseRowNotFound("reading back");
    for (std::size_t k = 0; k < idx.size(); ++k) {
        ReadCellInto(back.stmt, static_cast<int>(k), snap_->cols[idx[k]], snap_->Cell(row, idx[k]));
    }
    for (std::size_t c = 0; c < changed_.size(); ++c)
        if (changed_[c] && snap_->cols[c].baseColumn.empty()) snap_->Set(row, c, editBuf_[c]);
}

void RecordsetImpl::WriteUpdate(std::size_t row) {
    if (!snap_->joined.empty()) return WriteJoinedUpdate(row);
    std::string sets;
    WriteBinds binds;
    for (std::size_t c = 0; c < snap_->cols.size(); ++c) {
        if (!changed_[c] || snap_->cols[c].baseColumn.empty()) continue;
        sets += (sets.empty() ? "" : ", ") + Ident(snap_->cols[c].baseColumn) + " = ?";
        binds.emplace_back(&editBuf_[c], snap_->cols[c].type);
    }
    if (sets.empty()) return;
    std::string sql = "UPDATE " + Ident(snap_->table) + " SET " + sets + TableKeyWhere(row, binds);
    if (RunWrite(*db_, sql, binds) == 0) RaiseRowNotFound("updating");
}

// One UPDATE for each table with changed columns, located by its primary key; all of them or
// none.
void RecordsetImpl::WriteJoinedUpdate(std::size_t row) {
    Database& db = *db_;
    db.Exec("SAVEPOINT nuv_joined_update");
    try {
        for (const Snapshot::JoinedTable& t : snap_->joined) {
            std::string sets;
            WriteBinds binds;
            for (std::size_t c = 0; c < snap_->cols.size(); ++c) {
                const Column& col = snap_->cols[c];
                if (!changed_[c] || col.baseColumn.empty() || snap_->JoinedTableOf(col) != &t) continue;
                sets += (sets.empty() ? "" : ", ") + Ident(col.baseColumn) + " = ?";
                binds.emplace_back(&editBuf_[c], col.type);
            }
            if (sets.empty()) continue;
            std::string sql = "UPDATE " + Ident(t.name) + " SET " + sets + " WHERE " + KeyWhere(row, t.keyCols, binds);
            if (RunWrite(db, sql, binds) == 0) RaiseRowNotFound("updating");
        }
    } catch (...) {
        sqlite3_exec(db.db, "ROLLBACK TO nuv_joined_update; RELEASE nuv_joined_update", nullptr, nullptr, nullptr);
        throw;
    }
    db.Exec("RELEASE nuv_joined_update");
}

void RecordsetImpl::WriteDelete(std::size_t row) {
    WriteBinds binds;
    if (RunWrite(*db_, "DELETE FROM " + Ident(snap_->table) + TableKeyWhere(row, binds), binds) == 0) RaiseRowNotFound("deleting");
}

// The condition that finds the row of the one table the rows come from.
std::string RecordsetImpl::TableKeyWhere(std::size_t row, WriteBinds& binds) {
    std::string where = KeyWhere(row, snap_->keyCols, binds);
    if (snap_->keyIsPrimary) return " WHERE " + where;
    return " WHERE rowid = (SELECT rowid FROM " + Ident(snap_->table) + " WHERE " + where + " LIMIT 1)";
}

}  // namespace NUVADO::detail
