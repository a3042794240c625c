#include <functional>
#include <initializer_list>

#include "AdoTestUtil.h"

namespace {

using namespace adotest;

class Stock : public ::testing::Test {
protected:
    void SetUp() override {
        db = dir.Touch("stock.mdb");
        conn = Connect(db);
        Exec(conn, "CREATE TABLE Item (ID COUNTER, Code TEXT(8) NOT NULL, Qty LONG DEFAULT 5, Cost DECIMAL(10,2), Made DATETIME)");
        Exec(conn, "INSERT INTO Item (Code, Qty) VALUES ('A', 1); INSERT INTO Item (Code, Qty) VALUES ('B', 2)");
    }
    TempDir dir;
    std::string db;
    _ConnectionPtr conn;
};

TEST_F(Stock, RefusedWritesSayWhy) {
    struct Case {
        const char* what;
        std::function<void()> act;
        std::uint32_t hr;
    };
    _RecordsetPtr ro = OpenRs(conn, "select * from Item", adOpenStatic, adLockReadOnly);
    _RecordsetPtr join = OpenRs(conn, "select a.ID, b.Code from Item a, Item b where a.ID = b.ID");
    _RecordsetPtr grouped = OpenRs(conn, "select Code, count(*) as N from Item group by Code");
    _RecordsetPtr rw = OpenRs(conn, "select * from Item order by ID");
    const Case cases[] = {
        {"read-only lock", [&] { ro->GetFields()->GetItem("Qty")->PutValue(3L); }, adErrFeatureNotAvailable},
        {"read-only AddNew", [&] { ro->AddNew(); }, adErrFeatureNotAvailable},
        {"two tables", [&] { join->GetFields()->GetItem("Code")->PutValue("x"); }, adErrFeatureNotAvailable},
        {"grouped rows", [&] { grouped->Delete(adAffectCurrent); }, adErrFeatureNotAvailable},
        {"text too long", [&] { rw->GetFields()->GetItem("Code")->PutValue("123456789"); }, DB_E_ERRORSOCCURRED},
        {"not a date", [&] { rw->GetFields()->GetItem("Made")->PutValue("someday"); }, DB_E_ERRORSOCCURRED},
        {"group delete", [&] { rw->Delete(adAffectAll); }, adErrFeatureNotAvailable},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.act), c.hr) << c.what;
    rw->CancelUpdate();
    // A NOT NULL column left empty is refused by the engine when the row is written.
    rw->AddNew();
    std::string d;
    EXPECT_EQ(ErrorOf([&] { rw->Update(); }, &d), DB_E_INTEGRITYVIOLATION);
    EXPECT_NE(d.find("Item.Code"), std::string::npos) << d;
    rw->CancelUpdate();
    EXPECT_EQ(rw->GetRecordCount(), 2);
}

TEST_F(Stock, DefaultsAndImmediateAddNewReadBack) {
    _RecordsetPtr rs = OpenRs(conn, "select * from Item");
    rs->AddNew("Code", "C");
    EXPECT_EQ(rs->GetEditMode(), adEditNone) << "AddNew with values writes at once";
    EXPECT_EQ(Long(rs, "ID"), 3);
    EXPECT_EQ(Long(rs, "Qty"), 5) << "the column default is read back";
    rs->GetFields()->GetItem("Cost")->PutValue(12.345);
    EXPECT_EQ(rs->GetEditMode(), adEditInProgress);
    EXPECT_EQ(rs->GetFields()->GetItem("Cost")->GetOriginalValue().vt, VT_NULL);
    rs->Update();
    _RecordsetPtr check = OpenRs(conn, "select Cost from Item where ID = 3");
    _variant_t cost = Val(check, "Cost");
    ASSERT_EQ(cost.vt, VT_DECIMAL);
    EXPECT_EQ(NUVCom::DecimalToString(cost.decVal), "12.345");
    EXPECT_EQ(check->GetFields()->GetItem("Cost")->GetPrecision(), 10);
    EXPECT_EQ(check->GetFields()->GetItem("Cost")->GetNumericScale(), 2);
    rs->PutCollect("Qty", 9L);
    rs->Update();
    EXPECT_EQ(static_cast<long>(rs->GetCollect(2L)), 9);
}

