#include <sqlcipher/sqlite3.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "ado/ConnectionString.h"
#include "ado/Objects.h"
#include "win/FileSystem.h"

namespace NUVADO::detail {

// --- Reading rows ---

// Reads the stored date forms without the C library's scanners (every date cell passes here):
// "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]", "YYYY-MM-DDTHH:MM:SS", "HH:MM[:SS]".
bool ParseStoredDate(const char* s, int n, DATE& out) {
    // The form the layer itself writes, "YYYY-MM-DD HH:MM:SS", read by place.
    if (n == 19 && s[4] == '-' && s[7] == '-' && (s[10] == ' ' || s[10] == 'T') && s[13] == ':' && s[16] == ':') {
        auto two = [s](int at) {
            unsigned a = static_cast<unsigned char>(s[at]) - '0', b = static_cast<unsigned char>(s[at + 1]) - '0';
            return a < 10 && b < 10 ? static_cast<int>(a * 10 + b) : -1;
        };
        int c = two(0), y = two(2), mo = two(5), d = two(8), h = two(11), mi = two(14), se = two(17);
        if ((c | y | mo | d | h | mi | se) < 0) return false;
        return NUVCom::DateFromParts(c * 100 + y, mo, d, h, mi, se, out);
    }
    int i = 0;
    auto digits = [&](int count, int& value) {
        value = 0;
        for (int k = 0; k < count; ++k, ++i) {
            if (i >= n || s[i] < '0' || s[i] > '9') return false;
            value = value * 10 + (s[i] - '0');
        }
        return true;
    };
    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, se = 0;
    bool hasDate = n >= 10 && s[4] == '-' && s[7] == '-';
    if (hasDate) {
        if (!digits(4, y) || s[i++] != '-' || !digits(2, mo) || s[i++] != '-' || !digits(2, d)) return false;
        if (i < n && (s[i] == ' ' || s[i] == 'T')) ++i;
        else if (i < n) return false;
    }
    if (i < n) {
        if (!digits(2, h) || i >= n || s[i++] != ':' || !digits(2, mi)) return false;
        if (i < n && s[i] == ':') {
            ++i;
            if (!digits(2, se)) return false;
            if (i < n && s[i] == '.') {
                ++i;
                while (i < n && s[i] >= '0' && s[i] <= '9') ++i;
            }
        }
        while (i < n && s[i] == ' ') ++i;
        if (i != n) return false;
    } else if (!hasDate) {
        return false;
    }
    return NUVCom::DateFromParts(y, mo, d, h, mi, se, out);
}

namespace {

// The value as the engine holds it; kind is the column's sqlite3_column_type.
void Natural(sqlite3_stmt* st, int i, int kind, VARIANT& out) {
    switch (kind) {
    case SQLITE_INTEGER: {
        sqlite3_int64 v = sqlite3_column_int64(st, i);
        if (v >= INT32_MIN && v <= INT32_MAX) out.vt = VT_I4, out.lVal = static_cast<std::int32_t>(v);
        else out.vt = VT_I8, out.llVal = v;
        return;
    }
    case SQLITE_FLOAT: out.vt = VT_R8; out.dblVal = sqlite3_column_double(st, i); return;
    case SQLITE_TEXT: {
        const char* s = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
        out.vt = VT_BSTR;
        out.bstrVal = AllocBstr(std::string_view(s, static_cast<std::size_t>(sqlite3_column_bytes(st, i))));
        return;
    }
    case SQLITE_BLOB: {
        int n = sqlite3_column_bytes(st, i);
        SAFEARRAY* a = SafeArrayCreateVector(VT_UI1, 0, static_cast<std::uint32_t>(n));
        if (n) std::memcpy(a->pvData, sqlite3_column_blob(st, i), static_cast<std::size_t>(n));
        out.vt = VT_ARRAY | VT_UI1;
        out.parray = a;
        return;
    }
    default: out.vt = VT_NULL;
    }
}

// Reads into a value that holds nothing to release; want is the field's variant tag (VT_VARIANT
// when the column has no declared type). With a snapshot, texts go into its arena and `out`
// becomes a reference to them (the snapshot's arena text tag), for the snapshot to take.
void ReadCell(sqlite3_stmt* st, int i, VARTYPE want, VARIANT& out, Snapshot* keep = nullptr) {
    int kind = sqlite3_column_type(st, i);
    if (kind == SQLITE_NULL) {
        out.vt = VT_NULL;
        return;
    }
    // The common cases without a detour through a general conversion.
    if (want == VT_I4 && kind == SQLITE_INTEGER) {
        sqlite3_int64 v = sqlite3_column_int64(st, i);
        if (v >= INT32_MIN && v <= INT32_MAX) {
            out.vt = VT_I4;
            out.lVal = static_cast<std::int32_t>(v);
            return;
        }
    }
    if ((want == VT_I2 || want == VT_UI1) && kind == SQLITE_INTEGER) {
        sqlite3_int64 v = sqlite3_column_int64(st, i);
        if (want == VT_I2 && v >= INT16_MIN && v <= INT16_MAX) {
            out.vt = VT_I2;
            out.iVal = static_cast<std::int16_t>(v);
            return;
        }
        if (want == VT_UI1 && v >= 0 && v <= 255) {
            out.vt = VT_UI1;
            out.bVal = static_cast<std::uint8_t>(v);
            return;
        }
    }
    if (want == VT_R8 && (kind == SQLITE_FLOAT || kind == SQLITE_INTEGER)) {
        out.vt = VT_R8;
        out.dblVal = sqlite3_column_double(st, i);
        return;
    }
    if (kind == SQLITE_TEXT && (want == VT_BSTR || want == VT_DATE || want == VT_VARIANT)) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
        int n = sqlite3_column_bytes(st, i);
        // Dates are read now: eight bytes in the cell instead of their text kept beside it.
        if (want == VT_DATE && ParseStoredDate(text, n, out.date)) {
            out.vt = VT_DATE;
            return;
        }
        // Else text (a date field's text that is not a date stays the text it is).
        if (keep) return keep->Store(out, text, static_cast<std::size_t>(n));
        return Natural(st, i, kind, out);
    }
    if (want == VT_CY && (kind == SQLITE_FLOAT || kind == SQLITE_INTEGER)) {
        out.vt = VT_CY;
        out.cyVal.int64 = std::llround(sqlite3_column_double(st, i) * 10000.0);
        return;
    }
    if (want == VT_BOOL && kind == SQLITE_INTEGER) {
        out.vt = VT_BOOL;
        out.boolVal = sqlite3_column_int64(st, i) ? VARIANT_TRUE : VARIANT_FALSE;
        return;
    }
    if (want == (VT_ARRAY | VT_UI1) && (kind == SQLITE_BLOB || kind == SQLITE_TEXT)) {
        int n = sqlite3_column_bytes(st, i);
        SAFEARRAY* a = SafeArrayCreateVector(VT_UI1, 0, static_cast<std::uint32_t>(n));
        const void* p = kind == SQLITE_BLOB ? sqlite3_column_blob(st, i) : static_cast<const void*>(sqlite3_column_text(st, i));
        if (n) std::memcpy(a->pvData, p, static_cast<std::size_t>(n));
        out.vt = VT_ARRAY | VT_UI1;
        out.parray = a;
        return;
    }
    if (want == VT_BSTR && kind == SQLITE_BLOB) {
        const char* s = static_cast<const char*>(sqlite3_column_blob(st, i));
        out.vt = VT_BSTR;
        out.bstrVal = AllocBstr(std::string_view(s, static_cast<std::size_t>(sqlite3_column_bytes(st, i))));
        return;
    }
    Natural(st, i, kind, out);
    if (want == VT_VARIANT || want == out.vt) return;
    if (want == VT_DATE && out.vt == VT_I4) {  // whole day numbers
        double d = out.lVal;
        out.vt = VT_DATE;
        out.date = d;
        return;
    }
    VARIANT t;
    VariantInit(&t);
    if (SUCCEEDED(VariantChangeType(&t, &out, 0, want))) {
        VariantClear(&out);
        std::memcpy(&out, &t, sizeof t);
    }
}

VARTYPE WantedType(const Column& col) { return col.typed ? VariantTypeOf(col.type) : static_cast<VARTYPE>(VT_VARIANT); }

}  // namespace

