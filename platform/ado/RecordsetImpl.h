// The Recordset object: a cursor over a snapshot, with editing that writes back to the base
// table by key, find/filter/sort, persistence and record binding. Its methods live in the
// files named after those concepts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ado/Criteria.h"
#include "ado/Database.h"
#include "ado/Errors.h"
#include "ado/Snapshot.h"
#include "ado/TextConvert.h"

namespace NUVADO::detail {

// Values for the ?-markers of a write statement, with the field types they are stored as.
using WriteBinds = std::vector<std::pair<const VARIANT*, DataTypeEnum>>;

// An optional argument left out (or given as an empty text).
inline bool IsMissing(const _variant_t& v) {
    return v.vt == VT_EMPTY || (v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND) ||
           (v.vt == VT_BSTR && SysStringLen(v.bstrVal) == 0);
}

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
    _bstr_t GetSort() override { return _bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(sortText_))); }
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
