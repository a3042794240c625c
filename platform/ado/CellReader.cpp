#include "ado/CellReader.h"

#include <sqlcipher/sqlite3.h>

#include <cmath>
#include <cstring>

#include "ado/Snapshot.h"
#include "ado/TextConvert.h"
#include "com/OleDateTime.h"

namespace NUVADO::detail {

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

}  // namespace

// Reads into a value that holds nothing to release; want is the field's variant tag (VT_VARIANT
// when the column has no declared type). With a snapshot, texts go into its arena and `out`
// becomes a reference to them (the snapshot's arena text tag), for the snapshot to take.
void ReadCell(sqlite3_stmt* st, int i, VARTYPE want, VARIANT& out, Snapshot* keep) {
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

void ReadCellInto(sqlite3_stmt* st, int i, const Column& col, VARIANT& out) {
    VariantClear(&out);
    ReadCell(st, i, WantedType(col), out);
}

}  // namespace NUVADO::detail
