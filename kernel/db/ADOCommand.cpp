#include "db/ADOCommand.h"

#include "db/ADODatabase.h"
#include "db/DbInternal.h"

using namespace NUVADO;

namespace {

_variant_t NullValue() {
    _variant_t v;
    v.vt = VT_NULL;
    return v;
}

int Convert(const VARIANT& v, double& out, const char*) { return NUVDb::ToDouble(v, out, NUVDb::Source::Parameter); }
int Convert(const VARIANT& v, long& out, const char*) { return NUVDb::ToLong(v, out); }
int Convert(const VARIANT& v, int& out, const char*) { return NUVDb::ToInt(v, out); }
int Convert(const VARIANT& v, COleDateTime& out, const char*) { return NUVDb::ToDate(v, out); }
int Convert(const VARIANT& v, _variant_t& out, const char*) { return NUVDb::ToVariant(v, out); }
int Convert(const VARIANT& v, CString& out, const char* format) {
    return NUVDb::ToText(v, out, format, NUVDb::Source::Parameter);
}

}  // namespace

// --- CADOParameter ---

CADOParameter::CADOParameter(int type, long size, int direction, CString name) : m_strName(name), m_nType(type) {
    HRESULT hr = m_pParameter.CreateInstance(CLSID_Parameter);
    if (FAILED(hr)) _com_issue_error(hr);
    m_pParameter->PutDirection(static_cast<ParameterDirectionEnum>(direction));
    m_pParameter->PutName(_bstr_t(name.GetString()));
    m_pParameter->PutType(static_cast<DataTypeEnum>(type));
    m_pParameter->PutSize(size);
}

CADOParameter::CADOParameter(const CADOParameter& other) = default;
CADOParameter& CADOParameter::operator=(const CADOParameter& other) = default;

CADOParameter::~CADOParameter() {
    m_pParameter.Release();
    m_strName.Empty();
    m_strLastError.Empty();
}

void CADOParameter::SetPrecision(int precision) { m_pParameter->PutPrecision(static_cast<unsigned char>(precision)); }
void CADOParameter::SetScale(int scale) { m_pParameter->PutNumericScale(static_cast<unsigned char>(scale)); }

int CADOParameter::PutValue(const _variant_t& value, long naturalSize) {
    try {
        if (m_pParameter->GetSize() == 0) m_pParameter->PutSize(naturalSize);
        m_pParameter->PutValue(value);
        return 1;
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
}

int CADOParameter::SetValue(int value) { return PutValue(_variant_t(static_cast<short>(value)), 4); }
int CADOParameter::SetValue(long value) { return PutValue(_variant_t(value, VT_I4), 4); }
int CADOParameter::SetValue(double value) { return PutValue(_variant_t(value), 8); }
int CADOParameter::SetValue(COleDateTime value) { return PutValue(_variant_t(static_cast<DATE>(value), VT_DATE), 8); }
int CADOParameter::SetValue(const _variant_t& value) { return PutValue(value, 16); }
int CADOParameter::SetValue(CString value) {
    return PutValue(value.IsEmpty() ? NullValue() : _variant_t(value), value.GetLength());
}

template <class T>
int CADOParameter::ReadValue(T& value, const char* dateFormat) {
    try {
        _variant_t v = m_pParameter->GetValue();
        return Convert(v, value, dateFormat);
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
}

int CADOParameter::GetValue(int& value) { return ReadValue(value); }
int CADOParameter::GetValue(long& value) { return ReadValue(value); }
int CADOParameter::GetValue(double& value) { return ReadValue(value); }
int CADOParameter::GetValue(CString& value, CString dateFormat) { return ReadValue(value, dateFormat.GetString()); }
int CADOParameter::GetValue(COleDateTime& value) { return ReadValue(value); }
int CADOParameter::GetValue(_variant_t& value) { return ReadValue(value); }

void CADOParameter::dump_com_error(const _com_error& e) {
    m_strLastError = NUVDb::ErrorReport("CADOParameter", e);
    m_dwLastError = static_cast<std::uint32_t>(e.Error());
}

// --- CADOCommand ---

CADOCommand::CADOCommand(CADODatabase* database, CString text, int type)
    : m_nCommandType(type), m_strCommandText(text) {
    HRESULT hr = m_pCommand.CreateInstance(CLSID_Command);
    if (FAILED(hr)) _com_issue_error(hr);
    m_pCommand->PutCommandText(_bstr_t(text.GetString()));
    m_pCommand->PutCommandType(static_cast<CommandTypeEnum>(type));
    m_pCommand->PutRefActiveConnection(database ? database->GetActiveConnection() : nullptr);
}

CADOCommand::CADOCommand(const CADOCommand& other) = default;
CADOCommand& CADOCommand::operator=(const CADOCommand& other) = default;

CADOCommand::~CADOCommand() {
    m_pCommand.Release();
    m_strCommandText.Empty();
    m_strLastError.Empty();
}

void CADOCommand::SetText(CString text) {
    m_strCommandText = text;
    m_pCommand->PutCommandText(_bstr_t(text.GetString()));
}

void CADOCommand::SetType(int type) {
    m_nCommandType = type;
    m_pCommand->PutCommandType(static_cast<CommandTypeEnum>(type));
}

void CADOCommand::SetTimeout(long seconds) { m_pCommand->PutCommandTimeout(seconds); }

int CADOCommand::AddParameter(CADOParameter* parameter) {
    try {
        if (!parameter) _com_issue_error(E_POINTER);
        m_pCommand->GetParameters()->Append(parameter->GetParameter());
        return 1;
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
}

int CADOCommand::AddParameter(CString name, int type, int direction, long size, const _variant_t& value, int precision,
                              int scale) {
    try {
        _ParameterPtr p = m_pCommand->CreateParameter(_bstr_t(name.GetString()), static_cast<DataTypeEnum>(type),
                                                      static_cast<ParameterDirectionEnum>(direction), size, value);
        p->PutPrecision(static_cast<unsigned char>(precision));
        p->PutNumericScale(static_cast<unsigned char>(scale));
        m_pCommand->GetParameters()->Append(p);
        return 1;
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
}

int CADOCommand::AddParameter(CString name, int type, int direction, long size, int value) {
    return AddParameter(name, type, direction, size, _variant_t(static_cast<short>(value)), 0, 0);
}

int CADOCommand::AddParameter(CString name, int type, int direction, long size, long value) {
    return AddParameter(name, type, direction, size, _variant_t(value, VT_I4), 0, 0);
}

int CADOCommand::AddParameter(CString name, int type, int direction, long size, double value, int precision, int scale) {
    return AddParameter(name, type, direction, size, _variant_t(value), precision, scale);
}

int CADOCommand::AddParameter(CString name, int type, int direction, long size, CString value) {
    return AddParameter(name, type, direction, size, _variant_t(value), 0, 0);
}

int CADOCommand::AddParameter(CString name, int type, int direction, long size, COleDateTime value) {
    return AddParameter(name, type, direction, size, _variant_t(static_cast<DATE>(value), VT_DATE), 0, 0);
}

int CADOCommand::Execute() {
    m_nRecordsAffected = 0;
    try {
        _variant_t count;
        m_pCommand->Execute(&count, nullptr, adCmdStoredProc);
        m_nRecordsAffected = static_cast<std::int16_t>(static_cast<std::uint16_t>(count.lVal & 0xFFFF));
        return 1;
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
}

void CADOCommand::dump_com_error(const _com_error& e) {
    m_strLastError = NUVDb::ErrorReport("CADOCommand", e);
    m_dwLastError = static_cast<std::uint32_t>(e.Error());
}
