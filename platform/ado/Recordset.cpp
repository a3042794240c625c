// Opening, closing and moving through a record set: where its rows come from (a table, a
// procedure, SQL or a saved file), the cursor position, pages and bookmarks, requery and clones.
#include <algorithm>
#include <cstring>

#include "ado/ConnectionImpl.h"
#include "ado/Fields.h"
#include "ado/RecordsetImpl.h"
#include "ado/Resolver.h"
#include "ado/SqlRunner.h"
#include "win/FileSystem.h"

namespace NUVADO::detail {

namespace {

long ToLong(const _variant_t& v) {
    _variant_t t;
    if (FAILED(VariantChangeType(&t, &v, 0, VT_I4))) RaiseBadArgument(kRecordsetSource);
    return t.lVal;
}

}  // namespace

RecordsetImpl::RecordsetImpl() = default;

RecordsetImpl::~RecordsetImpl() {
    if (fields_) {
        fields_->Detach();
        fields_->Release();
    }
}

void RecordsetImpl::RequireOpen() const {
    if (!open_) RaiseClosed(kRecordsetSource);
}

void RecordsetImpl::Reset() {
    if (fields_) {
        fields_->Detach();
        fields_->Release();
        fields_ = nullptr;
    }
    open_ = false;
    snap_.reset();
    db_.reset();
    view_.clear();
    pos_ = 0;
    currentDeleted_ = false;
    edit_ = adEditNone;
    editBuf_.clear();
    changed_.clear();
    chunkCol_ = -1;
    binding_ = nullptr;
    filter_ = Criteria();
    filterCols_.clear();
    filterValue_ = _variant_t(static_cast<long>(adFilterNone));
    sortKeys_.clear();
    sortText_.clear();
    filePath_.clear();
}

void RecordsetImpl::Attach(std::shared_ptr<Snapshot> snap, _Connection* conn, CursorTypeEnum cursor, LockTypeEnum lock,
                           const std::string& sql, std::vector<_variant_t> params, std::vector<DataTypeEnum> paramTypes) {
    Reset();
    snap_ = std::move(snap);
    conn_ = conn;
    if (conn) db_ = static_cast<ConnectionImpl*>(conn)->DbShared();
    cursor_ = cursor == adOpenUnspecified ? adOpenForwardOnly : (cursor == adOpenDynamic ? adOpenKeyset : cursor);
    lock_ = lock == adLockUnspecified ? adLockReadOnly : lock;
    sql_ = sql;
    params_ = std::move(params);
    paramTypes_ = std::move(paramTypes);
    fields_ = new FieldsImpl(this, snap_->cols.size());
    fields_->AddRef();
    open_ = true;
    // Columns can be written only through an updatable cursor.
    for (Column& c : snap_->cols) {
        bool writable = lock_ != adLockReadOnly &&
                        (snap_->disconnected || (!c.baseColumn.empty() && (!snap_->table.empty() || snap_->JoinedTableOf(c))));
        if (writable) c.attributes |= adFldUpdatable;
        else c.attributes &= ~adFldUpdatable;
    }
    Rebuild();
}

HRESULT RecordsetImpl::Open(const _variant_t& source, const _variant_t& activeConnection, CursorTypeEnum cursorType,
                            LockTypeEnum lockType, long options) {
    if (open_) Raise(adErrObjectOpen, "Operation is not allowed when the object is open.", kRecordsetSource);
    CursorTypeEnum cursor = cursorType == adOpenUnspecified ? cursor_ : cursorType;
    LockTypeEnum lock = lockType == adLockUnspecified ? lock_ : lockType;
    long type = options == adCmdUnspecified ? static_cast<long>(adCmdUnknown) : (options & ~static_cast<long>(adExecuteNoRecords) & ~0x30L);
    std::string text = source.vt == VT_BSTR ? VariantTextUtf8(source) : std::string();
    if (source.vt != VT_BSTR) {
        if (source.vt == VT_DISPATCH || source.vt == VT_UNKNOWN) {
            // A command object as the source.
            auto* cmd = dynamic_cast<_Command*>(source.punkVal);
            if (!cmd) RaiseBadArgument(kRecordsetSource);
            _RecordsetPtr r = cmd->Execute(nullptr, nullptr, adCmdUnspecified);
            auto* impl = dynamic_cast<RecordsetImpl*>(r.GetInterfacePtr());
            if (!impl) RaiseBadArgument(kRecordsetSource);
            Attach(impl->snap_, impl->conn_, cursor, lock, impl->sql_, impl->params_, impl->paramTypes_);
            return S_OK;
        }
        if (IsMissing(source) && !sql_.empty()) text.clear();
        else RaiseBadArgument(kRecordsetSource);
    }
    // The connection: an object, a connection string, or the persistence provider.
    _ConnectionPtr conn;
    bool persist = (type & adCmdFile) != 0;
    if (activeConnection.vt == VT_DISPATCH || activeConnection.vt == VT_UNKNOWN) {
        conn = dynamic_cast<_Connection*>(activeConnection.punkVal);
        if (!conn) RaiseBadArgument(kRecordsetSource);
    } else if (activeConnection.vt == VT_BSTR && SysStringLen(activeConnection.bstrVal) > 0) {
        std::string cs = VariantTextUtf8(activeConnection);
        std::string up = cs;
        for (char& c : up) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (up.find("MSPERSIST") != std::string::npos) {
            persist = true;
        } else {
            conn.CreateInstance(CLSID_Connection);
            conn->Open(_bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(cs))), _bstr_t(""), _bstr_t(""), -1);
        }
    } else if (conn_) {
        conn = conn_;
    } else if (!persist) {
        Raise(adErrInvalidConnection,
              "The connection cannot be used to perform this operation. It is either closed or invalid in this context.",
              kRecordsetSource);
    }
    if (persist) {
        std::string path = text;
        CString gbkPath;
        std::string why;
        if (!GbkPath(path, gbkPath, why))
            Raise(static_cast<unsigned>(E_FAIL), "Could not open '" + path + "': " + why + ".", "Microsoft Cursor Engine");
        std::string native = NUVWin::NativePath(gbkPath);
        std::string bytes;
        if (!NUVWin::ReadNativeFile(native, bytes))
            Raise(static_cast<unsigned>(E_FAIL), "Could not find file '" + path + "'.", "Microsoft Cursor Engine");
        Rowset rs;
        if (!ReadRowsetXml(bytes, rs, &why))
            Raise(static_cast<unsigned>(E_FAIL), "Recordset cannot be created from '" + path + "': " + why + ".", "Microsoft Cursor Engine");
        Attach(SnapshotFromRowset(rs), nullptr, cursor, lock == adLockReadOnly ? adLockReadOnly : adLockBatchOptimistic, "", {}, {});
        lock_ = lock;
        filePath_ = path;
        return S_OK;
    }
    if (!conn || conn->GetState() == adStateClosed)
        Raise(adErrInvalidConnection,
              "The connection cannot be used to perform this operation. It is either closed or invalid in this context.",
              kRecordsetSource);
    auto* ci = static_cast<ConnectionImpl*>(conn.GetInterfacePtr());
    if (text.empty()) text = sql_;
    std::string sql = ResolveSource(ci->Db(), text, type);
    std::vector<_variant_t> noParams;
    long affected = 0;
    auto snap = RunSql(*ci, sql, noParams, {}, lock != adLockReadOnly, affected);
    if (!snap) {
        // A statement without rows leaves the record set closed, as the platform does.
        return S_OK;
    }
    Attach(std::move(snap), conn, cursor, lock, sql, {}, {});
    return S_OK;
}

