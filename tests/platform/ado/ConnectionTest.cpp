#include "AdoTestUtil.h"

namespace {

using namespace adotest;

TEST(AdoConnection, RefusedConnectionStringsSayWhy) {
    TempDir dir;
    std::string db = dir.Touch("a.mdb");
    struct Case {
        std::string text;
        std::uint32_t hr;
        std::string descriptionPart;
    };
    const Case cases[] = {
        {ConnStr(dir.File("missing.mdb")), 0x80004005u, "Could not find file '" + dir.File("missing.mdb") + "'."},
        {"Provider=SQLOLEDB;Data Source=" + db, adErrProviderNotFound, "SQLOLEDB"},
        {"Data Source=" + db, adErrProviderNotFound, "names none"},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source='" + db, 0x80004005u, "closing quote"},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir.File(""), 0x80004005u, "Could not find file"},
    };
    for (const auto& c : cases) {
        _ConnectionPtr conn;
        conn.CreateInstance(CLSID_Connection);
        std::string d;
        EXPECT_EQ(ErrorOf([&] { conn->Open(c.text.c_str(), "", "", -1); }, &d), c.hr) << c.text;
        EXPECT_NE(d.find(c.descriptionPart), std::string::npos) << d;
        EXPECT_EQ(conn->GetState(), adStateClosed);
    }
}

TEST(AdoConnection, EmptyFileIsAnEmptyDatabaseAndQuotedKeysParse) {
    TempDir dir;
    std::string db = dir.Touch("empty.mdb");
    _ConnectionPtr c;
    c.CreateInstance(CLSID_Connection);
    c->Open(("provider = Microsoft.Jet.OLEDB.4.0 ; DATA SOURCE=\"" + db + "\";").c_str(), "", "", -1);
    EXPECT_EQ(c->GetState(), adStateOpen);
    _RecordsetPtr t = c->OpenSchema(adSchemaTables);
    EXPECT_EQ(t->GetRecordCount(), 0);
    EXPECT_EQ(ErrorOf([&] { c->Open(ConnStr(db).c_str(), "", "", -1); }), adErrObjectOpen);
    c->Close();
    EXPECT_EQ(ErrorOf([&] { c->Close(); }), adErrObjectClosed);
}

TEST(AdoConnection, PlainFileIsReadByTheShellEncryptedFileIsNot) {
    TempDir dir;
    std::string plain = dir.Touch("plain.mdb"), secret = dir.Touch("secret.mdb");
    for (const auto& [path, pw] : {std::pair{plain, static_cast<const char*>(nullptr)}, std::pair{secret, "s3cret"}}) {
        _ConnectionPtr c = Connect(path, pw);
        Exec(c, "CREATE TABLE Duct (ID COUNTER, Name TEXT(50), Made DATETIME)");
        Exec(c, "INSERT INTO Duct (Name, Made) VALUES ('Supply duct', #2006-05-01 13:45:00#)");
        Exec(c, "INSERT INTO Duct (Name) VALUES ('Return')");
    }
    int status = -1;
    EXPECT_EQ(Shell(plain, "SELECT ID, Name, Made FROM Duct ORDER BY ID", &status), "1|Supply duct|2006-05-01 13:45:00\n2|Return|\n");
    EXPECT_EQ(status, 0);
    std::string out = Shell(secret, "SELECT Name FROM Duct", &status);
    EXPECT_NE(status, 0) << out;
    EXPECT_EQ(out.find("Supply"), std::string::npos);

    // The password is needed, and only the right one opens the file.
    std::string d;
    _ConnectionPtr c;
    c.CreateInstance(CLSID_Connection);
    EXPECT_EQ(ErrorOf([&] { c->Open(ConnStr(secret, "wrong").c_str(), "", "", -1); }, &d), DB_SEC_E_AUTH_FAILED);
    EXPECT_EQ(d, "Not a valid password.");
    EXPECT_EQ(ErrorOf([&] { c->Open(ConnStr(secret).c_str(), "", "", -1); }), DB_SEC_E_AUTH_FAILED);
    _ConnectionPtr ok = Connect(secret, "s3cret");
    _RecordsetPtr rs = OpenRs(ok, "select Name from Duct order by ID");
    EXPECT_EQ(Text(rs, "Name"), "Supply duct");
}

TEST(AdoConnection, ExecuteCountsRowsAndTransactionsNest) {
    TempDir dir;
    _ConnectionPtr c = Connect(dir.Touch("t.mdb"));
    Exec(c, "CREATE TABLE T (ID LONG PRIMARY KEY, V DOUBLE)");
    _variant_t n;
    c->Execute("INSERT INTO T VALUES (1, 1.5); INSERT INTO T VALUES (2, 2.5); UPDATE T SET V = V * 2", &n, adExecuteNoRecords);
    EXPECT_EQ(n.vt, VT_I4);
    EXPECT_EQ(n.lVal, 4);
    EXPECT_EQ(c->BeginTrans(), 1);
    Exec(c, "DELETE FROM T WHERE ID = 1");
    EXPECT_EQ(c->BeginTrans(), 2);
    Exec(c, "DELETE FROM T");
    c->RollbackTrans();
    c->CommitTrans();
    _RecordsetPtr rs = OpenRs(c, "select * from T");
    EXPECT_EQ(rs->GetRecordCount(), 1) << "inner rollback keeps the outer delete only";
    EXPECT_EQ(ErrorOf([&] { c->CommitTrans(); }), 0x8004D00Eu);
}

TEST(AdoConnection, EngineErrorsCarryProviderCodesAndSpecificDescriptions) {
    TempDir dir;
    _ConnectionPtr c = Connect(dir.Touch("e.mdb"));
    Exec(c, "CREATE TABLE Duct (ID LONG PRIMARY KEY, Name TEXT(10) NOT NULL)");
    Exec(c, "INSERT INTO Duct VALUES (1, 'a')");
    struct Case {
        const char* sql;
        std::uint32_t hr;
        const char* part;
    };
    const Case cases[] = {
        {"select * form Duct", DB_E_ERRORSINCOMMAND, "syntax error"},
        {"select * from Pipe", DB_E_NOTABLE, "'Pipe'"},
        {"select Nonesuch from Duct", DB_E_PARAMNOTOPTIONAL, "'Nonesuch'"},
        {"insert into Duct values (1, 'b')", DB_E_INTEGRITYVIOLATION, "Duct.ID"},
        {"insert into Duct (ID) values (2)", DB_E_INTEGRITYVIOLATION, "Null"},
    };
    for (const auto& k : cases) {
        std::string d;
        EXPECT_EQ(ErrorOf([&] { c->Execute(k.sql, nullptr, adCmdText); }, &d), k.hr) << k.sql;
        EXPECT_NE(d.find(k.part), std::string::npos) << d;
    }
    try {
        c->Execute("select * form Duct", nullptr, adCmdText);
        ADD_FAILURE() << "a syntax error was accepted";
    } catch (const _com_error& e) {
        EXPECT_STREQ(e.ErrorMessage(), "IDispatch error #3092");
        EXPECT_STREQ(static_cast<const char*>(e.Source()), "Microsoft JET Database Engine");
    }
}

TEST(AdoConnection, SchemaListsUserTablesAndColumns) {
    TempDir dir;
    _ConnectionPtr c = Connect(dir.Touch("s.mdb"));
    Exec(c, "CREATE TABLE B (ID COUNTER, Name TEXT(20))");
    Exec(c, "CREATE TABLE A (X SHORT)");
    Exec(c, "CREATE PROCEDURE P AS SELECT * FROM A");
    _RecordsetPtr t = c->OpenSchema(adSchemaTables);
    std::string list;
    for (; !t->GetEndOfFile(); t->MoveNext()) list += Text(t, "TABLE_NAME") + ":" + Text(t, "TABLE_TYPE") + " ";
    EXPECT_EQ(list, "A:TABLE B:TABLE NUV_Procedures:SYSTEM TABLE sqlite_sequence:SYSTEM TABLE ");
    _RecordsetPtr cols = c->OpenSchema(adSchemaColumns);
    cols->PutFilter("TABLE_NAME = 'B' AND COLUMN_NAME = 'Name'");
    ASSERT_EQ(cols->GetRecordCount(), 1);
    EXPECT_EQ(Long(cols, "DATA_TYPE"), adVarWChar);
    EXPECT_EQ(Long(cols, "CHARACTER_MAXIMUM_LENGTH"), 20);
}

TEST(AdoConnection, GbkNamesAndTextsAreStoredAsUtf8) {
    TempDir dir;
    std::string db = dir.Touch("gbk.mdb");
    _ConnectionPtr c = Connect(db);
    const std::string duct = "\xB7\xE7\xB9\xDC", width = "\xBF\xED\xB6\xC8";  // GBK: duct, width
    Exec(c, "CREATE TABLE " + duct + " (ID COUNTER, " + width + " TEXT(10))");
    Exec(c, "INSERT INTO " + duct + " (" + width + ") VALUES ('" + duct + "')");
    _RecordsetPtr rs = OpenRs(c, "select * from " + duct + " where " + width + " LIKE '" + duct.substr(0, 2) + "%'");
    ASSERT_EQ(rs->GetRecordCount(), 1);
    EXPECT_STREQ(static_cast<const char*>(rs->GetFields()->GetItem(1L)->GetName()), width.c_str());
    EXPECT_EQ(Text(rs, width.c_str()), duct);
    EXPECT_EQ(rs->GetFields()->GetItem(width.c_str())->GetActualSize(), 4) << "two UTF-16 characters";
    int status;
    EXPECT_EQ(Shell(db, "SELECT hex(name) FROM sqlite_master WHERE type = 'table' AND name <> 'sqlite_sequence'", &status),
              "E9A38EE7AEA1\n");
    EXPECT_EQ(Shell(db, "SELECT hex(\\\"\xE5\xAE\xBD\xE5\xBA\xA6\\\") FROM \\\"\xE9\xA3\x8E\xE7\xAE\xA1\\\"", &status),
              "E9A38EE7AEA1\n");
}

}  // namespace
