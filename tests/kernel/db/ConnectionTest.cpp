#include "DbTestUtil.h"

namespace {

using namespace dbtest;

// Ordinary values are written as they are; a value the grammar would read differently (a ';', a
// quote at its start, blanks at its ends) is quoted, so it cannot add a key of its own.
TEST(AccessConnectStr, PasswordKeyOnlyForANonNullPasswordAndValuesQuotedWhereNeeded) {
    struct Case {
        const char* path;
        const char* password;
        const char* expected;
    } const cases[] = {
        {"C:\\a b\\x.mdb", nullptr, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\a b\\x.mdb;Persist Security Info=False;"},
        {"C:\\a b\\x.mdb", "", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\a b\\x.mdb;Persist Security Info=False;"
                               "Jet OLEDB:Database Password="},
        {"C:\\a b\\x.mdb", "p;w", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\a b\\x.mdb;Persist Security Info=False;"
                                  "Jet OLEDB:Database Password=\"p;w\""},
        {"C:\\a;b\\x.mdb", "say \"x\"", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"C:\\a;b\\x.mdb\";"
                                          "Persist Security Info=False;Jet OLEDB:Database Password=say \"x\""},
        {"x.mdb", "'q\"", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb;Persist Security Info=False;"
                         "Jet OLEDB:Database Password=\"'q\"\"\""},
    };
    for (const Case& c : cases) EXPECT_EQ(NUV::GetAccessConnectStr(c.path, c.password), c.expected) << c.password;
}

// A password (or a file name) holding a connection string of its own neither redirects the
// connection to another file nor shortens the key the database is encrypted with.
TEST(AccessConnectStr, AValueCannotRedirectTheConnection) {
    TempDir dir;
    const std::string victim = dir.Touch("victim.mdb"), other = dir.Touch("other.mdb");
    const std::string trick = "x;Data Source=" + other;
    {
        CADODatabase db;
        ASSERT_TRUE(db.Open(NUV::GetAccessConnectStr(other.c_str())));
        Sql(db, "CREATE TABLE Secret (N LONG)");
    }
    {
        CADODatabase db;
        ASSERT_TRUE(db.Open(NUV::GetAccessConnectStr(victim.c_str(), trick.c_str()))) << db.GetLastErrorString();
        Sql(db, "CREATE TABLE Secret (N LONG)");
        Sql(db, "DROP TABLE Secret");
    }
    EXPECT_EQ(Shell(other, "SELECT name FROM sqlite_master"), "Secret\n") << "the other file was not touched";

    const std::string keyed = dir.Touch("keyed.mdb");
    {
        CADODatabase db;
        ASSERT_TRUE(db.Open(NUV::GetAccessConnectStr(keyed.c_str(), "a;b=c")));
        Sql(db, "CREATE TABLE T (N LONG)");
    }
    CADODatabase shortKey, fullKey;
    EXPECT_FALSE(shortKey.Open(NUV::GetAccessConnectStr(keyed.c_str(), "a")));
    EXPECT_TRUE(fullKey.Open(NUV::GetAccessConnectStr(keyed.c_str(), "a;b=c"))) << fullKey.GetLastErrorString();
}

TEST(ADODatabase, MissingFileIsCapturedWithTheConnectionString) {
    TempDir dir;
    CString cs = NUV::GetAccessConnectStr(dir.File("none.mdb").c_str());
    CADODatabase db;
    EXPECT_FALSE(db.Open(cs));
    EXPECT_EQ(db.GetLastError(), 0x80004005u);
    std::string expectedStart = "Connection String = " + std::string(cs) +
                                "\nCADODataBase Error\n\tCode = 80004005\n\tCode meaning = Unspecified error\n\tSource = ";
    std::string text = db.GetLastErrorString().str();
    EXPECT_EQ(text.substr(0, expectedStart.size()), expectedStart) << text;
    EXPECT_NE(text.find("\n\tDescription = Could not find file '" + dir.File("none.mdb") + "'.\n"), std::string::npos) << text;
}

TEST(ADODatabase, PasswordEncryptsAndOnlyTheShellReadsThePlainFile) {
    TempDir dir;
    std::string plain = dir.Touch("plain.mdb"), secret = dir.Touch("secret.mdb");
    for (auto [path, pw] : {std::pair{plain, static_cast<const char*>(nullptr)}, std::pair{secret, "s3cret"}}) {
        CADODatabase db;
        ASSERT_TRUE(db.Open(NUV::GetAccessConnectStr(path.c_str(), pw)));
        Sql(db, "CREATE TABLE T (ID COUNTER, Name TEXT(20))");
        Sql(db, "INSERT INTO T (Name) VALUES ('visible')");
    }
    int status = -1;
    EXPECT_EQ(Shell(plain, "SELECT ID, Name FROM T", &status), "1|visible\n");
    EXPECT_EQ(status, 0);
    std::string out = Shell(secret, "SELECT Name FROM T", &status);
    EXPECT_NE(status, 0);
    EXPECT_EQ(out.find("visible"), std::string::npos);

    CADODatabase wrong;
    EXPECT_FALSE(wrong.Open(NUV::GetAccessConnectStr(secret.c_str(), "guess")));
    EXPECT_EQ(wrong.GetLastError(), 0x80040E4Du);
    EXPECT_NE(wrong.GetLastErrorString().Find("\tCode meaning = IDispatch error #3149\n"), -1) << wrong.GetLastErrorString();
}

TEST(ADODatabase, ExecuteKeepsTheLow16BitsOfTheCountAndCapturesErrors) {
    Fixture f;
    Sql(f.db, "CREATE TABLE D (N LONG)");
    Sql(f.db, "INSERT INTO D (N) VALUES (0)");
    EXPECT_EQ(f.db.GetRecordsAffected(), 1);
    for (int i = 0; i < 4; ++i) Sql(f.db, "INSERT INTO D (N) SELECT N FROM D");  // 16 rows
    Sql(f.db, "CREATE TABLE Big (N LONG)");
    // 16^4 + 8 * 16^3 = 98304 = 0x18000 rows: the low 16 bits 0x8000, taken as signed.
    Sql(f.db, "INSERT INTO Big (N) SELECT a.N FROM D a, D b, D c, D d");
    for (int i = 0; i < 8; ++i) Sql(f.db, "INSERT INTO Big (N) SELECT a.N FROM D a, D b, D c");
    Sql(f.db, "UPDATE Big SET N = 1");
    EXPECT_EQ(f.db.GetRecordsAffected(), -32768);

    EXPECT_FALSE(f.db.Execute("UPDATE Nowhere SET N = 1"));
    EXPECT_EQ(f.db.GetRecordsAffected(), 0);
    EXPECT_NE(f.db.GetLastErrorString().Find("Nowhere"), -1);
}

TEST(ADODatabase, EveryInstanceAndCopyBalancesTheComponentRuntime) {
    int before = NUVCom::InitializeCount();
    {
        CADODatabase a;
        EXPECT_EQ(NUVCom::InitializeCount(), before + 1);
        CADODatabase b(a);
        EXPECT_EQ(NUVCom::InitializeCount(), before + 2);
    }
    EXPECT_EQ(NUVCom::InitializeCount(), before);
}

TEST(ReadAccessRecords, ExplainsEachFailureInItsOwnWords) {
    Fixture f;
    MakeDuctTable(f.db);
    CADORecordset rs;
    CString error = "unchanged";
    EXPECT_EQ(NUV::ReadAccessRecords(nullptr, "select * from Duct", rs, error), 0);
    EXPECT_EQ(error.str(), Bytes({0xB5, 0xB1, 0xC7, 0xB0, 0xCE, 0xDE, 0xBF, 0xC9, 0xD3, 0xC3, 0xCA, 0xFD, 0xBE, 0xDD, 0xBF,
                                  0xE2, 0xC1, 0xAC, 0xBD, 0xD3, 0xA1, 0xA3}));
    CADODatabase closed;
    EXPECT_EQ(NUV::ReadAccessRecords(&closed, "select * from Duct", rs, error), 0);
    EXPECT_EQ(error.str(), Bytes({0xCE, 0xDE, 0xB7, 0xA8, 0xB4, 0xF2, 0xBF, 0xAA, 0xB5, 0xB1, 0xC7, 0xB0, 0xC1, 0xAC, 0xBD,
                                  0xD3, 0xCA, 0xFD, 0xBE, 0xDD, 0xBF, 0xE2, 0xA1, 0xA3}));

    error = "unchanged";
    EXPECT_EQ(NUV::ReadAccessRecords(&f.db, "select * from Duct", rs, error), 1);
    EXPECT_EQ(error, "unchanged");
    EXPECT_EQ(rs.GetRecordCount(), 5u);

    // An SQL error: the record set's report, line by line.
    EXPECT_EQ(NUV::ReadAccessRecords(&f.db, "select 1 fromm Duct", rs, error), 0);
    std::string text = error.str();
    std::vector<std::string> lines;
    for (std::size_t at = 0, nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
        lines.push_back(text.substr(at, nl - at));
    ASSERT_EQ(lines.size(), 6u) << text;
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(lines[0], "Query = select 1 fromm Duct");
    EXPECT_EQ(lines[1], "CADORecordset Error");
    EXPECT_EQ(lines[2], "\tCode = 80040e14");
    EXPECT_EQ(lines[3], "\tCode meaning = IDispatch error #3092");
    EXPECT_EQ(lines[4].rfind("\tSource = ", 0), 0u);
    EXPECT_EQ(lines[5].rfind("\tDescription = ", 0), 0u);
    EXPECT_EQ(rs.GetLastError(), 0x80040E14u);
}

}  // namespace