HRESULT RecordsetImpl::Close() {
    RequireOpen();
    Reset();
    return S_OK;
}

void RecordsetImpl::AfterMove() {
    chunkCol_ = -1;
    if (binding_ && pos_ >= 0 && pos_ < static_cast<long>(view_.size()) && !currentDeleted_) Fill(binding_);
}

std::size_t RecordsetImpl::CurrentRow() {
    RequireOpen();
    if (currentDeleted_ || pos_ < 0 || pos_ >= static_cast<long>(view_.size())) RaiseNoCurrentRecord();
    std::size_t r = view_[static_cast<std::size_t>(pos_)];
    if (snap_->deleted[r]) RaiseNoCurrentRecord();
    return r;
}

VARIANT_BOOL RecordsetImpl::GetEndOfFile() {
    RequireOpen();
    return (view_.empty() || pos_ >= static_cast<long>(view_.size())) ? VARIANT_TRUE : VARIANT_FALSE;
}

VARIANT_BOOL RecordsetImpl::GetBOF() {
    RequireOpen();
    return (view_.empty() || pos_ < 0) ? VARIANT_TRUE : VARIANT_FALSE;
}

void RecordsetImpl::FinishPendingEdit() {
    if (edit_ != adEditNone) Update(vtMissing, vtMissing);
}

