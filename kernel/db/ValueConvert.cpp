#include "db/DbInternal.h"

#include "win/Encoding.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace NUVDb {

namespace {

bool IsEmptyOrNull(const VARIANT& v) { return v.vt == VT_EMPTY || v.vt == VT_NULL; }

// The value of an integer tag as a 64-bit number; false for other tags.
bool IntegerValue(const VARIANT& v, std::int64_t& out) {
    switch (v.vt) {
    case VT_I1: out = v.cVal; return true;
    case VT_UI1: out = v.bVal; return true;
    case VT_I2: out = v.iVal; return true;
    case VT_UI2: out = v.uiVal; return true;
    case VT_I4: out = v.lVal; return true;
    case VT_UI4: out = v.ulVal; return true;
    case VT_INT: out = v.intVal; return true;
    case VT_UINT: out = v.uintVal; return true;
    case VT_I8: out = v.llVal; return true;
    case VT_UI8: out = static_cast<std::int64_t>(v.ullVal); return true;
    case VT_BOOL: out = v.boolVal; return true;
    case VT_ERROR: out = v.scode; return true;
    default: return false;
    }
}

// Any value as a 4-byte signed integer: integers keep their low 32 bits; other tags convert by
// the runtime's rules (numbers rounded, texts parsed) and give 0 when they cannot.
std::int32_t AsInt32(const VARIANT& v) {
    std::int64_t i;
    if (IntegerValue(v, i)) return static_cast<std::int32_t>(static_cast<std::uint32_t>(i));
    if (v.vt == VT_DECIMAL) return static_cast<std::int32_t>(std::llround(DecimalValue(v.decVal)));
    VARIANT t;
    VariantInit(&t);
    std::int32_t r = SUCCEEDED(VariantChangeType(&t, &v, 0, VT_I4)) ? t.lVal : 0;
    VariantClear(&t);
    return r;
}

CString Decimal10(std::int64_t v) { return CString(std::to_string(v)); }

}  // namespace

double DecimalValue(const DECIMAL& d) {
    double magnitude = static_cast<double>(static_cast<std::uint32_t>(d.Lo64 & 0xFFFFFFFFu));
    double value = magnitude / std::pow(10.0, d.scale);
    return d.sign == DECIMAL_NEG ? -value : value;
}

int ToDouble(const VARIANT& v, double& out, Source source) {
    switch (v.vt) {
    case VT_EMPTY: case VT_NULL: out = 0.0; return 1;
    case VT_I2: out = v.iVal; return 1;
    case VT_I4: out = v.lVal; return 1;
    case VT_INT: out = v.intVal; return 1;
    case VT_UI1: out = v.bVal; return 1;
    case VT_R4: out = v.fltVal; return 1;
    case VT_R8: out = v.dblVal; return 1;
    case VT_DECIMAL: out = DecimalValue(v.decVal); return 1;
    default: break;
    }
    if (source == Source::Parameter) {
        out = 0.0;
        return 1;
    }
    if (v.vt == VT_DATE) {
        out = v.date;
        return 1;
    }
    // Tags the suite does not store in numeric fields: the runtime's conversion, else 0.
    VARIANT t;
    VariantInit(&t);
    out = SUCCEEDED(VariantChangeType(&t, &v, 0, VT_R8)) ? t.dblVal : 0.0;
    VariantClear(&t);
    return 1;
}

int ToLong(const VARIANT& v, long& out) {
    out = IsEmptyOrNull(v) ? 0 : AsInt32(v);
    return 1;
}

int ToInt(const VARIANT& v, int& out) {
    if (IsEmptyOrNull(v)) out = 0;
    else if (v.vt == VT_INT) out = v.intVal;
    else out = static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(AsInt32(v)) & 0xFFFFu));
    return 1;
}

int ToBool(const VARIANT& v, bool& out) {
    if (IsEmptyOrNull(v)) {
        out = false;
        return 1;
    }
    if (v.vt != VT_BOOL) return 0;
    out = v.boolVal != 0;
    return 1;
}

int ToDate(const VARIANT& v, COleDateTime& out) {
    if (IsEmptyOrNull(v)) {
        out.SetStatus(COleDateTime::null);
        return 1;
    }
    if (v.vt != VT_DATE) return 0;
    out = COleDateTime(v.date);  // valid, unless the day lies outside the calendar's range
    return 1;
}

int ToCurrency(const VARIANT& v, COleCurrency& out) {
    if (IsEmptyOrNull(v)) {
        out.m_cur.int64 = 0;
        out.SetStatus(COleCurrency::null);
        return 1;
    }
    if (v.vt != VT_CY) return 0;
    out.m_cur = v.cyVal;
    out.SetStatus(COleCurrency::valid);
    return 1;
}