void ReadCellInto(sqlite3_stmt* st, int i, const Column& col, VARIANT& out) {
    VariantClear(&out);
    ReadCell(st, i, WantedType(col), out);
}

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
        if (sqlite3_prepare_v2(db.db, q.c_str(), -1, &st.stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(st.stmt) == SQLITE_ROW) {
                const char* ty = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 2));
                t.info.push_back({reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 1)), sqlite3_column_int(st.stmt, 3) != 0,
                                  sqlite3_column_int(st.stmt, 5) != 0, ty ? ty : ""});
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

std::shared_ptr<Snapshot> Load(Database& db, sqlite3_stmt* st, const std::string& sql, bool forUpdate) {
    auto s = std::make_shared<Snapshot>();
    int n = sqlite3_column_count(st);
    for (int i = 0; i < n; ++i) {
        Column c;
        const char* name = sqlite3_column_name(st, i);
        c.name = name ? name : "";
        c.wname = Utf8To16(c.name);
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

// --- Connection ---

namespace {

bool StartsWithNoCase(const std::string& s, const char* p) { return strncasecmp(s.c_str(), p, std::strlen(p)) == 0; }

// Functions of the desktop engine's SQL that SQLite does not have.
void SqlNow(sqlite3_context* ctx, int, sqlite3_value**) {
    COleDateTime t = COleDateTime::GetCurrentTime();
    std::string s = t.Format("%Y-%m-%d %H:%M:%S").str();
    sqlite3_result_text(ctx, s.c_str(), -1, SQLITE_TRANSIENT);
}

void SqlDate(sqlite3_context* ctx, int, sqlite3_value**) {
    COleDateTime t = COleDateTime::GetCurrentTime();
    std::string s = t.Format("%Y-%m-%d 00:00:00").str();
    sqlite3_result_text(ctx, s.c_str(), -1, SQLITE_TRANSIENT);
}

void SqlUcase(sqlite3_context* ctx, int, sqlite3_value** v) {
    const unsigned char* s = sqlite3_value_text(v[0]);
    if (!s) return sqlite3_result_null(ctx);
    std::string out(reinterpret_cast<const char*>(s));
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    sqlite3_result_text(ctx, out.c_str(), -1, SQLITE_TRANSIENT);
}

void SqlLcase(sqlite3_context* ctx, int, sqlite3_value** v) {
    const unsigned char* s = sqlite3_value_text(v[0]);
    if (!s) return sqlite3_result_null(ctx);
    std::string out(reinterpret_cast<const char*>(s));
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    sqlite3_result_text(ctx, out.c_str(), -1, SQLITE_TRANSIENT);
}

void SqlIif(sqlite3_context* ctx, int, sqlite3_value** v) {
    bool cond = sqlite3_value_type(v[0]) != SQLITE_NULL && sqlite3_value_double(v[0]) != 0;
    sqlite3_result_value(ctx, v[cond ? 1 : 2]);
}

void SqlNz(sqlite3_context* ctx, int argc, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) != SQLITE_NULL) return sqlite3_result_value(ctx, v[0]);
    if (argc > 1) return sqlite3_result_value(ctx, v[1]);
    sqlite3_result_int(ctx, 0);
}

// Characters of a UTF-8 text: for Left/Right/Mid/Len, which count characters, not bytes.
std::u16string Chars(sqlite3_value* v) {
    const unsigned char* s = sqlite3_value_text(v);
    return s ? Utf8To16(reinterpret_cast<const char*>(s)) : std::u16string();
}

void ResultChars(sqlite3_context* ctx, std::u16string_view w) {
    std::string s = Utf16To8(w);
    sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

void SqlLeft(sqlite3_context* ctx, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::u16string w = Chars(v[0]);
    auto n = static_cast<std::size_t>(std::max(0, sqlite3_value_int(v[1])));
    ResultChars(ctx, std::u16string_view(w).substr(0, n));
}

void SqlRight(sqlite3_context* ctx, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::u16string w = Chars(v[0]);
    auto n = std::min(w.size(), static_cast<std::size_t>(std::max(0, sqlite3_value_int(v[1]))));
    ResultChars(ctx, std::u16string_view(w).substr(w.size() - n));
}

void SqlMid(sqlite3_context* ctx, int argc, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::u16string w = Chars(v[0]);
    auto start = static_cast<std::size_t>(std::max(1, sqlite3_value_int(v[1])) - 1);
    std::size_t n = argc > 2 ? static_cast<std::size_t>(std::max(0, sqlite3_value_int(v[2]))) : std::u16string::npos;
    ResultChars(ctx, start < w.size() ? std::u16string_view(w).substr(start, n) : std::u16string_view());
}

void SqlLen(sqlite3_context* ctx, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, static_cast<int>(Chars(v[0]).size()));
}

void RegisterFunctions(sqlite3* db) {
    struct F {
        const char* name;
        int args;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
    } fns[] = {{"Now", 0, SqlNow},     {"Date", 0, SqlDate},   {"UCase", 1, SqlUcase}, {"LCase", 1, SqlLcase},
               {"IIf", 3, SqlIif},     {"Nz", 1, SqlNz},       {"Nz", 2, SqlNz},       {"NUV_LEFT", 2, SqlLeft},
               {"NUV_RIGHT", 2, SqlRight}, {"Mid", 2, SqlMid},     {"Mid", 3, SqlMid},     {"Len", 1, SqlLen}};
    for (const F& f : fns) sqlite3_create_function(db, f.name, f.args, SQLITE_UTF8, nullptr, f.fn, nullptr, nullptr);
}

}  // namespace