HRESULT RecordsetImpl::MoveFirst() {
    RequireOpen();
    FinishPendingEdit();
    pos_ = 0;
    currentDeleted_ = false;
    AfterMove();
    return S_OK;
}

HRESULT RecordsetImpl::MoveLast() {
    RequireOpen();
    if (cursor_ == adOpenForwardOnly) RaiseNotSupported("fetching backward");
    FinishPendingEdit();
    pos_ = static_cast<long>(view_.size()) - 1;
    if (view_.empty()) pos_ = 0;
    currentDeleted_ = false;
    AfterMove();
    return S_OK;
}

HRESULT RecordsetImpl::MoveNext() {
    RequireOpen();
    if (GetEndOfFile() && !currentDeleted_) RaiseNoCurrentRecord();
    FinishPendingEdit();
    if (currentDeleted_) currentDeleted_ = false;  // the record after the deleted one is already here
    else ++pos_;
    AfterMove();
    return S_OK;
}

HRESULT RecordsetImpl::MovePrevious() {
    RequireOpen();
    if (cursor_ == adOpenForwardOnly) RaiseNotSupported("fetching backward");
    if (GetBOF() && !currentDeleted_) RaiseNoCurrentRecord();
    FinishPendingEdit();
    currentDeleted_ = false;
    --pos_;
    if (pos_ < -1) pos_ = -1;
    AfterMove();
    return S_OK;
}

HRESULT RecordsetImpl::Move(long n, const _variant_t& start) {
    RequireOpen();
    if (n < 0 && cursor_ == adOpenForwardOnly) RaiseNotSupported("fetching backward");
    FinishPendingEdit();
    long base = pos_;
    if (!IsMissing(start)) {
        if (start.vt == VT_I4 || start.vt == VT_I2 || start.vt == VT_INT) {
            long b = ToLong(start);
            if (b == adBookmarkFirst) base = 0;
            else if (b == adBookmarkLast) base = static_cast<long>(view_.size()) - 1;
            else if (b != adBookmarkCurrent) {
                PutBookmark(start);
                base = pos_;
            }
        } else {
            PutBookmark(start);
            base = pos_;
        }
    } else if (n != 0 && (pos_ < 0 || pos_ >= static_cast<long>(view_.size()))) {
        RaiseNoCurrentRecord();
    }
    long target = base + n;
    if (target < -1) target = -1;
    if (target > static_cast<long>(view_.size())) target = static_cast<long>(view_.size());
    pos_ = target;
    currentDeleted_ = false;
    AfterMove();
    return S_OK;
}

long RecordsetImpl::GetRecordCount() {
    RequireOpen();
    if (cursor_ == adOpenForwardOnly) return -1;
    return static_cast<long>(view_.size());
}

long RecordsetImpl::GetPageCount() {
    RequireOpen();
    if (cursor_ == adOpenForwardOnly || pageSize_ <= 0) return -1;
    return static_cast<long>((view_.size() + static_cast<std::size_t>(pageSize_) - 1) / static_cast<std::size_t>(pageSize_));
}

void RecordsetImpl::PutPageSize(long size) {
    if (size < 1) RaiseBadArgument(kRecordsetSource);
    pageSize_ = size;
}

long RecordsetImpl::GetAbsolutePage() {
    RequireOpen();
    if (cursor_ == adOpenForwardOnly) return adPosUnknown;
    if (GetBOF()) return adPosBOF;
    if (GetEndOfFile()) return adPosEOF;
    return pos_ / pageSize_ + 1;
}

void RecordsetImpl::PutAbsolutePage(long page) {
    RequireOpen();
    if (cursor_ == adOpenForwardOnly) RaiseNotSupported("bookmarks");
    if (page < 1 || page > GetPageCount()) RaiseBadArgument(kRecordsetSource);
    FinishPendingEdit();
    pos_ = (page - 1) * pageSize_;
    currentDeleted_ = false;
    AfterMove();
}

long RecordsetImpl::GetAbsolutePosition() {
    RequireOpen();
    if (cursor_ == adOpenForwardOnly) return adPosUnknown;
    if (GetBOF()) return adPosBOF;
    if (GetEndOfFile()) return adPosEOF;
    return pos_ + 1;
}

