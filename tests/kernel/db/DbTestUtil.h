// Shared by the database wrapper tests: a database with the tables the tests use, in a fresh
// file of a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "SqliteShell.h"
#include "TempDir.h"
#include "db/AccessRecords.h"
#include "db/ADOCommand.h"
#include "db/ADODatabase.h"
#include "db/ADORecordset.h"

namespace dbtest {

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
    std::string path = dir.Touch("test.mdb");
    CADODatabase db;
    Fixture() { EXPECT_TRUE(db.Open(NUV::GetAccessConnectStr(path.c_str()))) << db.GetLastErrorString(); }
};

// GBK bytes written as hex, so expectations never come from the code under test.
inline std::string Bytes(std::initializer_list<unsigned> bytes) {
    std::string s;
    for (unsigned b : bytes) s += static_cast<char>(b);
    return s;
}

}  // namespace dbtest
