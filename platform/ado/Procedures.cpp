#include "ado/Procedures.h"

#include <sqlcipher/sqlite3.h>

#include <cctype>
#include <cstring>

#include "ado/Errors.h"
#include "ado/SqlWords.h"
#include "ado/ValueBinding.h"

namespace NUVADO::detail {

namespace {

void EnsureCatalogue(Database& db) {
    db.Exec(std::string("CREATE TABLE IF NOT EXISTS ") + kProcedureTable +
            " (Name VARCHAR(64) PRIMARY KEY COLLATE NOCASE, Parameters LONGTEXT, Body LONGTEXT NOT NULL)");
}

std::string Trimmed(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    std::size_t b = s.find_last_not_of(" \t\r\n;");
    return s.substr(a, b - a + 1);
}


}  // namespace

bool ExecuteProcedureDdl(Database& db, const std::string& sqlIn) {
    std::string sql = Trimmed(sqlIn);
    std::string up = Upper(sql);
    auto startsWith = [&](const char* p) {
        std::size_t len = std::strlen(p);
        return up.compare(0, len, p) == 0 && (up.size() == len || !IsIdentChar(up[len]));
    };
    std::size_t pos;
    if (startsWith("CREATE PROCEDURE")) pos = 16;
    else if (startsWith("CREATE PROC")) pos = 11;
    else if (startsWith("DROP PROCEDURE")) pos = 14;
    else if (startsWith("DROP PROC")) pos = 9;
    else return false;
    bool drop = up[0] == 'D';
    while (pos < sql.size() && sql[pos] == ' ') ++pos;
    std::size_t nameEnd = pos;
    if (pos < sql.size() && sql[pos] == '[') nameEnd = sql.find(']', pos) + 1;
    else
        while (nameEnd < sql.size() && IsIdentChar(sql[nameEnd])) ++nameEnd;
    if (nameEnd == std::string::npos + 1 || nameEnd <= pos) Raise(DB_E_ERRORSINCOMMAND, "Syntax error in PROCEDURE clause.", kEngineSource);
    std::string name = Unbracket(sql.substr(pos, nameEnd - pos));
    if (db.readOnly) Raise(static_cast<unsigned>(E_FAIL), "Cannot update. Database or object is read-only.", kEngineSource);
    EnsureCatalogue(db);
    Statement st;
    if (drop) {
        db.Prepare(std::string("DELETE FROM ") + kProcedureTable + " WHERE Name = ?1", st);
        BindText(st.stmt, 1, name);
        int rc = sqlite3_step(st.stmt);
        if (rc != SQLITE_DONE) db.RaiseEngine(rc, sql);
        if (sqlite3_changes(db.db) == 0)
            Raise(DB_E_NOTABLE, "The database engine cannot find the procedure '" + name + "'.", kEngineSource);
        return true;
    }
    std::size_t p = nameEnd;
    while (p < sql.size() && sql[p] == ' ') ++p;
    std::string params;
    if (p < sql.size() && sql[p] == '(') {
        std::size_t close = p;
        for (int depth = 0; close < sql.size(); ++close) {
            if (sql[close] == '(') ++depth;
            if (sql[close] == ')' && --depth == 0) break;
        }
        if (close >= sql.size()) Raise(DB_E_ERRORSINCOMMAND, "Syntax error in PROCEDURE clause.", kEngineSource);
        params = sql.substr(p + 1, close - p - 1);
        p = close + 1;
    }
    std::string rest = sql.substr(p);
    std::string upRest = Upper(rest);
    std::size_t as = upRest.find_first_not_of(" \t\r\n");
    if (as == std::string::npos || upRest.compare(as, 2, "AS") != 0 || (as + 2 < upRest.size() && IsIdentChar(upRest[as + 2])))
        Raise(DB_E_ERRORSINCOMMAND, "Syntax error in PROCEDURE clause: AS expected.", kEngineSource);
    std::string body = Trimmed(rest.substr(as + 2));
    if (body.empty()) Raise(DB_E_ERRORSINCOMMAND, "Syntax error in PROCEDURE clause: the procedure has no statement.", kEngineSource);
    // Keep only the parameter names (types are documentation here).
    std::string names;
    std::size_t s = 0;
    auto nextComma = [&](std::size_t from) {
        int depth = 0;
        for (std::size_t k = from; k < params.size(); ++k) {
            if (params[k] == '(') ++depth;
            else if (params[k] == ')') --depth;
            else if (params[k] == ',' && depth == 0) return k;
        }
        return std::string::npos;
    };
    while (s <= params.size()) {
        std::size_t comma = nextComma(s);
        std::string part = Trimmed(params.substr(s, comma == std::string::npos ? std::string::npos : comma - s));
        std::size_t sp = part.find_first_of(" \t");
        std::string pname = Unbracket(part.substr(0, sp));
        if (!pname.empty()) names += (names.empty() ? "" : ",") + pname;
        if (comma == std::string::npos) break;
        s = comma + 1;
    }
    db.Prepare(std::string("INSERT INTO ") + kProcedureTable + " (Name, Parameters, Body) VALUES (?1, ?2, ?3)", st);
    BindText(st.stmt, 1, name);
    BindText(st.stmt, 2, names);
    BindText(st.stmt, 3, body);
    int rc = sqlite3_step(st.stmt);
    if (rc != SQLITE_DONE) db.RaiseEngine(rc, sql);
    return true;
}

bool LookupProcedure(Database& db, const std::string& name, std::string& sql) {
    if (!db.HasTable(kProcedureTable)) return false;  // no procedure was ever made here
    Statement st;
    // The catalogue is a table users can edit by hand: a changed layout is an error, not "no such
    // procedure".
    std::string q = std::string("SELECT Parameters, Body FROM ") + kProcedureTable + " WHERE Name = ?1";
    db.Prepare(q, st);
    BindText(st.stmt, 1, Unbracket(name));
    if (!db.Step(st, q)) return false;
    std::string params = ColumnText(st.stmt, 0);
    std::string body = ColumnText(st.stmt, 1);
    if (body.find_first_not_of(" \t\r\n") == std::string::npos)
        Raise(DB_E_ERRORSINCOMMAND,
              "The stored procedure '" + Unbracket(name) + "' has no body (its Body in " + kProcedureTable + " is empty).",
              kEngineSource);
    std::vector<std::string> names;
    std::size_t s = 0;
    while (!params.empty()) {
        std::size_t comma = params.find(',', s);
        names.push_back(Upper(params.substr(s, comma == std::string::npos ? std::string::npos : comma - s)));
        if (comma == std::string::npos) break;
        s = comma + 1;
    }
    // Parameter names in the body become positional markers; quoted texts are left alone.
    std::string out;
    std::size_t i = 0, n = body.size();
    while (i < n) {
        char c = body[i];
        if (c == '\'' || c == '"') {
            std::size_t j = i + 1;
            while (j < n && !(body[j] == c && (j + 1 >= n || body[j + 1] != c))) j += body[j] == c ? 2 : 1;
            out.append(body, i, (j < n ? j + 1 : n) - i);
            i = j < n ? j + 1 : n;
            continue;
        }
        bool bracket = c == '[';
        if (bracket || (IsIdentChar(c) && !std::isdigit(static_cast<unsigned char>(c)))) {
            std::size_t j = i;
            std::string w;
            if (bracket) {
                j = body.find(']', i);
                j = j == std::string::npos ? n : j + 1;
                w = Upper(body.substr(i + 1, j - i - 2));
            } else {
                while (j < n && IsIdentChar(body[j])) ++j;
                w = Upper(body.substr(i, j - i));
            }
            std::size_t k = 0;
            for (; k < names.size(); ++k)
                if (names[k] == w) break;
            if (k < names.size()) {
                out += '?';
                out += std::to_string(k + 1);
            }
            else out.append(body, i, j - i);
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    sql = out;
    return true;
}

}  // namespace NUVADO::detail
