// The tool as its users run it: a real program on real files, with the sqlite3 shell as the
// outside reader.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "RunCommand.h"
#include "TempDir.h"

namespace {

struct Result {
    int status;
    std::string out;
};

class Nuvdb : public ::testing::Test {
protected:
    std::string File(const std::string& name) const { return dir_.File(name); }
    // Runs nuvdb with the arguments (a shell word list); standard output and error together.
    Result Run(const std::string& args) const {
        std::string cmd = "cd '" + dir_.path() + "' && '" + std::string(std::getenv("NUV_BINARY_DIR")) + "/bin/nuvdb' " + args + " 2>&1";
        return Capture(cmd);
    }
    static Result Capture(const std::string& cmd) {
        NUVTest::CommandOutput run = NUVTest::RunCommand(cmd);
        return {run.status, std::move(run.out)};
    }
    std::string Shell(const std::string& sql) const { return Shell("d.mdb", sql); }
    std::string Shell(const std::string& db, const std::string& sql) const {
        return Capture("sqlite3 '" + File(db) + "' \"" + sql + "\"").out;
    }
    void Write(const std::string& name, const std::string& text) const { std::ofstream(File(name), std::ios::binary) << text; }

    TempDir dir_;
};

TEST_F(Nuvdb, CreatesQueriesImportsAndExports) {
    EXPECT_EQ(Run("create d.mdb").status, 0);
    EXPECT_EQ(Run("sql d.mdb 'CREATE TABLE Duct (ID COUNTER, Name TEXT(20), DN SHORT, Price CURRENCY)'").out, "0 rows changed\n");
    Write("in.csv", "Name,DN,Price\r\n\xE9\xA3\x8E\xE7\xAE\xA1,100,12.5\r\n\"Re, \"\"turn\"\"\",200,\r\n");
    EXPECT_EQ(Run("import-csv d.mdb Duct in.csv").out, "2 rows imported into Duct\n");
    EXPECT_EQ(Shell("SELECT ID, Name, DN, quote(Price) FROM Duct"), "1|\xE9\xA3\x8E\xE7\xAE\xA1|100|12.5\n2|Re, \"turn\"|200|NULL\n");

    Result table = Run("sql d.mdb 'select Name, DN from Duct order by ID'");
    EXPECT_EQ(table.status, 0);
    // The Chinese name is two characters wide each, as in a terminal.
    EXPECT_EQ(table.out, "Name        DN\n----------  ---\n\xE9\xA3\x8E\xE7\xAE\xA1        100\nRe, \"turn\"  200\n(2 rows)\n");
    EXPECT_EQ(Run("sql d.mdb 'select Name, Price from Duct' --csv").out,
              "Name,Price\n\xE9\xA3\x8E\xE7\xAE\xA1,12.5\n\"Re, \"\"turn\"\"\",\n");
    EXPECT_EQ(Run("sql d.mdb 'UPDATE Duct SET DN = 5'").out, "2 rows changed\n");
    EXPECT_EQ(Run("tables d.mdb").out, "Duct\n");

    EXPECT_EQ(Run("export-xml d.mdb 'select * from Duct' out.xml").out, "2 rows saved to out.xml\n");
    std::ifstream xml(File("out.xml"));
    std::string saved((std::istreambuf_iterator<char>(xml)), std::istreambuf_iterator<char>());
    EXPECT_NE(saved.find("<z:row ID='2' Name='Re, &quot;turn&quot;' DN='5'/>"), std::string::npos) << saved;
    EXPECT_EQ(Run("export-xml d.mdb 'select * from Duct' out.xml").status, 2);  // there already
    EXPECT_EQ(Run("export-xml d.mdb 'select * from Duct' out.xml --force").status, 0);  // replaced whole
    EXPECT_EQ(Run("export-xml d.mdb Duct whole.xml").out, "2 rows saved to whole.xml\n");  // a table by name
}

TEST_F(Nuvdb, FailuresExitWithTwoAndWriteNothing) {
    ASSERT_EQ(Run("create d.mdb").status, 0);
    Run("sql d.mdb 'CREATE TABLE T (ID COUNTER, N LONG)'");
    Write("bad.csv", "N\n1\n2\nnot a number\n");
    Write("cols.csv", "N,Missing\n1,2\n");
    Write("open.csv", "N\n\"1\n");
    struct Case {
        const char* args;
        const char* message;
    } const cases[] = {
        {"create d.mdb", "nuvdb: 'd.mdb' already exists\n"},
        {"sql d.mdb 'selec 1'", "nuvdb: Syntax error"},
        {"sql none.mdb 'select 1'", "nuvdb: cannot open none.mdb: Could not find file"},
        {"import-csv d.mdb T bad.csv", "nuvdb: bad.csv line 4, column 1 (N): "},
        {"import-csv d.mdb T cols.csv", "nuvdb: cols.csv line 1, column 3: the column 'Missing' is not in table T\n"},
        {"import-csv d.mdb T open.csv", "nuvdb: open.csv line 2, column 1: the quoted field that starts here is not closed\n"},
        {"export-xml d.mdb 'select * from Nowhere' out.xml", "nuvdb: "},
        {"sql d.mdb 'select 1' --bogus", "nuvdb: unknown option --bogus"},
    };
    for (const auto& c : cases) {
        Result r = Run(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.out.rfind(c.message, 0), 0u) << c.args << "\n" << r.out;
    }
    EXPECT_EQ(Shell("SELECT count(*) FROM T"), "0\n");  // the good rows before the bad one were rolled back
    EXPECT_FALSE(std::filesystem::exists(File("out.xml")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), std::filesystem::directory_iterator()), 4);

