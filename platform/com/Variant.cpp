#include "com/Variant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <strings.h>

#include "com/ComPtr.h"
#include "com/OleDateTime.h"

using u128 = unsigned __int128;
using i128 = __int128;

namespace {

constexpr u128 kDecMax = (static_cast<u128>(1) << 96) - 1;

u128 DecMagnitude(const DECIMAL& d) { return (static_cast<u128>(d.Hi32) << 64) | d.Lo64; }

DECIMAL MakeDec(u128 mag, int scale, bool neg) {
    DECIMAL d{};
    d.Lo64 = static_cast<std::uint64_t>(mag);
    d.Hi32 = static_cast<std::uint32_t>(mag >> 64);
    d.scale = static_cast<std::uint8_t>(scale);
    d.sign = neg && mag != 0 ? DECIMAL_NEG : 0;
    return d;
}

// ASCII view of a wide text for number and date parsing; nullopt-like false on other characters.
bool Ascii(BSTR s, std::string& out) {
    out.clear();
    std::uint32_t n = SysStringLen(s);
    for (std::uint32_t i = 0; i < n; ++i) {
        if (s[i] >= 0x80) return false;
        out += static_cast<char>(s[i]);
    }
    // Surrounding blanks are ignored, as the runtime's parser does.
    std::size_t a = out.find_first_not_of(" \t");
    std::size_t b = out.find_last_not_of(" \t");
    out = a == std::string::npos ? std::string() : out.substr(a, b - a + 1);
    return true;
}

bool ParseReal(const std::string& s, long double& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    v = std::strtold(s.c_str(), &end);
    return end && *end == 0 && std::isfinite(v);
}

BSTR AllocAscii(const std::string& s) {
    std::u16string w(s.begin(), s.end());
    return SysAllocStringLen(w.data(), static_cast<std::uint32_t>(w.size()));
}

bool IsIntegerTag(VARTYPE vt) {
    switch (vt) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8:
    case VT_INT: case VT_UINT: case VT_BOOL: case VT_EMPTY:
        return true;
    default:
        return false;
    }
}

i128 IntegerOf(const VARIANT* v) {
    switch (v->vt) {
    case VT_I1: return v->cVal;
    case VT_I2: return v->iVal;
    case VT_I4: case VT_INT: return v->lVal;
    case VT_I8: return v->llVal;
    case VT_UI1: return v->bVal;
    case VT_UI2: return v->uiVal;
    case VT_UI4: case VT_UINT: return v->ulVal;
    case VT_UI8: return v->ullVal;
    case VT_BOOL: return v->boolVal ? -1 : 0;
    default: return 0;
    }
}

std::string DateText(DATE dt) {
    int y, mo, d, h, mi, s;
    if (!NUVCom::DateToParts(dt, y, mo, d, h, mi, s)) return {};
    char buf[40];
    bool hasTime = h || mi || s;
    bool hasDay = std::trunc(dt) != 0 || !hasTime;
    if (hasDay && hasTime) std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    else if (hasDay) std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, mo, d);
    else std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, mi, s);
    return buf;
}

std::string RealText(double d, int digits) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", digits, d);
    return buf;
}

// The source as one of: an exact integer, a real, a currency count or a decimal.
struct Number {
    enum Kind { Integer, Real, Currency, Decimal } kind = Integer;
    i128 i = 0;
    long double r = 0;
    DECIMAL dec{};
};

