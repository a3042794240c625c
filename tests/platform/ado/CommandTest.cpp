#include "AdoTestUtil.h"
#include "ado/Database.h"
#include "ado/SqlDialect.h"
#include "ado/ConnectionString.h"
#include "ado/Criteria.h"

namespace {

using namespace adotest;

class Pipes : public ::testing::Test {
protected:
    void SetUp() override {
        conn = Connect(dir.Touch("p.mdb"));
        Exec(conn, "CREATE TABLE Pipe (ID COUNTER, DN SHORT, Kind TEXT(10))");
        Exec(conn, "INSERT INTO Pipe (DN, Kind) VALUES (15, 'steel'); INSERT INTO Pipe (DN, Kind) VALUES (20, 'steel');"
                   "INSERT INTO Pipe (DN, Kind) VALUES (25, 'copper')");
    }
    _CommandPtr Cmd(const char* text, CommandTypeEnum type) {
        _CommandPtr cmd;
        EXPECT_EQ(cmd.CreateInstance(CLSID_Command), S_OK);
        cmd->PutRefActiveConnection(conn);
        cmd->PutCommandText(text);
        cmd->PutCommandType(type);
        return cmd;
    }
    TempDir dir;
    _ConnectionPtr conn;
};

TEST_F(Pipes, TextCommandsBindParametersInOrder) {
    _CommandPtr cmd = Cmd("select ID from Pipe where DN >= ? and Kind = ? order by ID", adCmdText);
    cmd->GetParameters()->Append(cmd->CreateParameter("dn", adInteger, adParamInput, 4, 20L));
    cmd->GetParameters()->Append(cmd->CreateParameter("kind", adVarWChar, adParamInput, 10, "steel"));
    _RecordsetPtr rs = cmd->Execute(nullptr, nullptr, adCmdUnspecified);
    EXPECT_EQ(Long(rs, "ID"), 2);
    rs->MoveNext();
    EXPECT_TRUE(rs->GetEndOfFile());
    _variant_t n;
    _CommandPtr upd = Cmd("update Pipe set Kind = ? where DN < ?", adCmdText);
    upd->GetParameters()->Append(upd->CreateParameter("k", adVarWChar, adParamInput, 10, "pvc"));
    upd->GetParameters()->Append(upd->CreateParameter("d", adSmallInt, adParamInput, 2, short(25)));
    upd->Execute(&n, nullptr, adExecuteNoRecords);
    EXPECT_EQ(n.lVal, 2);
    EXPECT_EQ(ErrorOf([&] { upd->GetParameters()->GetItem(0L)->PutValue("not a number"); }), 0u) << "texts fit text parameters";
    EXPECT_EQ(ErrorOf([&] { upd->GetParameters()->GetItem("d")->PutValue("many"); }), adErrDataConversion);
    _CommandPtr missing = Cmd("select * from Pipe where DN = ?", adCmdText);
    EXPECT_EQ(ErrorOf([&] { missing->Execute(nullptr, nullptr, adCmdUnspecified); }), DB_E_PARAMNOTOPTIONAL);
}

TEST_F(Pipes, StoredProceduresLiveInTheCatalogueAndRunByName) { ADO_TRY({
    Exec(conn, "CREATE PROCEDURE PipesOfKind (pKind TEXT(10), pMin SHORT) AS "
               "SELECT ID, DN FROM Pipe WHERE Kind = pKind AND DN >= pMin ORDER BY DN DESC");
    Exec(conn, "CREATE PROC RenameKind ([old], [new]) AS UPDATE Pipe SET Kind = [new] WHERE Kind = [old]");
    _CommandPtr cmd = Cmd("PipesOfKind", adCmdStoredProc);
    cmd->GetParameters()->Append(cmd->CreateParameter("a", adVarWChar, adParamInput, 10, "steel"));
    cmd->GetParameters()->Append(cmd->CreateParameter("b", adSmallInt, adParamInput, 2, short(15)));
    _RecordsetPtr rs = cmd->Execute(nullptr, nullptr, adCmdText);  // the command's own type decides
    EXPECT_EQ(Long(rs, "DN"), 20);
    // Parameters given with the call take the place of the collection's.
    SAFEARRAY* a = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    _variant_t p0("copper"), p1(short(1));
    std::int32_t i = 0;
    SafeArrayPutElement(a, &i, &p0);
    i = 1;
    SafeArrayPutElement(a, &i, &p1);
    _variant_t args(a);
    rs = cmd->Execute(nullptr, &args, adCmdStoredProc);
    EXPECT_EQ(Long(rs, "DN"), 25);

    _CommandPtr ren = Cmd("RenameKind", adCmdStoredProc);
    ren->GetParameters()->Append(ren->CreateParameter("o", adVarWChar, adParamInput, 10, "steel"));
    ren->GetParameters()->Append(ren->CreateParameter("n", adVarWChar, adParamInput, 10, "iron"));
    _variant_t n;
    ren->Execute(&n, nullptr, adCmdStoredProc);
    EXPECT_EQ(n.lVal, 2);
    // A record set opened on a procedure name runs it as well.
    _RecordsetPtr open;
    open.CreateInstance(CLSID_Recordset);
    std::string d;
    EXPECT_EQ(ErrorOf([&] { open->Open("PipesOfKind", _variant_t(static_cast<IDispatch*>(conn.GetInterfacePtr())), adOpenStatic,
                                       adLockReadOnly, adCmdStoredProc); }),
              DB_E_PARAMNOTOPTIONAL);
    _RecordsetPtr procs = conn->OpenSchema(adSchemaProcedures);
    EXPECT_EQ(procs->GetRecordCount(), 2);
    Exec(conn, "DROP PROCEDURE RenameKind");
    EXPECT_EQ(ErrorOf([&] { ren->Execute(nullptr, nullptr, adCmdStoredProc); }, &d), DB_E_NOTABLE);
    EXPECT_NE(d.find("'RenameKind'"), std::string::npos);
    EXPECT_EQ(ErrorOf([&] { Exec(conn, "CREATE PROCEDURE Bad SELECT 1"); }), DB_E_ERRORSINCOMMAND);
    })
}

TEST_F(Pipes, TableOptionsAndUnknownTextDecide) {
    _RecordsetPtr rs;
    rs.CreateInstance(CLSID_Recordset);
    rs->Open("Pipe", _variant_t(static_cast<IDispatch*>(conn.GetInterfacePtr())), adOpenKeyset, adLockOptimistic, adCmdTable);
    EXPECT_EQ(rs->GetRecordCount(), 3);
    EXPECT_EQ(rs->GetCursorType(), adOpenKeyset);
    rs->Close();
    rs->Open("  SELECT * from Pipe where DN = 15", _variant_t(static_cast<IDispatch*>(conn.GetInterfacePtr())), adOpenStatic,
             adLockOptimistic, adCmdUnknown);
    EXPECT_EQ(rs->GetRecordCount(), 1);
    rs->Close();
    EXPECT_EQ(ErrorOf([&] { rs->Open("Nothing", _variant_t(static_cast<IDispatch*>(conn.GetInterfacePtr())), adOpenStatic,
                                     adLockOptimistic, adCmdTable); }),
              DB_E_NOTABLE);
    EXPECT_EQ(ErrorOf([&] { rs->GetRecordCount(); }), adErrObjectClosed);
    _RecordsetPtr noRows = conn->Execute("UPDATE Pipe SET DN = DN", nullptr, adCmdText);
    EXPECT_EQ(noRows->GetState(), adStateClosed);
}

// A record set's source and a command's text are resolved by one rule: the same text, with the
// same command type, reads the same rows (or fails the same way) through either.
TEST_F(Pipes, RecordSetsAndCommandsResolveTextAlike) {
    Exec(conn, "CREATE TABLE [Pipe Fittings] (ID COUNTER, Name TEXT(10))");
    Exec(conn, "INSERT INTO [Pipe Fittings] (Name) VALUES ('elbow')");
    Exec(conn, "CREATE PROCEDURE SteelPipes AS SELECT * FROM Pipe WHERE Kind = 'steel'");
    struct Case {
        const char* text;
        CommandTypeEnum type;
        long rows;           // -1: refused
        std::uint32_t error;
    } const cases[] = {
        {"Pipe", adCmdTable, 3, 0},
        {"  Pipe  ", adCmdTable, 3, 0},
        {"[Pipe Fittings]", adCmdTable, 1, 0},
        {"Nothing", adCmdTable, -1, DB_E_NOTABLE},
        {"SteelPipes", adCmdStoredProc, 2, 0},
        {"[SteelPipes]", adCmdStoredProc, 2, 0},
        {"Pipe", adCmdStoredProc, 3, 0},
        {"Nothing", adCmdStoredProc, -1, DB_E_NOTABLE},
        {"SteelPipes", adCmdUnknown, 2, 0},
        {" Pipe", adCmdUnknown, 3, 0},
        {"[Pipe Fittings]", adCmdUnknown, 1, 0},
        {"select * from Pipe where DN > 15", adCmdUnknown, 2, 0},
        {"select * from Pipe", adCmdText, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + std::to_string(c.type));
        long viaRecordset = -1, viaCommand = -1;
        std::string rsWhy, cmdWhy;
        std::uint32_t rsError = ErrorOf([&] {
            _RecordsetPtr rs;
            rs.CreateInstance(CLSID_Recordset);
            rs->Open(c.text, _variant_t(static_cast<IDispatch*>(conn.GetInterfacePtr())), adOpenStatic, adLockReadOnly, c.type);
            viaRecordset = rs->GetRecordCount();
        }, &rsWhy);
        std::uint32_t cmdError = ErrorOf([&] {
            conn->PutCursorLocation(adUseClient);
            _RecordsetPtr rs = Cmd(c.text, c.type)->Execute(nullptr, nullptr, c.type);
            viaCommand = rs->GetRecordCount();
        }, &cmdWhy);
        EXPECT_EQ(rsError, c.error) << rsWhy;
        EXPECT_EQ(cmdError, c.error) << cmdWhy;
        EXPECT_EQ(rsWhy, cmdWhy);
        if (c.rows >= 0) {
            EXPECT_EQ(viaRecordset, c.rows);
            EXPECT_EQ(viaCommand, c.rows);
        }
    }
}

// The procedure catalogue is a table users can edit: a procedure left without a body, or a
// catalogue whose layout was changed, gives a clear error instead of undefined behaviour.
TEST_F(Pipes, AHandEditedProcedureCatalogueFailsCleanly) {
    Exec(conn, "CREATE TABLE NUV_Procedures (Name VARCHAR(64), Parameters LONGTEXT, Body LONGTEXT)");
    Exec(conn, "INSERT INTO NUV_Procedures (Name, Parameters, Body) VALUES ('Empty', NULL, NULL)");
    std::string why;
    EXPECT_EQ(ErrorOf([&] { Cmd("Empty", adCmdStoredProc)->Execute(nullptr, nullptr, adCmdStoredProc); }, &why),
              DB_E_ERRORSINCOMMAND);
    EXPECT_NE(why.find("'Empty' has no body"), std::string::npos) << why;
    _RecordsetPtr listed = conn->OpenSchema(adSchemaProcedures);
    EXPECT_EQ(Text(listed, "PROCEDURE_NAME"), "Empty");
    EXPECT_EQ(Text(listed, "PROCEDURE_DEFINITION"), "");

    Exec(conn, "DROP TABLE NUV_Procedures");
    Exec(conn, "CREATE TABLE NUV_Procedures (Name VARCHAR(64), Sql LONGTEXT)");
    EXPECT_NE(ErrorOf([&] { Cmd("Anything", adCmdStoredProc)->Execute(nullptr, nullptr, adCmdStoredProc); }, &why), 0u);
    EXPECT_NE(why.find("Parameters"), std::string::npos) << "the engine names the missing column: " << why;
}

TEST(AdoParsers, ConnectionStringPairs) {
    struct Case {
        const char* text;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"Provider=X;Data Source=C:\\a b\\c.mdb;", "data source", "C:\\a b\\c.mdb"},
        {"Data Source = ' spaced; name ' ;", "Data Source", " spaced; name "},
        {"Jet OLEDB:Database Password=\"a\"\"b\"", "jet oledb:database password", "a\"b"},
        {"A=1;A=2", "A", "2"},
        {";;Mode=Read;", "mode", "Read"},
        {"Empty=;", "Empty", ""},
    };
    for (const auto& c : cases) {
        ConnectionString cs;
        ASSERT_TRUE(cs.Parse(c.text)) << c.text;
        const std::string* v = cs.Find(c.key);
        ASSERT_NE(v, nullptr) << c.text;
        EXPECT_EQ(*v, c.value) << c.text;
    }
    const char* bad[] = {"Data Source='x", "=value", "NoEquals", "A='x' y"};
    for (const char* b : bad) EXPECT_FALSE(ConnectionString().Parse(b)) << b;
}

