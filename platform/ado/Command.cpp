// The Command object with its Parameters: text, table or stored procedure run with typed
// parameter values, and the registration of the ADO classes for CreateInstance.
#include <strings.h>

#include "ado/ConnectionImpl.h"
#include "ado/RecordsetImpl.h"
#include "ado/Resolver.h"
#include "ado/SqlRunner.h"

namespace NUVADO::detail {

class ParameterImpl : public NUVCom::Object<_Parameter> {
public:
    _bstr_t GetName() override { return name_; }
    void PutName(const _bstr_t& n) override { name_ = n.GetBSTR() ? n : _bstr_t(""); }
    DataTypeEnum GetType() override { return type_; }
    void PutType(DataTypeEnum t) override { type_ = t; }
    ParameterDirectionEnum GetDirection() override { return direction_; }
    void PutDirection(ParameterDirectionEnum d) override {
        if (d < adParamUnknown || d > adParamReturnValue) RaiseBadArgument(kParameterSource);
        direction_ = d;
    }
    long GetSize() override { return size_; }
    void PutSize(long s) override {
        if (s < 0) RaiseBadArgument(kParameterSource);
        size_ = s;
    }
    unsigned char GetPrecision() override { return precision_; }
    void PutPrecision(unsigned char p) override { precision_ = p; }
    unsigned char GetNumericScale() override { return scale_; }
    void PutNumericScale(unsigned char s) override { scale_ = s; }
    _variant_t GetValue() override { return value_; }
    void PutValue(const _variant_t& v) override {
        const VARIANT* src = &v;
        if (src->vt == (VT_BYREF | VT_VARIANT) && src->pvarVal) src = src->pvarVal;
        if (src->vt == VT_ERROR && src->scode == DISP_E_PARAMNOTFOUND) {
            value_.Clear();
            return;
        }
        // Values are checked against the parameter's type when they are given.
        VARTYPE want = VariantTypeOf(type_);
        if (type_ != adVariant && type_ != adEmpty && src->vt != VT_NULL && src->vt != VT_EMPTY && want != src->vt) {
            _variant_t t;
            if (FAILED(VariantChangeType(&t, src, 0, want)))
                Raise(adErrDataConversion,
                      "Application uses a value of the wrong type for the current operation (parameter '" + BstrToUtf8(name_) + "').",
                      kParameterSource);
        }
        value_ = *src;
    }

private:
    _bstr_t name_{""};
    DataTypeEnum type_ = adEmpty;
    ParameterDirectionEnum direction_ = adParamInput;
    long size_ = 0;
    unsigned char precision_ = 0, scale_ = 0;
    _variant_t value_;
};

class ParametersImpl : public NUVCom::Object<Parameters> {
public:
    long GetCount() override { return static_cast<long>(items_.size()); }
    _ParameterPtr GetItem(const _variant_t& index) override { return items_[Index(index)]; }
    HRESULT Append(IDispatch* parameter) override {
        auto* p = dynamic_cast<_Parameter*>(parameter);
        if (!p) Raise(adErrInvalidArgument, "The object appended to Parameters is not a parameter.", kCommandSource);
        if (p->GetType() == adEmpty)
            Raise(adErrInvalidArgument, "The parameter '" + BstrToUtf8(p->GetName()) + "' has no type.", kCommandSource);
        items_.emplace_back(p);
        return S_OK;
    }
    HRESULT Delete(const _variant_t& index) override {
        items_.erase(items_.begin() + static_cast<long>(Index(index)));
        return S_OK;
    }
    const std::vector<_ParameterPtr>& Items() const { return items_; }

private:
    std::size_t Index(const _variant_t& index) {
        if (index.vt == VT_BSTR) {
            _bstr_t name(index.bstrVal, true);
            for (std::size_t i = 0; i < items_.size(); ++i) {
                _bstr_t n = items_[i]->GetName();
                if (strcasecmp(BstrToUtf8(n).c_str(), BstrToUtf8(name).c_str()) == 0) return i;
            }
            Raise(adErrItemNotFound,
                  "Item cannot be found in the collection corresponding to the requested name or ordinal ('" + BstrToUtf8(name) + "').",
                  kCommandSource);
        }
        _variant_t i;
        if (FAILED(VariantChangeType(&i, &index, 0, VT_I4)) || i.lVal < 0 || static_cast<std::size_t>(i.lVal) >= items_.size())
            Raise(adErrItemNotFound, "Item cannot be found in the collection corresponding to the requested name or ordinal.",
                  kCommandSource);
        return static_cast<std::size_t>(i.lVal);
    }
    std::vector<_ParameterPtr> items_;
};

class CommandImpl : public NUVCom::Object<_Command> {
public:
    CommandImpl() {
        params_ = new ParametersImpl();
        params_->AddRef();
    }
    ~CommandImpl() override { params_->Release(); }

