// The implementation classes behind the ADO interfaces, shared between their source files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ado/AdoInternal.h"
#include "ado/Criteria.h"
#include "ado/RowsetXml.h"

namespace NUVADO::detail {

// The rows of a record set: column descriptions and a row-major table of values. Clones share it.
struct Snapshot {
    std::vector<Column> cols;
    // Rows live in fixed blocks, so growing never moves the values already read. Blocks hold a
    // fixed number of cells (or one row when rows are wider) so closed record sets can hand them
    // on to the next one already mapped.
    static constexpr std::size_t kBlockCells = 8192;
    std::size_t rowsPerBlock = 1;
    std::vector<std::unique_ptr<VARIANT[]>> blocks;
    std::vector<std::uint8_t> deleted;
    std::size_t rows = 0;
    std::string table;         // base table that changes are written to; empty when none
    std::vector<int> keyCols;  // columns that locate a row of the base table
    bool keyIsPrimary = false;
    bool disconnected = false;  // rows read from a file or built in memory: changes stay here

    Snapshot() = default;
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    ~Snapshot();
    // Texts and dates read from the engine stay as its bytes in a shared arena until a value is
    // asked for: opening then makes no string per cell and parses no date. Such a cell carries one
    // of these private tags, the arena place in llVal (chunk << 32 | offset) and the length in
    // wReserved1/wReserved2. Chunks are never grown, so filling one copies nothing already kept.
    static constexpr VARTYPE kStoredText = 0x0FF1;
    static constexpr VARTYPE kStoredDate = 0x0FF2;
    static constexpr std::size_t kChunkBytes = 256 * 1024;
    std::vector<std::string> arena;

    VARIANT* Row(std::size_t r) { return &blocks[r / rowsPerBlock][(r % rowsPerBlock) * cols.size()]; }
    // A cell as a value (stored texts and dates made into one on the way).
    VARIANT& Cell(std::size_t r, std::size_t c) {
        VARIANT& v = Row(r)[c];
        if (IsStored(v)) Materialize(v);
        return v;
    }
    std::size_t AddRow();  // a row of nulls
    void Reserve(std::size_t n);

    static bool IsStored(const VARIANT& v) { return v.vt == kStoredText || v.vt == kStoredDate; }
    // Keeps engine text as a cell in stored form.
    void Store(VARIANT& v, VARTYPE tag, const char* s, std::size_t n);
    std::string_view StoredBytes(const VARIANT& v) const {
        std::size_t n = v.wReserved1 | static_cast<std::size_t>(v.wReserved2) << 16;
        std::uint64_t at = static_cast<std::uint64_t>(v.llVal);
        return std::string_view(arena[at >> 32].data() + (at & 0xFFFFFFFFu), n);
    }
    // The value of a stored cell, made fresh (the cell itself stays as it is).
    void StoredValue(const VARIANT& v, VARIANT& out) const;
    void Materialize(VARIANT& v) const;
};

// Whether a value of this tag holds no owned memory (nothing for VariantClear to release).
inline bool IsPlainValue(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BOOL:
    case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT: case VT_UINT:
    case Snapshot::kStoredText: case Snapshot::kStoredDate:
        return true;
    default: return false;
    }
}

class ConnectionImpl;

// Runs SQL on a connection. Parameters bind to ?-markers in order (?N by number). Returns the
// rows of the last statement that produced any (null when none) and the rows changed.
std::shared_ptr<Snapshot> RunSql(ConnectionImpl& conn, const std::string& sql, const std::vector<_variant_t>& params,
                                 const std::vector<DataTypeEnum>& paramTypes, bool forUpdate, long& affected);
// A snapshot of the rows of a rowset (XML file or built in memory).
std::shared_ptr<Snapshot> SnapshotFromRowset(const Rowset& rs);
// Reads column i of the statement's current row as a value of the field's type.
void ReadCellInto(sqlite3_stmt* st, int i, const Column& col, VARIANT& out);
// The engine's date text as a date; false when it is not one.
bool ParseStoredDate(const char* s, int n, DATE& out);