// A value put through QuoteValue comes back whole, and never adds or changes another key.
TEST(AdoParsers, QuotedValuesComeBackUnchanged) {
    struct Case {
        const char* value;
        const char* written;  // typed by hand from the grammar
    } const cases[] = {
        {"C:\\a b\\x.mdb", "C:\\a b\\x.mdb"},
        {"", ""},
        {"x;Data Source=other.mdb", "\"x;Data Source=other.mdb\""},
        {"a;b=c", "\"a;b=c\""},
        {"say \"hi\"; bye", "'say \"hi\"; bye'"},
        {"it's; \"both\"", "\"it's; \"\"both\"\"\""},
        {"'lead", "\"'lead\""},
        {"\"lead", "'\"lead'"},
        {" blank", "\" blank\""},
        {"blank\t", "\"blank\t\""},
        {"mid'dle\"quote", "mid'dle\"quote"},
        {"a=b", "a=b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ConnectionString::QuoteValue(c.value), c.written);
        ConnectionString cs;
        ASSERT_TRUE(cs.Parse("Provider=P;Data Source=" + ConnectionString::QuoteValue(c.value) + ";Mode=Read"));
        ASSERT_EQ(cs.Pairs().size(), 3u);
        EXPECT_EQ(*cs.Find("Data Source"), c.value);
        EXPECT_EQ(*cs.Find("Mode"), "Read");
    }
}

TEST(AdoParsers, DesktopSqlIsRewrittenOnlyOutsideTextsAndComments) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"CREATE TABLE T (ID COUNTER, Note MEMO)", "CREATE TABLE T (ID INTEGER PRIMARY KEY AUTOINCREMENT, Note LONGTEXT)"},
        {"CREATE TABLE T (ID COUNTER(1,1) CONSTRAINT pk PRIMARY KEY, A LONG)",
         "CREATE TABLE T (ID INTEGER CONSTRAINT pk PRIMARY KEY AUTOINCREMENT, A LONG)"},
        {"create table T (ID counter primary key desc, A long)", "create table T (ID INTEGER primary key desc AUTOINCREMENT, A long)"},
        {"CREATE TABLE T (Code TEXT(10) PRIMARY KEY, ID COUNTER, Name TEXT(20))",
         "CREATE TABLE T (Code TEXT(10) PRIMARY KEY, ID COUNTER, Name TEXT(20));\nCREATE TRIGGER \"nuv_counter_T_ID\" AFTER INSERT "
         "ON \"T\" WHEN NEW.\"ID\" IS NULL BEGIN UPDATE \"T\" SET \"ID\" = (SELECT coalesce(max(\"ID\"), 0) + 1 FROM \"T\") "
         "WHERE rowid = NEW.rowid; END"},
        {"CREATE TABLE IF NOT EXISTS [Pipe Run] ([No] COUNTER, A LONG, CONSTRAINT pk PRIMARY KEY (A, [No])); SELECT 1",
         "CREATE TABLE IF NOT EXISTS [Pipe Run] ([No] COUNTER, A LONG, CONSTRAINT pk PRIMARY KEY (A, [No])); CREATE TRIGGER "
         "\"nuv_counter_Pipe Run_No\" AFTER INSERT ON \"Pipe Run\" WHEN NEW.\"No\" IS NULL BEGIN UPDATE \"Pipe Run\" SET "
         "\"No\" = (SELECT coalesce(max(\"No\"), 0) + 1 FROM \"Pipe Run\") WHERE rowid = NEW.rowid; END; SELECT 1"},
        {"CREATE TABLE T (ID AUTOINCREMENT, A TEXT(5), PRIMARY KEY (ID))", "CREATE TABLE T (ID INTEGER, A TEXT(5), PRIMARY KEY (ID))"},
        {"CREATE TABLE Memo (Memo MEMO, Note TEXT(5))", "CREATE TABLE Memo (Memo LONGTEXT, Note TEXT(5))"},
        {"CREATE TABLE [A B] ([Long Note] MEMO, \"C\" MEMO)", "CREATE TABLE [A B] ([Long Note] LONGTEXT, \"C\" LONGTEXT)"},
        {"select top 3 * from T where D > #2006-05-01# and s = 'a & b'",
         "select * from T where D > '2006-05-01 00:00:00' and s = 'a & b'\nLIMIT 3"},
        {"SELECT DISTINCT TOP 10 Name FROM T ORDER BY Name;", "SELECT DISTINCT Name FROM T ORDER BY Name LIMIT 10;"},
        {"select [True] from T where F = True or G = FALSE", "select [True] from T where F = 1 or G = 0"},
        {"select Left(A, 2) & 'x' from T left join U on T.a=U.a", "select NUV_LEFT(A, 2) || 'x' from T left join U on T.a=U.a"},
        {"select * from T where D = #5/1/2006 1:45:00 PM#", "select * from T where D = '2006-05-01 13:45:00'"},
        {"select '#1/1/2000#', \"it's\" from T -- True & more", "select '#1/1/2000#', \"it's\" from T -- True & more"},
        {"select a # b from T", "select a # b from T"},
    };
    for (const auto& c : cases) EXPECT_EQ(detail::TranslateSql(c.in), c.out) << c.in;
}

TEST(AdoParsers, LikePatterns) {
    struct Case {
        const char16_t* text;
        const char16_t* pattern;
        bool match;
    };
    const Case cases[] = {
        {u"Supply", u"sup*", true},   {u"Supply", u"*PLY", true},  {u"Supply", u"%pp%", true}, {u"Supply", u"S_pply", true},
        {u"Supply", u"Sup", false},   {u"", u"*", true},           {u"abcabc", u"*bc*c", true}, {u"abc", u"a*d", false},
    };
    for (const auto& c : cases) EXPECT_EQ(LikeMatch(c.text, c.pattern), c.match);
}

}  // namespace
