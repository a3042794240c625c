// Record binding: a caller's C structure described by binding entries, filled from the current
// record and stored back into it, with each field's status and length.
#include <cstring>

#include "ado/RecordsetImpl.h"

namespace NUVADO::detail {

namespace {

template <class T>
T& At(CADORecordBinding* b, std::ptrdiff_t off) {
    return *reinterpret_cast<T*>(reinterpret_cast<char*>(b) + off);
}

void SetStatus(CADORecordBinding* b, const ADO_BINDING_ENTRY& e, std::uint32_t status) {
    if (e.statusOffset != ADO_NO_OFFSET) At<std::uint32_t>(b, e.statusOffset) = status;
}

}  // namespace

HRESULT RecordsetImpl::BindToRecordset(CADORecordBinding* binding) {
    RequireOpen();
    if (!binding) return E_POINTER;
    const ADO_BINDING_ENTRY* e = binding->GetADOBindingEntries();
    for (; e->ordinal; ++e)
        if (e->ordinal > snap_->cols.size())
            Raise(adErrItemNotFound, "The binding names field " + std::to_string(e->ordinal) + " of a record set with " +
                                         std::to_string(snap_->cols.size()) + " fields.",
                  kRecordsetSource);
    binding_ = binding;
    if (pos_ >= 0 && pos_ < static_cast<long>(view_.size()) && !currentDeleted_) Fill(binding);
    return S_OK;
}

void RecordsetImpl::Fill(CADORecordBinding* b) {
    for (const ADO_BINDING_ENTRY* e = b->GetADOBindingEntries(); e->ordinal; ++e) {
        const VARIANT& v = Value(static_cast<int>(e->ordinal - 1));
        if (v.vt == VT_NULL || v.vt == VT_EMPTY) {
            SetStatus(b, *e, adFldNull);
            continue;
        }
        std::uint32_t status = adFldOK;
        VARTYPE want;
        switch (e->dataType) {
        case adVarChar: case adChar: case adLongVarChar: case adVarWChar: case adWChar: case adLongVarWChar: case adBSTR:
            want = VT_BSTR;
            break;
        case adVariant:
            want = VT_VARIANT;
            break;
        default:
            want = VariantTypeOf(e->dataType);
        }
        _variant_t t;
        if (want != VT_VARIANT && FAILED(VariantChangeType(&t, &v, 0, want))) {
            SetStatus(b, *e, adFldCantConvertValue);
            continue;
        }
        char* dst = reinterpret_cast<char*>(b) + e->dataOffset;
        std::size_t bytes = 0;
        switch (e->dataType) {
        case adVarChar: case adChar: case adLongVarChar: {
            _bstr_t s(t.bstrVal, true);
            const char* g = static_cast<const char*>(s);
            std::size_t len = std::strlen(g);
            bytes = len;
            if (e->dataSize == 0) break;
            if (len + 1 > e->dataSize) {
                len = e->dataSize - 1;
                status = adFldTruncated;
            }
            std::memcpy(dst, g, len);
            dst[len] = 0;
            break;
        }
        case adVarWChar: case adWChar: case adLongVarWChar: {
            std::size_t len = SysStringLen(t.bstrVal), cap = e->dataSize / sizeof(char16_t);
            bytes = len * sizeof(char16_t);
            if (cap == 0) break;
            if (len + 1 > cap) {
                len = cap - 1;
                status = adFldTruncated;
            }
            std::memcpy(dst, t.bstrVal, len * sizeof(char16_t));
            reinterpret_cast<char16_t*>(dst)[len] = 0;
            break;
        }
        case adVariant:
            VariantCopy(reinterpret_cast<VARIANT*>(dst), &v);
            break;
        default: {
            std::size_t size = 0;
            const void* src = &t.llVal;
            switch (t.vt) {
            case VT_I1: case VT_UI1: size = 1; break;
            case VT_I2: case VT_UI2: case VT_BOOL: size = 2; break;
            case VT_I4: case VT_UI4: case VT_R4: case VT_INT: case VT_UINT: size = 4; break;
            case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: size = 8; break;
            case VT_DECIMAL: size = sizeof(DECIMAL); src = &t.decVal; break;
            default: status = adFldCantConvertValue;
            }
            if (size && size <= e->dataSize) std::memcpy(dst, src, size);
            else status = adFldCantConvertValue;
            bytes = size;
        }
        }
        if (e->lengthOffset != ADO_NO_OFFSET) At<std::uint32_t>(b, e->lengthOffset) = static_cast<std::uint32_t>(bytes);
        SetStatus(b, *e, status);
    }
}

void RecordsetImpl::Store(CADORecordBinding* b) {
    for (const ADO_BINDING_ENTRY* e = b->GetADOBindingEntries(); e->ordinal; ++e) {
        if (!e->modify) continue;
        if (e->statusOffset != ADO_NO_OFFSET && At<std::uint32_t>(b, e->statusOffset) == adFldNull) {
            PutValue(static_cast<int>(e->ordinal - 1), _variant_t());
            continue;
        }
        const char* src = reinterpret_cast<const char*>(b) + e->dataOffset;
        _variant_t v;
        switch (e->dataType) {
        case adVarChar: case adChar: case adLongVarChar: {
            std::size_t len = strnlen(src, e->dataSize);
            v = _variant_t(CString(src, static_cast<int>(len)));
            break;
        }
        case adVarWChar: case adWChar: case adLongVarWChar: {
            const auto* w = reinterpret_cast<const char16_t*>(src);
            std::size_t cap = e->dataSize / sizeof(char16_t), len = 0;
            while (len < cap && w[len]) ++len;
            v = _variant_t(_bstr_t(std::u16string_view(w, len)));
            break;
        }
        case adVariant: v = *reinterpret_cast<const VARIANT*>(src); break;
        case adSmallInt: v = _variant_t(*reinterpret_cast<const std::int16_t*>(src)); break;
        case adInteger: v = _variant_t(static_cast<long>(*reinterpret_cast<const std::int32_t*>(src))); break;
        case adUnsignedTinyInt: v = _variant_t(*reinterpret_cast<const unsigned char*>(src)); break;
        case adTinyInt: v = _variant_t(*reinterpret_cast<const char*>(src)); break;
        case adBigInt: v = _variant_t(static_cast<long long>(*reinterpret_cast<const std::int64_t*>(src))); break;
        case adSingle: v = _variant_t(*reinterpret_cast<const float*>(src)); break;
        case adDouble: v = _variant_t(*reinterpret_cast<const double*>(src)); break;
        case adDate: v = _variant_t(*reinterpret_cast<const double*>(src), VT_DATE); break;
        case adBoolean: v = _variant_t(*reinterpret_cast<const VARIANT_BOOL*>(src) != 0); break;
        case adCurrency: v = _variant_t(*reinterpret_cast<const CY*>(src)); break;
        case adDecimal: case adNumeric: v = _variant_t(*reinterpret_cast<const DECIMAL*>(src)); break;
        default: RaiseBadArgument(kRecordsetSource);
        }
        PutValue(static_cast<int>(e->ordinal - 1), v);
    }
}

HRESULT RecordsetImpl::AddNew(CADORecordBinding* binding) {
    if (!binding) return E_POINTER;
    AddNew(vtMissing, vtMissing);
    Store(binding);
    return S_OK;
}

HRESULT RecordsetImpl::Update(CADORecordBinding* binding) {
    if (!binding) return E_POINTER;
    if (edit_ == adEditNone) CurrentRow();
    Store(binding);
    return Update(vtMissing, vtMissing);
}

}  // namespace NUVADO::detail