// A variant array of the given values (field names or values).
_variant_t Array(std::initializer_list<_variant_t> items) {
    SAFEARRAY* a = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<std::uint32_t>(items.size()));
    std::int32_t i = 0;
    for (const _variant_t& v : items) {
        SafeArrayPutElement(a, &i, &v);
        ++i;
    }
    _variant_t out;
    out.vt = VT_ARRAY | VT_VARIANT;
    out.parray = a;
    return out;
}

// Fields and values go in pairs: arrays of different lengths, or an array with a single value,
// are refused before anything changes (no row added, nothing written).
TEST_F(Stock, FieldAndValueArraysMustPair) {
    _RecordsetPtr rs = OpenRs(conn, "select * from Item");
    struct Case {
        const char* what;
        _variant_t fields, values;
    } const cases[] = {
        {"more fields than values", Array({"Code", "Qty"}), Array({"Z"})},
        {"more values than fields", Array({"Code"}), Array({"Z", 7L})},
        {"fields without values", Array({"Code", "Qty"}), _variant_t("Z")},
        {"one field, an array of values", _variant_t("Code"), Array({"Z", "Y"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ErrorOf([&] { rs->AddNew(c.fields, c.values); }), static_cast<std::uint32_t>(adErrInvalidArgument));
        EXPECT_EQ(rs->GetEditMode(), adEditNone);
        EXPECT_EQ(rs->GetRecordCount(), 2);
        rs->MoveFirst();
        EXPECT_EQ(ErrorOf([&] { rs->Update(c.fields, c.values); }), static_cast<std::uint32_t>(adErrInvalidArgument));
        EXPECT_EQ(rs->GetEditMode(), adEditNone);
    }
    EXPECT_EQ(Shell(db, "SELECT Code, Qty FROM Item ORDER BY ID"), "A|1\nB|2\n");
    rs->AddNew(Array({"Code", "Qty"}), Array({"Z", 7L}));
    rs->MoveFirst();
    rs->Update(Array({"Qty", "Code"}), Array({3L, "Q"}));
    EXPECT_EQ(Shell(db, "SELECT Code, Qty FROM Item ORDER BY ID"), "Q|3\nB|2\nZ|7\n");
}

TEST_F(Stock, ChangedOrDeletedRowsAreNotOverwrittenBlindly) {
    _RecordsetPtr rs = OpenRs(conn, "select Code, Qty from Item order by Code");  // no key in the rows
    Exec(conn, "UPDATE Item SET Qty = 7 WHERE Code = 'A'");
    rs->GetFields()->GetItem("Qty")->PutValue(3L);
    std::string d;
    EXPECT_EQ(ErrorOf([&] { rs->Update(); }, &d), DB_E_CANTUPDATE) << "the row read as A/1 is gone";
    EXPECT_NE(d.find("cannot be located"), std::string::npos);
    rs->CancelUpdate();
    _RecordsetPtr keyed = OpenRs(conn, "select * from Item order by ID");
    Exec(conn, "DELETE FROM Item WHERE ID = 1");
    EXPECT_EQ(ErrorOf([&] { keyed->Delete(adAffectCurrent); }), DB_E_CANTUPDATE);
    keyed->Requery(-1);
    EXPECT_EQ(keyed->GetRecordCount(), 1);
}

TEST_F(Stock, TransactionsCoverRecordSetWrites) {
    _RecordsetPtr rs = OpenRs(conn, "select * from Item order by ID");
    conn->BeginTrans();
    rs->GetFields()->GetItem("Qty")->PutValue(100L);
    rs->Update();
    rs->AddNew("Code", "Z");
    conn->RollbackTrans();
    _RecordsetPtr check = OpenRs(conn, "select sum(Qty) as S, count(*) as N from Item");
    EXPECT_EQ(Long(check, "S"), 3);
    EXPECT_EQ(Long(check, "N"), 2);
}

TEST_F(Stock, ReadOnlyModeAndClosedConnections) {
    _ConnectionPtr ro;
    ro.CreateInstance(CLSID_Connection);
    ro->Open(("Provider=Microsoft.Jet.OLEDB.4.0;Mode=Read;Data Source=" + db).c_str(), "", "", -1);
    std::string d;
    EXPECT_EQ(ErrorOf([&] { Exec(ro, "DELETE FROM Item"); }, &d), 0x80004005u);
    EXPECT_NE(d.find("read-only"), std::string::npos) << d;
    _RecordsetPtr rs = OpenRs(conn, "select * from Item order by ID");
    conn->Close();
    EXPECT_EQ(Long(rs, "ID"), 1) << "rows already read stay readable";
    EXPECT_EQ(ErrorOf([&] { rs->GetFields()->GetItem("Qty")->PutValue(1L); }), adErrInvalidConnection);
    EXPECT_EQ(ErrorOf([&] { rs->Requery(-1); }), adErrInvalidConnection);
    EXPECT_EQ(ErrorOf([&] { Exec(conn, "select 1"); }), adErrObjectClosed);
}

TEST_F(Stock, ExecuteResultsFollowTheCursorLocation) {
    _RecordsetPtr server = conn->Execute("select * from Item", nullptr, adCmdText);
    EXPECT_EQ(server->GetCursorType(), adOpenForwardOnly);
    EXPECT_EQ(server->GetRecordCount(), -1);
    conn->PutCursorLocation(adUseClient);
    _RecordsetPtr client = conn->Execute("select * from Item", nullptr, adCmdText);
    EXPECT_EQ(client->GetRecordCount(), 2);
    EXPECT_EQ(client->GetLockType(), adLockReadOnly);
    EXPECT_EQ(conn->Execute("select * from Item", nullptr, adExecuteNoRecords), nullptr);
}

TEST_F(Stock, MoveCountsFromBookmarksAndClampsAtTheEnds) {
    Exec(conn, "INSERT INTO Item (Code) VALUES ('C'); INSERT INTO Item (Code) VALUES ('D')");
    _RecordsetPtr rs = OpenRs(conn, "select ID from Item order by ID");
    rs->Move(2);
    EXPECT_EQ(Long(rs, "ID"), 3);
    _variant_t mark = rs->GetBookmark();
    rs->Move(-1, _variant_t(static_cast<long>(adBookmarkLast)));
    EXPECT_EQ(Long(rs, "ID"), 3);
    rs->Move(1, mark);
    EXPECT_EQ(Long(rs, "ID"), 4);
    rs->Move(10);
    EXPECT_TRUE(rs->GetEndOfFile());
    rs->Move(-10, _variant_t(static_cast<long>(adBookmarkFirst)));
    EXPECT_TRUE(rs->GetBOF());
    EXPECT_EQ(ErrorOf([&] { rs->Move(1); }), adErrNoCurrentRecord);
}

// A counter numbers the rows a statement or a record set inserts without a value, whichever
// column is the key, and a counter that is the key never hands out a number again.
TEST(Counters, NumberNewRowsWhateverTheKey) {
    TempDir dir;
    std::string db = dir.Touch("counters.mdb");
    _ConnectionPtr conn = Connect(db);
    Exec(conn, "CREATE TABLE K (Code TEXT(10) PRIMARY KEY, ID COUNTER, Name TEXT(20))");
    Exec(conn, "CREATE TABLE [Pipe Run] ([No] COUNTER, A LONG, B LONG, CONSTRAINT pk PRIMARY KEY (A, B))");
    Exec(conn, "CREATE TABLE Own (ID COUNTER PRIMARY KEY, Name TEXT(20))");
    Exec(conn, "INSERT INTO K (Code, Name) VALUES ('a', 'x'); INSERT INTO K (Code, Name) VALUES ('b', 'y')");
    Exec(conn, "INSERT INTO K (Code, ID) VALUES ('z', 10)");  // a value given is kept
    Exec(conn, "INSERT INTO [Pipe Run] (A, B) VALUES (1, 1); INSERT INTO [Pipe Run] (A, B) VALUES (1, 2)");
    Exec(conn, "INSERT INTO Own (Name) VALUES ('p'); INSERT INTO Own (Name) VALUES ('q'); DELETE FROM Own WHERE ID = 2");
    Exec(conn, "INSERT INTO Own (Name) VALUES ('r')");

    _RecordsetPtr rs = OpenRs(conn, "select * from K", adOpenKeyset);
    EXPECT_NE(rs->GetFields()->GetItem("ID")->GetAttributes() & adFldKeyColumn, adFldKeyColumn);
    rs->AddNew();
    rs->PutCollect("Code", _variant_t("c"));
    rs->Update();
    EXPECT_EQ(Long(rs, "ID"), 11);
    int status = -1;
    EXPECT_EQ(Shell(db, "SELECT Code || ID FROM K ORDER BY ID", &status), "a1\nb2\nz10\nc11\n");
    EXPECT_EQ(Shell(db, "SELECT A || B || '=' || No FROM [Pipe Run] ORDER BY No", &status), "11=1\n12=2\n");
    EXPECT_EQ(Shell(db, "SELECT group_concat(Name || ID) FROM Own", &status), "p1,r3\n");
}

// A new row is read back from the table, whichever way the table locates its rows: by row id, or
// in a table without row ids by the key written; a row that vanished on the way is reported.
TEST(ReadBack, NewRowsAreReadFromTheTable) {
    TempDir dir;
    std::string db = dir.Touch("readback.mdb");
    _ConnectionPtr conn = Connect(db);
    Exec(conn, "CREATE TABLE Spec (Code TEXT(8) PRIMARY KEY, Qty LONG DEFAULT 5) WITHOUT ROWID");
    Exec(conn, "CREATE TABLE Log (Code TEXT(8), Qty LONG DEFAULT 7)");
    Exec(conn, "CREATE TABLE Gone (Code TEXT(8), Qty LONG DEFAULT 7)");
    Exec(conn, "CREATE TRIGGER vanish AFTER INSERT ON Gone BEGIN DELETE FROM Gone; END");

    _RecordsetPtr spec = OpenRs(conn, "select * from Spec", adOpenKeyset);
    ADO_TRY(spec->AddNew("Code", "S1"));
    EXPECT_EQ(Long(spec, "Qty"), 5) << "the default comes from the table";
    _RecordsetPtr log = OpenRs(conn, "select * from Log", adOpenKeyset);
    ADO_TRY(log->AddNew("Code", "L1"));
    EXPECT_EQ(Long(log, "Qty"), 7);
    _RecordsetPtr gone = OpenRs(conn, "select * from Gone", adOpenKeyset);
    std::string d;
    EXPECT_EQ(ErrorOf([&] { gone->AddNew("Code", "G1"); }, &d), static_cast<std::uint32_t>(DB_E_CANTUPDATE));
    EXPECT_NE(d.find("reading back"), std::string::npos) << d;
    int status = -1;
    EXPECT_EQ(Shell(db, "SELECT Code || Qty FROM Spec", &status), "S15\n");
}

// Rows of a join take changes when each table written to has its whole primary key in the rows;
// one change touching two tables is written to both or neither.
TEST(Joins, ChangesGoToEachTableByItsKey) {
    TempDir dir;
    std::string db = dir.Touch("joins.mdb");
    _ConnectionPtr conn = Connect(db);
    Exec(conn, "CREATE TABLE DuctType (TypeID COUNTER, Name TEXT(20) UNIQUE, Roughness DOUBLE)");
    Exec(conn, "CREATE TABLE Duct (ID COUNTER, TypeID LONG, Len DOUBLE)");
    Exec(conn, "INSERT INTO DuctType (Name, Roughness) VALUES ('Galvanised', 0.00015); "
               "INSERT INTO DuctType (Name, Roughness) VALUES ('PVC', 0.0000015)");
    Exec(conn, "INSERT INTO Duct (TypeID, Len) VALUES (1, 10); INSERT INTO Duct (TypeID, Len) VALUES (1, 5); "
               "INSERT INTO Duct (TypeID, Len) VALUES (2, 7)");
    _RecordsetPtr rs = OpenRs(conn,
                              "select d.ID, d.Len, t.TypeID, t.Name, d.Len * 2 as Twice from Duct d inner join DuctType t "
                              "on d.TypeID = t.TypeID order by d.ID");
    FieldsPtr f = rs->GetFields();
    EXPECT_TRUE(f->GetItem("Len")->GetAttributes() & adFldUpdatable);
    EXPECT_TRUE(f->GetItem("Name")->GetAttributes() & adFldUpdatable);
    EXPECT_FALSE(f->GetItem("Twice")->GetAttributes() & adFldUpdatable);
    f->GetItem("Len")->PutValue(12.0);
    f->GetItem("Name")->PutValue("Galv.");
    rs->Update();
    int status = -1;
    EXPECT_EQ(Shell(db, "SELECT group_concat(ID || ':' || Len) FROM Duct; SELECT group_concat(Name) FROM DuctType", &status),
              "1:12.0,2:5.0,3:7.0\nGalv.,PVC\n");

    struct Refused {
        const char* what;
        std::function<void()> act;
        std::uint32_t hr;
    } const refused[] = {
        {"AddNew", [&] { rs->AddNew(); }, adErrFeatureNotAvailable},
        {"Delete", [&] { rs->Delete(adAffectCurrent); }, adErrFeatureNotAvailable},
        {"expression", [&] { f->GetItem("Twice")->PutValue(1L); }, DB_E_ERRORSOCCURRED},
    };
    for (const Refused& r : refused) EXPECT_EQ(ErrorOf(r.act), r.hr) << r.what;

    // The second table's change fails (a name already taken): the first table's is undone.
    rs->MoveNext();
    f->GetItem("Len")->PutValue(99.0);
    f->GetItem("Name")->PutValue("PVC");
    EXPECT_EQ(ErrorOf([&] { rs->Update(); }), static_cast<std::uint32_t>(DB_E_INTEGRITYVIOLATION));
    rs->CancelUpdate();
    EXPECT_EQ(Shell(db, "SELECT Len FROM Duct WHERE ID = 2", &status), "5.0\n");

    // Without a table's key in the rows its columns stay read-only; a table named twice has no
    // rows of its own to write.
    _RecordsetPtr noKey = OpenRs(conn, "select d.ID, d.Len, t.Name from Duct d, DuctType t where d.TypeID = t.TypeID");
    std::string why;
    EXPECT_EQ(ErrorOf([&] { noKey->GetFields()->GetItem("Name")->PutValue("x"); }, &why), DB_E_ERRORSOCCURRED);
    EXPECT_NE(why.find("primary key of table 'DuctType'"), std::string::npos) << why;
    noKey->GetFields()->GetItem("Len")->PutValue(3.0);
    noKey->Update();
    EXPECT_EQ(Shell(db, "SELECT Len FROM Duct WHERE ID = 1", &status), "3.0\n");
    _RecordsetPtr self = OpenRs(conn, "select a.ID, b.Len from Duct a join Duct b on b.ID = a.ID + 1");
    EXPECT_EQ(ErrorOf([&] { self->GetFields()->GetItem("Len")->PutValue(1.0); }), adErrFeatureNotAvailable);
}

}  // namespace
