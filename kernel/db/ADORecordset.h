// CADORecordset: one record set opened on a CADODatabase's connection, with the value side
// (typed reads and writes of fields, long-data pieces, bitmaps stored as bitmap-file images,
// delimited export). Every field argument is a name or a 0-based index.
//
// Which failures are caught: opening, executing, requery, update, clone, filter, sort, the XML
// forms, AddNew with a binding and every field read and write keep the platform error as the
// last error code and text and return 0. Navigation, counts, positions, bookmarks, AddNew,
// Delete, CancelUpdate, Find and GetString let the _com_error reach the caller.
//
// Copies share the platform objects: closing or destroying any copy closes the record set.
#pragma once

#include <cstdint>

#include "ado/Ado.h"
#include "com/Com.h"
#include "win/CBitmap.h"
#include "win/CString.h"
#include "win/Gdi.h"

class CADODatabase;
class CADOCommand;

// One field's description, as GetFieldInfo fills it. Zero-filled before use; the members after
// m_lAttributes are left zero by this layer.
struct CADOFieldInfo {
    char m_strName[30];          // terminated; a longer name is cut at a character boundary
    std::int16_t m_nType;        // DataTypeEnum
    std::int32_t m_lSize;        // bytes of the current value; 0 at the end of the record set
    std::int32_t m_lDefinedSize;
    std::int32_t m_lAttributes;  // FieldAttributeEnum bits
    std::int16_t m_nOrdinalPosition;
    BOOL m_bRequired;
    BOOL m_bAllowZeroLength;
    std::int32_t m_lCollatingOrder;
};

class CADORecordset {
public:
    enum cadoOpenEnum { openUnknown = 0, openQuery = 1, openTable = 2, openStoredProc = 3 };
    enum cadoEditEnum { dbEditNone = 0, dbEditNew = 1, dbEdit = 2 };
    enum cadoPositionEnum { positionUnknown = -1, positionBOF = -2, positionEOF = -3 };
    enum cadoSearchEnum { searchForward = 1, searchBackward = -1 };

    CADORecordset();
    explicit CADORecordset(CADODatabase* database);
    CADORecordset(const CADORecordset& other);
    CADORecordset& operator=(const CADORecordset& other);
    virtual ~CADORecordset();

    // Opens an SQL text (option 0 or 1), a table (2) or a stored procedure (3). A null or empty
    // text reuses the stored query.
    int Open(NUVADO::_ConnectionPtr connection, const char* text = nullptr, int option = openUnknown);
    int Open(const char* text = nullptr, int option = openUnknown);
    void Close();
    int IsOpen();
    int IsConnectionOpen();
    // Runs a command and holds the record set it returns.
    int Execute(CADOCommand* command);
    int Requery();

    int IsEOF();
    int IsBOF();
    int IsEof() { return IsEOF(); }
    int IsBof() { return IsBOF(); }
    void MoveFirst();
    void MoveNext();
    void MovePrevious();
    void MoveLast();

    long GetAbsolutePage();
    void SetAbsolutePage(int page);
    long GetPageCount();
    long GetPageSize();
    void SetPageSize(int size);
    long GetAbsolutePosition();
    void SetAbsolutePosition(int position);
    // Walks the record set when the provider cannot tell (see CADODatabase::GetRecordCount).
    std::uint32_t GetRecordCount();

    long GetFieldCount();
    NUVADO::FieldPtr GetField(int index);
    NUVADO::FieldPtr GetField(const char* name);
    NUVADO::FieldsPtr GetFields();
    CString GetFieldName(int index);
    int GetFieldType(int index);
    int GetFieldType(const char* name);
    long GetFieldAttributes(int index);
    long GetFieldAttributes(const char* name);
    long GetFieldDefineSize(int index);
    long GetFieldDefineSize(const char* name);
    long GetFieldActualSize(int index);
    long GetFieldActualSize(const char* name);
    int GetFieldInfo(int index, CADOFieldInfo* info);
    int GetFieldInfo(const char* name, CADOFieldInfo* info);

    // Reads with the layer's conversions: empty and null give 0, false, an empty text or a null
    // date/currency; see the source for the rules per type.
    int GetFieldValue(int index, double& value);
    int GetFieldValue(const char* name, double& value);
    int GetFieldValue(int index, long& value);
    int GetFieldValue(const char* name, long& value);
    int GetFieldValue(int index, int& value);
    int GetFieldValue(const char* name, int& value);
    int GetFieldValue(int index, bool& value);
    int GetFieldValue(const char* name, bool& value);
    int GetFieldValue(int index, COleDateTime& value);
    int GetFieldValue(const char* name, COleDateTime& value);
    int GetFieldValue(int index, COleCurrency& value);
    int GetFieldValue(const char* name, COleCurrency& value);
    int GetFieldValue(int index, _variant_t& value);
    int GetFieldValue(const char* name, _variant_t& value);
    // Dates use the strftime-style format, "%Y-%m-%d %H:%M:%S" when it is empty.
    int GetFieldValue(int index, CString& value, CString dateFormat = "");
    int GetFieldValue(const char* name, CString& value, CString dateFormat = "");
    int IsFieldNull(int index);
    int IsFieldNull(const char* name);
    int IsFieldEmpty(int index);
    int IsFieldEmpty(const char* name);