    EXPECT_EQ(Run("create s.mdb --password pw").status, 0);
    EXPECT_NE(Capture("sqlite3 '" + File("s.mdb") + "' 'select count(*) from sqlite_master' 2>&1").status, 0);  // encrypted from the start
    EXPECT_EQ(Run("sql s.mdb 'select 1 as One' --csv --password pw").out, "One\n1\n");
    EXPECT_EQ(Run("sql s.mdb 'select 1'").out, "nuvdb: cannot open s.mdb: Not a valid password.\n");
    for (const char* c : {"create", "sql", "tables", "import-csv", "export-xml"})
        EXPECT_EQ(Run(std::string(c) + " --help").out.rfind(std::string("nuvdb ") + c, 0), 0u) << c;
}

// What a command runs is what the user sees: one statement, never an empty one; and a command
// that reads refuses what would write, before it runs, and never writes over the database.
TEST_F(Nuvdb, ReadingCommandsNeverWrite) {
    ASSERT_EQ(Run("create d.mdb").status, 0);
    ASSERT_EQ(Run("sql d.mdb 'CREATE TABLE Pipe (ID COUNTER, DN LONG)'").status, 0);
    ASSERT_EQ(Run("sql d.mdb 'INSERT INTO Pipe (DN) VALUES (50)'").status, 0);
    Write("kept.xml", "kept");
    ASSERT_EQ(::symlink("d.mdb", File("link.mdb").c_str()), 0);
    ASSERT_EQ(::link(File("d.mdb").c_str(), File("hard.mdb").c_str()), 0);
    struct Case {
        const char* args;
        const char* message;  // the start of the one line printed
    } const cases[] = {
        {"export-xml d.mdb 'delete from Pipe' out.xml", "nuvdb: export-xml only reads, and 'delete from Pipe' is no query: a DELETE statement"},
        {"export-xml d.mdb 'UPDATE Pipe SET DN = 1' out.xml", "nuvdb: export-xml only reads, and 'UPDATE Pipe SET DN = 1' is no query: an UPDATE"},
        {"export-xml d.mdb 'insert into Pipe (DN) values (1)' out.xml", "nuvdb: export-xml only reads"},
        {"export-xml d.mdb 'DROP TABLE Pipe' out.xml", "nuvdb: export-xml only reads"},
        {"export-xml d.mdb 'select * into Copy from Pipe' out.xml", "nuvdb: export-xml only reads, and 'select * into Copy from Pipe' is no query: SELECT ... INTO"},
        {"export-xml d.mdb '/* note */ delete from Pipe' out.xml", "nuvdb: export-xml only reads"},
        {"export-xml d.mdb 'select * from Pipe; drop table Pipe' out.xml", "nuvdb: the SQL holds 2 statements, and nuvdb runs one at a time (the second, at line 1, column 21, begins: drop table Pipe)"},
        {"export-xml d.mdb Nowhere out.xml", "nuvdb: 'Nowhere' is no table or view of d.mdb"},
        {"export-xml d.mdb 'select * from Pipe' d.mdb --force", "nuvdb: "},
        {"export-xml d.mdb 'select * from Pipe' ./d.mdb --force", "nuvdb: "},
        {"export-xml d.mdb 'select * from Pipe' link.mdb --force", "nuvdb: "},
        {"export-xml d.mdb 'select * from Pipe' hard.mdb --force", "nuvdb: "},
        {"export-xml d.mdb 'select * from Pipe' kept.xml", "nuvdb: "},
        {"sql d.mdb 'select 1; drop table Pipe'", "nuvdb: the SQL holds 2 statements"},
        {"sql d.mdb ''", "nuvdb: the SQL is empty\n"},
        {"sql d.mdb ' ; -- nothing'", "nuvdb: the SQL is empty\n"},
        {"tables d.mdb --force", "nuvdb: --force applies to export-xml only\n"},
    };
    for (const auto& c : cases) {
        Result r = Run(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.out.rfind(c.message, 0), 0u) << c.args << "\n" << r.out;
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one line: " << r.out;
    }
    // The database read is refused as the output, by name, link or hard link, with --force too.
    EXPECT_NE(Run("export-xml d.mdb 'select * from Pipe' link.mdb --force").out.find("is the file this command reads"), std::string::npos);
    EXPECT_NE(Run("export-xml d.mdb 'select * from Pipe' kept.xml").out.find("already exists (--force replaces it)"), std::string::npos);
    EXPECT_EQ(Shell("SELECT count(*) FROM Pipe"), "1\n");  // nothing deleted, nothing replaced
    EXPECT_EQ(Shell("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"), "Pipe\nsqlite_sequence\n");
    EXPECT_EQ(ReadAll(File("kept.xml")), "kept");
    EXPECT_FALSE(std::filesystem::exists(File("out.xml")));
    // One statement with its semicolon, and semicolons inside quotes, run as written.
    EXPECT_EQ(Run("sql d.mdb \"select 'a;b' as T;\" --csv").out, "T\na;b\n");
}

