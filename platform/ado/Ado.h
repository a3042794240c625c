// The ADO object model on SQLite (through SQLCipher): Connection, Recordset, Command, Parameter,
// Fields, Field and record binding, with the interface and smart-pointer names callers of the
// platform use. Objects are reference counted and created by ProgID:
//
//     NUVADO::_ConnectionPtr conn;
//     conn.CreateInstance("ADODB.Connection");      // or NUVADO::CLSID_Connection
//     conn->Open(NUV::GetAccessConnectStr(...), "", "", -1);
//
// Property reads and writes are Get.../Put... methods. Every failing call raises _com_error
// with a real result code, the source and a specific description; methods that return HRESULT
// return S_OK when they do not raise.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ado/AdoEnums.h"
#include "com/Com.h"

namespace NUVADO {

inline constexpr const char* CLSID_Connection = "ADODB.Connection";
inline constexpr const char* CLSID_Recordset = "ADODB.Recordset";
inline constexpr const char* CLSID_Command = "ADODB.Command";
inline constexpr const char* CLSID_Parameter = "ADODB.Parameter";

// Registers the classes with the runtime so CreateInstance finds them by ProgID. Every file that
// includes this header calls it once at start-up, which also keeps the library linked into
// programs that only create objects.
void RegisterClasses();
namespace detail {
inline const bool kClassesRegistered = (RegisterClasses(), true);
}

struct _Connection;
struct _Recordset;
struct _Command;
struct _Parameter;
struct Parameters;
struct Fields;
struct Field;
struct IADORecordBinding;
class CADORecordBinding;

// A field value of the current record read in place (see _Recordset::PeekCollect). Valid until
// the record set moves, changes or closes.
struct CollectView {
    const VARIANT* value = nullptr;  // the value; null when it is the engine's text below
    const char* utf8 = nullptr;      // a text field's value as the engine keeps it (UTF-8)...
    std::size_t bytes = 0;           // ...and its length
    VARIANT scratch{};               // holds a date read from the engine's text
};

using _ConnectionPtr = _com_ptr_t<_Connection>;
using _RecordsetPtr = _com_ptr_t<_Recordset>;
using _CommandPtr = _com_ptr_t<_Command>;
using _ParameterPtr = _com_ptr_t<_Parameter>;
using ParametersPtr = _com_ptr_t<Parameters>;
using FieldsPtr = _com_ptr_t<Fields>;
using FieldPtr = _com_ptr_t<Field>;
using IADORecordBindingPtr = _com_ptr_t<IADORecordBinding>;

struct _Connection : IDispatch {
    // Connection string keys: Provider (Microsoft.Jet.OLEDB.4.0 or .ACE.OLEDB.12.0), Data Source
    // (the database file; a missing file is refused, an empty file is an empty database),
    // "Jet OLEDB:Database Password" (encrypts; a wrong one is refused), Mode=Read (read only).
    virtual HRESULT Open(const _bstr_t& connectionString, const _bstr_t& userId, const _bstr_t& password, long options) = 0;
    virtual HRESULT Close() = 0;
    // Runs one or more statements; the record set of the last one that returns rows (or a closed
    // record set). RecordsAffected (when given) receives the rows changed as VT_I4.
    virtual _RecordsetPtr Execute(const _bstr_t& commandText, VARIANT* recordsAffected, long options) = 0;
    virtual long BeginTrans() = 0;  // the new nesting level
    virtual HRESULT CommitTrans() = 0;
    virtual HRESULT RollbackTrans() = 0;
    // adSchemaTables: TABLE_NAME, TABLE_TYPE ("TABLE", "VIEW", "SYSTEM TABLE"); adSchemaColumns:
    // TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE;
    // adSchemaProcedures: PROCEDURE_NAME, PROCEDURE_DEFINITION.
    virtual _RecordsetPtr OpenSchema(SchemaEnum schema) = 0;

