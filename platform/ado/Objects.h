// The implementation classes behind the ADO interfaces, shared between their source files.
#pragma once

#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <string>
#include <vector>

#include "ado/AdoInternal.h"
#include "ado/Criteria.h"
#include "ado/RowsetXml.h"

namespace NUVADO::detail {

// Whether a value of this tag holds no owned memory (nothing for VariantClear to release).
inline bool IsPlainValue(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BOOL:
    case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT: case VT_UINT:
        return true;
    default: return false;
    }
}

// The rows of a record set: column descriptions and a row-major table of cells. Clones share it.
//
// A cell is 8 bytes of value and a kind byte. Numbers, dates and nulls live in the cell itself;
// texts read from the engine stay as its UTF-8 bytes in a shared arena until a value is asked
// for; anything else, and any cell handed out for writing, is a whole value kept aside
// ("boxed"). A large read then fills a third of the memory a table of values would, and fresh
// memory is most of what a large read costs.
struct Snapshot {
    std::vector<Column> cols;
    // Blocks hold a fixed number of cells (or one row when rows are wider) so closed record sets
    // can hand them on to the next one already mapped; rows per block is a power of two.
    static constexpr std::size_t kBlockCells = 8192;
    std::size_t rowShift = 0;
    std::vector<std::unique_ptr<std::uint64_t[]>> blocks;  // values, then the kind bytes
    std::vector<std::uint8_t> deleted;
    std::size_t rows = 0;
    std::string table;         // base table that changes are written to; empty when none
    std::vector<int> keyCols;  // columns that locate a row of the base table
    bool keyIsPrimary = false;
    // Rows of a query over several tables: each table that changes are written to, with the
    // columns of its primary key. Such rows can be changed, not added or deleted.
    struct JoinedTable {
        std::string name;
        std::vector<int> keyCols;
    };
    std::vector<JoinedTable> joined;
    // The table a column's changes are written to (null when none).
    const JoinedTable* JoinedTableOf(const Column& c) const {
        for (const JoinedTable& t : joined)
            if (t.name.size() == c.baseTable.size() && strncasecmp(t.name.c_str(), c.baseTable.c_str(), t.name.size()) == 0) return &t;
        return nullptr;
    }
    bool disconnected = false;  // rows read from a file or built in memory: changes stay here

    // Kinds: a plain variant tag (nothing to release) is its own kind; these two are not tags.
    static constexpr std::uint8_t kText = 0xF0;   // arena place: chunk << 36 | offset << 16 | length
    static constexpr std::uint8_t kBoxed = 0xF1;  // index into `boxed`
    static constexpr std::size_t kChunkBytes = 256 * 1024;
    static constexpr std::size_t kMaxArenaText = 0xFFFF;  // longer texts are boxed
    std::vector<std::string> arena;  // chunks are never grown, so filling one moves nothing
    std::deque<VARIANT> boxed;

    // The private tag ReadCell gives an engine text it has put in the arena (llVal as a text cell).
    static constexpr VARTYPE kArenaTextTag = 0x0FF1;

    Snapshot() = default;
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    ~Snapshot();

    std::size_t AddRow();  // a row of nulls
    void Reserve(std::size_t n);

    std::size_t Width() const { return cols.empty() ? 1 : cols.size(); }
    std::size_t BlockCells() const { return std::max(kBlockCells, cols.size()); }
    std::size_t InBlock(std::size_t r) const { return (r & ((std::size_t{1} << rowShift) - 1)) * Width(); }
    std::uint64_t* Values(std::size_t r) { return blocks[r >> rowShift].get() + InBlock(r); }
    std::uint8_t* Kinds(std::size_t r) {
        return reinterpret_cast<std::uint8_t*>(blocks[r >> rowShift].get() + BlockCells()) + InBlock(r);
    }

    // The variant tag of a cell's value (VT_BSTR for arena text).
    VARTYPE Type(std::size_t r, std::size_t c);
    // The engine's text of an arena cell; false for other kinds.
    bool ArenaText(std::size_t r, std::size_t c, std::string_view& out);
    // A cell to read: plain values decoded into `scratch`, texts made values once.
    const VARIANT& Read(std::size_t r, std::size_t c, VARIANT& scratch);
    // A cell as a lasting value, for writing into (boxed from then on).
    VARIANT& Cell(std::size_t r, std::size_t c);
    // The caller's own copy of a cell's value (texts straight from the arena).
    void CopyOut(std::size_t r, std::size_t c, VARIANT& out);
    void Set(std::size_t r, std::size_t c, const VARIANT& v);
    // Moves the value in (v is left empty); v may carry the arena text tag.
    void Take(std::size_t r, std::size_t c, VARIANT& v) {
        std::uint8_t& k = Kinds(r)[c];
        if (k != kBoxed && (v.vt == kArenaTextTag || IsPlainValue(v.vt))) {
            k = v.vt == kArenaTextTag ? kText : static_cast<std::uint8_t>(v.vt);  // plain tags fit a byte
            Values(r)[c] = v.ullVal;
            v.vt = VT_EMPTY;
            return;
        }
        TakeBoxed(r, c, v);
    }
    void TakeBoxed(std::size_t r, std::size_t c, VARIANT& v);
    // Puts engine text into the arena and makes v an arena text reference (or a text value when
    // it is too long for the arena).
    void Store(VARIANT& v, const char* s, std::size_t n);
    // The text an arena cell's value refers to.
    std::string_view ArenaBytes(std::uint64_t place) const {
        return std::string_view(arena[place >> 36].data() + ((place >> 16) & 0xFFFFF), place & 0xFFFF);
    }
};

// Values for the ?-markers of a write statement, with the field types they are stored as.
using WriteBinds = std::vector<std::pair<const VARIANT*, DataTypeEnum>>;

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
    void PeekCollect(long ordinal, CollectView& view) override;
    long FieldOrdinal(const char* name) override;

    HRESULT BindToRecordset(CADORecordBinding* binding) override;
    HRESULT AddNew(CADORecordBinding* binding) override;
    HRESULT Update(CADORecordBinding* binding) override;

    // Field services.
    int ColumnIndex(const _variant_t& index);
    const Column& ColumnAt(int i);
    // Valid until the next call of any of these. Value is a read of the field; Current only looks.
    const VARIANT& Value(int i);
    const VARIANT& Current(int i);
    const VARIANT& OriginalValue(int i);
    void PutValue(int i, const _variant_t& v);
    _variant_t GetChunk(int i, long length);
    void AppendChunk(int i, const _variant_t& data);

private:
    // Reading or writing another field of the record ends a piecewise read: GetChunk on the first
    // field starts again from its beginning.
    void FieldUsed(int i) {
        if (i != chunkCol_) chunkCol_ = -1;
    }
    void RequireOpen() const;
    std::size_t CurrentRow();
    void Rebuild();
    void AfterMove();
    void FinishPendingEdit();
    void BeginEdit();
    void CheckUpdatable();
    void WriteInsert(std::size_t row);
    void WriteUpdate(std::size_t row);
    void WriteJoinedUpdate(std::size_t row);
    void WriteDelete(std::size_t row);
    // "k1 IS ? AND ..." for the key columns, their values added to the binds.
    std::string KeyWhere(std::size_t row, const std::vector<int>& keyCols, WriteBinds& binds);
    std::string TableKeyWhere(std::size_t row, WriteBinds& binds);
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
    VARIANT scratch_{};
};

}  // namespace NUVADO::detail
