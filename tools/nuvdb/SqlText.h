// SQL text as nuvdb looks at it before anything runs: split into statements at the semicolons
// that stand outside quotes ('text', "text", `name`, [name]) and comments (-- to the end of the
// line, /* ... */), so a command knows what it is about to run and can refuse what it must not.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nuvdb {

struct SqlStatement {
    std::string text;     // without the blanks and comments around it, and without its semicolon
    std::size_t offset;   // of its first character in the whole text
};

// The statements in order; none for a text of blanks, comments and semicolons.
std::vector<SqlStatement> SplitSql(std::string_view sql);

// What a statement is, by its words outside quotes and comments: a query (SELECT without INTO),
// a bare name ("Pipe", "[Pipe Sizes]": a table or view to read whole, if the database has one by
// that name, which the caller checks), or something else, with the reason it is no query.
struct StatementKind {
    enum Kind { Query, Name, Other } kind;
    std::string name;  // Name: without its quotes
    std::string why;   // Other: "a DELETE statement is no query"
};
StatementKind Classify(std::string_view statement);

// "line L, column C" of an offset, columns counted in characters.
std::string Position(std::string_view text, std::size_t offset);

}  // namespace nuvdb