    virtual long GetState() = 0;
    virtual long GetConnectionTimeout() = 0;
    virtual void PutConnectionTimeout(long seconds) = 0;
    virtual long GetCommandTimeout() = 0;
    virtual void PutCommandTimeout(long seconds) = 0;
    virtual CursorLocationEnum GetCursorLocation() = 0;
    virtual void PutCursorLocation(CursorLocationEnum location) = 0;
    virtual _bstr_t GetConnectionString() = 0;
    virtual void PutConnectionString(const _bstr_t& s) = 0;
    virtual _bstr_t GetProvider() = 0;
};

struct _Recordset : IDispatch {
    // Source: SQL text, table name, procedure name or (with adCmdFile) a rowset XML file path.
    // ActiveConnection: a _Connection (VT_DISPATCH/VT_UNKNOWN), a connection string, or missing
    // for files. Static and keyset cursors are snapshots that write through by key;
    // forward-only cursors report RecordCount -1 and cannot move backwards.
    virtual HRESULT Open(const _variant_t& source, const _variant_t& activeConnection, CursorTypeEnum cursorType,
                         LockTypeEnum lockType, long options) = 0;
    virtual HRESULT Close() = 0;
    virtual long GetState() = 0;

    virtual VARIANT_BOOL GetEndOfFile() = 0;
    virtual VARIANT_BOOL GetBOF() = 0;
    virtual HRESULT MoveFirst() = 0;
    virtual HRESULT MoveNext() = 0;
    virtual HRESULT MovePrevious() = 0;
    virtual HRESULT MoveLast() = 0;
    virtual HRESULT Move(long numRecords, const _variant_t& start = vtMissing) = 0;
    virtual long GetRecordCount() = 0;

    virtual long GetAbsolutePage() = 0;  // PositionEnum values at BOF/EOF
    virtual void PutAbsolutePage(long page) = 0;
    virtual long GetPageCount() = 0;
    virtual long GetPageSize() = 0;
    virtual void PutPageSize(long size) = 0;
    virtual long GetAbsolutePosition() = 0;
    virtual void PutAbsolutePosition(long position) = 0;
    virtual _variant_t GetBookmark() = 0;
    virtual void PutBookmark(const _variant_t& bookmark) = 0;

    virtual CursorTypeEnum GetCursorType() = 0;
    virtual void PutCursorType(CursorTypeEnum type) = 0;
    virtual CursorLocationEnum GetCursorLocation() = 0;
    virtual void PutCursorLocation(CursorLocationEnum location) = 0;
    virtual LockTypeEnum GetLockType() = 0;
    virtual void PutLockType(LockTypeEnum type) = 0;
    virtual EditModeEnum GetEditMode() = 0;
    virtual _bstr_t GetSource() = 0;
    virtual _ConnectionPtr GetActiveConnection() = 0;
    virtual void PutRefActiveConnection(_Connection* connection) = 0;

    virtual HRESULT AddNew(const _variant_t& fieldList = vtMissing, const _variant_t& values = vtMissing) = 0;
    virtual HRESULT Update(const _variant_t& fields = vtMissing, const _variant_t& values = vtMissing) = 0;
    virtual HRESULT CancelUpdate() = 0;
    virtual HRESULT Delete(AffectEnum affect) = 0;
    virtual HRESULT Requery(long options) = 0;

    // Criteria: "Name = 'x'", "Qty >= 5 AND (Kind LIKE 'A*' OR Made < #2006-05-01#)", ...
    virtual HRESULT Find(const _bstr_t& criteria, long skipRecords, SearchDirectionEnum direction,
                         const _variant_t& start = vtMissing) = 0;
    virtual _variant_t GetFilter() = 0;
    virtual void PutFilter(const _variant_t& criteria) = 0;  // text, or adFilterNone (0)
    virtual _bstr_t GetSort() = 0;
    virtual void PutSort(const _bstr_t& sort) = 0;  // "Name DESC, ID"

    // Writes the visible rows as rowset XML (adPersistXML only). As on the desktop platform an
    // existing file is refused (0x80030050), except the file the record set was opened from.
    virtual HRESULT Save(const _variant_t& destination, PersistFormatEnum format) = 0;
    virtual _RecordsetPtr Clone(LockTypeEnum lockType) = 0;
    virtual _bstr_t GetString(StringFormatEnum format, long numRows, const _bstr_t& columnDelimiter,
                              const _bstr_t& rowDelimiter, const _bstr_t& nullExpr) = 0;

