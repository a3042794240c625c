// _variant_t: a VARIANT that owns its contents. Typed constructors choose the tag; extraction
// operators coerce with the runtime's rules and raise _com_error when the value does not fit.
#pragma once

#include <cstdint>
#include <vector>

#include "com/Bstr.h"
#include "com/ComError.h"
#include "com/ComTypes.h"

class _variant_t : public VARIANT {
public:
    _variant_t() { VariantInit(this); }
    _variant_t(const VARIANT& v);
    _variant_t(const VARIANT* v);
    _variant_t(const _variant_t& v) : _variant_t(static_cast<const VARIANT&>(v)) {}
    _variant_t(_variant_t&& v) noexcept;
    // Adopts the contents of v without copying when copy is false (v is left empty).
    _variant_t(VARIANT& v, bool copy);

    _variant_t(short s, VARTYPE vt = VT_I2);           // VT_I2 or VT_BOOL
    _variant_t(int i, VARTYPE vt = VT_INT);            // VT_INT, VT_I4, VT_I2 ...
    _variant_t(long l, VARTYPE vt = VT_I4);            // VT_I4 or VT_ERROR
    _variant_t(unsigned int u);                        // VT_UINT
    _variant_t(unsigned long u);                       // VT_UI4
    _variant_t(long long ll);                          // VT_I8
    _variant_t(unsigned long long ull);                // VT_UI8
    _variant_t(unsigned short u);                      // VT_UI2
    _variant_t(char c);                                // VT_I1
    _variant_t(unsigned char b);                       // VT_UI1
    _variant_t(float f);                               // VT_R4
    _variant_t(double d, VARTYPE vt = VT_R8);          // VT_R8 or VT_DATE
    _variant_t(bool b);                                // VT_BOOL
    _variant_t(const CY& cy);                          // VT_CY
    _variant_t(const DECIMAL& dec);                    // VT_DECIMAL
    _variant_t(const _bstr_t& s);                      // VT_BSTR
    _variant_t(const char* gbk);                       // VT_BSTR
    _variant_t(const CString& gbk);                    // VT_BSTR
    _variant_t(const OLECHAR* wide);                   // VT_BSTR
    _variant_t(IUnknown* p, bool addRef = true);       // VT_UNKNOWN
    _variant_t(IDispatch* p, bool addRef = true);      // VT_DISPATCH
    // Takes ownership of the array (VT_ARRAY | element type).
    _variant_t(SAFEARRAY* a);

    ~_variant_t() { VariantClear(this); }

    _variant_t& operator=(const _variant_t& v);
    _variant_t& operator=(_variant_t&& v) noexcept;
    _variant_t& operator=(const VARIANT& v);

    // Coercions; DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW are raised as _com_error.
    operator short() const;
    operator int() const;
    operator long() const;
    operator unsigned int() const;
    operator unsigned long() const;
    operator long long() const;
    operator unsigned long long() const;
    operator unsigned short() const;
    operator char() const;
    operator unsigned char() const;
    operator float() const;
    operator double() const;
    operator bool() const;
    operator CY() const;
    operator DECIMAL() const;
    operator _bstr_t() const;

    // Converts in place (or from src into this); raises on failure.
    void ChangeType(VARTYPE vt, const _variant_t* src = nullptr);
    void Clear();
    void Attach(VARIANT& v);
    VARIANT Detach();
    VARIANT& GetVARIANT() { return *this; }
    VARIANT* GetAddress();
    void SetString(const char* gbk);

    // Byte arrays, the form long-data fields move in.
    static _variant_t FromBytes(const void* data, std::size_t count);
    // The bytes of a VT_ARRAY|VT_UI1 value; raises DISP_E_TYPEMISMATCH for other tags.
    std::vector<std::uint8_t> ToBytes() const;

    // Value equality of the runtime: same tag and same value.
    bool operator==(const _variant_t& o) const;
    bool operator!=(const _variant_t& o) const { return !(*this == o); }

private:
    template <class T>
    T Coerce(VARTYPE vt) const;
};

// The "parameter not given" value (VT_ERROR, DISP_E_PARAMNOTFOUND) for optional arguments.
extern const _variant_t vtMissing;

namespace NUVCom {
// Decimal helpers used by coercions and by callers that build decimals from parts.
DECIMAL DecimalFromDouble(double d);
double DecimalToDouble(const DECIMAL& d);
// Decimal text in the plain form "-123.45".
std::string DecimalToString(const DECIMAL& d);
// Parses "-123.45" / "1e3"; false when the text is not a number or does not fit.
bool DecimalFromString(const char* text, DECIMAL& out);
}  // namespace NUVCom
