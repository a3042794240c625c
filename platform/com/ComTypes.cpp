#include "com/ComTypes.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

#include "com/ComPtr.h"

// --- Wide strings: a 32-bit byte length, the characters, a terminating zero. ---

BSTR SysAllocStringByteLen(const char* bytes, std::uint32_t byteLength) {
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof(std::uint32_t) + byteLength + sizeof(OLECHAR) + 1));
    if (!block) return nullptr;
    std::memcpy(block, &byteLength, sizeof byteLength);
    unsigned char* chars = block + sizeof(std::uint32_t);
    if (bytes) std::memcpy(chars, bytes, byteLength);
    else std::memset(chars, 0, byteLength);
    std::memset(chars + byteLength, 0, sizeof(OLECHAR) + 1);
    return reinterpret_cast<BSTR>(chars);
}

BSTR SysAllocStringLen(LPCOLESTR s, std::uint32_t length) {
    return SysAllocStringByteLen(reinterpret_cast<const char*>(s), length * static_cast<std::uint32_t>(sizeof(OLECHAR)));
}

BSTR SysAllocString(LPCOLESTR s) {
    if (!s) return nullptr;
    std::uint32_t n = 0;
    while (s[n]) ++n;
    return SysAllocStringLen(s, n);
}

void SysFreeString(BSTR s) {
    if (s) std::free(reinterpret_cast<unsigned char*>(s) - sizeof(std::uint32_t));
}

std::uint32_t SysStringByteLen(BSTR s) {
    if (!s) return 0;
    std::uint32_t n;
    std::memcpy(&n, reinterpret_cast<unsigned char*>(s) - sizeof n, sizeof n);
    return n;
}

std::uint32_t SysStringLen(BSTR s) { return SysStringByteLen(s) / sizeof(OLECHAR); }

// --- Arrays ---

namespace {

std::uint32_t ElementSize(VARTYPE vt) {
    switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: return 8;
    case VT_DECIMAL: return sizeof(DECIMAL);
    case VT_BSTR: return sizeof(BSTR);
    case VT_UNKNOWN: case VT_DISPATCH: return sizeof(void*);
    case VT_VARIANT: return sizeof(VARIANT);
    default: return 0;
    }
}

std::uint64_t ElementCount(const SAFEARRAY* a) {
    std::uint64_t n = 1;
    for (std::uint32_t i = 0; i < a->cDims; ++i) n *= a->rgsabound[i].cElements;
    return n;
}

std::size_t ArrayBytes(std::uint32_t dims) {
    return sizeof(SAFEARRAY) + (dims > 1 ? (dims - 1) * sizeof(SAFEARRAYBOUND) : 0);
}

void ClearElements(SAFEARRAY* a) {
    std::uint64_t n = ElementCount(a);
    if (a->vt == VT_BSTR) {
        auto* p = static_cast<BSTR*>(a->pvData);
        for (std::uint64_t i = 0; i < n; ++i) SysFreeString(p[i]);
    } else if (a->vt == VT_VARIANT) {
        auto* p = static_cast<VARIANT*>(a->pvData);
        for (std::uint64_t i = 0; i < n; ++i) VariantClear(&p[i]);
    } else if (a->vt == VT_UNKNOWN || a->vt == VT_DISPATCH) {
        auto* p = static_cast<IUnknown**>(a->pvData);
        for (std::uint64_t i = 0; i < n; ++i)
            if (p[i]) p[i]->Release();
    }
}

// Flat index of a multi-dimensional subscript (the first subscript varies fastest, as laid out
// by the runtime); false when out of bounds.
bool FlatIndex(const SAFEARRAY* a, const std::int32_t* idx, std::uint64_t& flat) {
    flat = 0;
    std::uint64_t stride = 1;
    for (std::uint32_t d = 0; d < a->cDims; ++d) {
        // rgsabound holds the dimensions from the last to the first.
        const SAFEARRAYBOUND& b = a->rgsabound[a->cDims - 1 - d];
        std::int64_t off = static_cast<std::int64_t>(idx[d]) - b.lLbound;
        if (off < 0 || off >= static_cast<std::int64_t>(b.cElements)) return false;
        flat += static_cast<std::uint64_t>(off) * stride;
        stride *= b.cElements;
    }
    return true;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, std::uint32_t dims, const SAFEARRAYBOUND* bounds) {
    std::uint32_t size = ElementSize(vt);
    if (dims == 0 || size == 0 || !bounds) return nullptr;
    auto* a = static_cast<SAFEARRAY*>(std::calloc(1, ArrayBytes(dims)));
    if (!a) return nullptr;
    a->cDims = static_cast<std::uint16_t>(dims);
    a->cbElements = size;
    a->vt = vt;
    // Stored last dimension first, as the runtime keeps them.
    for (std::uint32_t d = 0; d < dims; ++d) a->rgsabound[dims - 1 - d] = bounds[d];
    std::uint64_t n = ElementCount(a);
    if (n > (std::uint64_t{1} << 34) / size) {
        std::free(a);
        return nullptr;
    }
    a->pvData = std::calloc(n ? n : 1, size);
    if (!a->pvData) {
        std::free(a);
        return nullptr;
    }
    return a;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, std::int32_t lowerBound, std::uint32_t count) {
    SAFEARRAYBOUND b{count, lowerBound};
    return SafeArrayCreate(vt, 1, &b);
}

