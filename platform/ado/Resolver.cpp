#include "ado/Resolver.h"

#include <sqlcipher/sqlite3.h>

#include "ado/Errors.h"
#include "ado/Procedures.h"
#include "ado/SqlWords.h"

namespace NUVADO::detail {

namespace {

bool IsTableOrView(Database& db, const std::string& name) {
    Statement st;
    db.Prepare("SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE", st);
    std::string n = Unbracket(name);
    sqlite3_bind_text(st.stmt, 1, n.data(), static_cast<int>(n.size()), SQLITE_TRANSIENT);
    int rc = sqlite3_step(st.stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) db.RaiseEngine(rc, "sqlite_master");
    return rc == SQLITE_ROW;
}

std::string ReadWhole(const std::string& name) { return "SELECT * FROM " + Ident(Unbracket(name)); }

[[noreturn]] void RaiseNoSuchName(const std::string& name) {
    Raise(DB_E_NOTABLE,
          "The database engine cannot find the input table or query '" + name +
              "'. Make sure it exists and that its name is spelled correctly.",
          kEngineSource);
}

std::string Trimmed(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

// One name, bracketed or plain: what a table, view or procedure can be called by alone.
bool IsSingleName(const std::string& t) {
    if (t.empty()) return false;
    if (t.front() == '[') return t.back() == ']' && t.find(']') == t.size() - 1;
    return t.find_first_of(" \t\r\n(;") == std::string::npos;
}

}  // namespace

std::string ResolveSource(Database& db, const std::string& text, long commandType) {
    std::string name = Trimmed(text);
    std::string sql;
    switch (commandType) {
    case adCmdTable:
    case adCmdTableDirect:
        if (!IsTableOrView(db, name)) RaiseNoSuchName(name);
        return ReadWhole(name);
    case adCmdStoredProc:
        if (LookupProcedure(db, name, sql)) return sql;
        if (IsTableOrView(db, name)) return ReadWhole(name);
        RaiseNoSuchName(name);
    case adCmdUnknown:
        if (IsSingleName(name)) {
            if (LookupProcedure(db, name, sql)) return sql;
            if (IsTableOrView(db, name)) return ReadWhole(name);
        }
        return text;
    default: return text;
    }
}

}  // namespace NUVADO::detail