HRESULT ReadNumber(const VARIANT* src, VARTYPE target, Number& n) {
    if (IsIntegerTag(src->vt)) {
        n.kind = Number::Integer;
        n.i = IntegerOf(src);
        return S_OK;
    }
    switch (src->vt) {
    case VT_R4: n.kind = Number::Real; n.r = src->fltVal; return S_OK;
    case VT_R8: case VT_DATE: n.kind = Number::Real; n.r = src->dblVal; return S_OK;
    case VT_CY: n.kind = Number::Currency; n.i = src->cyVal.int64; return S_OK;
    case VT_DECIMAL: n.kind = Number::Decimal; n.dec = src->decVal; return S_OK;
    case VT_BSTR: {
        std::string s;
        if (!Ascii(src->bstrVal, s)) return DISP_E_TYPEMISMATCH;
        if (target == VT_BOOL) {
            if (strcasecmp(s.c_str(), "true") == 0) { n.kind = Number::Integer; n.i = -1; return S_OK; }
            if (strcasecmp(s.c_str(), "false") == 0) { n.kind = Number::Integer; n.i = 0; return S_OK; }
        }
        if (target == VT_DATE) {
            COleDateTime t;
            if (t.ParseDateTime(s.c_str())) { n.kind = Number::Real; n.r = t.m_dt; return S_OK; }
        }
        if (target == VT_DECIMAL) {
            if (!NUVCom::DecimalFromString(s.c_str(), n.dec)) return DISP_E_TYPEMISMATCH;
            n.kind = Number::Decimal;
            return S_OK;
        }
        if (!ParseReal(s, n.r)) return DISP_E_TYPEMISMATCH;
        n.kind = Number::Real;
        return S_OK;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

long double AsReal(const Number& n) {
    switch (n.kind) {
    case Number::Integer: return static_cast<long double>(n.i);
    case Number::Real: return n.r;
    case Number::Currency: return static_cast<long double>(n.i) / 10000.0L;
    case Number::Decimal: {
        long double v = static_cast<long double>(DecMagnitude(n.dec));
        for (int k = 0; k < n.dec.scale; ++k) v /= 10.0L;
        return n.dec.sign == DECIMAL_NEG ? -v : v;
    }
    }
    return 0;
}

// Rounds to an integer, halves to even as the runtime does.
bool AsInteger(const Number& n, i128& out) {
    if (n.kind == Number::Integer) {
        out = n.i;
        return true;
    }
    long double r = AsReal(n);
    if (!std::isfinite(r) || std::fabs(r) > 1.8e19L) return false;
    out = static_cast<i128>(std::nearbyintl(r));
    return true;
}

template <class T>
bool Fits(i128 v) {
    return v >= static_cast<i128>(std::numeric_limits<T>::min()) && v <= static_cast<i128>(std::numeric_limits<T>::max());
}

HRESULT ToInteger(const Number& n, VARTYPE vt, VARIANT& out) {
    i128 v;
    if (!AsInteger(n, v)) return DISP_E_OVERFLOW;
    out.vt = vt;
    switch (vt) {
    case VT_I1: if (!Fits<std::int8_t>(v)) return DISP_E_OVERFLOW; out.cVal = static_cast<char>(v); break;
    case VT_I2: if (!Fits<std::int16_t>(v)) return DISP_E_OVERFLOW; out.iVal = static_cast<std::int16_t>(v); break;
    case VT_I4: case VT_INT: if (!Fits<std::int32_t>(v)) return DISP_E_OVERFLOW; out.lVal = static_cast<std::int32_t>(v); break;
    case VT_I8: if (!Fits<std::int64_t>(v)) return DISP_E_OVERFLOW; out.llVal = static_cast<std::int64_t>(v); break;
    case VT_UI1: if (!Fits<std::uint8_t>(v)) return DISP_E_OVERFLOW; out.bVal = static_cast<std::uint8_t>(v); break;
    case VT_UI2: if (!Fits<std::uint16_t>(v)) return DISP_E_OVERFLOW; out.uiVal = static_cast<std::uint16_t>(v); break;
    case VT_UI4: case VT_UINT: if (!Fits<std::uint32_t>(v)) return DISP_E_OVERFLOW; out.ulVal = static_cast<std::uint32_t>(v); break;
    case VT_UI8: if (!Fits<std::uint64_t>(v)) return DISP_E_OVERFLOW; out.ullVal = static_cast<std::uint64_t>(v); break;
    default: return DISP_E_BADVARTYPE;
    }
    return S_OK;
}

HRESULT Coerce(const VARIANT* src, VARTYPE vt, VARIANT& out) {
    if (src->vt == (VT_BYREF | VT_VARIANT)) return src->pvarVal ? Coerce(src->pvarVal, vt, out) : E_INVALIDARG;
    if (src->vt & VT_BYREF) return DISP_E_BADVARTYPE;
    if (vt == src->vt || vt == VT_VARIANT) return VariantCopy(&out, src);
    if (vt == VT_EMPTY) return S_OK;
    if (src->vt == VT_NULL || vt == VT_NULL) return DISP_E_TYPEMISMATCH;
    if ((src->vt & VT_ARRAY) || (vt & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
    if (vt == VT_BSTR) {
        std::string s;
        switch (src->vt) {
        case VT_EMPTY: s.clear(); break;
        case VT_BOOL: s = src->boolVal ? "True" : "False"; break;
        case VT_R4: s = RealText(src->fltVal, 7); break;
        case VT_R8: s = RealText(src->dblVal, 15); break;
        case VT_DATE: s = DateText(src->date); if (s.empty()) return DISP_E_OVERFLOW; break;
        case VT_CY: { COleCurrency c(src->cyVal); s = c.Format().str(); break; }
        case VT_DECIMAL: s = NUVCom::DecimalToString(src->decVal); break;
        default: {
            if (!IsIntegerTag(src->vt)) return DISP_E_TYPEMISMATCH;
            i128 v = IntegerOf(src);
            char buf[48];
            if (v < 0) std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
            else std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(v));
            s = buf;
        }
        }
        out.vt = VT_BSTR;
        out.bstrVal = AllocAscii(s);
        return S_OK;
    }
    Number n;
    HRESULT hr = ReadNumber(src, vt, n);
    if (FAILED(hr)) return hr;
    switch (vt) {
    case VT_R4: {
        long double r = AsReal(n);
        if (std::fabs(r) > std::numeric_limits<float>::max()) return DISP_E_OVERFLOW;
        out.vt = VT_R4;
        out.fltVal = static_cast<float>(r);
        return S_OK;
    }
    case VT_R8:
    case VT_DATE: {
        long double r = AsReal(n);
        if (vt == VT_DATE && !(r >= -657434.0L && r < 2958466.0L)) return DISP_E_OVERFLOW;
        out.vt = vt;
        out.dblVal = static_cast<double>(r);
        return S_OK;
    }
    case VT_BOOL: {
        out.vt = VT_BOOL;
        out.boolVal = AsReal(n) != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    case VT_CY: {
        i128 v;
        if (n.kind == Number::Currency) v = n.i;
        else if (n.kind == Number::Integer) v = n.i * 10000;
        else {
            long double r = AsReal(n) * 10000.0L;
            if (!std::isfinite(r) || std::fabs(r) > 9.3e18L) return DISP_E_OVERFLOW;
            v = static_cast<i128>(std::nearbyintl(r));
        }
        if (!Fits<std::int64_t>(v)) return DISP_E_OVERFLOW;
        out.vt = VT_CY;
        out.cyVal.int64 = static_cast<std::int64_t>(v);
        return S_OK;
    }
    case VT_DECIMAL: {
        DECIMAL d{};
        if (n.kind == Number::Decimal) d = n.dec;
        else if (n.kind == Number::Integer) d = MakeDec(static_cast<u128>(n.i < 0 ? -n.i : n.i), 0, n.i < 0);
        else if (n.kind == Number::Currency) d = MakeDec(static_cast<u128>(n.i < 0 ? -n.i : n.i), 4, n.i < 0);
        else {
            long double r = AsReal(n);
            if (!std::isfinite(r) || std::fabs(r) >= 7.9e28L) return DISP_E_OVERFLOW;
            d = NUVCom::DecimalFromDouble(static_cast<double>(r));
        }
        out.vt = VT_DECIMAL;
        out.decVal = d;
        out.vt = VT_DECIMAL;  // decVal overlays nothing of vt here, but keep the tag explicit
        return S_OK;
    }
    default:
        return ToInteger(n, vt, out);
    }
}

}  // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, std::uint16_t, VARTYPE vt) {
    if (!dest || !src) return E_INVALIDARG;
    VARIANT out;
    VariantInit(&out);
    HRESULT hr = Coerce(src, vt, out);
    if (FAILED(hr)) {
        VariantClear(&out);
        return hr;
    }
    VariantClear(dest);
    std::memcpy(dest, &out, sizeof out);
    return S_OK;
}

// --- Decimal helpers ---

namespace NUVCom {

bool DecimalFromString(const char* text, DECIMAL& out) {
    if (!text) return false;
    const char* p = text;
    while (*p == ' ') ++p;
    bool neg = false;
    if (*p == '+' || *p == '-') neg = *p++ == '-';
    u128 mag = 0;
    int scale = 0, digits = 0;
    bool point = false, dropped = false;
    for (;; ++p) {
        if (*p == '.' && !point) {
            point = true;
            continue;
        }
        if (*p < '0' || *p > '9') break;
        ++digits;
        unsigned dgt = static_cast<unsigned>(*p - '0');
        if (mag <= (kDecMax - dgt) / 10 && (!point || scale < 28)) {
            mag = mag * 10 + dgt;
            if (point) ++scale;
        } else if (point) {
            dropped = true;  // beyond the precision: further fraction digits are cut
        } else {
            return false;  // the whole part does not fit
        }
    }
    if (digits == 0) return false;
    (void)dropped;
    if (*p == 'e' || *p == 'E') {
        char* end = nullptr;
        long e = std::strtol(p + 1, &end, 10);
        if (end == p + 1 || e > 60 || e < -60) return false;
        p = end;
        scale -= static_cast<int>(e);
        while (scale < 0) {
            if (mag > kDecMax / 10) return false;
            mag *= 10;
            ++scale;
        }
        while (scale > 28) {
            mag /= 10;
            --scale;
        }
    }
    while (*p == ' ') ++p;
    if (*p) return false;
    out = MakeDec(mag, scale, neg);
    return true;
}

DECIMAL DecimalFromDouble(double d) {
    DECIMAL out{};
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", d);
    if (!DecimalFromString(buf, out)) out = DECIMAL{};
    return out;
}

double DecimalToDouble(const DECIMAL& d) {
    long double v = static_cast<long double>(DecMagnitude(d));
    for (int k = 0; k < d.scale; ++k) v /= 10.0L;
    return static_cast<double>(d.sign == DECIMAL_NEG ? -v : v);
}

std::string DecimalToString(const DECIMAL& d) {
    u128 mag = DecMagnitude(d);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(mag % 10)));
        mag /= 10;
    } while (mag);
    int scale = d.scale;
    if (scale > 0) {
        while (static_cast<int>(digits.size()) <= scale) digits.insert(digits.begin(), '0');
        digits.insert(digits.end() - scale, '.');
    }
    bool zero = DecMagnitude(d) == 0;
    return (d.sign == DECIMAL_NEG && !zero ? "-" : "") + digits;
}

}  // namespace NUVCom