    _ConnectionPtr GetActiveConnection() override { return conn_; }
    void PutRefActiveConnection(_Connection* c) override { conn_ = c; }
    void PutActiveConnection(const _variant_t& c) override {
        if (c.vt == VT_DISPATCH || c.vt == VT_UNKNOWN) {
            auto* conn = dynamic_cast<_Connection*>(c.punkVal);
            if (c.punkVal && !conn) RaiseBadArgument(kCommandSource);
            conn_ = conn;
        } else if (c.vt == VT_BSTR) {
            _ConnectionPtr conn;
            conn.CreateInstance(CLSID_Connection);
            conn->Open(_bstr_t(c.bstrVal, true), _bstr_t(""), _bstr_t(""), -1);
            conn_ = conn;
        } else if (c.vt == VT_EMPTY || c.vt == VT_NULL) {
            conn_ = nullptr;
        } else {
            RaiseBadArgument(kCommandSource);
        }
    }
    _bstr_t GetCommandText() override { return text_; }
    void PutCommandText(const _bstr_t& t) override { text_ = t.GetBSTR() ? t : _bstr_t(""); }
    CommandTypeEnum GetCommandType() override { return type_; }
    void PutCommandType(CommandTypeEnum t) override {
        switch (t) {
        case adCmdUnspecified: case adCmdText: case adCmdTable: case adCmdStoredProc: case adCmdUnknown: case adCmdFile:
        case adCmdTableDirect:
            type_ = t;
            return;
        }
        RaiseBadArgument(kCommandSource);
    }
    long GetCommandTimeout() override { return timeout_; }
    void PutCommandTimeout(long s) override {
        if (s < 0) RaiseBadArgument(kCommandSource);
        timeout_ = s;
    }
    bool GetPrepared() override { return prepared_; }
    void PutPrepared(bool p) override { prepared_ = p; }

    _ParameterPtr CreateParameter(const _bstr_t& name, DataTypeEnum type, ParameterDirectionEnum direction, long size,
                                  const _variant_t& value) override {
        auto* p = new ParameterImpl();
        _ParameterPtr ptr(static_cast<_Parameter*>(p));
        p->PutName(name);
        p->PutType(type);
        p->PutDirection(direction);
        p->PutSize(size);
        p->PutValue(value);
        return ptr;
    }
    ParametersPtr GetParameters() override { return ParametersPtr(params_); }

    _RecordsetPtr Execute(VARIANT* recordsAffected, VARIANT* parameters, long options) override {
        if (!conn_ || conn_->GetState() == adStateClosed)
            Raise(adErrInvalidConnection,
                  "The connection cannot be used to perform this operation. It is either closed or invalid in this context.",
                  kCommandSource);
        auto* conn = static_cast<ConnectionImpl*>(conn_.GetInterfacePtr());
        bool noRecords = options != adOptionUnspecified && (options & adExecuteNoRecords);
        long optType = options == adOptionUnspecified ? 0 : (options & 0xFFFF & ~static_cast<long>(adExecuteNoRecords));
        // The command's own type, once set, decides how its text is read.
        long type = (type_ != adCmdUnknown && type_ != adCmdUnspecified) ? static_cast<long>(type_) : (optType ? optType : static_cast<long>(adCmdUnknown));
        std::string text = BstrToUtf8(text_);
        if (text.empty()) Raise(adErrInvalidArgument, "Command text was not set for the command object.", kCommandSource);
        std::string sql = ResolveSource(conn->Db(), text, type);
        std::vector<_variant_t> values;
        std::vector<DataTypeEnum> types;
        if (parameters && parameters->vt == (VT_ARRAY | VT_VARIANT) && parameters->parray) {
            std::int32_t lo, hi;
            SafeArrayGetLBound(parameters->parray, 1, &lo);
            SafeArrayGetUBound(parameters->parray, 1, &hi);
            for (std::int32_t i = lo; i <= hi; ++i) {
                _variant_t v;
                SafeArrayGetElement(parameters->parray, &i, static_cast<VARIANT*>(&v));
                values.push_back(v);
                types.push_back(adVariant);
            }
        } else if (parameters && parameters->vt != VT_EMPTY && !(parameters->vt == VT_ERROR && parameters->scode == DISP_E_PARAMNOTFOUND)) {
            values.emplace_back(*parameters);
            types.push_back(adVariant);
        } else {
            for (const _ParameterPtr& p : params_->Items()) {
                ParameterDirectionEnum d = p->GetDirection();
                if (d == adParamOutput || d == adParamReturnValue) continue;
                values.push_back(p->GetValue());
                types.push_back(p->GetType());
            }
        }
        long affected = 0;
        auto snap = RunSql(*conn, sql, values, types, false, affected);
        if (recordsAffected) {
            VariantClear(recordsAffected);
            recordsAffected->vt = VT_I4;
            recordsAffected->lVal = static_cast<std::int32_t>(affected);
        }
        if (noRecords) return nullptr;
        auto* rs = new RecordsetImpl();
        _RecordsetPtr p(static_cast<_Recordset*>(rs));
        if (snap)
            rs->Attach(std::move(snap), conn_, conn->GetCursorLocation() == adUseClient ? adOpenStatic : adOpenForwardOnly, adLockReadOnly,
                       sql, values, types);
        return p;
    }

private:
    _ConnectionPtr conn_;
    _bstr_t text_{""};
    CommandTypeEnum type_ = adCmdUnknown;
    long timeout_ = 30;
    bool prepared_ = false;
    ParametersImpl* params_;
};

}  // namespace NUVADO::detail

namespace NUVADO {

void RegisterClasses() {
    using namespace detail;
    NUVCom::RegisterClass(CLSID_Connection, [] { return static_cast<IUnknown*>(static_cast<_Connection*>(new ConnectionImpl())); });
    NUVCom::RegisterClass(CLSID_Recordset, [] { return static_cast<IUnknown*>(static_cast<_Recordset*>(new RecordsetImpl())); });
    NUVCom::RegisterClass(CLSID_Command, [] { return static_cast<IUnknown*>(static_cast<_Command*>(new CommandImpl())); });
    NUVCom::RegisterClass(CLSID_Parameter, [] { return static_cast<IUnknown*>(static_cast<_Parameter*>(new ParameterImpl())); });
}

}  // namespace NUVADO

namespace NUVADO::detail {

}  // namespace NUVADO::detail
