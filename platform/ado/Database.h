// One open database file and its prepared statements. Engine failures leave here as the desktop
// engine's errors (missing table, missing parameter, ...), never as raw SQLite codes.
#pragma once

#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace NUVADO::detail {

struct Database {
    sqlite3* db = nullptr;
    std::string path;        // as given (GBK), for messages
    std::string nativePath;  // on disk
    bool readOnly = false;
    int transactionDepth = 0;
    ~Database();

    // Raises the engine error for the last failure of this database.
    [[noreturn]] void RaiseEngine(int rc, const std::string& sql) const;
    // Runs SQL without results; raises on failure.
    void Exec(const std::string& sql) const;
    // Prepares one statement into `st`; raises the engine's error when it cannot.
    void Prepare(const std::string& sql, struct Statement& st) const;
    // Steps a statement: true for a row, false when done; raises the engine's error otherwise
    // (a damaged file must not read as fewer rows).
    bool Step(struct Statement& st, const std::string& sql) const;
    // Whether a table of this name exists (as stored, no case folding).
    bool HasTable(const std::string& name) const;
};

// A prepared statement that finalizes itself.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();
};

// A text column of the current row; empty for NULL (a value users may leave out by hand).
std::string ColumnText(sqlite3_stmt* st, int column);

}  // namespace NUVADO::detail
