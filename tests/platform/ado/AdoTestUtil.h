// Helpers for the ADO tests: a temporary folder, connections and quick queries.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "SqliteShell.h"
#include "TempDir.h"
#include "ado/Ado.h"
#include "ado/ConnectionString.h"

namespace adotest {

using namespace NUVADO;

inline std::string ConnStr(const std::string& path, const char* password = nullptr) {
    std::string s = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + ConnectionString::QuoteValue(path) + ";Persist Security Info=False;";
    if (password) s += "Jet OLEDB:Database Password=" + ConnectionString::QuoteValue(password);
    return s;
}

inline _ConnectionPtr Connect(const std::string& path, const char* password = nullptr) {
    _ConnectionPtr c;
    EXPECT_EQ(c.CreateInstance(CLSID_Connection), S_OK);
    c->Open(ConnStr(path, password).c_str(), "", "", -1);
    return c;
}

inline void Exec(const _ConnectionPtr& c, const std::string& sql) { c->Execute(sql.c_str(), nullptr, adExecuteNoRecords); }

inline _RecordsetPtr OpenRs(const _ConnectionPtr& c, const std::string& sql, CursorTypeEnum cursor = adOpenStatic,
                            LockTypeEnum lock = adLockOptimistic) {
    _RecordsetPtr rs;
    rs.CreateInstance(CLSID_Recordset);
    rs->Open(sql.c_str(), _variant_t(static_cast<IDispatch*>(c.GetInterfacePtr())), cursor, lock, adCmdUnknown);
    return rs;
}

inline _variant_t Val(const _RecordsetPtr& rs, const char* field) { return rs->GetFields()->GetItem(field)->GetValue(); }
inline long Long(const _RecordsetPtr& rs, const char* field) { return static_cast<long>(Val(rs, field)); }
inline std::string Text(const _RecordsetPtr& rs, const char* field) {
    _variant_t v = Val(rs, field);
    if (v.vt == VT_NULL) return "<null>";
    return static_cast<const char*>(static_cast<_bstr_t>(v));
}

// The error a call raises: its result code, or 0 when it raises nothing.
template <class F>
std::uint32_t ErrorOf(F&& f, std::string* description = nullptr) {
    try {
        f();
    } catch (const _com_error& e) {
        if (description) {
            const char* d = e.Description();
            *description = d ? d : "";
        }
        return static_cast<std::uint32_t>(e.Error());
    }
    return 0;
}

// Runs a test body, reporting a raised error with its code and description.
#define ADO_TRY(...)                                                               \
    try {                                                                          \
        __VA_ARGS__;                                                               \
    } catch (const _com_error& e) {                                                \
        const char* d_ = e.Description();                                          \
        FAIL() << std::hex << e.Error() << " " << (d_ ? d_ : "");                  \
    }

}  // namespace adotest