// --- _variant_t ---

const _variant_t vtMissing(static_cast<long>(DISP_E_PARAMNOTFOUND), VT_ERROR);

_variant_t::_variant_t(const VARIANT& v) {
    VariantInit(this);
    HRESULT hr = VariantCopy(this, &v);
    if (FAILED(hr)) _com_issue_error(hr);
}

_variant_t::_variant_t(const VARIANT* v) {
    VariantInit(this);
    if (!v) _com_issue_error(E_POINTER);
    HRESULT hr = VariantCopy(this, v);
    if (FAILED(hr)) _com_issue_error(hr);
}

_variant_t::_variant_t(_variant_t&& v) noexcept {
    std::memcpy(static_cast<VARIANT*>(this), static_cast<VARIANT*>(&v), sizeof(VARIANT));
    VariantInit(&v);
}

_variant_t::_variant_t(VARIANT& v, bool copy) {
    VariantInit(this);
    if (copy) {
        HRESULT hr = VariantCopy(this, &v);
        if (FAILED(hr)) _com_issue_error(hr);
    } else {
        std::memcpy(static_cast<VARIANT*>(this), &v, sizeof(VARIANT));
        VariantInit(&v);
    }
}

_variant_t::_variant_t(short s, VARTYPE vt) {
    VariantInit(this);
    if (vt == VT_BOOL) {
        this->vt = VT_BOOL;
        boolVal = s ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (vt == VT_I2) {
        this->vt = VT_I2;
        iVal = s;
    } else {
        _com_issue_error(E_INVALIDARG);
    }
}

_variant_t::_variant_t(int i, VARTYPE vt) {
    VariantInit(this);
    this->vt = VT_INT;
    intVal = i;
    if (vt != VT_INT) ChangeType(vt);
}

_variant_t::_variant_t(long l, VARTYPE vt) {
    VariantInit(this);
    if (vt == VT_ERROR) {
        this->vt = VT_ERROR;
        scode = static_cast<SCODE>(l);
    } else if (vt == VT_I4) {
        this->vt = VT_I4;
        lVal = static_cast<std::int32_t>(l);
    } else if (vt == VT_BOOL) {
        this->vt = VT_BOOL;
        boolVal = l ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        _com_issue_error(E_INVALIDARG);
    }
}

_variant_t::_variant_t(unsigned int u) { VariantInit(this); vt = VT_UINT; uintVal = u; }
_variant_t::_variant_t(unsigned long u) { VariantInit(this); vt = VT_UI4; ulVal = static_cast<std::uint32_t>(u); }
_variant_t::_variant_t(long long ll) { VariantInit(this); vt = VT_I8; llVal = ll; }
_variant_t::_variant_t(unsigned long long ull) { VariantInit(this); vt = VT_UI8; ullVal = ull; }
_variant_t::_variant_t(unsigned short u) { VariantInit(this); vt = VT_UI2; uiVal = u; }
_variant_t::_variant_t(char c) { VariantInit(this); vt = VT_I1; cVal = c; }
_variant_t::_variant_t(unsigned char b) { VariantInit(this); vt = VT_UI1; bVal = b; }
_variant_t::_variant_t(float f) { VariantInit(this); vt = VT_R4; fltVal = f; }

_variant_t::_variant_t(double d, VARTYPE vt) {
    VariantInit(this);
    if (vt != VT_R8 && vt != VT_DATE) _com_issue_error(E_INVALIDARG);
    this->vt = vt;
    dblVal = d;
}

_variant_t::_variant_t(bool b) { VariantInit(this); vt = VT_BOOL; boolVal = b ? VARIANT_TRUE : VARIANT_FALSE; }
_variant_t::_variant_t(const CY& cy) { VariantInit(this); vt = VT_CY; cyVal = cy; }

_variant_t::_variant_t(const DECIMAL& dec) {
    VariantInit(this);
    decVal = dec;
    vt = VT_DECIMAL;
}

_variant_t::_variant_t(const _bstr_t& s) {
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = s.copy();
    if (!bstrVal) bstrVal = SysAllocStringLen(u"", 0);
}

_variant_t::_variant_t(const char* gbk) : _variant_t(_bstr_t(gbk ? gbk : "")) {}
_variant_t::_variant_t(const CString& gbk) : _variant_t(_bstr_t(gbk)) {}
_variant_t::_variant_t(const OLECHAR* wide) : _variant_t(_bstr_t(wide ? wide : u"")) {}

_variant_t::_variant_t(IUnknown* p, bool addRef) {
    VariantInit(this);
    vt = VT_UNKNOWN;
    punkVal = p;
    if (p && addRef) p->AddRef();
}

_variant_t::_variant_t(IDispatch* p, bool addRef) {
    VariantInit(this);
    vt = VT_DISPATCH;
    pdispVal = p;
    if (p && addRef) p->AddRef();
}

_variant_t::_variant_t(SAFEARRAY* a) {
    VariantInit(this);
    if (!a) return;
    vt = static_cast<VARTYPE>(VT_ARRAY | a->vt);
    parray = a;
}

_variant_t& _variant_t::operator=(const _variant_t& v) { return *this = static_cast<const VARIANT&>(v); }

_variant_t& _variant_t::operator=(_variant_t&& v) noexcept {
    if (this != &v) {
        VariantClear(this);
        std::memcpy(static_cast<VARIANT*>(this), static_cast<VARIANT*>(&v), sizeof(VARIANT));
        VariantInit(&v);
    }
    return *this;
}

_variant_t& _variant_t::operator=(const VARIANT& v) {
    HRESULT hr = VariantCopy(this, &v);
    if (FAILED(hr)) _com_issue_error(hr);
    return *this;
}

template <class T>
T _variant_t::Coerce(VARTYPE target) const {
    VARIANT tmp;
    VariantInit(&tmp);
    HRESULT hr = VariantChangeType(&tmp, this, 0, target);
    if (FAILED(hr)) _com_issue_error(hr);
    T r{};
    switch (target) {
    case VT_I1: r = static_cast<T>(tmp.cVal); break;
    case VT_I2: r = static_cast<T>(tmp.iVal); break;
    case VT_I4: r = static_cast<T>(tmp.lVal); break;
    case VT_INT: r = static_cast<T>(tmp.intVal); break;
    case VT_I8: r = static_cast<T>(tmp.llVal); break;
    case VT_UI1: r = static_cast<T>(tmp.bVal); break;
    case VT_UI2: r = static_cast<T>(tmp.uiVal); break;
    case VT_UI4: case VT_UINT: r = static_cast<T>(tmp.ulVal); break;
    case VT_UI8: r = static_cast<T>(tmp.ullVal); break;
    case VT_R4: r = static_cast<T>(tmp.fltVal); break;
    case VT_R8: r = static_cast<T>(tmp.dblVal); break;
    case VT_BOOL: r = static_cast<T>(tmp.boolVal != 0); break;
    default: break;
    }
    VariantClear(&tmp);
    return r;
}

_variant_t::operator short() const { return vt == VT_I2 ? iVal : Coerce<short>(VT_I2); }
_variant_t::operator int() const { return vt == VT_INT ? intVal : Coerce<int>(VT_INT); }
_variant_t::operator long() const { return vt == VT_I4 ? lVal : Coerce<long>(VT_I4); }
_variant_t::operator unsigned int() const { return Coerce<unsigned int>(VT_UINT); }
_variant_t::operator unsigned long() const { return Coerce<unsigned long>(VT_UI4); }
_variant_t::operator long long() const { return Coerce<long long>(VT_I8); }
_variant_t::operator unsigned long long() const { return Coerce<unsigned long long>(VT_UI8); }
_variant_t::operator unsigned short() const { return Coerce<unsigned short>(VT_UI2); }
_variant_t::operator char() const { return Coerce<char>(VT_I1); }
_variant_t::operator unsigned char() const { return Coerce<unsigned char>(VT_UI1); }
_variant_t::operator float() const { return vt == VT_R4 ? fltVal : Coerce<float>(VT_R4); }
_variant_t::operator double() const { return vt == VT_R8 ? dblVal : Coerce<double>(VT_R8); }
_variant_t::operator bool() const { return vt == VT_BOOL ? boolVal != 0 : Coerce<bool>(VT_BOOL); }

_variant_t::operator CY() const {
    if (vt == VT_CY) return cyVal;
    _variant_t t;
    t.ChangeType(VT_CY, this);
    return t.cyVal;
}

_variant_t::operator DECIMAL() const {
    if (vt == VT_DECIMAL) return decVal;
    _variant_t t;
    t.ChangeType(VT_DECIMAL, this);
    return t.decVal;
}

_variant_t::operator _bstr_t() const {
    if (vt == VT_BSTR) return _bstr_t(bstrVal, true);
    _variant_t t;
    t.ChangeType(VT_BSTR, this);
    return _bstr_t(t.bstrVal, true);
}

void _variant_t::ChangeType(VARTYPE target, const _variant_t* src) {
    HRESULT hr = VariantChangeType(this, src ? src : this, 0, target);
    if (FAILED(hr)) _com_issue_error(hr);
}

void _variant_t::Clear() {
    HRESULT hr = VariantClear(this);
    if (FAILED(hr)) _com_issue_error(hr);
}

void _variant_t::Attach(VARIANT& v) {
    Clear();
    std::memcpy(static_cast<VARIANT*>(this), &v, sizeof(VARIANT));
    VariantInit(&v);
}

VARIANT _variant_t::Detach() {
    VARIANT v;
    std::memcpy(&v, static_cast<VARIANT*>(this), sizeof(VARIANT));
    VariantInit(this);
    return v;
}

VARIANT* _variant_t::GetAddress() {
    Clear();
    return this;
}

void _variant_t::SetString(const char* gbk) { *this = _variant_t(gbk); }

_variant_t _variant_t::FromBytes(const void* data, std::size_t count) {
    SAFEARRAY* a = SafeArrayCreateVector(VT_UI1, 0, static_cast<std::uint32_t>(count));
    if (!a) _com_issue_error(E_OUTOFMEMORY);
    if (count) std::memcpy(a->pvData, data, count);
    return _variant_t(a);
}

std::vector<std::uint8_t> _variant_t::ToBytes() const {
    if (vt != (VT_ARRAY | VT_UI1) || !parray) _com_issue_error(DISP_E_TYPEMISMATCH);
    const auto* p = static_cast<const std::uint8_t*>(parray->pvData);
    return std::vector<std::uint8_t>(p, p + parray->rgsabound[0].cElements);
}

bool _variant_t::operator==(const _variant_t& o) const {
    if (vt != o.vt) return false;
    switch (vt) {
    case VT_EMPTY: case VT_NULL: return true;
    case VT_BSTR: return _bstr_t(bstrVal, true) == _bstr_t(o.bstrVal, true);
    case VT_DECIMAL: return decVal.scale == o.decVal.scale && decVal.sign == o.decVal.sign && decVal.Hi32 == o.decVal.Hi32 && decVal.Lo64 == o.decVal.Lo64;
    case VT_R4: return fltVal == o.fltVal;
    case VT_R8: case VT_DATE: return dblVal == o.dblVal;
    case VT_I1: case VT_UI1: return bVal == o.bVal;
    case VT_I2: case VT_UI2: case VT_BOOL: return iVal == o.iVal;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_ERROR: return lVal == o.lVal;
    case VT_I8: case VT_UI8: case VT_CY: return llVal == o.llVal;
    case VT_UNKNOWN: case VT_DISPATCH: return punkVal == o.punkVal;
    default:
        if ((vt & VT_ARRAY) && parray && o.parray && parray->vt != VT_BSTR && parray->vt != VT_VARIANT) {
            std::size_t n1 = parray->rgsabound[0].cElements * parray->cbElements;
            std::size_t n2 = o.parray->rgsabound[0].cElements * o.parray->cbElements;
            return parray->cDims == 1 && o.parray->cDims == 1 && n1 == n2 && std::memcmp(parray->pvData, o.parray->pvData, n1) == 0;
        }
        return false;
    }
}
