// CADOCommand (a prepared command bound to one connection, usually a stored procedure, with
// typed parameters) and CADOParameter (one parameter). Constructors and the plain setters let
// platform errors reach the caller; AddParameter, Execute, SetValue and GetValue keep them as
// the last error code and text and return 0.
#pragma once

#include <cstdint>

#include "ado/Ado.h"
#include "com/Com.h"
#include "win/CString.h"

class CADODatabase;

class CADOParameter {
public:
    CADOParameter(int type, long size = 0, int direction = NUVADO::adParamInput, CString name = "");
    CADOParameter(const CADOParameter& other);
    CADOParameter& operator=(const CADOParameter& other);
    virtual ~CADOParameter();

    // Kept here only: the platform object keeps the name given at construction.
    void SetName(CString name) { m_strName = name; }
    CString GetName() const { return m_strName; }
    void SetPrecision(int precision);
    void SetScale(int scale);

    // An int keeps its low 16 bits; an empty text is null. A parameter of size 0 takes the
    // value's natural size.
    int SetValue(int value);
    int SetValue(long value);
    int SetValue(double value);
    int SetValue(CString value);
    int SetValue(const char* value) { return SetValue(CString(value)); }
    int SetValue(COleDateTime value);
    int SetValue(const _variant_t& value);

    int GetValue(int& value);
    int GetValue(long& value);
    int GetValue(double& value);
    int GetValue(CString& value, CString dateFormat = "");
    int GetValue(COleDateTime& value);
    int GetValue(_variant_t& value);

    int GetType() const { return m_nType; }
    NUVADO::_ParameterPtr GetParameter() const { return m_pParameter; }
    std::uint32_t GetLastError() const { return m_dwLastError; }
    CString GetLastErrorString() const { return m_strLastError; }

protected:
    void dump_com_error(const _com_error& e);
    int PutValue(const _variant_t& value, long naturalSize);
    template <class T>
    int ReadValue(T& value, const char* dateFormat = nullptr);

    NUVADO::_ParameterPtr m_pParameter;
    CString m_strName;
    std::int32_t m_nType = 0;
    CString m_strLastError;
    std::uint32_t m_dwLastError = 0;
};

class CADOCommand {
public:
    enum cadoCommandType { typeCmdText = 1, typeCmdTable = 2, typeCmdStoredProc = 4, typeCmdUnknown = 8 };

    CADOCommand(CADODatabase* database, CString text = "", int type = typeCmdStoredProc);
    CADOCommand(const CADOCommand& other);
    CADOCommand& operator=(const CADOCommand& other);
    virtual ~CADOCommand();

    void SetText(CString text);
    CString GetText() const { return m_strCommandText; }
    void SetType(int type);
    int GetType() const { return m_nCommandType; }
    void SetTimeout(long seconds);

    int AddParameter(CADOParameter* parameter);
    int AddParameter(CString name, int type, int direction, long size, const _variant_t& value, int precision = 0,
                     int scale = 0);
    int AddParameter(CString name, int type, int direction, long size, int value);
    int AddParameter(CString name, int type, int direction, long size, long value);
    int AddParameter(CString name, int type, int direction, long size, double value, int precision = 0, int scale = 0);
    int AddParameter(CString name, int type, int direction, long size, CString value);
    int AddParameter(CString name, int type, int direction, long size, const char* value) {
        return AddParameter(name, type, direction, size, CString(value));
    }
    int AddParameter(CString name, int type, int direction, long size, COleDateTime value);

    // Runs the command as a stored procedure; the rows it changed go to GetRecordsAffected().
    int Execute();

    NUVADO::_CommandPtr GetCommand() const { return m_pCommand; }
    long GetRecordsAffected() const { return m_nRecordsAffected; }
    std::uint32_t GetLastError() const { return m_dwLastError; }
    CString GetLastErrorString() const { return m_strLastError; }

protected:
    void dump_com_error(const _com_error& e);

    NUVADO::_CommandPtr m_pCommand;
    std::int32_t m_nCommandType = typeCmdStoredProc;
    std::int32_t m_nRecordsAffected = 0;
    CString m_strCommandText;
    CString m_strLastError;
    std::uint32_t m_dwLastError = 0;
};