int ToText(const VARIANT& v, CString& out, const char* dateFormat, Source source) {
    switch (v.vt) {
    case VT_EMPTY: case VT_NULL: out.Empty(); return 1;
    case VT_I2: out = Decimal10(v.iVal); return 1;
    case VT_UI1: out = Decimal10(v.bVal); return 1;
    case VT_INT: out = Decimal10(v.intVal); return 1;
    case VT_I4: out = Decimal10(v.lVal); return 1;
    case VT_UI4:
        if (source == Source::Parameter) break;
        out = Decimal10(v.ulVal);
        return 1;
    case VT_R4: out = GeneralFormat(v.fltVal, 10); return 1;
    case VT_R8: out = GeneralFormat(v.dblVal, 20); return 1;
    case VT_DECIMAL: out = GeneralFormat(DecimalValue(v.decVal), 20); return 1;
    case VT_DATE: {
        COleDateTime d(v.date);
        out = d.Format(dateFormat && *dateFormat ? dateFormat : "%Y-%m-%d %H:%M:%S");
        return 1;
    }
    case VT_BSTR: {
        // Plain ASCII, the common case, needs no code-page conversion.
        std::uint32_t n = v.bstrVal ? SysStringLen(v.bstrVal) : 0;
        std::string text(n, '\0');
        bool ascii = true;
        for (std::uint32_t i = 0; i < n && ascii; ++i) {
            ascii = v.bstrVal[i] < 0x80;
            text[i] = static_cast<char>(v.bstrVal[i]);
        }
        out = ascii ? CString(std::move(text)) : CString(NUVWin::Utf16ToGbk(std::u16string_view(v.bstrVal, n)));
        return 1;
    }
    default: break;
    }
    out.Empty();
    return 0;
}

CString GeneralFormat(double value, int digits) {
    if (digits < 1) digits = 1;
    if (std::isnan(value)) return "-1.#IND";
    if (std::isinf(value)) return value < 0 ? "-1.#INF" : "1.#INF";
    if (value == 0.0) return std::signbit(value) ? "-0." : "0.";
    // The significant digits and the decimal exponent, after rounding to `digits`.
    char sci[64];
    std::snprintf(sci, sizeof sci, "%.*e", digits - 1, value);
    const char* e = std::strchr(sci, 'e');
    int exponent = e ? std::atoi(e + 1) : 0;
    std::string text;
    // Fixed notation only from 0.1 upwards, as the platform's runtime writes it (not %g's 0.0001):
    // friction factors and roughnesses such as 0.05 or 0.0015 read in exponent form.
    if (exponent < -1 || exponent >= digits) {
        std::string mantissa(sci, e ? static_cast<std::size_t>(e - sci) : std::strlen(sci));
        if (mantissa.find('.') == std::string::npos) mantissa += '.';
        while (mantissa.back() == '0') mantissa.pop_back();
        char exp[16];
        std::snprintf(exp, sizeof exp, "e%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
        text = mantissa + exp;
    } else {
        char fixed[400];
        std::snprintf(fixed, sizeof fixed, "%.*f", digits - 1 - exponent, value);
        text = fixed;
        if (text.find('.') == std::string::npos) text += '.';
        while (text.back() == '0') text.pop_back();
    }
    return CString(text);
}

CString ErrorReport(const char* className, const _com_error& e) {
    _bstr_t source = e.Source();
    _bstr_t description = e.Description();
    const char* s = static_cast<const char*>(source);
    const char* d = static_cast<const char*>(description);
    CString report;
    report.Format("%s Error\n\tCode = %08lx\n\tCode meaning = %s\n\tSource = %s\n\tDescription = %s\n", className,
                  static_cast<unsigned long>(static_cast<std::uint32_t>(e.Error())), e.ErrorMessage(),
                  s ? s : "(null)", d ? d : "(null)");
    return report;
}

}  // namespace NUVDb

namespace NUVDb {

std::uint32_t CountRecords(const NUVADO::_RecordsetPtr& recordset) {
    long n = recordset->GetRecordCount();
    if (n != -1) return static_cast<std::uint32_t>(n);
    std::uint32_t count = 0;
    if (!recordset->GetEndOfFile()) recordset->MoveFirst();
    while (!recordset->GetEndOfFile()) {
        ++count;
        recordset->MoveNext();
    }
    if (count != 0) recordset->MoveFirst();
    return count;
}

}  // namespace NUVDb
