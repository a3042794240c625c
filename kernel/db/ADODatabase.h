// CADODatabase: one connection to a database file through the ADO objects. Operations return 1
// for success and 0 for failure unless noted; platform errors of Open and Execute are caught and
// kept as the last error code and text, the others reach the caller as _com_error.
//
// Copies share the connection object: closing or destroying any copy closes it for all.
#pragma once

#include <cstdint>

#include "ado/Ado.h"
#include "com/Com.h"
#include "win/CString.h"

class CADODatabase {
public:
    // Starts the component runtime for this thread and makes the connection object (left null
    // when that fails; operations then fail with E_POINTER).
    CADODatabase();
    CADODatabase(const CADODatabase& other);
    CADODatabase& operator=(const CADODatabase& other);
    virtual ~CADODatabase();

    // Opens the stored connection string, replaced first by a non-empty argument.
    int Open(const char* connectionString = nullptr, const char* userId = nullptr, const char* password = nullptr);
    void Close();
    int IsOpen();

    // Runs a statement that returns no records; the rows it changed go to GetRecordsAffected().
    int Execute(const char* text);
    long BeginTransaction();   // the new nesting level
    long CommitTransaction();  // the platform's result code
    long RollbackTransaction();

    // The number of records of a platform record set; walks it when the provider cannot tell,
    // leaving it on its first record (or at its end when empty).
    std::uint32_t GetRecordCount(const NUVADO::_RecordsetPtr& recordset);

    void SetConnectionTimeout(long seconds) { m_nConnectionTimeout = static_cast<std::int32_t>(seconds); }
    void SetConnectionString(const char* text) { m_strConnection = text ? text : ""; }
    CString GetConnectionString() const { return m_strConnection; }
    NUVADO::_ConnectionPtr GetActiveConnection() const { return m_pConnection; }
    long GetRecordsAffected() const { return m_nRecordsAffected; }
    std::uint32_t GetLastError() const { return m_dwLastError; }
    CString GetLastErrorString() const { return m_strLastError; }

protected:
    // Keeps a caught platform error as the last error code and text.
    void dump_com_error(const _com_error& e);

    NUVADO::_ConnectionPtr m_pConnection;
    CString m_strConnection;
    CString m_strLastError;
    std::uint32_t m_dwLastError = 0;
    std::int32_t m_nRecordsAffected = 0;
    std::int32_t m_nConnectionTimeout = 0;
};
