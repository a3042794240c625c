#include "DbTestUtil.h"
#include "db/DbStruct.h"

namespace {

using namespace dbtest;

// A record type of the suite: a name besides the base's ID and version.
struct PipeRow : tagDBSTRUCT {
    CADODatabase* defaultDb = nullptr;
    int sortable = 1;
    CString name;

    CADODatabase* GetDatabase() override { return defaultDb; }
    CString GetTableName() const override { return "Pipe"; }
    int IsIDSort() const override { return sortable; }

protected:
    int GetDataFromRecordSet(CADORecordset& rs) override {
        if (!tagDBSTRUCT::GetDataFromRecordSet(rs)) return 0;
        return rs.GetFieldValue("Name", name);
    }
    int SetDataToRecordSet(CADORecordset& rs) override {
        if (!tagDBSTRUCT::SetDataToRecordSet(rs)) return 0;
        return rs.SetFieldValue("Name", name);
    }

public:
    using tagDBSTRUCT::DecreaseID;
    using tagDBSTRUCT::IncreaseID;
};

// Rows A..E with IDs 1..5 under a unique index on ID; a trigger logs every change of an ID in
// the order the engine applied it, so a duplicate at any step would have failed the update.
struct PipeTable : Fixture {
    PipeRow row;
    PipeTable() {
        Sql(db, "CREATE TABLE Pipe (ID COUNTER, Version SHORT, Name TEXT(20))");
        Sql(db, "CREATE UNIQUE INDEX PipeID ON Pipe (ID)");
        Sql(db, "CREATE TABLE Moves (Seq COUNTER, FromID LONG, ToID LONG)");
        Sql(db, "CREATE TRIGGER LogMove AFTER UPDATE OF ID ON Pipe BEGIN "
                "INSERT INTO Moves (FromID, ToID) VALUES (old.ID, new.ID); END");
        for (const char* n : {"A", "B", "C", "D", "E"}) {
            std::string sql = std::string("INSERT INTO Pipe (Version, Name) VALUES (5, '") + n + "')";
            Sql(db, sql.c_str());
        }
        row.defaultDb = &db;
    }
    std::string Order() { return Shell(path, "SELECT group_concat(ID || Name, ' ') FROM (SELECT ID, Name FROM Pipe ORDER BY ID)"); }
    std::string Moves() { return Shell(path, "SELECT group_concat(FromID || '>' || ToID, ' ') FROM (SELECT * FROM Moves ORDER BY Seq)"); }
};

TEST(DbStruct, MovesRowsUpAndDownWithoutEverSharingAnID) {
    struct Case {
        long from, to;
        const char* order;
        const char* moves;
    } const cases[] = {
        {2, 4, "1A 2C 3D 4B 5E\n", "2>6 3>2 4>3 6>4\n"},
        {4, 2, "1A 2D 3B 4C 5E\n", "4>6 3>4 2>3 6>2\n"},
        {3, 3, "1A 2B 3C 4D 5E\n", "3>6 6>3\n"},
        {1, 5, "1B 2C 3D 4E 5A\n", "1>6 2>1 3>2 4>3 5>4 6>5\n"},
    };
    for (const Case& c : cases) {
        PipeTable t;
        t.row.SetID(c.from);
        EXPECT_EQ(t.row.UpdateID(c.to), 1) << c.from << "->" << c.to << " " << t.row.GetLastError();
        EXPECT_EQ(t.row.GetID(), c.from);  // the caller moves the object's ID itself
        EXPECT_EQ(t.Order(), c.order);
        EXPECT_EQ(t.Moves(), c.moves);
    }
}

TEST(DbStruct, ShiftsOpenRangesFromTheFarEnd) {
    PipeTable t;
    EXPECT_EQ(t.row.IncreaseID(3, -1, &t.db), 1);
    EXPECT_EQ(t.Moves(), "5>6 4>5 3>4\n");
    EXPECT_EQ(t.Order(), "1A 2B 4C 5D 6E\n");
    Sql(t.db, "DELETE FROM Moves");
    Sql(t.db, "UPDATE Pipe SET ID = 3 WHERE ID = 2");
    Sql(t.db, "UPDATE Pipe SET ID = 2 WHERE ID = 1");
    Sql(t.db, "DELETE FROM Moves");
    EXPECT_EQ(t.row.DecreaseID(-1, 3, &t.db), 1);
    EXPECT_EQ(t.Moves(), "2>1 3>2\n");
    EXPECT_EQ(t.Order(), "1A 2B 4C 5D 6E\n");
    EXPECT_EQ(t.row.DecreaseID(5, 6, &t.db), 0);    // 4 is taken: the engine refuses both steps
    EXPECT_EQ(t.Order(), "1A 2B 4C 5D 6E\n");
}

TEST(DbStruct, UnsortableTypesAndMissingRowsChangeNothing) {
    PipeTable t;
    t.row.sortable = 0;
    t.row.SetID(2);
    EXPECT_EQ(t.row.UpdateID(4), 0);
    t.row.sortable = 1;
    t.row.SetID(9);
    EXPECT_EQ(t.row.UpdateID(2), 0);
    EXPECT_EQ(t.Order(), "1A 2B 3C 4D 5E\n");
    EXPECT_EQ(t.Moves(), "\n");
}

TEST(DbStruct, ReadsUpdatesInsertsAndRemovesItsRow) {
    PipeTable t;
    const std::string noData = Bytes({0xCE, 0xDE, 0xB7, 0xA8, 0xD5, 0xD2, 0xB5, 0xBD, 0xC6, 0xA5, 0xC5, 0xE4, 0xCA, 0xFD, 0xBE, 0xDD, 0xA1, 0xA3});
    EXPECT_EQ(t.row.ReadData(9), 0);
    EXPECT_EQ(t.row.GetLastError().str(), noData);

    ASSERT_EQ(t.row.ReadData(2), 1);
    EXPECT_EQ(t.row.name, "B");
    EXPECT_EQ(t.row.GetVersion(), 5);
    EXPECT_EQ(t.row.IsDefaultData(), 1);
    t.row.name = "B2";
    EXPECT_EQ(t.row.UpdateData(2), 1);
    EXPECT_EQ(t.row.IsDefaultData(), 0);  // every update makes user data
    EXPECT_EQ(Shell(t.path, "SELECT Version, Name FROM Pipe WHERE ID = 2"), "0|B2\n");
    EXPECT_EQ(t.row.UpdateData(9), 0);

    PipeRow fresh;
    fresh.defaultDb = &t.db;
    fresh.name = "F";
    fresh.SetVersion(3);
    ASSERT_EQ(fresh.InsertData(), 1) << fresh.GetLastError();
    EXPECT_EQ(fresh.GetID(), 6);  // numbered by the database
    EXPECT_EQ(Shell(t.path, "SELECT Version, Name FROM Pipe WHERE ID = 6"), "0|F\n");

    EXPECT_EQ(t.row.RemoveData(3), 1);
    EXPECT_EQ(t.row.RemoveData(3), 0);
    EXPECT_EQ(t.Order(), "1A 2B2 4D 5E 6F\n");  // no renumbering
}

// A column the table lacks cannot be read, and the member keeps what it held before the call.
TEST(DbStruct, ColumnsTheTableLacksLeaveTheirMembers) {
    Fixture noVersion;
    Sql(noVersion.db, "CREATE TABLE Pipe (ID COUNTER, Name TEXT(20))");
    Sql(noVersion.db, "INSERT INTO Pipe (Name) VALUES ('A')");
    PipeRow row;
    row.defaultDb = &noVersion.db;
    row.SetVersion(7);
    ASSERT_EQ(row.ReadData(1), 1) << row.GetLastError();
    EXPECT_EQ(row.GetID(), 1);
    EXPECT_EQ(row.name, "A");
    EXPECT_EQ(row.GetVersion(), 7);

    Fixture noId;
    Sql(noId.db, "CREATE TABLE Pipe (Code COUNTER, Version SHORT, Name TEXT(20))");
    PipeRow fresh;
    fresh.defaultDb = &noId.db;
    fresh.SetID(42);
    fresh.name = "F";
    ASSERT_EQ(fresh.InsertData(), 1) << fresh.GetLastError();
    EXPECT_EQ(fresh.GetID(), 42);
    EXPECT_EQ(Shell(noId.path, "SELECT Code, Version, Name FROM Pipe"), "1|0|F\n");
}

TEST(DbStruct, ExplainsAMissingOrClosedDatabase) {
    PipeRow orphan;
    EXPECT_EQ(orphan.ReadData(1), 0);
    EXPECT_EQ(orphan.GetLastError().str(), Bytes({0xB5, 0xB1, 0xC7, 0xB0, 0xCE, 0xDE, 0xBF, 0xC9, 0xD3, 0xC3, 0xCA, 0xFD, 0xBE,
                                                  0xDD, 0xBF, 0xE2, 0xC1, 0xAC, 0xBD, 0xD3, 0xA1, 0xA3}));
    CADODatabase closed;
    EXPECT_EQ(orphan.InsertData(&closed), 0);
    EXPECT_EQ(orphan.GetLastError().str(), Bytes({0xCE, 0xDE, 0xB7, 0xA8, 0xB4, 0xF2, 0xBF, 0xAA, 0xB5, 0xB1, 0xC7, 0xB0, 0xC1,
                                                  0xAC, 0xBD, 0xD3, 0xCA, 0xFD, 0xBE, 0xDD, 0xBF, 0xE2, 0xA1, 0xA3}));
    PipeTable t;
    Sql(t.db, "DROP TABLE Pipe");
    EXPECT_EQ(t.row.ReadData(1), 0);
    EXPECT_EQ(t.row.GetLastError().Find("Query = select * from Pipe where ID=1\nCADORecordset Error\n"), 0);
}

}  // namespace