    virtual FieldsPtr GetFields() = 0;
    // Value of a field of the current record by name or ordinal, without a Field object.
    virtual _variant_t GetCollect(const _variant_t& index) = 0;
    virtual void PutCollect(const _variant_t& index, const _variant_t& value) = 0;

    // Not on the desktop platform: GetCollect by 0-based ordinal without copying the value, for
    // readers that convert it at once (the database wrappers read every field this way). Raises
    // as GetCollect does.
    virtual void PeekCollect(long ordinal, CollectView& view) = 0;
    // Not on the desktop platform either: the ordinal of the field GetCollect and Fields.Item
    // find by this name, given in the kernel's code page (GBK), without making a BSTR of it for
    // plain ASCII names. Raises as they do when no field has the name.
    virtual long FieldOrdinal(const char* name) = 0;
};

struct Fields : IDispatch {
    virtual long GetCount() = 0;
    // By 0-based ordinal (any integer tag) or by name (case-insensitive); adErrItemNotFound else.
    virtual FieldPtr GetItem(const _variant_t& index) = 0;
};

struct Field : IDispatch {
    virtual _variant_t GetValue() = 0;
    virtual void PutValue(const _variant_t& value) = 0;
    virtual _variant_t GetOriginalValue() = 0;
    virtual _bstr_t GetName() = 0;
    virtual DataTypeEnum GetType() = 0;
    virtual long GetDefinedSize() = 0;
    virtual long GetActualSize() = 0;
    virtual long GetAttributes() = 0;
    virtual unsigned char GetPrecision() = 0;
    virtual unsigned char GetNumericScale() = 0;
    // Long data in pieces: successive calls continue where the last stopped (on the same record);
    // a binary field gives VT_ARRAY|VT_UI1, a text field a string; null once all is read.
    virtual _variant_t GetChunk(long length) = 0;
    // The first call of an add or edit replaces the value, later calls append.
    virtual HRESULT AppendChunk(const _variant_t& data) = 0;
};

struct _Parameter : IDispatch {
    virtual _bstr_t GetName() = 0;
    virtual void PutName(const _bstr_t& name) = 0;
    virtual DataTypeEnum GetType() = 0;
    virtual void PutType(DataTypeEnum type) = 0;
    virtual ParameterDirectionEnum GetDirection() = 0;
    virtual void PutDirection(ParameterDirectionEnum direction) = 0;
    virtual long GetSize() = 0;
    virtual void PutSize(long size) = 0;
    virtual unsigned char GetPrecision() = 0;
    virtual void PutPrecision(unsigned char precision) = 0;
    virtual unsigned char GetNumericScale() = 0;
    virtual void PutNumericScale(unsigned char scale) = 0;
    virtual _variant_t GetValue() = 0;
    virtual void PutValue(const _variant_t& value) = 0;
};

struct Parameters : IDispatch {
    virtual long GetCount() = 0;
    virtual _ParameterPtr GetItem(const _variant_t& index) = 0;
    virtual HRESULT Append(IDispatch* parameter) = 0;
    virtual HRESULT Delete(const _variant_t& index) = 0;
};

struct _Command : IDispatch {
    virtual _ConnectionPtr GetActiveConnection() = 0;
    virtual void PutRefActiveConnection(_Connection* connection) = 0;
    // A _Connection object or a connection string (a new connection is opened for it).
    virtual void PutActiveConnection(const _variant_t& connection) = 0;
    virtual _bstr_t GetCommandText() = 0;
    virtual void PutCommandText(const _bstr_t& text) = 0;
    virtual CommandTypeEnum GetCommandType() = 0;
    virtual void PutCommandType(CommandTypeEnum type) = 0;
    virtual long GetCommandTimeout() = 0;
    virtual void PutCommandTimeout(long seconds) = 0;
    virtual bool GetPrepared() = 0;
    virtual void PutPrepared(bool prepared) = 0;
    virtual _ParameterPtr CreateParameter(const _bstr_t& name, DataTypeEnum type, ParameterDirectionEnum direction,
                                          long size, const _variant_t& value = vtMissing) = 0;
    virtual ParametersPtr GetParameters() = 0;
    // Parameters (when given and not missing): a VT_ARRAY|VT_VARIANT of values used instead of
    // the Parameters collection's values for this run. Stored procedures take their parameters
    // by position. Options: adCmd* (adCmdUnspecified keeps CommandType), optionally
    // | adExecuteNoRecords.
    virtual _RecordsetPtr Execute(VARIANT* recordsAffected, VARIANT* parameters, long options) = 0;
};

// --- Record binding: a C++ structure whose members mirror fields of the current record. ---

struct ADO_BINDING_ENTRY {
    unsigned ordinal;            // 1-based field ordinal
    DataTypeEnum dataType;       // type of the member
    std::ptrdiff_t dataOffset;   // member offset from the CADORecordBinding base
    std::size_t dataSize;        // bytes of the member (buffer size for texts)
    std::ptrdiff_t statusOffset; // an unsigned long receiving ADOFieldStatusEnum, or ADO_NO_OFFSET
    std::ptrdiff_t lengthOffset; // an unsigned long receiving the value's byte length, or ADO_NO_OFFSET
    bool modify;                 // written back by AddNew/Update
};
inline constexpr std::ptrdiff_t ADO_NO_OFFSET = PTRDIFF_MIN;

class CADORecordBinding {
public:
    virtual ~CADORecordBinding() = default;
    // The entries, ended by one whose ordinal is 0.
    virtual const ADO_BINDING_ENTRY* GetADOBindingEntries() = 0;
};

struct IADORecordBinding : IUnknown {
    // Fills the structure from the current record now and after every move.
    virtual HRESULT BindToRecordset(CADORecordBinding* binding) = 0;
    // Adds a record from the structure's modifiable members and writes it.
    virtual HRESULT AddNew(CADORecordBinding* binding) = 0;
    // Writes the structure's modifiable members to the current record.
    virtual HRESULT Update(CADORecordBinding* binding) = 0;
};

}  // namespace NUVADO