class ConnectionImpl : public NUVCom::Object<_Connection> {
public:
    HRESULT Open(const _bstr_t& connectionString, const _bstr_t& userId, const _bstr_t& password, long options) override;
    HRESULT Close() override;
    _RecordsetPtr Execute(const _bstr_t& commandText, VARIANT* recordsAffected, long options) override;
    long BeginTrans() override;
    HRESULT CommitTrans() override;
    HRESULT RollbackTrans() override;
    _RecordsetPtr OpenSchema(SchemaEnum schema) override;
    long GetState() override { return db_ ? adStateOpen : adStateClosed; }
    long GetConnectionTimeout() override { return connectionTimeout_; }
    void PutConnectionTimeout(long s) override { connectionTimeout_ = s; }
    long GetCommandTimeout() override { return commandTimeout_; }
    void PutCommandTimeout(long s) override;
    CursorLocationEnum GetCursorLocation() override { return cursorLocation_; }
    void PutCursorLocation(CursorLocationEnum l) override;
    _bstr_t GetConnectionString() override { return connectionString_; }
    void PutConnectionString(const _bstr_t& s) override;
    _bstr_t GetProvider() override { return _bstr_t(provider_.c_str()); }

    // The open database; raises "closed" when there is none.
    Database& Db();
    std::shared_ptr<Database> DbShared() { return db_; }

private:
    std::shared_ptr<Database> db_;
    _bstr_t connectionString_{""};
    std::string provider_ = "Microsoft.Jet.OLEDB.4.0";
    long connectionTimeout_ = 15;
    long commandTimeout_ = 30;
    CursorLocationEnum cursorLocation_ = adUseServer;
};

class FieldsImpl;

class RecordsetImpl : public NUVCom::Object<_Recordset, IADORecordBinding> {
public:
    RecordsetImpl();
    ~RecordsetImpl() override;

    // Opens on rows already read (Execute, commands, schemas, clones).
    void Attach(std::shared_ptr<Snapshot> snap, _Connection* conn, CursorTypeEnum cursor, LockTypeEnum lock,
                const std::string& sql, std::vector<_variant_t> params, std::vector<DataTypeEnum> paramTypes);

    HRESULT Open(const _variant_t& source, const _variant_t& activeConnection, CursorTypeEnum cursorType,
                 LockTypeEnum lockType, long options) override;
    HRESULT Close() override;
    long GetState() override { return open_ ? adStateOpen : adStateClosed; }
    VARIANT_BOOL GetEndOfFile() override;
    VARIANT_BOOL GetBOF() override;
    HRESULT MoveFirst() override;
    HRESULT MoveNext() override;
    HRESULT MovePrevious() override;
    HRESULT MoveLast() override;
    HRESULT Move(long numRecords, const _variant_t& start) override;
    long GetRecordCount() override;
    long GetAbsolutePage() override;
    void PutAbsolutePage(long page) override;
    long GetPageCount() override;
    long GetPageSize() override { return pageSize_; }
    void PutPageSize(long size) override;
    long GetAbsolutePosition() override;
    void PutAbsolutePosition(long position) override;
    _variant_t GetBookmark() override;
    void PutBookmark(const _variant_t& bookmark) override;
    CursorTypeEnum GetCursorType() override { return cursor_; }
    void PutCursorType(CursorTypeEnum t) override;
    CursorLocationEnum GetCursorLocation() override { return location_; }
    void PutCursorLocation(CursorLocationEnum l) override;
    LockTypeEnum GetLockType() override { return lock_; }
    void PutLockType(LockTypeEnum t) override;
    EditModeEnum GetEditMode() override;
    _bstr_t GetSource() override;
    _ConnectionPtr GetActiveConnection() override { return conn_; }
    void PutRefActiveConnection(_Connection* c) override;
    HRESULT AddNew(const _variant_t& fieldList, const _variant_t& values) override;
    HRESULT Update(const _variant_t& fields, const _variant_t& values) override;
    HRESULT CancelUpdate() override;
    HRESULT Delete(AffectEnum affect) override;
    HRESULT Requery(long options) override;
    HRESULT Find(const _bstr_t& criteria, long skipRecords, SearchDirectionEnum direction, const _variant_t& start) override;
    _variant_t GetFilter() override { return filterValue_; }
    void PutFilter(const _variant_t& criteria) override;
    _bstr_t GetSort() override { return _bstr_t(std::u16string_view(Utf8To16(sortText_))); }
    void PutSort(const _bstr_t& sort) override;
    HRESULT Save(const _variant_t& destination, PersistFormatEnum format) override;
    _RecordsetPtr Clone(LockTypeEnum lockType) override;
    _bstr_t GetString(StringFormatEnum format, long numRows, const _bstr_t& columnDelimiter, const _bstr_t& rowDelimiter,
                      const _bstr_t& nullExpr) override;
    FieldsPtr GetFields() override;
    _variant_t GetCollect(const _variant_t& index) override;
    void PutCollect(const _variant_t& index, const _variant_t& value) override;

