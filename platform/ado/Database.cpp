#include "ado/Database.h"

#include <sqlcipher/sqlite3.h>

#include <cstring>

#include "ado/Errors.h"

namespace NUVADO::detail {

Database::~Database() {
    if (db) sqlite3_close_v2(db);
}

Statement::~Statement() {
    if (stmt) sqlite3_finalize(stmt);
}

namespace {

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// The name inside "no such table: X" / "no such column: X".
std::string After(const std::string& msg, const char* prefix) {
    std::size_t p = msg.find(prefix);
    return p == std::string::npos ? std::string() : msg.substr(p + std::strlen(prefix));
}

}  // namespace

void Database::RaiseEngine(int rc, const std::string& sql) const {
    std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    int primary = rc & 0xFF;
    if (primary == SQLITE_CONSTRAINT) {
        if (msg.find("UNIQUE") != std::string::npos || msg.find("PRIMARY KEY") != std::string::npos)
            Raise(DB_E_INTEGRITYVIOLATION,
                  "The changes you requested to the table were not successful because they would create duplicate values in "
                  "the index, primary key, or relationship (" + msg + ").",
                  kEngineSource);
        if (msg.find("NOT NULL") != std::string::npos)
            Raise(DB_E_INTEGRITYVIOLATION, "The field cannot contain a Null value (" + msg + ").", kEngineSource);
        Raise(DB_E_INTEGRITYVIOLATION, "The operation violates a rule of the table (" + msg + ").", kEngineSource);
    }
    if (primary == SQLITE_READONLY)
        Raise(static_cast<unsigned>(E_FAIL), "Cannot update. Database or object is read-only (" + msg + ").", kEngineSource);
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        Raise(static_cast<unsigned>(E_FAIL), "Could not update; currently locked (" + msg + ").", kEngineSource);
    if (primary == SQLITE_NOTADB)
        Raise(DB_SEC_E_AUTH_FAILED, "Not a valid password.", kEngineSource);
    if (primary == SQLITE_ERROR) {
        std::string table = After(msg, "no such table: ");
        if (!table.empty())
            Raise(DB_E_NOTABLE,
                  "The database engine cannot find the input table or query " + Quoted(table) +
                      ". Make sure it exists and that its name is spelled correctly.",
                  kEngineSource);
        std::string column = After(msg, "no such column: ");
        if (!column.empty())
            Raise(DB_E_PARAMNOTOPTIONAL, "No value given for one or more required parameters (unknown name " + Quoted(column) + ").",
                  kEngineSource);
        if (msg.find("syntax error") != std::string::npos || msg.find("incomplete input") != std::string::npos ||
            msg.find("unrecognized token") != std::string::npos)
            Raise(DB_E_ERRORSINCOMMAND, "Syntax error in SQL statement (" + msg + ") in: " + sql, kEngineSource);
        if (msg.find("already exists") != std::string::npos)
            Raise(DB_E_ERRORSINCOMMAND, "Object already exists (" + msg + ").", kEngineSource);
        Raise(DB_E_ERRORSINCOMMAND, msg + " in: " + sql, kEngineSource);
    }
    Raise(static_cast<unsigned>(E_FAIL), msg, kEngineSource);
}

void Database::Prepare(const std::string& sql, Statement& st) const {
    int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st.stmt, nullptr);
    if (rc != SQLITE_OK) RaiseEngine(rc, sql);
}

bool Database::Step(Statement& st, const std::string& sql) const {
    int rc = sqlite3_step(st.stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) RaiseEngine(rc, sql);
    return false;
}

bool Database::HasTable(const std::string& name) const {
    Statement st;
    const std::string q = "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1";
    Prepare(q, st);
    sqlite3_bind_text(st.stmt, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    return Step(st, q);
}

std::string ColumnText(sqlite3_stmt* st, int column) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(st, column))) : std::string();
}

void Database::Exec(const std::string& sql) const {
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK) RaiseEngine(rc, sql);
}

}  // namespace NUVADO::detail