// Binding tables, written inside a class deriving from NUVADO::CADORecordBinding:
//     BEGIN_ADO_BINDING(CRow)
//         ADO_FIXED_LENGTH_ENTRY2(1, NUVADO::adInteger, m_id, false)
//         ADO_VARIABLE_LENGTH_ENTRY2(2, NUVADO::adVarChar, m_name, sizeof(m_name), m_nameStatus, true)
//     END_ADO_BINDING()
#define BEGIN_ADO_BINDING(cls)                                                            \
public:                                                                                   \
    const NUVADO::ADO_BINDING_ENTRY* GetADOBindingEntries() override {                    \
        auto nuvOff = [this](const void* member) {                                        \
            return static_cast<const char*>(member) -                                    \
                   reinterpret_cast<const char*>(static_cast<NUVADO::CADORecordBinding*>(this)); \
        };                                                                                \
        static const NUVADO::ADO_BINDING_ENTRY entries[] = {
#define ADO_FIXED_LENGTH_ENTRY(ordinal, type, buffer, status, modify) \
    {ordinal, type, nuvOff(&buffer), sizeof(buffer), nuvOff(&status), NUVADO::ADO_NO_OFFSET, modify},
#define ADO_FIXED_LENGTH_ENTRY2(ordinal, type, buffer, modify) \
    {ordinal, type, nuvOff(&buffer), sizeof(buffer), NUVADO::ADO_NO_OFFSET, NUVADO::ADO_NO_OFFSET, modify},
#define ADO_VARIABLE_LENGTH_ENTRY(ordinal, type, buffer, size, status, length, modify) \
    {ordinal, type, nuvOff(&buffer), size, nuvOff(&status), nuvOff(&length), modify},
#define ADO_VARIABLE_LENGTH_ENTRY2(ordinal, type, buffer, size, status, modify) \
    {ordinal, type, nuvOff(&buffer), size, nuvOff(&status), NUVADO::ADO_NO_OFFSET, modify},
#define ADO_VARIABLE_LENGTH_ENTRY4(ordinal, type, buffer, size, modify) \
    {ordinal, type, nuvOff(&buffer), size, NUVADO::ADO_NO_OFFSET, NUVADO::ADO_NO_OFFSET, modify},
#define END_ADO_BINDING()                                                   \
    {0, NUVADO::adEmpty, 0, 0, NUVADO::ADO_NO_OFFSET, NUVADO::ADO_NO_OFFSET, false}}; \
    return entries;                                                         \
    }
