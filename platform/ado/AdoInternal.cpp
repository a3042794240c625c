#include "ado/AdoInternal.h"

#include <sqlcipher/sqlite3.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "win/Encoding.h"

namespace NUVADO::detail {

std::string Ident(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}


// --- Text ---

std::u16string Utf8To16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0, n = s.size();
    while (i < n) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += static_cast<char16_t>(c);
            ++i;
            continue;
        }
        char32_t cp;
        int extra;
        if ((c & 0xE0) == 0xC0) cp = c & 0x1F, extra = 1;
        else if ((c & 0xF0) == 0xE0) cp = c & 0x0F, extra = 2;
        else if ((c & 0xF8) == 0xF0) cp = c & 0x07, extra = 3;
        else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (i + static_cast<std::size_t>(extra) >= n) {
            out += u'\uFFFD';
            break;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            auto t = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((t & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (t & 0x3F);
        }
        if (!ok) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

void AppendUtf16As8(std::string& out, const char16_t* s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

BSTR AllocBstr(std::string_view utf8) {
    // Plain ASCII (the common case for keys and numbers) widens without a temporary.
    bool ascii = true;
    for (char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        BSTR b = SysAllocStringLen(nullptr, static_cast<std::uint32_t>(utf8.size()));
        for (std::size_t i = 0; i < utf8.size(); ++i) b[i] = static_cast<char16_t>(utf8[i]);
        return b;
    }
    std::u16string w = Utf8To16(utf8);
    return SysAllocStringLen(w.data(), static_cast<std::uint32_t>(w.size()));
}

std::string BstrToUtf8(const _bstr_t& s) {
    std::string out;
    if (s.GetBSTR()) AppendUtf16As8(out, s.GetBSTR(), s.length());
    return out;
}

std::string VariantTextUtf8(const VARIANT& v) {
    if (v.vt == VT_BSTR) {
        std::string out;
        AppendUtf16As8(out, v.bstrVal, SysStringLen(v.bstrVal));
        return out;
    }
    VARIANT t;
    VariantInit(&t);
    if (FAILED(VariantChangeType(&t, &v, 0, VT_BSTR))) return {};
    std::string out;
    AppendUtf16As8(out, t.bstrVal, SysStringLen(t.bstrVal));
    VariantClear(&t);
    return out;
}

// --- Errors ---

void Raise(unsigned hr, const std::string& description, const char* source) {
    std::u16string d = Utf8To16(description);
    throw _com_error(static_cast<HRESULT>(hr), _bstr_t(source), _bstr_t(std::u16string_view(d)));
}

void RaiseClosed(const char* source) {
    Raise(adErrObjectClosed, "Operation is not allowed when the object is closed.", source);
}

void RaiseNoCurrentRecord() {
    Raise(adErrNoCurrentRecord,
          "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record.",
          kRecordsetSource);
}

void RaiseNotSupported(const std::string& what) {
    Raise(adErrFeatureNotAvailable,
          "Current Recordset does not support " + what + ". This may be a limitation of the provider, or of the selected locktype.",
          kRecordsetSource);
}

void RaiseBadArgument(const char* source) {
    Raise(adErrInvalidArgument, "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another.", source);
}

void RaiseItemNotFound(const std::string& name) {
    Raise(adErrItemNotFound,
          "Item cannot be found in the collection corresponding to the requested name or ordinal ('" + name + "').",
          kFieldsSource);
}

// --- Database ---

Database::~Database() {
    if (db) sqlite3_close_v2(db);
}

Statement::~Statement() {
    if (stmt) sqlite3_finalize(stmt);
}

namespace {

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// The name inside "no such table: X" / "no such column: X".
std::string After(const std::string& msg, const char* prefix) {
    std::size_t p = msg.find(prefix);
    return p == std::string::npos ? std::string() : msg.substr(p + std::strlen(prefix));
}

}  // namespace

void Database::RaiseEngine(int rc, const std::string& sql) const {
    std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    int primary = rc & 0xFF;
    if (primary == SQLITE_CONSTRAINT) {
        if (msg.find("UNIQUE") != std::string::npos || msg.find("PRIMARY KEY") != std::string::npos)
            Raise(DB_E_INTEGRITYVIOLATION,
                  "The changes you requested to the table were not successful because they would create duplicate values in "
                  "the index, primary key, or relationship (" + msg + ").",
                  kEngineSource);
        if (msg.find("NOT NULL") != std::string::npos)
            Raise(DB_E_INTEGRITYVIOLATION, "The field cannot contain a Null value (" + msg + ").", kEngineSource);
        Raise(DB_E_INTEGRITYVIOLATION, "The operation violates a rule of the table (" + msg + ").", kEngineSource);
    }
    if (primary == SQLITE_READONLY)
        Raise(static_cast<unsigned>(E_FAIL), "Cannot update. Database or object is read-only (" + msg + ").", kEngineSource);
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        Raise(static_cast<unsigned>(E_FAIL), "Could not update; currently locked (" + msg + ").", kEngineSource);
    if (primary == SQLITE_NOTADB)
        Raise(DB_SEC_E_AUTH_FAILED, "Not a valid password.", kEngineSource);
    if (primary == SQLITE_ERROR) {
        std::string table = After(msg, "no such table: ");
        if (!table.empty())
            Raise(DB_E_NOTABLE,
                  "The database engine cannot find the input table or query " + Quoted(table) +
                      ". Make sure it exists and that its name is spelled correctly.",
                  kEngineSource);
        std::string column = After(msg, "no such column: ");
        if (!column.empty())
            Raise(DB_E_PARAMNOTOPTIONAL, "No value given for one or more required parameters (unknown name " + Quoted(column) + ").",
                  kEngineSource);
        if (msg.find("syntax error") != std::string::npos || msg.find("incomplete input") != std::string::npos ||
            msg.find("unrecognized token") != std::string::npos)
            Raise(DB_E_ERRORSINCOMMAND, "Syntax error in SQL statement (" + msg + ") in: " + sql, kEngineSource);
        if (msg.find("already exists") != std::string::npos)
            Raise(DB_E_ERRORSINCOMMAND, "Object already exists (" + msg + ").", kEngineSource);
        Raise(DB_E_ERRORSINCOMMAND, msg + " in: " + sql, kEngineSource);
    }
    Raise(static_cast<unsigned>(E_FAIL), msg, kEngineSource);
}

void Database::Exec(const std::string& sql) const {
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK) RaiseEngine(rc, sql);
}

// --- Types ---

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

void DescribeDeclaredType(const std::string& declared, Column& c) {
    std::string d = Upper(declared);
    std::size_t paren = d.find('(');
    std::string base = d.substr(0, paren);
    while (!base.empty() && base.back() == ' ') base.pop_back();
    long n1 = -1, n2 = -1;
    if (paren != std::string::npos) std::sscanf(d.c_str() + paren, "(%ld , %ld", &n1, &n2);
    c.typed = true;
    c.precision = 0;
    c.scale = 0;
    auto is = [&](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (base == n) return true;
        return false;
    };
    auto fixed = [&](DataTypeEnum t, long size, unsigned char precision) {
        c.type = t;
        c.definedSize = size;
        c.precision = precision;
        c.attributes |= adFldFixed;
    };
    if (is({"COUNTER", "AUTOINCREMENT", "IDENTITY"})) {
        fixed(adInteger, 4, 10);
        c.autoIncrement = true;
    } else if (is({"LONG", "INTEGER", "INT", "INTEGER4", "INT4", "MEDIUMINT"})) {
        fixed(adInteger, 4, 10);
    } else if (is({"SHORT", "SMALLINT", "INTEGER2", "INT2"})) {
        fixed(adSmallInt, 2, 5);
    } else if (is({"BYTE", "TINYINT", "INTEGER1", "UNSIGNED BYTE"})) {
        fixed(adUnsignedTinyInt, 1, 3);
    } else if (is({"BIGINT", "INTEGER8", "INT8"})) {
        fixed(adBigInt, 8, 19);
    } else if (is({"SINGLE", "REAL", "FLOAT4", "IEEESINGLE"})) {
        fixed(adSingle, 4, 7);
    } else if (is({"DOUBLE", "FLOAT", "FLOAT8", "IEEEDOUBLE", "NUMBER", "DOUBLE PRECISION"})) {
        fixed(adDouble, 8, 15);
    } else if (is({"CURRENCY", "MONEY"})) {
        fixed(adCurrency, 8, 19);
    } else if (is({"DATETIME", "DATE", "TIME", "TIMESTAMP"})) {
        fixed(adDate, 8, 0);
    } else if (is({"BIT", "YESNO", "LOGICAL", "LOGICAL1", "BOOLEAN", "BOOL"})) {
        fixed(adBoolean, 2, 0);
    } else if (is({"DECIMAL", "NUMERIC", "DEC"})) {
        fixed(adNumeric, 19, static_cast<unsigned char>(n1 > 0 && n1 <= 28 ? n1 : 18));
        c.scale = static_cast<unsigned char>(n2 > 0 && n2 <= 28 ? n2 : 0);
    } else if (is({"GUID", "UNIQUEIDENTIFIER"})) {
        fixed(adGUID, 16, 0);
    } else if (is({"MEMO", "LONGTEXT", "LONGCHAR", "NOTE", "NTEXT", "CLOB"})) {
        c.type = adLongVarWChar;
        c.definedSize = 536870910;
        c.attributes |= adFldLong | adFldMayDefer;
    } else if (is({"LONGBINARY", "OLEOBJECT", "IMAGE", "GENERAL", "BLOB"})) {
        c.type = adLongVarBinary;
        c.definedSize = 1073741823;
        c.attributes |= adFldLong | adFldMayDefer;
    } else if (is({"BINARY", "VARBINARY"})) {
        c.type = adVarBinary;
        c.definedSize = n1 > 0 ? n1 : 510;
    } else if (is({"TEXT", "VARCHAR", "CHAR", "CHARACTER", "NVARCHAR", "NCHAR", "STRING", "ALPHANUMERIC",
                   "CHARACTER VARYING", "NATIONAL CHARACTER", "VARYING CHARACTER"})) {
        c.type = (base == "CHAR" || base == "NCHAR" || base == "CHARACTER") ? adWChar : adVarWChar;
        c.definedSize = n1 > 0 ? n1 : 255;
        if (c.type == adWChar) c.attributes |= adFldFixed;
    } else {
        // Unknown declarations: what SQLite's own affinity rules would store.
        c.typed = false;
        if (d.find("INT") != std::string::npos) fixed(adInteger, 4, 10), c.typed = true;
        else if (d.find("CHAR") != std::string::npos || d.find("TEXT") != std::string::npos || d.find("CLOB") != std::string::npos) {
            c.type = adVarWChar;
            c.definedSize = 255;
            c.typed = true;
        } else if (d.find("REAL") != std::string::npos || d.find("FLOA") != std::string::npos || d.find("DOUB") != std::string::npos)
            fixed(adDouble, 8, 15), c.typed = true;
    }
}

VARTYPE VariantTypeOf(DataTypeEnum t) {
    switch (t) {
    case adSmallInt: return VT_I2;
    case adInteger: return VT_I4;
    case adSingle: return VT_R4;
    case adDouble: return VT_R8;
    case adCurrency: return VT_CY;
    case adDate: case adDBDate: case adDBTime: case adDBTimeStamp: return VT_DATE;
    case adBoolean: return VT_BOOL;
    case adDecimal: case adNumeric: return VT_DECIMAL;
    case adTinyInt: return VT_I1;
    case adUnsignedTinyInt: return VT_UI1;
    case adUnsignedSmallInt: return VT_UI2;
    case adUnsignedInt: return VT_UI4;
    case adBigInt: return VT_I8;
    case adUnsignedBigInt: return VT_UI8;
    case adBinary: case adVarBinary: case adLongVarBinary: return static_cast<VARTYPE>(VT_ARRAY | VT_UI1);
    case adVariant: return VT_VARIANT;
    default: return VT_BSTR;
    }
}

bool IsLongType(DataTypeEnum t) { return t == adLongVarWChar || t == adLongVarChar || t == adLongVarBinary; }

// --- Binding values ---

namespace {

void BindText(sqlite3_stmt* st, int index, const std::string& s) {
    sqlite3_bind_text(st, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

std::string DateStorage(DATE d) {
    int y, mo, da, h, mi, s;
    if (!NUVCom::DateToParts(d, y, mo, da, h, mi, s)) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, da, h, mi, s);
    return buf;
}

[[noreturn]] void RaiseConversion(const std::string& what) {
    Raise(DB_E_ERRORSOCCURRED, "Multiple-step operation generated errors. Check each status value (" + what + ").", kEngineSource);
}

}  // namespace

void BindValue(sqlite3_stmt* st, int index, const VARIANT& v, DataTypeEnum type) {
    if (v.vt == VT_EMPTY || v.vt == VT_NULL || (v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND)) {
        sqlite3_bind_null(st, index);
        return;
    }
    if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) return BindValue(st, index, *v.pvarVal, type);
    VARTYPE want = VariantTypeOf(type);
    if (type == adVariant || type == adEmpty) want = v.vt;  // untyped: as given
    _variant_t t;
    if (want != v.vt && want != VT_VARIANT) {
        HRESULT hr = VariantChangeType(&t, &v, 0, want);
        if (FAILED(hr)) RaiseConversion("a value of type " + std::to_string(v.vt) + " does not convert to the field's type");
    } else {
        t = v;
    }
    switch (t.vt) {
    case VT_I1: case VT_I2: case VT_I4: case VT_INT: case VT_I8: case VT_UI1: case VT_UI2: case VT_UI4: case VT_UINT: case VT_UI8: {
        _variant_t i;
        if (FAILED(VariantChangeType(&i, &t, 0, VT_I8))) RaiseConversion("integer out of range");
        sqlite3_bind_int64(st, index, i.llVal);
        return;
    }
    case VT_BOOL: sqlite3_bind_int(st, index, t.boolVal ? 1 : 0); return;
    case VT_R4: sqlite3_bind_double(st, index, t.fltVal); return;
    case VT_R8: sqlite3_bind_double(st, index, t.dblVal); return;
    case VT_CY: sqlite3_bind_double(st, index, static_cast<double>(t.cyVal.int64) / 10000.0); return;
    case VT_DATE: {
        std::string s = DateStorage(t.date);
        if (s.empty()) RaiseConversion("date out of range");
        BindText(st, index, s);
        return;
    }
    case VT_DECIMAL: {
        DECIMAL d = t.decVal;
        if (d.Hi32 == 0 && d.scale == 0 && d.Lo64 <= static_cast<std::uint64_t>(INT64_MAX))
            sqlite3_bind_int64(st, index, d.sign == DECIMAL_NEG ? -static_cast<std::int64_t>(d.Lo64) : static_cast<std::int64_t>(d.Lo64));
        else
            BindText(st, index, NUVCom::DecimalToString(d));
        return;
    }
    case VT_BSTR: {
        std::string s;
        AppendUtf16As8(s, t.bstrVal, SysStringLen(t.bstrVal));
        BindText(st, index, s);
        return;
    }
    default:
        if (t.vt == (VT_ARRAY | VT_UI1) && t.parray) {
            sqlite3_bind_blob(st, index, t.parray->pvData, static_cast<int>(t.parray->rgsabound[0].cElements), SQLITE_TRANSIENT);
            return;
        }
        RaiseConversion("unsupported value type " + std::to_string(t.vt));
    }
}

// --- SQL translation ---

namespace {

bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80; }

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

// --- Self-numbering columns in CREATE TABLE ---

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

// How a self-numbering column of a CREATE TABLE becomes SQLite's. Its place among the keys
// decides whether it can be the table's row id.
enum class CounterForm {
    RowIdAuto,   // the only key: INTEGER PRIMARY KEY AUTOINCREMENT (numbers are never reused)
    OwnKeyAuto,  // declared PRIMARY KEY itself: INTEGER, AUTOINCREMENT after its KEY
    RowId,       // named alone by the table's PRIMARY KEY (...): INTEGER, the row id
    Trigger,     // another column is the key: kept as COUNTER, numbered by a trigger
};

struct CounterColumn {
    CounterForm form = CounterForm::RowIdAuto;
    std::string name;  // as stored
};

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

// --- Stored procedures ---

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

std::string Unbracket(std::string name) {
    if (name.size() >= 2 && ((name.front() == '[' && name.back() == ']') || (name.front() == '"' && name.back() == '"')))
        return name.substr(1, name.size() - 2);
    return name;
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
        sqlite3_prepare_v2(db.db, (std::string("DELETE FROM ") + kProcedureTable + " WHERE Name = ?1").c_str(), -1, &st.stmt, nullptr);
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
    sqlite3_prepare_v2(db.db, (std::string("INSERT INTO ") + kProcedureTable + " (Name, Parameters, Body) VALUES (?1, ?2, ?3)").c_str(),
                       -1, &st.stmt, nullptr);
    BindText(st.stmt, 1, name);
    BindText(st.stmt, 2, names);
    BindText(st.stmt, 3, body);
    int rc = sqlite3_step(st.stmt);
    if (rc != SQLITE_DONE) db.RaiseEngine(rc, sql);
    return true;
}

bool LookupProcedure(Database& db, const std::string& name, std::string& sql) {
    Statement st;
    std::string q = std::string("SELECT Parameters, Body FROM ") + kProcedureTable + " WHERE Name = ?1";
    if (sqlite3_prepare_v2(db.db, q.c_str(), -1, &st.stmt, nullptr) != SQLITE_OK) return false;  // no catalogue
    BindText(st.stmt, 1, Unbracket(name));
    if (sqlite3_step(st.stmt) != SQLITE_ROW) return false;
    const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 0));
    std::string params = p ? p : "";
    std::string body = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 1));
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
