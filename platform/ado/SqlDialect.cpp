#include "ado/SqlDialect.h"

#include <cctype>

#include "ado/CounterColumns.h"
#include "ado/SqlWords.h"
#include "ado/ValueBinding.h"

namespace NUVADO::detail {

namespace {

// #date# literal text to the stored form; empty when it is not a date.
std::string DateLiteral(const std::string& inside) {
    int a = 0, b = 0, c = 0, used = 0;
    char s1 = 0, s2 = 0;
    int y, mo, d;
    std::string rest;
    if (std::sscanf(inside.c_str(), " %d%c%d%c%d%n", &a, &s1, &b, &s2, &c, &used) == 5 && s1 == s2 && (s1 == '-' || s1 == '/')) {
        if (a > 31) y = a, mo = b, d = c;        // year first
        else if (s1 == '/') mo = a, d = b, y = c;  // month/day/year
        else d = a, mo = b, y = c;
        rest = inside.substr(static_cast<std::size_t>(used));
    } else {
        y = 1899, mo = 12, d = 30;
        rest = inside;
    }
    int h = 0, mi = 0, se = 0;
    std::size_t p = rest.find_first_not_of(" T");
    if (p != std::string::npos) {
        std::string t = rest.substr(p);
        char ampm[3] = {0};
        int n = std::sscanf(t.c_str(), "%d:%d:%d %2s", &h, &mi, &se, ampm);
        if (n < 2) return {};
        if (n < 3) {
            se = 0;
            std::sscanf(t.c_str(), "%d:%d %2s", &h, &mi, ampm);
        }
        if ((ampm[0] == 'P' || ampm[0] == 'p') && h < 12) h += 12;
        if ((ampm[0] == 'A' || ampm[0] == 'a') && h == 12) h = 0;
    }
    DATE dt;
    if (!NUVCom::DateFromParts(y, mo, d, h, mi, se, dt)) return {};
    std::string quoted(1, '\'');
    quoted += DateStorage(dt);
    quoted += '\'';
    return quoted;
}

struct Token {
    enum Kind { Word, Quoted, Other } kind;
    std::string text;
};

}  // namespace

std::string TranslateSql(const std::string& sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    std::size_t i = 0, n = sql.size();
    bool sawSelect = false;
    std::string limit;
    // CREATE TABLE state: type names are only rewritten there.
    bool inCreate = false;
    int depth = 0;
    int wordInDef = 0;  // words seen in the current column definition of a CREATE TABLE
    std::size_t createOpen = 0;      // its "("
    std::string createTable;         // its name as stored
    bool expectTableName = false;
    bool autoincrementAfterKey = false;  // a self-numbering column declared PRIMARY KEY itself
    std::vector<std::string> triggers;   // to run after the statement
    std::string lastWord, prevWord;
    auto flushTriggers = [&](const char* separator) {
        for (const std::string& t : triggers) out += separator + t;
        triggers.clear();
    };
    auto word = [&](std::size_t start, std::size_t end) { return Upper(sql.substr(start, end - start)); };
    while (i < n) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            char close = c == '[' ? ']' : c;
            std::size_t j = i + 1;
            while (j < n) {
                if (sql[j] == close) {
                    if (close != ']' && j + 1 < n && sql[j + 1] == close) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out.append(sql, i, (j < n ? j + 1 : n) - i);
            if (inCreate && depth == 1 && c != '\'') ++wordInDef;  // a quoted column name is a word too
            if (expectTableName && c != '\'') {
                createTable = sql.substr(i + 1, j > i ? j - i - 1 : 0);
                expectTableName = false;
            }
            i = j < n ? j + 1 : n;
            continue;
        }
        if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            std::size_t j = sql.find('\n', i);
            j = j == std::string::npos ? n : j;
            out.append(sql, i, j - i);
            i = j;
            continue;
        }
        if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            std::size_t j = sql.find("*/", i + 2);
            j = j == std::string::npos ? n : j + 2;
            out.append(sql, i, j - i);
            i = j;
            continue;
        }
        if (c == '#') {
            std::size_t j = sql.find('#', i + 1);
            if (j != std::string::npos && sql.find('\n', i) > j) {
                std::string lit = DateLiteral(sql.substr(i + 1, j - i - 1));
                if (!lit.empty()) {
                    out += lit;
                    i = j + 1;
                    continue;
                }
            }
            out += c;
            ++i;
            continue;
        }
        if (c == '&') {
            out += "||";
            ++i;
            continue;
        }
        if (c == '(' && ++depth == 1) {
            wordInDef = 0;
            createOpen = i;
        }
        if (c == ')') --depth;
        if (c == ',' && depth == 1) wordInDef = 0;
        if (IsIdentChar(c) && !std::isdigit(static_cast<unsigned char>(c))) {
            bool typePosition = inCreate && depth == 1 && wordInDef++ == 1;
            std::size_t j = i;
            while (j < n && IsIdentChar(sql[j])) ++j;
            std::string w = word(i, j);
            if (expectTableName && w != "IF" && w != "NOT" && w != "EXISTS") {
                createTable = sql.substr(i, j - i);
                expectTableName = false;
            }
            if (inCreate && depth == 0 && w == "TABLE") expectTableName = true;
            std::size_t after = j;
            while (after < n && (sql[after] == ' ' || sql[after] == '\t')) ++after;
            if ((w == "LEFT" || w == "RIGHT") && after < n && sql[after] == '(') {
                // LEFT and RIGHT are join keywords to SQLite; as functions they get their own names.
                out += w == "LEFT" ? "NUV_LEFT" : "NUV_RIGHT";
            } else if (w == "TRUE") {
                out += "1";
            } else if (w == "FALSE") {
                out += "0";
            } else if (w == "SELECT" && !sawSelect) {
                sawSelect = true;
                out.append(sql, i, j - i);
                // SELECT [DISTINCT] TOP n  ->  LIMIT n at the end.
                std::size_t k = j;
                auto skipBlank = [&](std::size_t p) {
                    while (p < n && std::isspace(static_cast<unsigned char>(sql[p]))) ++p;
                    return p;
                };
                k = skipBlank(k);
                std::size_t save = k;
                std::size_t e = k;
                while (e < n && IsIdentChar(sql[e])) ++e;
                std::string w2 = word(k, e);
                if (w2 == "DISTINCT" || w2 == "DISTINCTROW" || w2 == "ALL") {
                    out += " ";
                    out += w2 == "DISTINCTROW" ? "DISTINCT" : w2;
                    k = skipBlank(e);
                    e = k;
                    while (e < n && IsIdentChar(sql[e])) ++e;
                    w2 = word(k, e);
                    save = k;
                }
                if (w2 == "TOP") {
                    std::size_t d0 = skipBlank(e), d1 = d0;
                    while (d1 < n && std::isdigit(static_cast<unsigned char>(sql[d1]))) ++d1;
                    if (d1 > d0) {
                        limit = sql.substr(d0, d1 - d0);
                        out += " ";
                        i = skipBlank(d1);
                        prevWord = lastWord;
                        lastWord = "TOP";
                        continue;
                    }
                }
                i = save == j ? j : save;
                if (save != j) out += " ";
                prevWord = lastWord;
                lastWord = w;
                continue;
            } else if (w == "CREATE") {
                inCreate = true;
                depth = 0;
                createTable.clear();
                out.append(sql, i, j - i);
            } else if (autoincrementAfterKey && w == "KEY" && lastWord == "PRIMARY") {
                out.append(sql, i, j - i);
                std::size_t k = j;
                while (k < n && std::isspace(static_cast<unsigned char>(sql[k]))) ++k;
                std::size_t e = k;
                while (e < n && IsIdentChar(sql[e])) ++e;
                std::string next = word(k, e);
                if (next == "ASC" || next == "DESC") {  // AUTOINCREMENT comes after the order
                    out.append(sql, j, e - j);
                    j = e;
                }
                out += " AUTOINCREMENT";
                autoincrementAfterKey = false;
            } else if (typePosition && (w == "COUNTER" || w == "AUTOINCREMENT" || w == "IDENTITY")) {
                // The column numbers itself. Skip a "(seed, step)".
                std::size_t k = j;
                while (k < n && sql[k] == ' ') ++k;
                if (k < n && sql[k] == '(') {
                    std::size_t close = sql.find(')', k);
                    if (close != std::string::npos) j = close + 1;
                }
                CounterColumn counter = DescribeCounter(sql, createOpen, i);
                switch (counter.form) {
                case CounterForm::RowIdAuto: out += "INTEGER PRIMARY KEY AUTOINCREMENT"; break;
                case CounterForm::OwnKeyAuto:
                    out += "INTEGER";
                    autoincrementAfterKey = true;
                    break;
                case CounterForm::RowId: out += "INTEGER"; break;
                case CounterForm::Trigger:
                    out += "COUNTER";
                    if (!createTable.empty()) triggers.push_back(CounterTrigger(createTable, counter.name));
                    break;
                }
                i = j;
                prevWord = lastWord;
                lastWord = w;
                continue;
            } else if (typePosition && (w == "MEMO" || w == "NOTE")) {
                out += "LONGTEXT";
            } else if (typePosition && (w == "STRING" || w == "ALPHANUMERIC")) {
                out += "VARCHAR";
            } else {
                out.append(sql, i, j - i);
            }
            prevWord = lastWord;
            lastWord = w;
            i = j;
            continue;
        }
        if (c == ';') {
            if (!limit.empty()) {
                out += " LIMIT " + limit;
                limit.clear();
            }
            flushTriggers("; ");
            sawSelect = false;
            inCreate = false;
            autoincrementAfterKey = false;
        }
        out += c;
        ++i;
    }
    if (!limit.empty()) {
        while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back()))) out.pop_back();
        // On a line of its own, so a trailing comment cannot swallow it.
        out += "\nLIMIT " + limit;
    }
    flushTriggers(";\n");  // on a line of its own too
    return out;
}

}  // namespace NUVADO::detail
