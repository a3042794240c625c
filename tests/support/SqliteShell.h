// Shared by the database tests: the sqlite3 shell as an outside reader of database files.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

// The sqlite3 shell's output for a query on a database file (standard output and error), and
// its exit status in *status: an outside reader of what the database layer wrote.
inline std::string Shell(const std::string& db, const std::string& sql, int* status = nullptr) {
    std::string cmd = "sqlite3 '" + db + "' \"" + sql + "\" 2>&1";
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    char buf[256];
    while (p && fgets(buf, sizeof buf, p)) out += buf;
    int rc = p ? pclose(p) : -1;
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}
