// Shared by the database tests: the sqlite3 shell as an outside reader of database files.
#pragma once

#include <string>

#include "RunCommand.h"

// The sqlite3 shell's output for a query on a database file (standard output and error), and
// its exit status in *status: an outside reader of what the database layer wrote. The query is
// put between double quotes, so callers escape a double quote in it as \".
inline std::string Shell(const std::string& db, const std::string& sql, int* status = nullptr) {
    NUVTest::CommandOutput r = NUVTest::RunCommand("sqlite3 " + NUVTest::ShellWord(db) + " \"" + sql + "\" 2>&1");
    if (status) *status = r.status;
    return r.out;
}