// Text goes from the CSV file into the database as written: no code page on the way, every
// character kept; what cannot be read with certainty is refused with its place, and then nothing
// is imported.
TEST_F(Nuvdb, ImportKeepsEveryCharacterOrRefusesWithItsPlace) {
    using namespace std::string_literals;
    ASSERT_EQ(Run("create d.mdb").status, 0);
    ASSERT_EQ(Run("sql d.mdb 'CREATE TABLE T (ID COUNTER, Name TEXT(50), Note MEMO)'").status, 0);
    // An emoji, Korean, an umlaut, Chinese, a quoted line break and a quote; the header in other case.
    Write("good.csv", "name,NOTE\n\xF0\x9F\x98\x80\xED\x95\x9C\xC3\x84\xE9\xA3\x8E,\"two\nlines, \"\"quoted\"\"\"\n");
    Result r = Run("import-csv d.mdb T good.csv");
    ASSERT_EQ(r.out, "1 row imported into T\n");
    EXPECT_EQ(Shell("SELECT hex(Name), hex(Note) FROM T"), "F09F9880ED959CC384E9A38E|74776F0A6C696E65732C202271756F74656422\n");
    EXPECT_EQ(Run("sql d.mdb 'select Name from T' --csv").out, "Name\n\xF0\x9F\x98\x80\xED\x95\x9C\xC3\x84\xE9\xA3\x8E\n");
    // In a terminal the emoji, the Korean and the Chinese character are two columns wide each, the umlaut one.
    EXPECT_EQ(Run("sql d.mdb 'select Name, 1 as N from T'").out,
              "Name     N\n-------  -\n\xF0\x9F\x98\x80\xED\x95\x9C\xC3\x84\xE9\xA3\x8E  1\n(1 row)\n");
    const std::string good = "Name,Note\nfirst,ok\n";  // a good row first: it must be rolled back
    struct Case {
        std::string csv;
        const char* message;
    } const cases[] = {
        {good + "b\xFF,x\n", "nuvdb: in.csv line 3, column 2: bytes that are not UTF-8"},
        {good + "a\0b,x\n"s, "nuvdb: in.csv line 3, column 2: a NUL byte"},
        {good + "a\"b,x\n", "nuvdb: in.csv line 3, column 2: a quote inside a field that does not start with one"},
        {"Name,Note,name\n", "nuvdb: in.csv line 1, column 11: the column 'name' appears twice (fields 1 and 3)"},
        {good + "\"open,x\n", "nuvdb: in.csv line 3, column 1: the quoted field that starts here is not closed"},
        {good + "only one\n", "nuvdb: in.csv line 3: 1 field, the header has 2"},
        {good + "a,b,c\n", "nuvdb: in.csv line 3: 3 fields, the header has 2"},
        {"\xFF\xFEN\0", "nuvdb: in.csv line 1, column 1: the file is UTF-16"},
        {"", "nuvdb: in.csv has no header line"},
    };
    for (const auto& c : cases) {
        Write("in.csv", c.csv);
        r = Run("import-csv d.mdb T in.csv");
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.out.rfind(c.message, 0), 0u) << r.out;
    }
    EXPECT_EQ(Shell("SELECT count(*) FROM T"), "1\n");
}

