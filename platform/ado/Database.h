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
};

// A prepared statement that finalizes itself.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();
};

}  // namespace NUVADO::detail
