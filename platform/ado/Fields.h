// The Fields collection and Field objects of a record set: thin views that ask the record set
// for every value, so they see edits at once and fail cleanly once it is closed (Detach).
#pragma once

#include <vector>

#include "ado/RecordsetImpl.h"

namespace NUVADO::detail {

class FieldImpl : public NUVCom::Object<Field> {
public:
    FieldImpl(RecordsetImpl* rs, int index) : rs_(rs), index_(index) {}
    void Detach() { rs_ = nullptr; }

    _variant_t GetValue() override { return _variant_t(Rs().Value(index_)); }
    void PutValue(const _variant_t& v) override { Rs().PutValue(index_, v); }
    _variant_t GetOriginalValue() override { return _variant_t(Rs().OriginalValue(index_)); }
    _bstr_t GetName() override { return _bstr_t(std::u16string_view(Col().wname)); }
    DataTypeEnum GetType() override { return Col().type; }
    long GetDefinedSize() override { return Col().definedSize; }
    long GetActualSize() override {
        const VARIANT& v = Rs().Current(index_);  // a size, not a read of the value
        if (v.vt == VT_NULL || v.vt == VT_EMPTY) return 0;
        if (v.vt == VT_BSTR) return static_cast<long>(SysStringByteLen(v.bstrVal));
        if ((v.vt & VT_ARRAY) && v.parray) return static_cast<long>(v.parray->rgsabound[0].cElements);
        return Col().definedSize;
    }
    long GetAttributes() override { return Col().attributes; }
    unsigned char GetPrecision() override { return Col().precision; }
    unsigned char GetNumericScale() override { return Col().scale; }
    _variant_t GetChunk(long length) override { return Rs().GetChunk(index_, length); }
    HRESULT AppendChunk(const _variant_t& data) override {
        Rs().AppendChunk(index_, data);
        return S_OK;
    }

private:
    RecordsetImpl& Rs() {
        if (!rs_) RaiseClosed(kFieldSource);
        return *rs_;
    }
    const Column& Col() { return Rs().ColumnAt(index_); }
    RecordsetImpl* rs_;
    int index_;
};

class FieldsImpl : public NUVCom::Object<Fields> {
public:
    FieldsImpl(RecordsetImpl* rs, std::size_t n) : rs_(rs) {
        for (std::size_t i = 0; i < n; ++i) {
            auto* f = new FieldImpl(rs, static_cast<int>(i));
            f->AddRef();
            fields_.push_back(f);
        }
    }
    ~FieldsImpl() override {
        for (FieldImpl* f : fields_) f->Release();
    }
    void Detach() {
        rs_ = nullptr;
        for (FieldImpl* f : fields_) f->Detach();
    }
    long GetCount() override { return static_cast<long>(fields_.size()); }
    FieldPtr GetItem(const _variant_t& index) override {
        if (!rs_) RaiseClosed(kFieldsSource);
        return FieldPtr(fields_[static_cast<std::size_t>(rs_->ColumnIndex(index))]);
    }

private:
    RecordsetImpl* rs_;
    std::vector<FieldImpl*> fields_;
};

}  // namespace NUVADO::detail