Database& ConnectionImpl::Db() {
    if (!db_) RaiseClosed(kConnectionSource);
    return *db_;
}

HRESULT ConnectionImpl::Open(const _bstr_t& connectionString, const _bstr_t&, const _bstr_t&, long) {
    if (db_) Raise(adErrObjectOpen, "Operation is not allowed when the object is open.", kConnectionSource);
    if (connectionString.length() > 0) connectionString_ = connectionString;
    std::string text = BstrToUtf8(connectionString_);
    ConnectionString cs;
    std::string why;
    if (!cs.Parse(text, &why))
        Raise(static_cast<unsigned>(E_FAIL), "Format of the initialization string is not valid (" + why + ").",
              kConnectionSource);
    const std::string* provider = cs.Find("Provider");
    if (!provider || !(StartsWithNoCase(*provider, "Microsoft.Jet.OLEDB") || StartsWithNoCase(*provider, "Microsoft.ACE.OLEDB")))
        Raise(adErrProviderNotFound, "Provider cannot be found. It may not be properly installed" +
                                         std::string(provider ? " ('" + *provider + "')." : " (the connection string names none)."),
              kConnectionSource);
    provider_ = *provider;
    const std::string* source = cs.Find("Data Source");
    std::string path = source ? *source : std::string();
    const std::string* pw = cs.Find("Jet OLEDB:Database Password");
    std::string password = pw ? *pw : std::string();
    const std::string* mode = cs.Find("Mode");
    bool readOnly = mode && strcasestr(mode->c_str(), "read") && !strcasestr(mode->c_str(), "write");

    CString gbkPath = CString::FromUtf8(path);
    std::string native = NUVWin::NativePath(gbkPath);
    struct stat sb {};
    if (path.empty() || stat(native.c_str(), &sb) != 0 || !S_ISREG(sb.st_mode))
        Raise(static_cast<unsigned>(E_FAIL), "Could not find file '" + path + "'.", kEngineSource);

    // A plain SQLite file starts with this header; an encrypted one looks like noise.
    char header[16] = {0};
    {
        std::ifstream f(native, std::ios::binary);
        f.read(header, sizeof header);
    }
    bool plain = std::memcmp(header, "SQLite format 3", 16) == 0;
    bool empty = sb.st_size == 0;

    auto db = std::make_shared<Database>();
    db->path = path;
    db->nativePath = native;
    db->readOnly = readOnly;
    int rc = sqlite3_open_v2(native.c_str(), &db->db, (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db->db ? sqlite3_errmsg(db->db) : sqlite3_errstr(rc);
        Raise(static_cast<unsigned>(E_FAIL), "The database engine cannot open the file '" + path + "' (" + msg + ").", kEngineSource);
    }
    // Without a password on a file that has one, or with a password on a plain file, the engine
    // answers as the desktop engine does: the password must match how the file was written. A
    // password given for a plain file is ignored, as the desktop engine ignores it.
    if (!password.empty() && !plain) sqlite3_key(db->db, password.data(), static_cast<int>(password.size()));
    rc = sqlite3_exec(db->db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        if (!plain && !empty && (!password.empty() || (sb.st_size >= 1024 && sb.st_size % 512 == 0)))
            Raise(DB_SEC_E_AUTH_FAILED, "Not a valid password.", kEngineSource);
        Raise(static_cast<unsigned>(E_FAIL), "Unrecognized database format '" + path + "'.", kEngineSource);
    }
    sqlite3_busy_timeout(db->db, static_cast<int>(std::max(1L, connectionTimeout_ > 0 ? connectionTimeout_ : 15) * 1000));
    // Plain files are read through a memory map rather than copied page by page into the
    // engine's cache: a fifth less time for a large query. Encrypted pages must be decrypted
    // into the cache anyway, so those keep the default.
    if (plain || empty) sqlite3_exec(db->db, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    RegisterFunctions(db->db);
    db_ = std::move(db);
    return S_OK;
}

HRESULT ConnectionImpl::Close() {
    if (!db_) RaiseClosed(kConnectionSource);
    if (db_->transactionDepth > 0) sqlite3_exec(db_->db, "ROLLBACK", nullptr, nullptr, nullptr);
    db_->transactionDepth = 0;
    db_.reset();
    return S_OK;
}

_RecordsetPtr ConnectionImpl::Execute(const _bstr_t& commandText, VARIANT* recordsAffected, long options) {
    Database& db = Db();
    (void)db;
    long affected = 0;
    bool noRecords = options != adOptionUnspecified && (options & adExecuteNoRecords);
    auto snap = RunSql(*this, BstrToUtf8(commandText), {}, {}, false, affected);
    if (recordsAffected) {
        VariantClear(recordsAffected);
        recordsAffected->vt = VT_I4;
        recordsAffected->lVal = static_cast<std::int32_t>(affected);
    }
    auto* rs = new RecordsetImpl();
    _RecordsetPtr p(static_cast<_Recordset*>(rs));
    if (noRecords) return nullptr;
    if (snap)
        rs->Attach(std::move(snap), this, cursorLocation_ == adUseClient ? adOpenStatic : adOpenForwardOnly, adLockReadOnly,
                   BstrToUtf8(commandText), {}, {});
    return p;
}

long ConnectionImpl::BeginTrans() {
    Database& db = Db();
    db.Exec(db.transactionDepth == 0 ? "BEGIN" : "SAVEPOINT nuv_" + std::to_string(db.transactionDepth));
    return ++db.transactionDepth;
}

HRESULT ConnectionImpl::CommitTrans() {
    Database& db = Db();
    if (db.transactionDepth == 0) Raise(0x8004D00Eu, "No transaction is active.", kConnectionSource);
    --db.transactionDepth;
    db.Exec(db.transactionDepth == 0 ? "COMMIT" : "RELEASE nuv_" + std::to_string(db.transactionDepth));
    return S_OK;
}

HRESULT ConnectionImpl::RollbackTrans() {
    Database& db = Db();
    if (db.transactionDepth == 0) Raise(0x8004D00Eu, "No transaction is active.", kConnectionSource);
    --db.transactionDepth;
    if (db.transactionDepth == 0) db.Exec("ROLLBACK");
    else db.Exec("ROLLBACK TO nuv_" + std::to_string(db.transactionDepth) + "; RELEASE nuv_" + std::to_string(db.transactionDepth));
    return S_OK;
}

_RecordsetPtr ConnectionImpl::OpenSchema(SchemaEnum schema) {
    Database& db = Db();
    Rowset rs;
    auto col = [&](const char* name, DataTypeEnum type, long size) {
        RowsetColumn c;
        c.name = name;
        c.type = type;
        c.definedSize = size;
        rs.columns.push_back(c);
    };
    auto text = [](const std::string& s) { return _variant_t(_bstr_t(std::u16string_view(Utf8To16(s)))); };
    _variant_t null;
    null.vt = VT_NULL;
    std::vector<std::pair<std::string, std::string>> tables;  // name, type
    {
        Statement st;
        sqlite3_prepare_v2(db.db, "SELECT name, type FROM sqlite_master WHERE type IN ('table','view') ORDER BY name COLLATE NOCASE", -1,
                           &st.stmt, nullptr);
        while (sqlite3_step(st.stmt) == SQLITE_ROW) {
            std::string name = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 0));
            std::string type = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 1));
            bool system = StartsWithNoCase(name, "sqlite_") || strcasecmp(name.c_str(), kProcedureTable) == 0;
            tables.emplace_back(name, type == "view" ? "VIEW" : (system ? "SYSTEM TABLE" : "TABLE"));
        }
    }
    if (schema == adSchemaTables || schema == adSchemaViews) {
        col("TABLE_CATALOG", adVarWChar, 255);
        col("TABLE_SCHEMA", adVarWChar, 255);
        col("TABLE_NAME", adVarWChar, 255);
        col("TABLE_TYPE", adVarWChar, 255);
        for (auto& [name, type] : tables) {
            if (schema == adSchemaViews && type != "VIEW") continue;
            rs.cells.push_back(null);
            rs.cells.push_back(null);
            rs.cells.push_back(text(name));
            rs.cells.push_back(text(type));
        }
    } else if (schema == adSchemaColumns) {
        col("TABLE_NAME", adVarWChar, 255);
        col("COLUMN_NAME", adVarWChar, 255);
        col("ORDINAL_POSITION", adInteger, 4);
        col("DATA_TYPE", adSmallInt, 2);
        col("CHARACTER_MAXIMUM_LENGTH", adInteger, 4);
        col("IS_NULLABLE", adBoolean, 2);
        for (auto& [name, type] : tables) {
            Statement st;
            std::string q = "PRAGMA table_info(" + Ident(name) + ")";
            if (sqlite3_prepare_v2(db.db, q.c_str(), -1, &st.stmt, nullptr) != SQLITE_OK) continue;
            while (sqlite3_step(st.stmt) == SQLITE_ROW) {
                Column c;
                const char* decl = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 2));
                DescribeDeclaredType(decl ? decl : "", c);
                rs.cells.push_back(text(name));
                rs.cells.push_back(text(reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 1))));
                rs.cells.push_back(_variant_t(static_cast<long>(sqlite3_column_int(st.stmt, 0) + 1)));
                rs.cells.push_back(_variant_t(static_cast<short>(c.type)));
                if (VariantTypeOf(c.type) == VT_BSTR) rs.cells.push_back(_variant_t(c.definedSize));
                else rs.cells.push_back(null);
                rs.cells.push_back(_variant_t(sqlite3_column_int(st.stmt, 3) == 0 && sqlite3_column_int(st.stmt, 5) == 0));
            }
        }
    } else if (schema == adSchemaProcedures) {
        col("PROCEDURE_NAME", adVarWChar, 255);
        col("PROCEDURE_DEFINITION", adLongVarWChar, 536870910);
        Statement st;
        std::string q = std::string("SELECT Name, Body FROM ") + kProcedureTable + " ORDER BY Name";
        if (sqlite3_prepare_v2(db.db, q.c_str(), -1, &st.stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(st.stmt) == SQLITE_ROW) {
                rs.cells.push_back(text(reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 0))));
                rs.cells.push_back(text(reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 1))));
            }
    } else {
        Raise(adErrFeatureNotAvailable, "Object or provider is not capable of performing requested operation (schema " +
                                            std::to_string(schema) + ").",
              kConnectionSource);
    }
    auto* r = new RecordsetImpl();
    _RecordsetPtr p(static_cast<_Recordset*>(r));
    r->Attach(SnapshotFromRowset(rs), this, adOpenStatic, adLockReadOnly, "", {}, {});
    return p;
}

void ConnectionImpl::PutCommandTimeout(long s) {
    if (s < 0) RaiseBadArgument(kConnectionSource);
    commandTimeout_ = s;
}

void ConnectionImpl::PutCursorLocation(CursorLocationEnum l) {
    if (l != adUseServer && l != adUseClient && l != adUseNone) RaiseBadArgument(kConnectionSource);
    cursorLocation_ = l;
}

void ConnectionImpl::PutConnectionString(const _bstr_t& s) {
    if (db_) Raise(adErrObjectOpen, "Operation is not allowed when the object is open.", kConnectionSource);
    connectionString_ = s.GetBSTR() ? s : _bstr_t("");
}

}  // namespace NUVADO::detail