HRESULT SafeArrayDestroy(SAFEARRAY* a) {
    if (!a) return S_OK;
    if (a->cLocks) return DISP_E_ARRAYISLOCKED;
    ClearElements(a);
    std::free(a->pvData);
    std::free(a);
    return S_OK;
}

HRESULT SafeArrayCopy(const SAFEARRAY* a, SAFEARRAY** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!a) return S_OK;
    auto* c = static_cast<SAFEARRAY*>(std::calloc(1, ArrayBytes(a->cDims)));
    if (!c) return E_OUTOFMEMORY;
    std::memcpy(c, a, ArrayBytes(a->cDims));
    c->cLocks = 0;
    std::uint64_t n = ElementCount(a);
    c->pvData = std::calloc(n ? n : 1, a->cbElements);
    if (!c->pvData) {
        std::free(c);
        return E_OUTOFMEMORY;
    }
    if (a->vt == VT_BSTR) {
        auto* s = static_cast<BSTR*>(a->pvData);
        auto* d = static_cast<BSTR*>(c->pvData);
        for (std::uint64_t i = 0; i < n; ++i) d[i] = s[i] ? SysAllocStringByteLen(reinterpret_cast<const char*>(s[i]), SysStringByteLen(s[i])) : nullptr;
    } else if (a->vt == VT_VARIANT) {
        auto* s = static_cast<VARIANT*>(a->pvData);
        auto* d = static_cast<VARIANT*>(c->pvData);
        for (std::uint64_t i = 0; i < n; ++i) VariantCopy(&d[i], &s[i]);
    } else {
        std::memcpy(c->pvData, a->pvData, n * a->cbElements);
        if (a->vt == VT_UNKNOWN || a->vt == VT_DISPATCH) {
            auto* d = static_cast<IUnknown**>(c->pvData);
            for (std::uint64_t i = 0; i < n; ++i)
                if (d[i]) d[i]->AddRef();
        }
    }
    *out = c;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* a, void** data) {
    if (!a || !data) return E_INVALIDARG;
    ++a->cLocks;
    *data = a->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* a) {
    if (!a) return E_INVALIDARG;
    if (a->cLocks == 0) return E_UNEXPECTED;
    --a->cLocks;
    return S_OK;
}

