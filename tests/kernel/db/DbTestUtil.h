// Shared by the database wrapper tests: a temporary folder of database files, a database with
// the tables the tests use, and the sqlite3 shell as an outside reader.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "db/AccessRecords.h"
#include "db/ADOCommand.h"
#include "db/ADODatabase.h"
#include "db/ADORecordset.h"

namespace dbtest {

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/nuvdb-test-XXXXXX";
        path_ = mkdtemp(tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    std::string NewDb(const std::string& name) const {  // an empty file is an empty database
        std::ofstream(File(name)).close();
        return File(name);
    }

private:
    std::string path_;
};

inline void Sql(CADODatabase& db, const char* sql) {
    ASSERT_TRUE(db.Execute(sql)) << sql << "\n" << db.GetLastErrorString();
}

// A database with the duct table: five rows of every field kind the layer converts.
inline void MakeDuctTable(CADODatabase& db) {
    Sql(db, "CREATE TABLE Duct (ID COUNTER, Kind TEXT(10), Name TEXT(50), DN SHORT, Len LONG, Code BYTE, "
            "Ratio SINGLE, Flow DOUBLE, Price CURRENCY, Made DATETIME, Ok YESNO, Note MEMO, Amount NUMERIC(10,2), "
            "Pic LONGBINARY)");
    Sql(db, "INSERT INTO Duct (Kind, Name, DN, Len, Code, Ratio, Flow, Price, Made, Ok, Note, Amount) VALUES "
            "('S', 'Supply', -5, 70000, 200, 1.5, 0.1, 12.3456, #2006-05-01 13:45:00#, True, 'memo text', -123.45)");
    Sql(db, "INSERT INTO Duct (Kind, Name, DN) VALUES ('R', 'Return', 2)");
    Sql(db, "INSERT INTO Duct (Kind, Name, DN, Flow) VALUES ('S', 'Spur', 3, 2)");
    Sql(db, "INSERT INTO Duct (Kind, Name, DN, Flow) VALUES ('E', 'Exhaust', 4, 1e25)");
    Sql(db, "INSERT INTO Duct (Kind, Name, DN) VALUES ('S', 'Side', 5)");
}

// An open database in a fresh file.
struct Fixture {
    TempDir dir;
    std::string path = dir.NewDb("test.mdb");
    CADODatabase db;
    Fixture() { EXPECT_TRUE(db.Open(NUV::GetAccessConnectStr(path.c_str()))) << db.GetLastErrorString(); }
};

// The sqlite3 shell's output for a query on a database file, and its exit status.
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

// GBK bytes written as hex, so expectations never come from the code under test.
inline std::string Bytes(std::initializer_list<unsigned> bytes) {
    std::string s;
    for (unsigned b : bytes) s += static_cast<char>(b);
    return s;
}

}  // namespace dbtest
