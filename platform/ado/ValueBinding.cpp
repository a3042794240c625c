#include "ado/ValueBinding.h"

#include <sqlcipher/sqlite3.h>

#include <cstdio>

#include "ado/Errors.h"
#include "ado/FieldTypes.h"
#include "ado/TextConvert.h"

namespace NUVADO::detail {

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
        NUVWin::AppendUtf16AsUtf8(s, std::u16string_view(t.bstrVal, SysStringLen(t.bstrVal)));
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

}  // namespace NUVADO::detail