void RecordsetImpl::PutAbsolutePosition(long position) {
    RequireOpen();
    if (cursor_ == adOpenForwardOnly) RaiseNotSupported("bookmarks");
    if (position < 1 || position > static_cast<long>(view_.size())) RaiseBadArgument(kRecordsetSource);
    FinishPendingEdit();
    pos_ = position - 1;
    currentDeleted_ = false;
    AfterMove();
}

_variant_t RecordsetImpl::GetBookmark() {
    RequireOpen();
    if (cursor_ == adOpenForwardOnly) RaiseNotSupported("bookmarks");
    // A bookmark names the row itself, so it survives filters, sorts and clones.
    return _variant_t(static_cast<double>(CurrentRow() + 1));
}

void RecordsetImpl::PutBookmark(const _variant_t& bookmark) {
    RequireOpen();
    if (cursor_ == adOpenForwardOnly) RaiseNotSupported("bookmarks");
    _variant_t d;
    if (FAILED(VariantChangeType(&d, &bookmark, 0, VT_R8)) || d.dblVal < 1)
        Raise(adErrInvalidArgument, "The bookmark is invalid.", kRecordsetSource);
    auto row = static_cast<std::uint32_t>(d.dblVal - 1);
    auto it = std::find(view_.begin(), view_.end(), row);
    if (it == view_.end() || snap_->deleted[row]) Raise(adErrInvalidArgument, "The bookmark is invalid.", kRecordsetSource);
    FinishPendingEdit();
    pos_ = static_cast<long>(it - view_.begin());
    currentDeleted_ = false;
    AfterMove();
}

void RecordsetImpl::PutCursorType(CursorTypeEnum t) {
    if (open_) Raise(adErrObjectOpen, "Operation is not allowed when the object is open.", kRecordsetSource);
    cursor_ = t;
}

void RecordsetImpl::PutCursorLocation(CursorLocationEnum l) {
    if (open_) Raise(adErrObjectOpen, "Operation is not allowed when the object is open.", kRecordsetSource);
    location_ = l;
}

void RecordsetImpl::PutLockType(LockTypeEnum t) {
    if (open_) Raise(adErrObjectOpen, "Operation is not allowed when the object is open.", kRecordsetSource);
    lock_ = t;
}

EditModeEnum RecordsetImpl::GetEditMode() {
    RequireOpen();
    return edit_;
}

_bstr_t RecordsetImpl::GetSource() { return _bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(filePath_.empty() ? sql_ : filePath_))); }

void RecordsetImpl::PutRefActiveConnection(_Connection* c) {
    if (open_) Raise(adErrObjectOpen, "Operation is not allowed when the object is open.", kRecordsetSource);
    conn_ = c;
}

HRESULT RecordsetImpl::Requery(long) {
    RequireOpen();
    FinishPendingEdit();
    if (!filePath_.empty() || snap_->disconnected || sql_.empty()) {
        Rebuild();
        return S_OK;
    }
    if (!conn_ || conn_->GetState() == adStateClosed)
        Raise(adErrInvalidConnection, "The connection cannot be used to perform this operation. It is either closed or invalid in this context.",
              kRecordsetSource);
    long affected = 0;
    auto snap = RunSql(*static_cast<ConnectionImpl*>(conn_.GetInterfacePtr()), sql_, params_, paramTypes_, lock_ != adLockReadOnly, affected);
    if (!snap) RaiseClosed(kRecordsetSource);
    // Keep filter and sort across the new rows.
    _variant_t filter = filterValue_;
    std::string sort = sortText_;
    _ConnectionPtr conn = conn_;
    Attach(std::move(snap), conn, cursor_, lock_, sql_, params_, paramTypes_);
    if (!IsMissing(filter) && filter.vt == VT_BSTR) PutFilter(filter);
    if (!sort.empty()) PutSort(_bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(sort))));
    return S_OK;
}

_RecordsetPtr RecordsetImpl::Clone(LockTypeEnum lockType) {
    RequireOpen();
    if (cursor_ == adOpenForwardOnly) RaiseNotSupported("bookmarks");
    auto* c = new RecordsetImpl();
    _RecordsetPtr p(static_cast<_Recordset*>(c));
    c->location_ = location_;
    c->Attach(snap_, conn_, cursor_, lockType == adLockUnspecified ? lock_ : lockType, sql_, params_, paramTypes_);
    c->filePath_ = filePath_;
    return p;
}

}  // namespace NUVADO::detail