    // Writes, accepted only after AddNew() or Edit(). An int keeps its low 16 bits; an empty
    // text is written as null.
    int SetFieldValue(int index, int value);
    int SetFieldValue(const char* name, int value);
    int SetFieldValue(int index, long value);
    int SetFieldValue(const char* name, long value);
    int SetFieldValue(int index, unsigned long value);
    int SetFieldValue(const char* name, unsigned long value);
    int SetFieldValue(int index, double value);
    int SetFieldValue(const char* name, double value);
    int SetFieldValue(int index, COleDateTime value);
    int SetFieldValue(const char* name, COleDateTime value);
    int SetFieldValue(int index, bool value);
    int SetFieldValue(const char* name, bool value);
    int SetFieldValue(int index, COleCurrency value);
    int SetFieldValue(const char* name, COleCurrency value);
    int SetFieldValue(int index, CString value);
    int SetFieldValue(const char* name, CString value);
    // A text literal is a text, not a truth value.
    int SetFieldValue(int index, const char* value) { return SetFieldValue(index, CString(value)); }
    int SetFieldValue(const char* name, const char* value) { return SetFieldValue(name, CString(value)); }
    int SetFieldValue(int index, const _variant_t& value);
    int SetFieldValue(const char* name, const _variant_t& value);
    int SetFieldEmpty(int index);
    int SetFieldEmpty(const char* name);

    int AddNew();
    void Edit() { m_nEditStatus = dbEdit; }
    int Update();
    void CancelUpdate();
    int Delete();

    // Criteria in the ADO syntax ("Name = 'x' AND Qty > 3"). Direction 1 searches forward from
    // the current record, -1 backward.
    int Find(const char* criteria, int direction = searchForward);
    int FindFirst(const char* criteria);
    int FindNext();
    void GetBookmark();
    int SetBookmark();
    int SetFilter(const char* criteria);
    int SetSort(const char* order);

    int SaveAsXML(const char* path);
    int OpenXML(const char* path);
    int Clone(CADORecordset& other);

    // The record set as text; a TAB and a carriage return by default; rows 0 means all.
    CString GetString(const char* columnDelimiter = "", const char* rowDelimiter = "", const char* nullText = "",
                      long rows = 0);

    // Long data, read in pieces of 100 bytes. The buffer must hold GetFieldActualSize() bytes.
    // As on the platform, pieces continue where the last read of the field stopped until the
    // record is entered again (any move), so read a field once per visit.
    int GetChunk(int index, void* buffer);
    int GetChunk(const char* name, void* buffer);
    int GetChunk(int index, CString& text);
    int GetChunk(const char* name, CString& text);
    int GetChunk(int index, CBitmap& bitmap);
    int GetChunk(const char* name, CBitmap& bitmap);
    int AppendChunk(int index, const void* bytes, unsigned count);
    int AppendChunk(const char* name, const void* bytes, unsigned count);
    int AppendChunk(int index, const char* filePath);
    int AppendChunk(const char* name, const char* filePath);
    int AppendChunk(int index, HBITMAP const& bitmap);
    int AppendChunk(const char* name, HBITMAP const& bitmap);

    int RecordBinding(NUVADO::CADORecordBinding& binding);
    int AddNew(NUVADO::CADORecordBinding& binding);

    void SetQuery(const char* query) { m_strQuery = query ? query : ""; }
    CString GetQuery() const { return m_strQuery; }
    NUVADO::_ConnectionPtr GetActiveConnection() const { return m_pConnection; }
    NUVADO::_RecordsetPtr GetRecordset() const { return m_pRecordset; }
    std::uint32_t GetLastError() const { return m_dwLastError; }
    CString GetLastErrorString() const { return m_strLastError; }

protected:
    void dump_com_error(const _com_error& e);
    // Runs an operation that reports failure as 0, recording a platform error as the last error.
    template <class Operation>
    int Guarded(Operation&& operation) {
        try {
            return operation();
        } catch (const _com_error& e) {
            dump_com_error(e);
            return 0;
        }
    }

    NUVADO::FieldPtr FieldOf(const _variant_t& field);
    template <class T>
    int ReadValue(int index, T& value, const char* dateFormat = nullptr);
    template <class T>
    int ReadNamed(const char* name, T& value, const char* dateFormat = nullptr);
    int TestField(const _variant_t& field, bool emptyToo);
    int PutFieldValue(const _variant_t& field, const _variant_t& value);
    int GetChunkCore(const NUVADO::FieldPtr& field, void* buffer);
    int GetChunkText(const _variant_t& field, CString& text);
    int GetChunkBitmap(const _variant_t& field, CBitmap& bitmap);
    int AppendChunkCore(const NUVADO::FieldPtr& field, const void* bytes, unsigned count);
    int AppendChunkBytes(const _variant_t& field, const void* bytes, unsigned count);
    int GetChunkBytes(const _variant_t& field, void* buffer);
    int AppendChunkFile(const _variant_t& field, const char* filePath);
    int AppendChunkBitmap(const _variant_t& field, HBITMAP bitmap);
    int GetFieldInfo(const _variant_t& field, CADOFieldInfo* info);
    template <class T, class F>
    T FieldProperty(const _variant_t& field, T onError, F get);

    NUVADO::_RecordsetPtr m_pRecordset;
    NUVADO::_CommandPtr m_pCmd;
    NUVADO::_ConnectionPtr m_pConnection;
    std::int32_t m_nSearchDirection = searchForward;
    CString m_strFind;
    _variant_t m_varBookmarkFind;
    _variant_t m_varBookmark;
    std::int32_t m_nEditStatus = dbEditNone;
    CString m_strLastError;
    std::uint32_t m_dwLastError = 0;
    NUVADO::IADORecordBindingPtr m_pRecBinding;
    CString m_strQuery;
};