// Rowset XML is XML 1.0, which has no way to write most control characters: such a value stops
// the export with its field and row, and no file appears.
TEST_F(Nuvdb, ExportRefusesWhatXmlCannotHold) {
    ASSERT_EQ(Run("create d.mdb").status, 0);
    ASSERT_EQ(Run("sql d.mdb 'CREATE TABLE T (ID COUNTER, Name TEXT(20))'").status, 0);
    Shell("INSERT INTO T (Name) VALUES ('fine'), ('a' || char(1) || 'b')");
    const Result r = Run("export-xml d.mdb 'select * from T' out.xml");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "nuvdb: cannot write out.xml: Could not save 'out.xml': field 'Name' of row 2 holds the character U+0001, which XML 1.0 cannot hold.\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), std::filesystem::directory_iterator()), 1);  // d.mdb alone
}

// The files nuvdb writes go through the one file writer: an export is saved through a link and
// keeps its target's mode; create never replaces what stands at the path, a dangling link included.
TEST_F(Nuvdb, WritesThroughLinksAndCreatesOnlyNewFiles) {
    ASSERT_EQ(Run("create d.mdb").status, 0);
    Write("real.xml", "old");
    ASSERT_EQ(::chmod(File("real.xml").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.xml", File("out.xml").c_str()), 0);
    Result r = Run("export-xml d.mdb 'select 1 as One' out.xml --force");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(std::filesystem::is_symlink(File("out.xml")));
    std::ifstream xml(File("real.xml"));
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(xml), {}).find("<z:row One='1'/>"), std::string::npos);
    EXPECT_EQ(std::filesystem::status(File("real.xml")).permissions(), std::filesystem::perms(0640));

    ASSERT_EQ(::symlink("nowhere.mdb", File("link.mdb").c_str()), 0);
    r = Run("create link.mdb");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("already exists"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(File("nowhere.mdb")));
}

// A password is the whole key, whatever it holds: it cannot end early or name another file.
TEST_F(Nuvdb, PasswordsHoldingConnectionStringSyntaxStayWhole) {
    ASSERT_EQ(Run("create q.mdb --password 'a;b=c'").status, 0);
    EXPECT_EQ(Run("sql q.mdb 'select 1 as One' --csv --password 'a;b=c'").out, "One\n1\n");
    EXPECT_EQ(Run("sql q.mdb 'select 1' --password a").status, 2);
    ASSERT_EQ(Run("create other.mdb").status, 0);
    ASSERT_EQ(Run("sql other.mdb 'CREATE TABLE Secret (N LONG)'").status, 0);
    EXPECT_EQ(Run("sql q.mdb 'drop table Secret' --password 'x;Data Source=other.mdb'").status, 2);
    EXPECT_EQ(Shell("other.mdb", "SELECT name FROM sqlite_master"), "Secret\n");
}

}  // namespace
