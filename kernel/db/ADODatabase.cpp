#include "db/ADODatabase.h"

#include "db/DbInternal.h"

using namespace NUVADO;

CADODatabase::CADODatabase() {
    CoInitialize(nullptr);
    if (FAILED(m_pConnection.CreateInstance(CLSID_Connection))) m_pConnection = nullptr;
}

// A copy starts the runtime too, so that every destructor's release is matched.
CADODatabase::CADODatabase(const CADODatabase& other)
    : m_pConnection(other.m_pConnection),
      m_strConnection(other.m_strConnection),
      m_strLastError(other.m_strLastError),
      m_dwLastError(other.m_dwLastError),
      m_nRecordsAffected(other.m_nRecordsAffected),
      m_nConnectionTimeout(other.m_nConnectionTimeout) {
    CoInitialize(nullptr);
}

CADODatabase& CADODatabase::operator=(const CADODatabase& other) {
    m_pConnection = other.m_pConnection;
    m_strConnection = other.m_strConnection;
    m_strLastError = other.m_strLastError;
    m_dwLastError = other.m_dwLastError;
    m_nRecordsAffected = other.m_nRecordsAffected;
    m_nConnectionTimeout = other.m_nConnectionTimeout;
    return *this;
}

CADODatabase::~CADODatabase() {
    try {
        Close();
    } catch (const _com_error&) {
        // A connection that cannot be closed is released all the same.
    }
    m_pConnection.Release();
    m_strConnection.Empty();
    m_strLastError.Empty();
    m_dwLastError = 0;
    CoUninitialize();
}

int CADODatabase::Open(const char* connectionString, const char* userId, const char* password) {
    if (IsOpen()) Close();
    if (connectionString && *connectionString) m_strConnection = connectionString;
    try {
        if (m_nConnectionTimeout != 0) m_pConnection->PutConnectionTimeout(m_nConnectionTimeout);
        HRESULT hr = m_pConnection->Open(_bstr_t(m_strConnection.GetString()), _bstr_t(userId ? userId : ""),
                                         _bstr_t(password ? password : ""), -1);
        return hr == S_OK ? 1 : 0;
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
}

void CADODatabase::Close() {
    if (IsOpen()) m_pConnection->Close();
}

int CADODatabase::IsOpen() {
    if (!m_pConnection) return 0;
    return m_pConnection->GetState() != adStateClosed ? 1 : 0;
}

int CADODatabase::Execute(const char* text) {
    m_nRecordsAffected = 0;
    try {
        m_pConnection->PutCursorLocation(adUseClient);
        _variant_t count;
        m_pConnection->Execute(_bstr_t(text ? text : ""), &count, adExecuteNoRecords);
        // The count is kept as the platform hands it over: its low 16 bits, signed.
        m_nRecordsAffected = static_cast<std::int16_t>(static_cast<std::uint16_t>(count.lVal & 0xFFFF));
        return 1;
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
}

long CADODatabase::BeginTransaction() { return m_pConnection->BeginTrans(); }
long CADODatabase::CommitTransaction() { return m_pConnection->CommitTrans(); }
long CADODatabase::RollbackTransaction() { return m_pConnection->RollbackTrans(); }

std::uint32_t CADODatabase::GetRecordCount(const _RecordsetPtr& recordset) { return NUVDb::CountRecords(recordset); }

void CADODatabase::dump_com_error(const _com_error& e) {
    m_strLastError = "Connection String = " + m_strConnection + "\n" + NUVDb::ErrorReport("CADODataBase", e);
    m_dwLastError = static_cast<std::uint32_t>(e.Error());
}
