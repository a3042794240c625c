#include "ado/BaseTables.h"

#include <sqlcipher/sqlite3.h>
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "ado/SqlWords.h"

namespace NUVADO::detail {

namespace {

bool HasWord(const std::string& sql, const char* word) {
    std::size_t n = std::strlen(word);
    bool quote = false;
    char q = 0;
    for (std::size_t i = 0; i + n <= sql.size(); ++i) {
        char c = sql[i];
        if (quote) {
            if (c == q) quote = false;
            continue;
        }
        if (c == '\'' || c == '"' || c == '[' || c == '`') {
            quote = true;
            q = c == '[' ? ']' : c;
            continue;
        }
        if (strncasecmp(sql.c_str() + i, word, n) == 0 && (i == 0 || !(std::isalnum(static_cast<unsigned char>(sql[i - 1])) || sql[i - 1] == '_')) &&
            (i + n == sql.size() || !(std::isalnum(static_cast<unsigned char>(sql[i + n])) || sql[i + n] == '_')))
            return true;
    }
    return false;
}

// The tables a FROM clause names, as written (unquoted); false when it reads from a subquery,
// whose rows cannot be told apart by table.
bool FromTables(const std::string& sql, std::vector<std::string>& tables) {
    int depth = 0;
    bool inFrom = false, expectTable = false;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '[' || c == '`') {
            char close = c == '[' ? ']' : c;
            std::size_t e = sql.find(close, i + 1);
            if (e == std::string::npos) return false;
            if (expectTable && depth == 0 && c != '\'') tables.push_back(sql.substr(i + 1, e - i - 1));
            expectTable = false;
            i = e;
            continue;
        }
        if (c == '(') {
            if (expectTable && depth == 0) return false;
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (depth == 0 && inFrom && c == ',') {
            expectTable = true;
        } else if (depth == 0 && (std::isalpha(static_cast<unsigned char>(c)) || c == '_') &&
                   (i == 0 || !(std::isalnum(static_cast<unsigned char>(sql[i - 1])) || sql[i - 1] == '_'))) {
            std::size_t e = i;
            while (e < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[e])) || sql[e] == '_')) ++e;
            std::string w = sql.substr(i, e - i);
            for (char& ch : w) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            if (w == "FROM") {
                inFrom = expectTable = true;
            } else if (w == "JOIN") {
                expectTable = true;
            } else if (w == "WHERE" || w == "GROUP" || w == "ORDER" || w == "HAVING" || w == "LIMIT") {
                inFrom = expectTable = false;
            } else if (expectTable) {
                tables.push_back(sql.substr(i, e - i));
                expectTable = false;
            }
            i = e - 1;
        }
    }
    return true;
}

}  // namespace

// Fills in the base tables, keys and attributes once the rows are read.
void DescribeBase(Database& db, Snapshot& s, const std::string& sql, bool forUpdate) {
    // Column facts from each table's declaration.
    struct Info {
        std::string name;
        bool notNull, pk;
        std::string type;
    };
    struct Table {
        std::string name;
        std::vector<Info> info;
        int pkCount = 0;
    };
    std::vector<Table> tables;
    auto tableOf = [&](const std::string& name) -> Table& {
        for (Table& t : tables)
            if (strcasecmp(t.name.c_str(), name.c_str()) == 0) return t;
        Table& t = tables.emplace_back();
        t.name = name;
        Statement st;
        std::string q = "PRAGMA table_info(" + Ident(name) + ")";
        db.Prepare(q, st);
        while (db.Step(st, q)) {
            t.info.push_back({ColumnText(st.stmt, 1), sqlite3_column_int(st.stmt, 3) != 0, sqlite3_column_int(st.stmt, 5) != 0,
                              ColumnText(st.stmt, 2)});
            t.pkCount += t.info.back().pk;
        }
        return t;
    };
    for (Column& col : s.cols) {
        if (col.baseTable.empty()) {
            col.attributes |= adFldMayBeNull | adFldIsNullable;
            continue;
        }
        Table& t = tableOf(col.baseTable);
        for (const Info& i : t.info) {
            if (strcasecmp(i.name.c_str(), col.baseColumn.c_str()) != 0) continue;
            col.key = i.pk;
            col.nullable = !i.notNull && !i.pk;
            std::string up = i.type;
            for (char& ch : up) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            if (i.pk && t.pkCount == 1 && up == "INTEGER") {
                col.rowidAlias = true;
                col.autoIncrement = true;
            }
        }
        if (col.nullable) col.attributes |= adFldIsNullable | adFldMayBeNull;
        if (col.key) col.attributes |= adFldKeyColumn;
    }
    if (!forUpdate || tables.empty()) return;
    if (HasWord(sql, "GROUP") || HasWord(sql, "DISTINCT") || HasWord(sql, "UNION") || HasWord(sql, "INTERSECT") ||
        HasWord(sql, "EXCEPT"))
        return;
    // The selected columns of a table's primary key, when all of them are there.
    auto selectedKey = [&](const Table& t) {
        std::vector<int> key;
        for (std::size_t c = 0; c < s.cols.size(); ++c) {
            const Column& col = s.cols[c];
            if (!col.key || strcasecmp(col.baseTable.c_str(), t.name.c_str()) != 0) continue;
            bool again = std::any_of(key.begin(), key.end(), [&](int k) {
                return strcasecmp(s.cols[static_cast<std::size_t>(k)].baseColumn.c_str(), col.baseColumn.c_str()) == 0;
            });
            if (!again) key.push_back(static_cast<int>(c));
        }
        if (t.pkCount == 0 || static_cast<int>(key.size()) != t.pkCount) key.clear();
        return key;
    };
    std::vector<std::string> from;
    bool named = FromTables(sql, from);
    if (tables.size() > 1 || from.size() > 1) {
        // Rows of a join: each table whose whole primary key is in the rows takes changes to its
        // columns. A table named twice (a join with itself) cannot tell its rows apart.
        if (!named) return;
        for (std::size_t a = 0; a < from.size(); ++a)
            for (std::size_t b = a + 1; b < from.size(); ++b)
                if (strcasecmp(from[a].c_str(), from[b].c_str()) == 0) return;
        for (const Table& t : tables) {
            std::vector<int> key = selectedKey(t);
            if (!key.empty()) s.joined.push_back({t.name, std::move(key)});
        }
        return;
    }
    const Table& t = tables.front();
    s.table = t.name;
    s.keyCols = selectedKey(t);
    if (!s.keyCols.empty()) {
        s.keyIsPrimary = true;
        return;
    }
    // No full primary key in the rows: locate a row by the values that read back exactly.
    for (std::size_t c = 0; c < s.cols.size(); ++c) {
        const Column& col = s.cols[c];
        if (col.baseColumn.empty()) continue;
        switch (col.type) {
        case adInteger: case adSmallInt: case adUnsignedTinyInt: case adBigInt: case adDouble: case adVarWChar: case adWChar:
        case adLongVarWChar:
            s.keyCols.push_back(static_cast<int>(c));
            break;
        default: break;
        }
    }
    if (s.keyCols.empty())
        for (std::size_t c = 0; c < s.cols.size(); ++c)
            if (!s.cols[c].baseColumn.empty()) s.keyCols.push_back(static_cast<int>(c));
}

}  // namespace NUVADO::detail
