// What nuvdb sees in SQL text before it runs anything: the statements, and whether each only reads.
#include "SqlText.h"

#include <gtest/gtest.h>

namespace {

using nuvdb::StatementKind;

TEST(SqlText, Statements) {
    const struct {
        const char* sql;
        std::vector<std::string> statements;
    } cases[] = {
        {"", {}},
        {"  ; ;\n", {}},
        {"-- only a note\n/* and another */", {}},
        {"select 1", {"select 1"}},
        {"select 1;", {"select 1"}},
        {"  select 1 ;  -- done", {"select 1"}},
        {"select 1; drop table Pipe", {"select 1", "drop table Pipe"}},
        {"select 'a;b'", {"select 'a;b'"}},
        {"select 'it''s;' as \"x;y\", [a;b], `c;d` from t", {"select 'it''s;' as \"x;y\", [a;b], `c;d` from t"}},
        {"select 1 -- a; b\n; select 2", {"select 1", "select 2"}},
        {"select /* ; */ 1", {"select /* ; */ 1"}},
        {"select 'never closed; drop table Pipe", {"select 'never closed; drop table Pipe"}},
        {"select [never closed; drop table Pipe", {"select [never closed; drop table Pipe"}},
        {"select 1 /* never closed; drop", {"select 1"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> got;
        for (const auto& s : nuvdb::SplitSql(c.sql)) got.push_back(s.text);
        EXPECT_EQ(got, c.statements) << c.sql;
    }
    const auto two = nuvdb::SplitSql("select 1;\n  update T set A = 1");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[1].offset, 12u);
    EXPECT_EQ(nuvdb::Position("select 1;\n  update T set A = 1", two[1].offset), "line 2, column 3");
    EXPECT_EQ(nuvdb::Position("\xC3\xA4\xC3\xB6 x", 5), "line 1, column 4");  // columns count characters
}

TEST(SqlText, OnlyQueriesRead) {
    const struct {
        const char* statement;
        StatementKind::Kind kind;
        const char* detail;  // the name, or a piece of the reason
    } cases[] = {
        {"select * from Pipe", StatementKind::Query, ""},
        {"SELECT DISTINCT TOP 5 Name FROM Pipe WHERE Note = 'delete from Pipe'", StatementKind::Query, ""},
        {"select * from [into]", StatementKind::Query, ""},
        {"select 'INTO' as x", StatementKind::Query, ""},
        {"Pipe", StatementKind::Name, "Pipe"},
        {"[Pipe Sizes]", StatementKind::Name, "Pipe Sizes"},
        {"\"Pipe\"", StatementKind::Name, "Pipe"},
        {"\"Pi\"\"pe\"", StatementKind::Name, "Pi\"pe"},  // a doubled quote inside is one
        {"delete from Pipe", StatementKind::Other, "a DELETE statement is no query"},
        {"UPDATE Pipe SET DN = 1", StatementKind::Other, "an UPDATE statement"},
        {"insert into Pipe (DN) values (1)", StatementKind::Other, "an INSERT statement"},
        {"drop table Pipe", StatementKind::Other, "a DROP statement"},
        {"create table X (A long)", StatementKind::Other, "a CREATE statement"},
        {"select * into Copy from Pipe", StatementKind::Other, "SELECT ... INTO makes a table"},
        {"(select 1)", StatementKind::Other, "does not begin with SELECT"},
        {"'Pipe'", StatementKind::Other, "does not begin with SELECT"},
        {"Pipe x", StatementKind::Other, "a PIPE statement"},
    };
    for (const auto& c : cases) {
        const StatementKind k = nuvdb::Classify(c.statement);
        EXPECT_EQ(k.kind, c.kind) << c.statement;
        if (c.kind == StatementKind::Name) {
            EXPECT_EQ(k.name, c.detail) << c.statement;
        } else if (c.kind == StatementKind::Other) {
            EXPECT_NE(k.why.find(c.detail), std::string::npos) << c.statement << ": " << k.why;
        }
    }
}

}  // namespace
