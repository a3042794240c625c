// The component runtime's basic value types: result codes, variant tags, currency, decimal,
// dates, wide strings (BSTR, UTF-16 with a length prefix) and byte arrays (SAFEARRAY).
// Integer widths are those of the platform the kernel was written for: a LONG is 32 bits.
#pragma once

#include <cstddef>
#include <cstdint>

using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using DATE = double;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr HRESULT MAKE_HRESULT_CODE(std::uint32_t v) { return static_cast<HRESULT>(v); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_UNEXPECTED = MAKE_HRESULT_CODE(0x8000FFFFu);
constexpr HRESULT E_NOTIMPL = MAKE_HRESULT_CODE(0x80004001u);
constexpr HRESULT E_NOINTERFACE = MAKE_HRESULT_CODE(0x80004002u);
constexpr HRESULT E_POINTER = MAKE_HRESULT_CODE(0x80004003u);
constexpr HRESULT E_ABORT = MAKE_HRESULT_CODE(0x80004004u);
constexpr HRESULT E_FAIL = MAKE_HRESULT_CODE(0x80004005u);
constexpr HRESULT E_ACCESSDENIED = MAKE_HRESULT_CODE(0x80070005u);
constexpr HRESULT E_HANDLE = MAKE_HRESULT_CODE(0x80070006u);
constexpr HRESULT E_OUTOFMEMORY = MAKE_HRESULT_CODE(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MAKE_HRESULT_CODE(0x80070057u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = MAKE_HRESULT_CODE(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = MAKE_HRESULT_CODE(0x80020004u);
constexpr HRESULT DISP_E_TYPEMISMATCH = MAKE_HRESULT_CODE(0x80020005u);
constexpr HRESULT DISP_E_BADVARTYPE = MAKE_HRESULT_CODE(0x80020008u);
constexpr HRESULT DISP_E_OVERFLOW = MAKE_HRESULT_CODE(0x8002000Au);
constexpr HRESULT DISP_E_BADINDEX = MAKE_HRESULT_CODE(0x8002000Bu);
constexpr HRESULT DISP_E_ARRAYISLOCKED = MAKE_HRESULT_CODE(0x8002000Du);
constexpr HRESULT CO_E_NOTINITIALIZED = MAKE_HRESULT_CODE(0x800401F0u);
constexpr HRESULT REGDB_E_CLASSNOTREG = MAKE_HRESULT_CODE(0x80040154u);
constexpr HRESULT RPC_E_CALL_REJECTED = MAKE_HRESULT_CODE(0x80010001u);
constexpr HRESULT RPC_E_DISCONNECTED = MAKE_HRESULT_CODE(0x80010108u);

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// Currency: a 64-bit integer counting ten-thousandths.
union CY {
    struct {
        std::uint32_t Lo;
        std::int32_t Hi;
    } s;
    std::int64_t int64;
};

// Decimal: a 96-bit unsigned magnitude, a sign byte (DECIMAL_NEG = negative) and a power-of-ten
// scale (0..28).
struct DECIMAL {
    std::uint16_t wReserved;
    std::uint8_t scale;
    std::uint8_t sign;
    std::uint32_t Hi32;
    std::uint64_t Lo64;
};
constexpr std::uint8_t DECIMAL_NEG = 0x80;

struct SAFEARRAYBOUND {
    std::uint32_t cElements;
    std::int32_t lLbound;
};

// One-dimensional arrays are what the database layer moves (bytes of long-data fields); more
// dimensions are accepted by the creation call for completeness.
struct SAFEARRAY {
    std::uint16_t cDims;
    std::uint16_t fFeatures;
    std::uint32_t cbElements;
    std::uint32_t cLocks;
    void* pvData;
    VARTYPE vt;  // element type, kept so a copy and a destroy know how to treat elements
    SAFEARRAYBOUND rgsabound[1];
};

struct IUnknown;
struct IDispatch;

struct VARIANT {
    VARTYPE vt;
    std::uint16_t wReserved1, wReserved2, wReserved3;
    union {
        std::int64_t llVal;
        std::uint64_t ullVal;
        std::int32_t lVal;
        std::uint8_t bVal;
        std::int16_t iVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        char cVal;
        std::uint16_t uiVal;
        std::uint32_t ulVal;
        std::int32_t intVal;
        std::uint32_t uintVal;
        DECIMAL decVal;
        VARIANT* pvarVal;
        void* byref;
    };
};
using VARIANTARG = VARIANT;

// Wide strings.
BSTR SysAllocString(LPCOLESTR s);
BSTR SysAllocStringLen(LPCOLESTR s, std::uint32_t length);
BSTR SysAllocStringByteLen(const char* bytes, std::uint32_t byteLength);
void SysFreeString(BSTR s);
std::uint32_t SysStringLen(BSTR s);
std::uint32_t SysStringByteLen(BSTR s);

// Variants. The change of type follows the runtime's coercion rules: numbers are range-checked
// (DISP_E_OVERFLOW), texts are parsed, null converts to nothing (DISP_E_TYPEMISMATCH).
void VariantInit(VARIANT* v);
HRESULT VariantClear(VARIANT* v);
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, std::uint16_t flags, VARTYPE vt);

// Arrays.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, std::uint32_t dims, const SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, std::int32_t lowerBound, std::uint32_t count);
HRESULT SafeArrayDestroy(SAFEARRAY* a);
HRESULT SafeArrayCopy(const SAFEARRAY* a, SAFEARRAY** out);
HRESULT SafeArrayAccessData(SAFEARRAY* a, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* a);
HRESULT SafeArrayGetLBound(const SAFEARRAY* a, std::uint32_t dim, std::int32_t* bound);
HRESULT SafeArrayGetUBound(const SAFEARRAY* a, std::uint32_t dim, std::int32_t* bound);
HRESULT SafeArrayGetElement(const SAFEARRAY* a, const std::int32_t* indices, void* out);
HRESULT SafeArrayPutElement(SAFEARRAY* a, const std::int32_t* indices, const void* value);
std::uint32_t SafeArrayGetDim(const SAFEARRAY* a);
HRESULT SafeArrayGetVartype(const SAFEARRAY* a, VARTYPE* vt);

// Component runtime use by the calling thread. Each successful CoInitialize must be matched by a
// CoUninitialize; the first returns S_OK, later ones S_FALSE.
constexpr std::uint32_t COINIT_APARTMENTTHREADED = 0x2;
constexpr std::uint32_t COINIT_MULTITHREADED = 0x0;
HRESULT CoInitialize(void* reserved);
HRESULT CoInitializeEx(void* reserved, std::uint32_t flags);
void CoUninitialize();

namespace NUVCom {
// How many CoInitialize calls of the calling thread are not yet matched.
int InitializeCount();
// The system's message text for a result code (with its trailing CR LF, as the system gives it),
// or nullptr when the system has none.
const char* SystemMessage(HRESULT hr);
}  // namespace NUVCom
