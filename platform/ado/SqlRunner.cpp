#include "ado/SqlRunner.h"

#include <sqlcipher/sqlite3.h>

#include <cstdlib>
#include <cstring>

#include "ado/BaseTables.h"
#include "ado/CellReader.h"
#include "ado/ConnectionImpl.h"
#include "ado/Errors.h"
#include "ado/Procedures.h"
#include "ado/SqlDialect.h"
#include "ado/TextConvert.h"
#include "ado/ValueBinding.h"

namespace NUVADO::detail {

namespace {

// The value-typed description of a column without a declaration: from the values it holds.
void InferType(Snapshot& s, std::size_t c) {
    Column& col = s.cols[c];
    bool anyInt = false, anyBig = false, anyReal = false, anyText = false, anyBlob = false;
    for (std::size_t r = 0; r < s.rows; ++r) {
        switch (s.Type(r, c)) {
        case VT_I4: anyInt = true; break;
        case VT_I8: anyBig = true; break;
        case VT_R8: anyReal = true; break;
        case VT_BSTR: anyText = true; break;
        case VT_NULL: break;
        default: anyBlob = true;
        }
    }
    VARTYPE target;
    if (anyBlob && !anyText && !anyInt && !anyBig && !anyReal) {
        col.type = adLongVarBinary, col.definedSize = 1073741823, col.attributes |= adFldLong;
        target = VT_ARRAY | VT_UI1;
    } else if (anyText || anyBlob) {
        col.type = adVarWChar, col.definedSize = 255;
        target = VT_BSTR;
    } else if (anyReal) {
        col.type = adDouble, col.definedSize = 8, col.attributes |= adFldFixed, col.precision = 15;
        target = VT_R8;
    } else if (anyBig) {
        col.type = adBigInt, col.definedSize = 8, col.attributes |= adFldFixed, col.precision = 19;
        target = VT_I8;
    } else {
        (void)anyInt;  // integers, or no values at all: a long integer (count(*), max(ID), ...)
        col.type = adInteger, col.definedSize = 4, col.attributes |= adFldFixed, col.precision = 10;
        target = VT_I4;
    }
    col.typed = true;
    for (std::size_t r = 0; r < s.rows; ++r) {
        VARTYPE type = s.Type(r, c);
        if (type == VT_NULL || type == target) continue;
        VARIANT& v = s.Cell(r, c);
        VARIANT t;
        VariantInit(&t);
        if (SUCCEEDED(VariantChangeType(&t, &v, 0, target))) {
            VariantClear(&v);
            std::memcpy(&v, &t, sizeof t);
        }
    }
}

std::shared_ptr<Snapshot> Load(Database& db, sqlite3_stmt* st, const std::string& sql, bool forUpdate) {
    auto s = std::make_shared<Snapshot>();
    int n = sqlite3_column_count(st);
    for (int i = 0; i < n; ++i) {
        Column c;
        const char* name = sqlite3_column_name(st, i);
        c.name = name ? name : "";
        c.wname = NUVWin::Utf8ToUtf16(c.name);
        const char* decl = sqlite3_column_decltype(st, i);
        const char* table = sqlite3_column_table_name(st, i);
        const char* origin = sqlite3_column_origin_name(st, i);
        if (table) c.baseTable = table;
        if (origin) c.baseColumn = origin;
        if (decl) DescribeDeclaredType(decl, c);
        s->cols.push_back(std::move(c));
    }
    std::size_t ncols = static_cast<std::size_t>(n);
    std::vector<VARTYPE> want(ncols);
    for (std::size_t i = 0; i < ncols; ++i) want[i] = WantedType(s->cols[i]);
    s->Reserve(1024);
    for (;;) {
        int rc = sqlite3_step(st);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) db.RaiseEngine(rc, sql);
        std::size_t row = s->AddRow();
        for (std::size_t i = 0; i < ncols; ++i) {
            VARIANT v;
            v.ullVal = 0;  // narrower values leave the rest of the cell as zeros
            ReadCell(st, static_cast<int>(i), want[i], v, s.get());
            s->Take(row, i, v);
        }
    }
    for (std::size_t i = 0; i < ncols; ++i)
        if (!s->cols[i].typed) InferType(*s, i);
    DescribeBase(db, *s, sql, forUpdate);
    return s;
}

}  // namespace

std::shared_ptr<Snapshot> RunSql(ConnectionImpl& conn, const std::string& sqlIn, const std::vector<_variant_t>& params,
                                 const std::vector<DataTypeEnum>& paramTypes, bool forUpdate, long& affected) {
    Database& db = conn.Db();
    affected = 0;
    if (ExecuteProcedureDdl(db, sqlIn)) return nullptr;
    std::string sql = TranslateSql(sqlIn);
    std::shared_ptr<Snapshot> result;
    const char* p = sql.c_str();
    const char* end = p + sql.size();
    std::size_t nextParam = 0;
    while (p < end) {
        Statement st;
        const char* tail = nullptr;
        int rc = sqlite3_prepare_v2(db.db, p, static_cast<int>(end - p), &st.stmt, &tail);
        if (rc != SQLITE_OK) db.RaiseEngine(rc, sqlIn);
        if (!st.stmt) break;  // only blanks or comments remained
        p = tail;
        int count = sqlite3_bind_parameter_count(st.stmt);
        for (int k = 1; k <= count; ++k) {
            const char* pname = sqlite3_bind_parameter_name(st.stmt, k);
            std::size_t index = pname && pname[0] == '?' && pname[1] ? static_cast<std::size_t>(std::atoi(pname + 1) - 1) : nextParam++;
            if (index >= params.size())
                Raise(DB_E_PARAMNOTOPTIONAL, "No value given for one or more required parameters (parameter " + std::to_string(index + 1) + ").",
                      kEngineSource);
            BindValue(st.stmt, k, params[index], index < paramTypes.size() ? paramTypes[index] : adVariant);
        }
        if (sqlite3_column_count(st.stmt) > 0) {
            result = Load(db, st.stmt, sqlIn, forUpdate && !db.readOnly);
        } else {
            rc = sqlite3_step(st.stmt);
            if (rc != SQLITE_DONE && rc != SQLITE_ROW) db.RaiseEngine(rc, sqlIn);
            affected += sqlite3_changes(db.db);
        }
    }
    return result;
}

}  // namespace NUVADO::detail
