#include "ado/CounterColumns.h"

#include <strings.h>

#include <algorithm>
#include <vector>

#include "ado/SqlWords.h"

namespace NUVADO::detail {

namespace {

bool IsQuote(char c) { return c == '\'' || c == '"' || c == '`' || c == '['; }

// One past the closing mark of the quoted name or text that starts at i.
std::size_t SkipQuoted(const std::string& sql, std::size_t i) {
    char close = sql[i] == '[' ? ']' : sql[i];
    for (std::size_t j = i + 1; j < sql.size(); ++j) {
        if (sql[j] != close) continue;
        if (close != ']' && j + 1 < sql.size() && sql[j + 1] == close) {
            ++j;
            continue;
        }
        return j + 1;
    }
    return sql.size();
}

// The words of a piece of SQL: keywords and plain names upper-cased, quoted names as stored
// behind a mark so they never read as keywords, and the parentheses.
constexpr char kQuotedMark = '\x01';
std::vector<std::string> Words(const std::string& sql, std::size_t from, std::size_t to) {
    std::vector<std::string> out;
    std::size_t i = from;
    while (i < to) {
        if (IsQuote(sql[i])) {
            std::size_t e = std::min(SkipQuoted(sql, i), to);
            out.push_back(kQuotedMark + sql.substr(i + 1, e >= i + 2 ? e - i - 2 : 0));
            i = e;
        } else if (IsIdentChar(sql[i])) {
            std::size_t e = i;
            while (e < to && IsIdentChar(sql[e])) ++e;
            out.push_back(Upper(sql.substr(i, e - i)));
            i = e;
        } else {
            if (sql[i] == '(' || sql[i] == ')') out.emplace_back(1, sql[i]);
            ++i;
        }
    }
    return out;
}

bool SameName(const std::string& word, const std::string& name) {
    std::string w = !word.empty() && word[0] == kQuotedMark ? word.substr(1) : word;
    return strcasecmp(w.c_str(), name.c_str()) == 0;
}

}  // namespace

// open: the position of the CREATE TABLE's "("; at: a position inside the column's definition.
CounterColumn DescribeCounter(const std::string& sql, std::size_t open, std::size_t at) {
    std::vector<std::pair<std::size_t, std::size_t>> defs;
    int depth = 0;
    std::size_t start = open + 1, i = open + 1;
    while (i < sql.size()) {
        char c = sql[i];
        if (IsQuote(c)) {
            i = SkipQuoted(sql, i);
            continue;
        }
        if (c == '(') ++depth;
        if (c == ')' && depth-- == 0) break;
        if (c == ',' && depth == 0) {
            defs.emplace_back(start, i);
            start = i + 1;
        }
        ++i;
    }
    defs.emplace_back(start, i);
    auto hasKey = [](const std::vector<std::string>& w) {
        for (std::size_t k = 0; k + 1 < w.size(); ++k)
            if (w[k] == "PRIMARY" && w[k + 1] == "KEY") return true;
        return false;
    };
    CounterColumn out;
    bool ownKey = false;
    for (auto [b, e] : defs) {
        if (at < b || at >= e) continue;
        std::vector<std::string> w = Words(sql, b, e);
        if (!w.empty()) out.name = w[0][0] == kQuotedMark ? w[0].substr(1) : sql.substr(sql.find_first_not_of(" \t\r\n", b), w[0].size());
        ownKey = hasKey(w);
    }
    bool otherKey = false, tableKeyOnIt = false;
    for (auto [b, e] : defs) {
        if (at >= b && at < e) continue;
        std::vector<std::string> w = Words(sql, b, e);
        if (!hasKey(w)) continue;
        std::size_t first = !w.empty() && w[0] == "CONSTRAINT" ? 2 : 0;
        if (first >= w.size() || w[first] != "PRIMARY") {
            otherKey = true;  // another column declared PRIMARY KEY
            continue;
        }
        std::vector<std::string> cols;  // a table constraint: its columns
        for (std::size_t k = first + 2; k < w.size(); ++k)
            if (w[k] != "(" && w[k] != ")" && w[k] != "ASC" && w[k] != "DESC") cols.push_back(w[k]);
        if (cols.size() == 1 && SameName(cols[0], out.name)) tableKeyOnIt = true;
        else otherKey = true;
    }
    if (ownKey) out.form = CounterForm::OwnKeyAuto;
    else if (otherKey) out.form = CounterForm::Trigger;
    else if (tableKeyOnIt) out.form = CounterForm::RowId;
    return out;
}

// Numbers rows a statement inserts without a value, as the desktop engine's counter does (the
// next number after the largest).
std::string CounterTrigger(const std::string& table, const std::string& column) {
    std::string t = Ident(table), c = Ident(column);
    return "CREATE TRIGGER " + Ident("nuv_counter_" + table + "_" + column) + " AFTER INSERT ON " + t + " WHEN NEW." + c +
           " IS NULL BEGIN UPDATE " + t + " SET " + c + " = (SELECT coalesce(max(" + c + "), 0) + 1 FROM " + t +
           ") WHERE rowid = NEW.rowid; END";
}

}  // namespace NUVADO::detail