HRESULT SafeArrayGetLBound(const SAFEARRAY* a, std::uint32_t dim, std::int32_t* bound) {
    if (!a || !bound) return E_INVALIDARG;
    if (dim < 1 || dim > a->cDims) return DISP_E_BADINDEX;
    *bound = a->rgsabound[a->cDims - dim].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(const SAFEARRAY* a, std::uint32_t dim, std::int32_t* bound) {
    if (!a || !bound) return E_INVALIDARG;
    if (dim < 1 || dim > a->cDims) return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& b = a->rgsabound[a->cDims - dim];
    *bound = b.lLbound + static_cast<std::int32_t>(b.cElements) - 1;
    return S_OK;
}

std::uint32_t SafeArrayGetDim(const SAFEARRAY* a) { return a ? a->cDims : 0; }

HRESULT SafeArrayGetVartype(const SAFEARRAY* a, VARTYPE* vt) {
    if (!a || !vt) return E_INVALIDARG;
    *vt = a->vt;
    return S_OK;
}

HRESULT SafeArrayGetElement(const SAFEARRAY* a, const std::int32_t* indices, void* out) {
    if (!a || !indices || !out) return E_INVALIDARG;
    std::uint64_t i;
    if (!FlatIndex(a, indices, i)) return DISP_E_BADINDEX;
    const auto* src = static_cast<const unsigned char*>(a->pvData) + i * a->cbElements;
    if (a->vt == VT_BSTR) {
        BSTR s = *reinterpret_cast<const BSTR*>(src);
        *static_cast<BSTR*>(out) = s ? SysAllocStringByteLen(reinterpret_cast<const char*>(s), SysStringByteLen(s)) : nullptr;
    } else if (a->vt == VT_VARIANT) {
        VARIANT* d = static_cast<VARIANT*>(out);
        VariantInit(d);
        return VariantCopy(d, reinterpret_cast<const VARIANT*>(src));
    } else {
        std::memcpy(out, src, a->cbElements);
        if ((a->vt == VT_UNKNOWN || a->vt == VT_DISPATCH) && *static_cast<IUnknown**>(out))
            (*static_cast<IUnknown**>(out))->AddRef();
    }
    return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* a, const std::int32_t* indices, const void* value) {
    if (!a || !indices) return E_INVALIDARG;
    std::uint64_t i;
    if (!FlatIndex(a, indices, i)) return DISP_E_BADINDEX;
    auto* dst = static_cast<unsigned char*>(a->pvData) + i * a->cbElements;
    if (a->vt == VT_BSTR) {
        BSTR& d = *reinterpret_cast<BSTR*>(dst);
        auto s = static_cast<BSTR>(const_cast<void*>(value));
        SysFreeString(d);
        d = s ? SysAllocStringByteLen(reinterpret_cast<const char*>(s), SysStringByteLen(s)) : nullptr;
    } else if (a->vt == VT_VARIANT) {
        return VariantCopy(reinterpret_cast<VARIANT*>(dst), static_cast<const VARIANT*>(value));
    } else if (a->vt == VT_UNKNOWN || a->vt == VT_DISPATCH) {
        IUnknown*& d = *reinterpret_cast<IUnknown**>(dst);
        auto* p = static_cast<IUnknown*>(const_cast<void*>(value));
        if (p) p->AddRef();
        if (d) d->Release();
        d = p;
    } else {
        if (!value) return E_INVALIDARG;
        std::memcpy(dst, value, a->cbElements);
    }
    return S_OK;
}

// --- Variants (copy and clear; coercion lives with _variant_t) ---

void VariantInit(VARIANT* v) {
    std::memset(v, 0, sizeof *v);
    v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
    if (!v) return E_INVALIDARG;
    if (!(v->vt & VT_BYREF)) {
        if (v->vt & VT_ARRAY) {
            if (v->parray && v->parray->cLocks) return DISP_E_ARRAYISLOCKED;
            SafeArrayDestroy(v->parray);
        } else if (v->vt == VT_BSTR) {
            SysFreeString(v->bstrVal);
        } else if ((v->vt == VT_UNKNOWN || v->vt == VT_DISPATCH) && v->punkVal) {
            v->punkVal->Release();
        }
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src) return E_INVALIDARG;
    if (dest == src) return S_OK;
    VARIANT tmp;
    std::memcpy(&tmp, src, sizeof tmp);
    if (!(src->vt & VT_BYREF)) {
        if (src->vt & VT_ARRAY) {
            HRESULT hr = SafeArrayCopy(src->parray, &tmp.parray);
            if (FAILED(hr)) return hr;
        } else if (src->vt == VT_BSTR) {
            tmp.bstrVal = src->bstrVal ? SysAllocStringByteLen(reinterpret_cast<const char*>(src->bstrVal), SysStringByteLen(src->bstrVal)) : nullptr;
        } else if ((src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) && src->punkVal) {
            src->punkVal->AddRef();
        }
    }
    VariantClear(dest);
    std::memcpy(dest, &tmp, sizeof tmp);
    return S_OK;
}

// --- Runtime use counting and classes ---

namespace {
thread_local int g_initCount = 0;

std::map<std::string, NUVCom::Factory>& Registry() {
    static std::map<std::string, NUVCom::Factory> r;
    return r;
}
}  // namespace

HRESULT CoInitialize(void* reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

HRESULT CoInitializeEx(void*, std::uint32_t) { return g_initCount++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
    if (g_initCount > 0) --g_initCount;
}

namespace NUVCom {

int InitializeCount() { return g_initCount; }

void RegisterClass(const std::string& progId, Factory factory) {
    Registry()[progId] = std::move(factory);
}

IUnknown* CreateObject(const std::string& progId) {
    Factory f;
    {
        auto it = Registry().find(progId);
        if (it == Registry().end()) return nullptr;
        f = it->second;
    }
    return f();
}

const char* SystemMessage(HRESULT hr) {
    switch (static_cast<std::uint32_t>(hr)) {
    case 0x00000000u: return "The operation completed successfully.\r\n";
    case 0x00000001u: return "Incorrect function.\r\n";
    case 0x8000FFFFu: return "Catastrophic failure\r\n";
    case 0x80004001u: return "Not implemented\r\n";
    case 0x80004002u: return "No such interface supported\r\n";
    case 0x80004003u: return "Invalid pointer\r\n";
    case 0x80004004u: return "Operation aborted\r\n";
    case 0x80004005u: return "Unspecified error\r\n";
    case 0x80070005u: return "Access is denied.\r\n";
    case 0x80070006u: return "The handle is invalid.\r\n";
    case 0x8007000Eu: return "Not enough storage is available to complete this operation.\r\n";
    case 0x80070057u: return "The parameter is incorrect.\r\n";
    case 0x80020003u: return "Member not found.\r\n";
    case 0x80020004u: return "Parameter not found.\r\n";
    case 0x80020005u: return "Type mismatch.\r\n";
    case 0x80020008u: return "Bad variable type.\r\n";
    case 0x8002000Au: return "Out of present range.\r\n";
    case 0x8002000Bu: return "Invalid index.\r\n";
    case 0x8002000Du: return "Memory is locked.\r\n";
    case 0x800401F0u: return "CoInitialize has not been called.\r\n";
    case 0x80040154u: return "Class not registered\r\n";
    case 0x80010001u: return "Call was rejected by callee.\r\n";
    case 0x80010108u: return "The object invoked has disconnected from its clients.\r\n";
    default: return nullptr;
    }
}

}  // namespace NUVCom
