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
        Result r{-1, ""};
        FILE* p = popen(cmd.c_str(), "r");
        char buf[512];
        while (p && fgets(buf, sizeof buf, p)) r.out += buf;
        int rc = p ? pclose(p) : -1;
        r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        return r;
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
    EXPECT_EQ(Run("export-xml d.mdb 'select * from Duct' out.xml").status, 0);  // replaced whole
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
        {"import-csv d.mdb T bad.csv", "nuvdb: bad.csv line 4: N: "},
        {"import-csv d.mdb T cols.csv", "nuvdb: column 'Missing' is not in table T\n"},
        {"import-csv d.mdb T open.csv", "nuvdb: open.csv: a quoted field is not closed (line 2)\n"},
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

// The files nuvdb writes go through the one file writer: an export is saved through a link and
// keeps its target's mode; create never replaces what stands at the path, a dangling link included.
TEST_F(Nuvdb, WritesThroughLinksAndCreatesOnlyNewFiles) {
    ASSERT_EQ(Run("create d.mdb").status, 0);
    Write("real.xml", "old");
    ASSERT_EQ(::chmod(File("real.xml").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.xml", File("out.xml").c_str()), 0);
    Result r = Run("export-xml d.mdb 'select 1 as One' out.xml");
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