    HRESULT BindToRecordset(CADORecordBinding* binding) override;
    HRESULT AddNew(CADORecordBinding* binding) override;
    HRESULT Update(CADORecordBinding* binding) override;

    // Field services.
    int ColumnIndex(const _variant_t& index);
    const Column& ColumnAt(int i);
    const VARIANT& Value(int i);
    const VARIANT& OriginalValue(int i);
    void PutValue(int i, const _variant_t& v);
    _variant_t GetChunk(int i, long length);
    void AppendChunk(int i, const _variant_t& data);

private:
    void RequireOpen() const;
    std::size_t CurrentRow();
    void Rebuild();
    void AfterMove();
    void FinishPendingEdit();
    void BeginEdit();
    void CheckUpdatable();
    void WriteInsert(std::size_t row);
    void WriteUpdate(std::size_t row);
    void WriteDelete(std::size_t row);
    std::string KeyWhere(std::size_t row, std::vector<const VARIANT*>& binds) const;
    void Fill(CADORecordBinding* b);
    void Store(CADORecordBinding* b);
    void Reset();

    bool open_ = false;
    std::shared_ptr<Snapshot> snap_;
    _ConnectionPtr conn_;
    std::shared_ptr<Database> db_;
    CursorTypeEnum cursor_ = adOpenForwardOnly;
    LockTypeEnum lock_ = adLockReadOnly;
    CursorLocationEnum location_ = adUseServer;
    std::string sql_;
    std::vector<_variant_t> params_;
    std::vector<DataTypeEnum> paramTypes_;
    std::string filePath_;  // opened from a rowset XML file
    _variant_t filterValue_{static_cast<long>(adFilterNone)};
    Criteria filter_;
    std::vector<int> filterCols_;
    std::string sortText_;
    std::vector<std::pair<int, bool>> sortKeys_;  // column, descending
    std::vector<std::uint32_t> view_;
    long pos_ = 0;
    bool currentDeleted_ = false;
    long pageSize_ = 10;
    EditModeEnum edit_ = adEditNone;
    long beforeAdd_ = 0;
    std::vector<_variant_t> editBuf_;
    std::vector<bool> changed_;
    std::vector<bool> appendStarted_;
    int chunkCol_ = -1;
    std::size_t chunkRow_ = 0;
    std::size_t chunkOffset_ = 0;
    CADORecordBinding* binding_ = nullptr;
    FieldsImpl* fields_ = nullptr;
    std::string findText_;
    Criteria find_;
    std::vector<int> findCols_;
};

}  // namespace NUVADO::detail
