#include <sqlcipher/sqlite3.h>
#include <strings.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <mutex>

#include "ado/Objects.h"
#include "win/FileSystem.h"

namespace NUVADO::detail {

// --- Fields and Field ---

class FieldImpl : public NUVCom::Object<Field> {
public:
    FieldImpl(RecordsetImpl* rs, int index) : rs_(rs), index_(index) {}
    void Detach() { rs_ = nullptr; }

    _variant_t GetValue() override { return _variant_t(Rs().Value(index_)); }
    void PutValue(const _variant_t& v) override { Rs().PutValue(index_, v); }
    _variant_t GetOriginalValue() override { return _variant_t(Rs().OriginalValue(index_)); }
    _bstr_t GetName() override { return _bstr_t(std::u16string_view(Col().wname)); }
    DataTypeEnum GetType() override { return Col().type; }
    long GetDefinedSize() override { return Col().definedSize; }
    long GetActualSize() override {
        const VARIANT& v = Rs().Current(index_);  // a size, not a read of the value
        if (v.vt == VT_NULL || v.vt == VT_EMPTY) return 0;
        if (v.vt == VT_BSTR) return static_cast<long>(SysStringByteLen(v.bstrVal));
        if ((v.vt & VT_ARRAY) && v.parray) return static_cast<long>(v.parray->rgsabound[0].cElements);
        return Col().definedSize;
    }
    long GetAttributes() override { return Col().attributes; }
    unsigned char GetPrecision() override { return Col().precision; }
    unsigned char GetNumericScale() override { return Col().scale; }
    _variant_t GetChunk(long length) override { return Rs().GetChunk(index_, length); }
    HRESULT AppendChunk(const _variant_t& data) override {
        Rs().AppendChunk(index_, data);
        return S_OK;
    }

private:
    RecordsetImpl& Rs() {
        if (!rs_) RaiseClosed(kFieldSource);
        return *rs_;
    }
    const Column& Col() { return Rs().ColumnAt(index_); }
    RecordsetImpl* rs_;
    int index_;
};

class FieldsImpl : public NUVCom::Object<Fields> {
public:
    FieldsImpl(RecordsetImpl* rs, std::size_t n) : rs_(rs) {
        for (std::size_t i = 0; i < n; ++i) {
            auto* f = new FieldImpl(rs, static_cast<int>(i));
            f->AddRef();
            fields_.push_back(f);
        }
    }
    ~FieldsImpl() override {
        for (FieldImpl* f : fields_) f->Release();
    }
    void Detach() {
        rs_ = nullptr;
        for (FieldImpl* f : fields_) f->Detach();
    }
    long GetCount() override { return static_cast<long>(fields_.size()); }
    FieldPtr GetItem(const _variant_t& index) override {
        if (!rs_) RaiseClosed(kFieldsSource);
        return FieldPtr(fields_[static_cast<std::size_t>(rs_->ColumnIndex(index))]);
    }

private:
    RecordsetImpl* rs_;
    std::vector<FieldImpl*> fields_;
};

// --- Snapshot ---

namespace {

// Cell blocks of closed snapshots, kept for the next ones: reading a large table again then
// writes into memory that is already mapped instead of faulting in every page anew.
std::mutex g_spareMutex;
std::vector<std::unique_ptr<std::uint64_t[]>> g_spareBlocks;
constexpr std::size_t kMaxSpareBlocks = 128;  // 9 MB of cells at most
std::vector<std::string> g_spareChunks;      // text arena chunks, the same way
constexpr std::size_t kMaxSpareChunks = 32;   // 8 MB of text at most

}  // namespace

Snapshot::~Snapshot() {
    // Numbers, dates, nulls and arena texts own nothing: only boxed values need releasing.
    for (VARIANT& v : boxed) VariantClear(&v);
    std::lock_guard<std::mutex> lock(g_spareMutex);
    for (std::string& c : arena) {
        if (g_spareChunks.size() >= kMaxSpareChunks) break;
        if (c.capacity() != kChunkBytes) continue;
        c.clear();
        g_spareChunks.push_back(std::move(c));
    }
    if (BlockCells() != kBlockCells) return;
    for (auto& b : blocks) {
        if (g_spareBlocks.size() >= kMaxSpareBlocks) break;
        g_spareBlocks.push_back(std::move(b));
    }
}

std::size_t Snapshot::AddRow() {
    std::size_t n = Width();
    if (rows == 0) rowShift = static_cast<std::size_t>(std::bit_width(BlockCells() / n) - 1);
    if ((rows & ((std::size_t{1} << rowShift) - 1)) == 0) {
        std::unique_ptr<std::uint64_t[]> b;
        if (BlockCells() == kBlockCells) {
            std::lock_guard<std::mutex> lock(g_spareMutex);
            if (!g_spareBlocks.empty()) {
                b = std::move(g_spareBlocks.back());
                g_spareBlocks.pop_back();
            }
        }
        // The kind bytes follow the values; only what rows use is ever written.
        if (!b) b.reset(new std::uint64_t[BlockCells() + (BlockCells() + 7) / 8]);
        blocks.push_back(std::move(b));
    }
    std::memset(Kinds(rows), VT_NULL, cols.size());
    deleted.push_back(0);
    return rows++;
}

void Snapshot::Reserve(std::size_t n) { deleted.reserve(n); }

VARTYPE Snapshot::Type(std::size_t r, std::size_t c) {
    std::uint8_t k = Kinds(r)[c];
    if (k == kText) return VT_BSTR;
    if (k == kBoxed) return boxed[Values(r)[c]].vt;
    return k;
}

bool Snapshot::ArenaText(std::size_t r, std::size_t c, std::string_view& out) {
    if (Kinds(r)[c] != kText) return false;
    out = ArenaBytes(Values(r)[c]);
    return true;
}

const VARIANT& Snapshot::Read(std::size_t r, std::size_t c, VARIANT& scratch) {
    std::uint8_t k = Kinds(r)[c];
    if (k == kText || k == kBoxed) return Cell(r, c);
    scratch.vt = k;
    scratch.ullVal = Values(r)[c];
    return scratch;
}

VARIANT& Snapshot::Cell(std::size_t r, std::size_t c) {
    std::uint8_t& k = Kinds(r)[c];
    std::uint64_t& value = Values(r)[c];
    if (k == kBoxed) return boxed[value];
    VARIANT& v = boxed.emplace_back();
    if (k == kText) {
        v.vt = VT_BSTR;
        v.bstrVal = AllocBstr(ArenaBytes(value));
    } else {
        v.vt = k;
        v.ullVal = value;
    }
    k = kBoxed;
    value = boxed.size() - 1;
    return v;
}

void Snapshot::CopyOut(std::size_t r, std::size_t c, VARIANT& out) {
    VariantClear(&out);
    std::uint8_t k = Kinds(r)[c];
    std::uint64_t value = Values(r)[c];
    if (k == kBoxed) {
        VariantCopy(&out, &boxed[value]);
    } else if (k == kText) {
        out.vt = VT_BSTR;
        out.bstrVal = AllocBstr(ArenaBytes(value));
    } else {
        out.vt = k;
        out.ullVal = value;
    }
}

void Snapshot::Set(std::size_t r, std::size_t c, const VARIANT& v) {
    std::uint8_t& k = Kinds(r)[c];
    if (k == kBoxed) {
        VariantCopy(&boxed[Values(r)[c]], &v);
    } else if (IsPlainValue(v.vt)) {
        k = static_cast<std::uint8_t>(v.vt);
        Values(r)[c] = v.ullVal;
    } else {
        VARIANT& b = boxed.emplace_back();
        VariantCopy(&b, &v);
        k = kBoxed;
        Values(r)[c] = boxed.size() - 1;
    }
}

void Snapshot::TakeBoxed(std::size_t r, std::size_t c, VARIANT& v) {
    if (v.vt == kArenaTextTag) {  // into a cell already boxed: as a text value
        std::string_view text = ArenaBytes(v.ullVal);
        v.vt = VT_BSTR;
        v.bstrVal = AllocBstr(text);
    }
    std::uint8_t& k = Kinds(r)[c];
    std::uint64_t& value = Values(r)[c];
    if (k == kBoxed) {
        VariantClear(&boxed[value]);
        std::memcpy(&boxed[value], &v, sizeof v);
    } else {
        std::memcpy(&boxed.emplace_back(), &v, sizeof v);
        k = kBoxed;
        value = boxed.size() - 1;
    }
    v.vt = VT_EMPTY;
}

void Snapshot::Store(VARIANT& v, const char* s, std::size_t n) {
    if (n > kMaxArenaText) {
        v.vt = VT_BSTR;
        v.bstrVal = AllocBstr(std::string_view(s, n));
        return;
    }
    if (arena.empty() || arena.back().size() + n > kChunkBytes) {
        std::string chunk;
        {
            std::lock_guard<std::mutex> lock(g_spareMutex);
            if (!g_spareChunks.empty()) {
                chunk = std::move(g_spareChunks.back());
                g_spareChunks.pop_back();
            }
        }
        if (chunk.capacity() < kChunkBytes) chunk.reserve(kChunkBytes);
        arena.push_back(std::move(chunk));
    }
    std::string& chunk = arena.back();
    v.vt = kArenaTextTag;
    v.ullVal = (static_cast<std::uint64_t>(arena.size() - 1) << 36) | (static_cast<std::uint64_t>(chunk.size()) << 16) | n;
    chunk.append(s, n);
}

std::shared_ptr<Snapshot> SnapshotFromRowset(const Rowset& rs) {
    auto s = std::make_shared<Snapshot>();
    for (const RowsetColumn& rc : rs.columns) {
        Column c;
        c.name = rc.name;
        c.wname = Utf8To16(rc.name);
        c.type = rc.type;
        c.definedSize = rc.definedSize;
        c.attributes = rc.attributes;
        c.precision = rc.precision;
        c.scale = rc.scale;
        c.baseTable = rc.baseTable;
        c.baseColumn = rc.baseColumn;
        c.key = rc.key;
        c.autoIncrement = rc.autoIncrement;
        c.nullable = rc.nullable;
        c.typed = true;
        s->cols.push_back(std::move(c));
    }
    std::size_t rows = rs.Rows();
    for (std::size_t r = 0; r < rows; ++r) {
        std::size_t row = s->AddRow();
        for (std::size_t c = 0; c < s->cols.size(); ++c) s->Set(row, c, rs.cells[r * s->cols.size() + c]);
    }
    s->disconnected = true;
    return s;
}

// --- Record set ---

namespace {

int CompareCells(const VARIANT& a, const VARIANT& b) { return CompareValues(a, b); }

long ToLong(const _variant_t& v) {
    _variant_t t;
    if (FAILED(VariantChangeType(&t, &v, 0, VT_I4))) RaiseBadArgument(kRecordsetSource);
    return t.lVal;
}

bool IsMissing(const _variant_t& v) {
    return v.vt == VT_EMPTY || (v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND) ||
           (v.vt == VT_BSTR && SysStringLen(v.bstrVal) == 0);
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
            conn->Open(_bstr_t(std::u16string_view(Utf8To16(cs))), _bstr_t(""), _bstr_t(""), -1);
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
        std::string native = NUVWin::NativePath(CString::FromUtf8(path));
        std::string bytes;
        if (!NUVWin::ReadNativeFile(native, bytes))
            Raise(static_cast<unsigned>(E_FAIL), "Could not find file '" + path + "'.", "Microsoft Cursor Engine");
        Rowset rs;
        std::string why;
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
    std::string sql;
    std::vector<_variant_t> noParams;
    auto isTable = [&](const std::string& name) {
        Statement st;
        sqlite3_prepare_v2(ci->Db().db, "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE", -1,
                           &st.stmt, nullptr);
        std::string n = name;
        if (n.size() >= 2 && n.front() == '[' && n.back() == ']') n = n.substr(1, n.size() - 2);
        sqlite3_bind_text(st.stmt, 1, n.c_str(), -1, SQLITE_TRANSIENT);
        return sqlite3_step(st.stmt) == SQLITE_ROW;
    };
    auto tableSql = [&](std::string name) {
        if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
        return "SELECT * FROM " + Ident(name);
    };
    std::string procSql;
    if (type == adCmdTable || type == adCmdTableDirect) {
        if (!isTable(text))
            Raise(DB_E_NOTABLE,
                  "The database engine cannot find the input table or query '" + text + "'. Make sure it exists and that its name is spelled correctly.",
                  kEngineSource);
        sql = tableSql(text);
    } else if (type == adCmdStoredProc) {
        if (LookupProcedure(ci->Db(), text, procSql)) sql = procSql;
        else if (isTable(text)) sql = tableSql(text);
        else
            Raise(DB_E_NOTABLE, "The database engine cannot find the input table or query '" + text + "'.", kEngineSource);
    } else if (type == adCmdUnknown) {
        std::string t = text;
        std::size_t a = t.find_first_not_of(" \t\r\n");
        bool looksSql = a != std::string::npos && t.find_first_of(" \t\r\n(", a) != std::string::npos;
        if (!looksSql && LookupProcedure(ci->Db(), text, procSql)) sql = procSql;
        else if (!looksSql && isTable(text)) sql = tableSql(text);
        else sql = text;
    } else {
        sql = text;
    }
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

void RecordsetImpl::Rebuild() {
    view_.clear();
    std::size_t n = snap_->rows;
    view_.reserve(n);
    std::vector<const VARIANT*> vals(filterCols_.size());
    std::vector<VARIANT> scratch(filterCols_.size());
    for (std::size_t r = 0; r < n; ++r) {
        if (snap_->deleted[r]) continue;
        if (!filter_.Empty()) {
            for (std::size_t k = 0; k < filterCols_.size(); ++k)
                vals[k] = &snap_->Read(r, static_cast<std::size_t>(filterCols_[k]), scratch[k]);
            if (!filter_.Matches(vals.data())) continue;
        }
        view_.push_back(static_cast<std::uint32_t>(r));
    }
    if (!sortKeys_.empty()) {
        std::stable_sort(view_.begin(), view_.end(), [&](std::uint32_t a, std::uint32_t b) {
            for (auto [c, desc] : sortKeys_) {
                VARIANT sa, sb;
                int r = CompareCells(snap_->Read(a, static_cast<std::size_t>(c), sa), snap_->Read(b, static_cast<std::size_t>(c), sb));
                if (r) return desc ? r > 0 : r < 0;
            }
            return false;
        });
    }
    pos_ = 0;
    currentDeleted_ = false;
    AfterMove();
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

_bstr_t RecordsetImpl::GetSource() { return _bstr_t(std::u16string_view(Utf8To16(filePath_.empty() ? sql_ : filePath_))); }

void RecordsetImpl::PutRefActiveConnection(_Connection* c) {
    if (open_) Raise(adErrObjectOpen, "Operation is not allowed when the object is open.", kRecordsetSource);
    conn_ = c;
}

// --- Editing ---

void RecordsetImpl::CheckUpdatable() {
    RequireOpen();
    if (lock_ == adLockReadOnly) RaiseNotSupported("updating");
    if (!snap_->disconnected) {
        if (snap_->table.empty() && snap_->joined.empty())
            RaiseNotSupported("updating (the query does not name a table that rows can be written to)");
        if (!conn_ || conn_->GetState() == adStateClosed)
            Raise(adErrInvalidConnection, "The connection cannot be used to perform this operation. It is either closed or invalid in this context.",
                  kRecordsetSource);
    }
}

void RecordsetImpl::BeginEdit() {
    std::size_t n = snap_->cols.size();
    editBuf_.assign(n, _variant_t());
    changed_.assign(n, false);
    appendStarted_.assign(n, false);
}

HRESULT RecordsetImpl::AddNew(const _variant_t& fieldList, const _variant_t& values) {
    CheckUpdatable();
    if (!snap_->joined.empty()) RaiseNotSupported("adding records to the rows of several tables");
    FinishPendingEdit();
    beforeAdd_ = pos_;
    std::size_t row = snap_->AddRow();
    view_.push_back(static_cast<std::uint32_t>(row));
    pos_ = static_cast<long>(view_.size()) - 1;
    currentDeleted_ = false;
    chunkCol_ = -1;
    BeginEdit();
    edit_ = adEditAdd;
    if (!IsMissing(fieldList)) {
        // A field name (or ordinal) with a value, or arrays of both: written at once.
        if ((fieldList.vt & VT_ARRAY) && (values.vt & VT_ARRAY) && fieldList.parray && values.parray) {
            std::int32_t lo, hi;
            SafeArrayGetLBound(fieldList.parray, 1, &lo);
            SafeArrayGetUBound(fieldList.parray, 1, &hi);
            for (std::int32_t i = lo; i <= hi; ++i) {
                _variant_t f, v;
                SafeArrayGetElement(fieldList.parray, &i, static_cast<VARIANT*>(&f));
                SafeArrayGetElement(values.parray, &i, static_cast<VARIANT*>(&v));
                PutValue(ColumnIndex(f), v);
            }
        } else {
            PutValue(ColumnIndex(fieldList), values);
        }
        Update(vtMissing, vtMissing);
    }
    return S_OK;
}

HRESULT RecordsetImpl::Update(const _variant_t& fields, const _variant_t& values) {
    RequireOpen();
    if (!IsMissing(fields)) {
        if (edit_ == adEditNone) CurrentRow();
        PutValue(ColumnIndex(fields), values);
    }
    if (edit_ == adEditNone) return S_OK;
    std::size_t row = view_[static_cast<std::size_t>(pos_)];
    if (!snap_->disconnected) {
        if (edit_ == adEditAdd) WriteInsert(row);
        else if (std::find(changed_.begin(), changed_.end(), true) != changed_.end()) WriteUpdate(row);
    }
    for (std::size_t c = 0; c < changed_.size(); ++c)
        if (changed_[c] && (snap_->disconnected || edit_ != adEditAdd)) snap_->Set(row, c, editBuf_[c]);
    edit_ = adEditNone;
    editBuf_.clear();
    changed_.clear();
    chunkCol_ = -1;
    if (binding_) Fill(binding_);
    return S_OK;
}

HRESULT RecordsetImpl::CancelUpdate() {
    RequireOpen();
    if (edit_ == adEditAdd) {
        std::size_t row = view_[static_cast<std::size_t>(pos_)];
        snap_->deleted[row] = 1;
        view_.erase(view_.begin() + pos_);
        pos_ = std::min<long>(beforeAdd_, static_cast<long>(view_.size()));
    }
    edit_ = adEditNone;
    editBuf_.clear();
    changed_.clear();
    AfterMove();
    return S_OK;
}

HRESULT RecordsetImpl::Delete(AffectEnum affect) {
    if (affect != adAffectCurrent) RaiseNotSupported("deleting groups of records");
    CheckUpdatable();
    if (!snap_->joined.empty()) RaiseNotSupported("deleting records from the rows of several tables");
    if (edit_ == adEditAdd) return CancelUpdate();
    std::size_t row = CurrentRow();
    edit_ = adEditNone;
    if (!snap_->disconnected) WriteDelete(row);
    snap_->deleted[row] = 1;
    view_.erase(view_.begin() + pos_);
    currentDeleted_ = true;
    chunkCol_ = -1;
    return S_OK;
}

namespace {

// Runs one write statement with its values; the number of rows it changed.
int RunWrite(Database& db, const std::string& sql, const WriteBinds& binds) {
    Statement st;
    int rc = sqlite3_prepare_v2(db.db, sql.c_str(), -1, &st.stmt, nullptr);
    if (rc != SQLITE_OK) db.RaiseEngine(rc, sql);
    for (std::size_t i = 0; i < binds.size(); ++i) BindValue(st.stmt, static_cast<int>(i + 1), *binds[i].first, binds[i].second);
    rc = sqlite3_step(st.stmt);
    if (rc != SQLITE_DONE) db.RaiseEngine(rc, sql);
    return sqlite3_changes(db.db);
}

[[noreturn]] void RaiseRowNotFound(const char* doing) {
    Raise(DB_E_CANTUPDATE,
          std::string("Row cannot be located for ") + doing + ". Some values may have been changed since it was last read.",
          kEngineSource);
}

}  // namespace

std::string RecordsetImpl::KeyWhere(std::size_t row, const std::vector<int>& keyCols, WriteBinds& binds) {
    std::string where;
    for (int k : keyCols) {
        const Column& c = snap_->cols[static_cast<std::size_t>(k)];
        if (!where.empty()) where += " AND ";
        where += Ident(c.baseColumn) + " IS ?";
        binds.emplace_back(&snap_->Cell(row, static_cast<std::size_t>(k)), c.type);
    }
    return where;
}

void RecordsetImpl::WriteInsert(std::size_t row) {
    Database& db = *db_;
    std::string cols, marks;
    WriteBinds binds;
    _variant_t next;
    for (std::size_t c = 0; c < snap_->cols.size(); ++c) {
        const Column& col = snap_->cols[c];
        if (col.baseColumn.empty()) continue;
        const VARIANT* v = nullptr;
        if (changed_[c]) v = &editBuf_[c];
        else if (col.autoIncrement && !col.rowidAlias) {
            // A self-numbering column SQLite does not number itself: the next free value.
            Statement st;
            std::string q = "SELECT coalesce(max(" + Ident(col.baseColumn) + "), 0) + 1 FROM " + Ident(snap_->table);
            if (sqlite3_prepare_v2(db.db, q.c_str(), -1, &st.stmt, nullptr) != SQLITE_OK) db.RaiseEngine(sqlite3_errcode(db.db), q);
            sqlite3_step(st.stmt);
            next = _variant_t(static_cast<long>(sqlite3_column_int64(st.stmt, 0)));
            v = &next;
        }
        if (!v) continue;
        cols += (cols.empty() ? "" : ", ") + Ident(col.baseColumn);
        marks += marks.empty() ? "?" : ", ?";
        binds.emplace_back(v, col.type);
    }
    RunWrite(db, "INSERT INTO " + Ident(snap_->table) + (cols.empty() ? " DEFAULT VALUES" : " (" + cols + ") VALUES (" + marks + ")"),
             binds);
    // Read the stored row back: self-numbered IDs and defaults become visible.
    sqlite3_int64 rowid = sqlite3_last_insert_rowid(db.db);
    std::string list;
    std::vector<std::size_t> idx;
    for (std::size_t c = 0; c < snap_->cols.size(); ++c) {
        if (snap_->cols[c].baseColumn.empty()) continue;
        list += (list.empty() ? "" : ", ") + Ident(snap_->cols[c].baseColumn);
        idx.push_back(c);
    }
    Statement back;
    std::string q = "SELECT " + list + " FROM " + Ident(snap_->table) + " WHERE rowid = ?1";
    if (!list.empty() && sqlite3_prepare_v2(db.db, q.c_str(), -1, &back.stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_int64(back.stmt, 1, rowid);
        if (sqlite3_step(back.stmt) == SQLITE_ROW) {
            for (std::size_t k = 0; k < idx.size(); ++k) {
                ReadCellInto(back.stmt, static_cast<int>(k), snap_->cols[idx[k]], snap_->Cell(row, idx[k]));
            }
            for (std::size_t c = 0; c < changed_.size(); ++c)
                if (changed_[c] && snap_->cols[c].baseColumn.empty()) snap_->Set(row, c, editBuf_[c]);
            return;
        }
    }
    for (std::size_t c = 0; c < changed_.size(); ++c)
        if (changed_[c]) snap_->Set(row, c, editBuf_[c]);
}

void RecordsetImpl::WriteUpdate(std::size_t row) {
    if (!snap_->joined.empty()) return WriteJoinedUpdate(row);
    std::string sets;
    WriteBinds binds;
    for (std::size_t c = 0; c < snap_->cols.size(); ++c) {
        if (!changed_[c] || snap_->cols[c].baseColumn.empty()) continue;
        sets += (sets.empty() ? "" : ", ") + Ident(snap_->cols[c].baseColumn) + " = ?";
        binds.emplace_back(&editBuf_[c], snap_->cols[c].type);
    }
    if (sets.empty()) return;
    std::string sql = "UPDATE " + Ident(snap_->table) + " SET " + sets + TableKeyWhere(row, binds);
    if (RunWrite(*db_, sql, binds) == 0) RaiseRowNotFound("updating");
}

// One UPDATE for each table with changed columns, located by its primary key; all of them or
// none.
void RecordsetImpl::WriteJoinedUpdate(std::size_t row) {
    Database& db = *db_;
    db.Exec("SAVEPOINT nuv_joined_update");
    try {
        for (const Snapshot::JoinedTable& t : snap_->joined) {
            std::string sets;
            WriteBinds binds;
            for (std::size_t c = 0; c < snap_->cols.size(); ++c) {
                const Column& col = snap_->cols[c];
                if (!changed_[c] || col.baseColumn.empty() || snap_->JoinedTableOf(col) != &t) continue;
                sets += (sets.empty() ? "" : ", ") + Ident(col.baseColumn) + " = ?";
                binds.emplace_back(&editBuf_[c], col.type);
            }
            if (sets.empty()) continue;
            std::string sql = "UPDATE " + Ident(t.name) + " SET " + sets + " WHERE " + KeyWhere(row, t.keyCols, binds);
            if (RunWrite(db, sql, binds) == 0) RaiseRowNotFound("updating");
        }
    } catch (...) {
        sqlite3_exec(db.db, "ROLLBACK TO nuv_joined_update; RELEASE nuv_joined_update", nullptr, nullptr, nullptr);
        throw;
    }
    db.Exec("RELEASE nuv_joined_update");
}

void RecordsetImpl::WriteDelete(std::size_t row) {
    WriteBinds binds;
    if (RunWrite(*db_, "DELETE FROM " + Ident(snap_->table) + TableKeyWhere(row, binds), binds) == 0) RaiseRowNotFound("deleting");
}

// The condition that finds the row of the one table the rows come from.
std::string RecordsetImpl::TableKeyWhere(std::size_t row, WriteBinds& binds) {
    std::string where = KeyWhere(row, snap_->keyCols, binds);
    if (snap_->keyIsPrimary) return " WHERE " + where;
    return " WHERE rowid = (SELECT rowid FROM " + Ident(snap_->table) + " WHERE " + where + " LIMIT 1)";
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
    if (!sort.empty()) PutSort(_bstr_t(std::u16string_view(Utf8To16(sort))));
    return S_OK;
}

// --- Find, filter, sort ---

HRESULT RecordsetImpl::Find(const _bstr_t& criteria, long skip, SearchDirectionEnum direction, const _variant_t& start) {
    RequireOpen();
    if (direction == adSearchBackward && cursor_ == adOpenForwardOnly) RaiseNotSupported("fetching backward");
    std::string text = BstrToUtf8(criteria);
    if (text != findText_ || find_.Empty()) {
        std::string why;
        Criteria c;
        if (!c.Parse(text, &why) || c.Empty())
            Raise(adErrInvalidArgument, "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another (" +
                                            (why.empty() ? std::string("no criteria") : why) + ").",
                  kRecordsetSource);
        std::vector<int> cols;
        for (const std::string& n : c.FieldNames()) cols.push_back(ColumnIndex(_variant_t(_bstr_t(std::u16string_view(Utf8To16(n))))));
        find_ = std::move(c);
        findCols_ = std::move(cols);
        findText_ = text;
    }
    FinishPendingEdit();
    long size = static_cast<long>(view_.size());
    long p = pos_;
    if (!IsMissing(start)) {
        PutBookmark(start);
        p = pos_;
    } else if (currentDeleted_ && direction == adSearchBackward) {
        --p;
    }
    int dir = direction == adSearchBackward ? -1 : 1;
    // From BOF a forward search starts at the first record, from EOF a backward one at the last;
    // searching on past either end finds nothing.
    if (p < 0) {
        p = dir > 0 ? 0 : -1;
        skip = 0;
    } else if (p >= size) {
        p = dir > 0 ? size : size - 1;
        skip = 0;
    }
    p += skip * dir;
    std::vector<const VARIANT*> vals(findCols_.size());
    std::vector<VARIANT> scratch(findCols_.size());
    currentDeleted_ = false;
    for (; p >= 0 && p < size; p += dir) {
        std::size_t r = view_[static_cast<std::size_t>(p)];
        if (snap_->deleted[r]) continue;
        for (std::size_t k = 0; k < findCols_.size(); ++k)
            vals[k] = &snap_->Read(r, static_cast<std::size_t>(findCols_[k]), scratch[k]);
        if (find_.Matches(vals.data())) {
            pos_ = p;
            AfterMove();
            return S_OK;
        }
    }
    pos_ = dir > 0 ? size : -1;
    AfterMove();
    return S_OK;
}

void RecordsetImpl::PutFilter(const _variant_t& criteria) {
    RequireOpen();
    FinishPendingEdit();
    if (criteria.vt != VT_BSTR) {
        _variant_t n;
        if (FAILED(VariantChangeType(&n, &criteria, 0, VT_I4)) || n.lVal != adFilterNone) RaiseNotSupported("this kind of filter");
        filter_ = Criteria();
        filterCols_.clear();
        filterValue_ = _variant_t(static_cast<long>(adFilterNone));
        Rebuild();
        return;
    }
    std::string text = VariantTextUtf8(criteria);
    Criteria c;
    std::string why;
    if (!c.Parse(text, &why))
        Raise(adErrInvalidArgument,
              "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another (" + why + ").",
              kRecordsetSource);
    std::vector<int> cols;
    for (const std::string& n : c.FieldNames()) cols.push_back(ColumnIndex(_variant_t(_bstr_t(std::u16string_view(Utf8To16(n))))));
    filter_ = std::move(c);
    filterCols_ = std::move(cols);
    filterValue_ = criteria;
    if (filter_.Empty()) filterValue_ = _variant_t(static_cast<long>(adFilterNone));
    Rebuild();
}

void RecordsetImpl::PutSort(const _bstr_t& sort) {
    RequireOpen();
    FinishPendingEdit();
    std::string text = BstrToUtf8(sort);
    std::vector<std::pair<int, bool>> keys;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t comma = text.find(',', i);
        std::string part = text.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
        i = comma == std::string::npos ? text.size() : comma + 1;
        std::size_t a = part.find_first_not_of(" \t");
        if (a == std::string::npos) continue;
        std::size_t b = part.find_last_not_of(" \t");
        part = part.substr(a, b - a + 1);
        bool desc = false;
        std::size_t sp = part.find_last_of(" \t");
        if (sp != std::string::npos && part.back() != ']') {
            std::string dir = part.substr(sp + 1);
            if (strcasecmp(dir.c_str(), "DESC") == 0 || strcasecmp(dir.c_str(), "ASC") == 0) {
                desc = strcasecmp(dir.c_str(), "DESC") == 0;
                part = part.substr(0, part.find_last_not_of(" \t", sp) + 1);
            }
        }
        if (part.size() >= 2 && part.front() == '[' && part.back() == ']') part = part.substr(1, part.size() - 2);
        keys.emplace_back(ColumnIndex(_variant_t(_bstr_t(std::u16string_view(Utf8To16(part))))), desc);
    }
    sortKeys_ = std::move(keys);
    sortText_ = text;
    Rebuild();
}

// --- Persistence, clones, text ---

HRESULT RecordsetImpl::Save(const _variant_t& destination, PersistFormatEnum format) {
    RequireOpen();
    if (format != adPersistXML) RaiseNotSupported("saving in this format");
    if (destination.vt != VT_BSTR || SysStringLen(destination.bstrVal) == 0) RaiseBadArgument(kRecordsetSource);
    FinishPendingEdit();
    std::string path = VariantTextUtf8(destination);
    CString gbkPath = CString::FromUtf8(path);
    std::string native = NUVWin::NativePath(gbkPath);
    // As on the platform, an existing file is not overwritten, except the file the rows came from.
    if (NUVWin::PathExists(gbkPath) && NUVWin::NativePath(CString::FromUtf8(filePath_)) != native)
        Raise(0x80030050u, "File '" + path + "' already exists.", "Microsoft Cursor Engine");
    Rowset rs;
    for (const Column& c : snap_->cols) {
        RowsetColumn rc;
        rc.name = c.name;
        rc.type = c.type;
        rc.definedSize = c.definedSize;
        rc.attributes = c.attributes;
        rc.precision = c.precision;
        rc.scale = c.scale;
        rc.baseTable = c.baseColumn.empty() ? std::string() : snap_->table;
        rc.baseColumn = c.baseColumn;
        rc.key = c.key;
        rc.autoIncrement = c.autoIncrement;
        rc.nullable = c.nullable;
        rs.columns.push_back(std::move(rc));
    }
    std::size_t n = snap_->cols.size();
    std::vector<std::size_t> rows;
    for (std::uint32_t r : view_) {
        if (snap_->deleted[r]) continue;
        rows.push_back(rs.cells.size() / (n ? n : 1));
        for (std::size_t c = 0; c < n; ++c) snap_->CopyOut(r, c, rs.cells.emplace_back());
    }
    std::string xml = WriteRowsetXml(rs, rows, lock_ != adLockReadOnly);
    if (!NUVWin::WriteNativeFileAtomic(native, xml))
        Raise(0x80030003u, "Could not write the file '" + path + "'.", "Microsoft Cursor Engine");
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

_bstr_t RecordsetImpl::GetString(StringFormatEnum format, long numRows, const _bstr_t& columnDelimiter, const _bstr_t& rowDelimiter,
                                 const _bstr_t& nullExpr) {
    RequireOpen();
    if (format != adClipString) RaiseBadArgument(kRecordsetSource);
    FinishPendingEdit();
    if (GetEndOfFile()) RaiseNoCurrentRecord();
    std::u16string out;
    std::u16string cd = columnDelimiter.GetBSTR() ? columnDelimiter.u16() : u"\t";
    std::u16string rd = rowDelimiter.GetBSTR() ? rowDelimiter.u16() : u"\r";
    std::u16string nul = nullExpr.u16();
    long done = 0;
    std::size_t n = snap_->cols.size();
    while (pos_ < static_cast<long>(view_.size()) && (numRows <= 0 || done < numRows)) {
        std::size_t r = view_[static_cast<std::size_t>(pos_)];
        for (std::size_t c = 0; c < n; ++c) {
            if (c) out += cd;
            VARIANT scratch;
            std::string_view text;
            if (snap_->ArenaText(r, c, text)) {
                out += Utf8To16(text);
                continue;
            }
            const VARIANT& v = snap_->Read(r, c, scratch);
            if (v.vt == VT_NULL || v.vt == VT_EMPTY) out += nul;
            else if (v.vt == VT_BSTR) out.append(v.bstrVal, SysStringLen(v.bstrVal));
            else out += Utf8To16(VariantTextUtf8(v));
        }
        out += rd;
        ++pos_;
        ++done;
    }
    currentDeleted_ = false;
    AfterMove();
    return _bstr_t(std::u16string_view(out));
}

FieldsPtr RecordsetImpl::GetFields() {
    RequireOpen();
    return FieldsPtr(fields_);
}

_variant_t RecordsetImpl::GetCollect(const _variant_t& index) {
    std::size_t i = static_cast<std::size_t>(ColumnIndex(index));
    std::size_t r = CurrentRow();
    FieldUsed(static_cast<int>(i));
    if (edit_ != adEditNone && changed_[i]) return _variant_t(editBuf_[i]);
    // An arena text becomes the caller's value directly, with no copy left in the rows.
    _variant_t out;
    snap_->CopyOut(r, i, out);
    return out;
}

void RecordsetImpl::PutCollect(const _variant_t& index, const _variant_t& value) { PutValue(ColumnIndex(index), value); }

void RecordsetImpl::PeekCollect(long ordinal, CollectView& view) {
    RequireOpen();
    if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= snap_->cols.size()) RaiseItemNotFound(std::to_string(ordinal));
    auto i = static_cast<std::size_t>(ordinal);
    std::size_t r = CurrentRow();
    FieldUsed(static_cast<int>(ordinal));
    view.utf8 = nullptr;
    view.bytes = 0;
    if (edit_ != adEditNone && changed_[i]) {
        view.value = &editBuf_[i];
        return;
    }
    std::uint8_t kind = snap_->Kinds(r)[i];
    std::uint64_t value = snap_->Values(r)[i];
    if (kind == Snapshot::kText) {
        // Handed over as the engine's bytes: nothing is allocated.
        std::string_view text = snap_->ArenaBytes(value);
        view.value = nullptr;
        view.utf8 = text.data();
        view.bytes = text.size();
    } else if (kind == Snapshot::kBoxed) {
        view.value = &snap_->boxed[value];
    } else {
        view.scratch.vt = kind;
        view.scratch.ullVal = value;
        view.value = &view.scratch;
    }
}

namespace {

// An ASCII name against a column's (UTF-8) name, A-Z folded as field lookups fold them; a name
// with other characters is left to the general lookup.
bool SameAsciiName(const std::string& column, const char* name, std::size_t n) {
    if (column.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        unsigned a = static_cast<unsigned char>(column[i]), b = static_cast<unsigned char>(name[i]);
        if (b >= 0x80) return false;
        if (a - 'A' < 26) a += 32;
        if (b - 'A' < 26) b += 32;
        if (a != b) return false;
    }
    return true;
}

}  // namespace

long RecordsetImpl::FieldOrdinal(const char* name) {
    RequireOpen();
    std::size_t n = std::strlen(name);
    for (std::size_t c = 0; c < snap_->cols.size(); ++c)
        if (SameAsciiName(snap_->cols[c].name, name, n)) return static_cast<long>(c);
    return ColumnIndex(_variant_t(name));  // other names, aggregates' inner names, and the error for none
}

// --- Field services ---

int RecordsetImpl::ColumnIndex(const _variant_t& index) {
    RequireOpen();
    const VARIANT* v = &index;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    std::size_t n = snap_->cols.size();
    // Ordinals, the usual way rows are read in a loop, without a general conversion.
    if (v->vt == VT_I4 || v->vt == VT_I2 || v->vt == VT_INT) {
        long i = v->vt == VT_I2 ? v->iVal : v->vt == VT_INT ? v->intVal : v->lVal;
        if (i < 0 || static_cast<std::size_t>(i) >= n) RaiseItemNotFound(std::to_string(i));
        return static_cast<int>(i);
    }
    if (v->vt == VT_BSTR) {
        std::uint32_t len = SysStringLen(v->bstrVal);
        for (std::size_t c = 0; c < n; ++c) {
            const std::u16string& w = snap_->cols[c].wname;
            if (w.size() != len) continue;
            bool same = true;
            for (std::uint32_t k = 0; k < len && same; ++k) {
                char16_t a = w[k], b = v->bstrVal[k];
                if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a + 32);
                if (b >= u'A' && b <= u'Z') b = static_cast<char16_t>(b + 32);
                same = a == b;
            }
            if (same) return static_cast<int>(c);
        }
        // An aggregate column ("max(ID)") also answers to the column it aggregates, as callers
        // written for engines that name it otherwise read it by that name.
        std::string want = VariantTextUtf8(*v);
        int found = -1;
        for (std::size_t c = 0; c < n; ++c) {
            const std::string& name = snap_->cols[c].name;
            std::size_t open = name.find('('), close = name.rfind(')');
            if (open == std::string::npos || close != name.size() - 1 || open == 0) continue;
            std::string inner = name.substr(open + 1, close - open - 1);
            if (inner.size() >= 2 && inner.front() == '[' && inner.back() == ']') inner = inner.substr(1, inner.size() - 2);
            if (strcasecmp(inner.c_str(), want.c_str()) == 0) {
                if (found >= 0) RaiseItemNotFound(want);  // ambiguous
                found = static_cast<int>(c);
            }
        }
        if (found >= 0) return found;
        RaiseItemNotFound(want);
    }
    _variant_t i;
    if (FAILED(VariantChangeType(&i, v, 0, VT_I4))) RaiseItemNotFound("?");
    if (i.lVal < 0 || static_cast<std::size_t>(i.lVal) >= n) RaiseItemNotFound(std::to_string(i.lVal));
    return i.lVal;
}

const Column& RecordsetImpl::ColumnAt(int i) {
    RequireOpen();
    return snap_->cols[static_cast<std::size_t>(i)];
}

const VARIANT& RecordsetImpl::Value(int i) {
    FieldUsed(i);
    return Current(i);
}

const VARIANT& RecordsetImpl::Current(int i) {
    std::size_t r = CurrentRow();
    if (edit_ != adEditNone && changed_[static_cast<std::size_t>(i)]) return editBuf_[static_cast<std::size_t>(i)];
    return snap_->Read(r, static_cast<std::size_t>(i), scratch_);
}

const VARIANT& RecordsetImpl::OriginalValue(int i) {
    std::size_t r = CurrentRow();
    return snap_->Read(r, static_cast<std::size_t>(i), scratch_);
}

void RecordsetImpl::PutValue(int i, const _variant_t& v) {
    CheckUpdatable();
    CurrentRow();
    FieldUsed(i);
    auto c = static_cast<std::size_t>(i);
    const Column& col = snap_->cols[c];
    if (!snap_->disconnected && col.baseColumn.empty())
        Raise(DB_E_ERRORSOCCURRED,
              "Field '" + col.name + "' cannot be updated: it is not a column of " +
                  (snap_->joined.empty() ? "table '" + snap_->table + "'." : std::string("a table the query reads.")),
              kEngineSource);
    if (!snap_->disconnected && !snap_->joined.empty() && !snap_->JoinedTableOf(col))
        Raise(DB_E_ERRORSOCCURRED,
              "Field '" + col.name + "' cannot be updated: the rows do not hold the whole primary key of table '" + col.baseTable + "'.",
              kEngineSource);
    // The value is converted to the field's type now, as the platform does.
    _variant_t stored;
    const VARIANT* src = &v;
    if (src->vt == (VT_BYREF | VT_VARIANT) && src->pvarVal) src = src->pvarVal;
    VARTYPE want = VariantTypeOf(col.type);
    if (src->vt == VT_EMPTY || src->vt == VT_NULL) {
        stored.vt = VT_NULL;
    } else if (want == VT_VARIANT || src->vt == want) {
        stored = *src;
    } else if (FAILED(VariantChangeType(&stored, src, 0, want))) {
        Raise(DB_E_ERRORSOCCURRED,
              "Multiple-step operation generated errors. Check each status value (the value does not convert to the type of field '" +
                  col.name + "').",
              kEngineSource);
    }
    if (stored.vt == VT_BSTR && (col.type == adVarWChar || col.type == adWChar) && col.definedSize > 0 &&
        SysStringLen(stored.bstrVal) > static_cast<std::uint32_t>(col.definedSize))
        Raise(DB_E_ERRORSOCCURRED,
              "Multiple-step operation generated errors. Check each status value (the text is longer than the " +
                  std::to_string(col.definedSize) + " characters field '" + col.name + "' holds).",
              kEngineSource);
    if (edit_ == adEditNone) {
        BeginEdit();
        edit_ = adEditInProgress;
    }
    editBuf_[c] = std::move(stored);
    changed_[c] = true;
}

_variant_t RecordsetImpl::GetChunk(int i, long length) {
    std::size_t r = CurrentRow();
    if (length < 0) RaiseBadArgument(kFieldSource);
    if (chunkCol_ != i || chunkRow_ != r) {
        chunkCol_ = i;
        chunkRow_ = r;
        chunkOffset_ = 0;
    }
    const VARIANT& v = Value(i);
    _variant_t out;
    if (v.vt == VT_BSTR) {
        std::size_t len = SysStringLen(v.bstrVal);
        if (chunkOffset_ >= len && len > 0) {
            out.vt = VT_NULL;
            return out;
        }
        std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(length), len - chunkOffset_);
        out = _variant_t(_bstr_t(std::u16string_view(v.bstrVal + chunkOffset_, take)));
        chunkOffset_ += take;
        return out;
    }
    if ((v.vt & VT_ARRAY) && v.parray) {
        std::size_t len = v.parray->rgsabound[0].cElements * v.parray->cbElements;
        if (chunkOffset_ >= len) {
            out.vt = VT_NULL;
            return out;
        }
        std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(length), len - chunkOffset_);
        out = _variant_t::FromBytes(static_cast<const unsigned char*>(v.parray->pvData) + chunkOffset_, take);
        chunkOffset_ += take;
        return out;
    }
    out.vt = VT_NULL;
    return out;
}

void RecordsetImpl::AppendChunk(int i, const _variant_t& data) {
    CheckUpdatable();
    CurrentRow();
    auto c = static_cast<std::size_t>(i);
    const Column& col = snap_->cols[c];
    if (!(col.attributes & adFldLong) && !(col.type == adVarBinary || col.type == adBinary))
        Raise(adErrFeatureNotAvailable, "Field '" + col.name + "' does not hold long data; AppendChunk needs a long binary or memo field.",
              kFieldSource);
    bool first = edit_ == adEditNone || !appendStarted_[c];
    _variant_t piece;
    if (VariantTypeOf(col.type) == VT_BSTR && data.vt == (VT_ARRAY | VT_UI1)) {
        // Bytes appended to a memo are text in the kernel's code page.
        std::vector<std::uint8_t> bytes = data.ToBytes();
        piece = _variant_t(CString(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())));
    } else if (VariantTypeOf(col.type) == VT_BSTR) {
        piece = static_cast<_bstr_t>(data);
    }
    else if (data.vt == (VT_ARRAY | VT_UI1)) piece = data;
    else if (data.vt == VT_BSTR) {
        std::string bytes = VariantTextUtf8(data);
        piece = _variant_t::FromBytes(bytes.data(), bytes.size());
    } else {
        Raise(DB_E_ERRORSOCCURRED, "Multiple-step operation generated errors. Check each status value (AppendChunk needs bytes).", kFieldSource);
    }
    if (!first) {
        const VARIANT& cur = editBuf_[c];
        if (piece.vt == VT_BSTR) {
            std::u16string s = cur.vt == VT_BSTR ? std::u16string(cur.bstrVal, SysStringLen(cur.bstrVal)) : std::u16string();
            s.append(piece.bstrVal, SysStringLen(piece.bstrVal));
            piece = _variant_t(_bstr_t(std::u16string_view(s)));
        } else {
            std::vector<std::uint8_t> bytes;
            if (cur.vt == (VT_ARRAY | VT_UI1)) bytes = _variant_t(cur).ToBytes();
            std::vector<std::uint8_t> more = piece.ToBytes();
            bytes.insert(bytes.end(), more.begin(), more.end());
            piece = _variant_t::FromBytes(bytes.data(), bytes.size());
        }
    }
    PutValue(i, piece);
    appendStarted_[c] = true;
}

// --- Record binding ---

namespace {

template <class T>
T& At(CADORecordBinding* b, std::ptrdiff_t off) {
    return *reinterpret_cast<T*>(reinterpret_cast<char*>(b) + off);
}

void SetStatus(CADORecordBinding* b, const ADO_BINDING_ENTRY& e, std::uint32_t status) {
    if (e.statusOffset != ADO_NO_OFFSET) At<std::uint32_t>(b, e.statusOffset) = status;
}

}  // namespace

HRESULT RecordsetImpl::BindToRecordset(CADORecordBinding* binding) {
    RequireOpen();
    if (!binding) return E_POINTER;
    const ADO_BINDING_ENTRY* e = binding->GetADOBindingEntries();
    for (; e->ordinal; ++e)
        if (e->ordinal > snap_->cols.size())
            Raise(adErrItemNotFound, "The binding names field " + std::to_string(e->ordinal) + " of a record set with " +
                                         std::to_string(snap_->cols.size()) + " fields.",
                  kRecordsetSource);
    binding_ = binding;
    if (pos_ >= 0 && pos_ < static_cast<long>(view_.size()) && !currentDeleted_) Fill(binding);
    return S_OK;
}

void RecordsetImpl::Fill(CADORecordBinding* b) {
    for (const ADO_BINDING_ENTRY* e = b->GetADOBindingEntries(); e->ordinal; ++e) {
        const VARIANT& v = Value(static_cast<int>(e->ordinal - 1));
        if (v.vt == VT_NULL || v.vt == VT_EMPTY) {
            SetStatus(b, *e, adFldNull);
            continue;
        }
        std::uint32_t status = adFldOK;
        VARTYPE want;
        switch (e->dataType) {
        case adVarChar: case adChar: case adLongVarChar: case adVarWChar: case adWChar: case adLongVarWChar: case adBSTR:
            want = VT_BSTR;
            break;
        case adVariant:
            want = VT_VARIANT;
            break;
        default:
            want = VariantTypeOf(e->dataType);
        }
        _variant_t t;
        if (want != VT_VARIANT && FAILED(VariantChangeType(&t, &v, 0, want))) {
            SetStatus(b, *e, adFldCantConvertValue);
            continue;
        }
        char* dst = reinterpret_cast<char*>(b) + e->dataOffset;
        std::size_t bytes = 0;
        switch (e->dataType) {
        case adVarChar: case adChar: case adLongVarChar: {
            _bstr_t s(t.bstrVal, true);
            const char* g = static_cast<const char*>(s);
            std::size_t len = std::strlen(g);
            bytes = len;
            if (e->dataSize == 0) break;
            if (len + 1 > e->dataSize) {
                len = e->dataSize - 1;
                status = adFldTruncated;
            }
            std::memcpy(dst, g, len);
            dst[len] = 0;
            break;
        }
        case adVarWChar: case adWChar: case adLongVarWChar: {
            std::size_t len = SysStringLen(t.bstrVal), cap = e->dataSize / sizeof(char16_t);
            bytes = len * sizeof(char16_t);
            if (cap == 0) break;
            if (len + 1 > cap) {
                len = cap - 1;
                status = adFldTruncated;
            }
            std::memcpy(dst, t.bstrVal, len * sizeof(char16_t));
            reinterpret_cast<char16_t*>(dst)[len] = 0;
            break;
        }
        case adVariant:
            VariantCopy(reinterpret_cast<VARIANT*>(dst), &v);
            break;
        default: {
            std::size_t size = 0;
            const void* src = &t.llVal;
            switch (t.vt) {
            case VT_I1: case VT_UI1: size = 1; break;
            case VT_I2: case VT_UI2: case VT_BOOL: size = 2; break;
            case VT_I4: case VT_UI4: case VT_R4: case VT_INT: case VT_UINT: size = 4; break;
            case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: size = 8; break;
            case VT_DECIMAL: size = sizeof(DECIMAL); src = &t.decVal; break;
            default: status = adFldCantConvertValue;
            }
            if (size && size <= e->dataSize) std::memcpy(dst, src, size);
            else status = adFldCantConvertValue;
            bytes = size;
        }
        }
        if (e->lengthOffset != ADO_NO_OFFSET) At<std::uint32_t>(b, e->lengthOffset) = static_cast<std::uint32_t>(bytes);
        SetStatus(b, *e, status);
    }
}

void RecordsetImpl::Store(CADORecordBinding* b) {
    for (const ADO_BINDING_ENTRY* e = b->GetADOBindingEntries(); e->ordinal; ++e) {
        if (!e->modify) continue;
        if (e->statusOffset != ADO_NO_OFFSET && At<std::uint32_t>(b, e->statusOffset) == adFldNull) {
            PutValue(static_cast<int>(e->ordinal - 1), _variant_t());
            continue;
        }
        const char* src = reinterpret_cast<const char*>(b) + e->dataOffset;
        _variant_t v;
        switch (e->dataType) {
        case adVarChar: case adChar: case adLongVarChar: {
            std::size_t len = strnlen(src, e->dataSize);
            v = _variant_t(CString(src, static_cast<int>(len)));
            break;
        }
        case adVarWChar: case adWChar: case adLongVarWChar: {
            const auto* w = reinterpret_cast<const char16_t*>(src);
            std::size_t cap = e->dataSize / sizeof(char16_t), len = 0;
            while (len < cap && w[len]) ++len;
            v = _variant_t(_bstr_t(std::u16string_view(w, len)));
            break;
        }
        case adVariant: v = *reinterpret_cast<const VARIANT*>(src); break;
        case adSmallInt: v = _variant_t(*reinterpret_cast<const std::int16_t*>(src)); break;
        case adInteger: v = _variant_t(static_cast<long>(*reinterpret_cast<const std::int32_t*>(src))); break;
        case adUnsignedTinyInt: v = _variant_t(*reinterpret_cast<const unsigned char*>(src)); break;
        case adTinyInt: v = _variant_t(*reinterpret_cast<const char*>(src)); break;
        case adBigInt: v = _variant_t(static_cast<long long>(*reinterpret_cast<const std::int64_t*>(src))); break;
        case adSingle: v = _variant_t(*reinterpret_cast<const float*>(src)); break;
        case adDouble: v = _variant_t(*reinterpret_cast<const double*>(src)); break;
        case adDate: v = _variant_t(*reinterpret_cast<const double*>(src), VT_DATE); break;
        case adBoolean: v = _variant_t(*reinterpret_cast<const VARIANT_BOOL*>(src) != 0); break;
        case adCurrency: v = _variant_t(*reinterpret_cast<const CY*>(src)); break;
        case adDecimal: case adNumeric: v = _variant_t(*reinterpret_cast<const DECIMAL*>(src)); break;
        default: RaiseBadArgument(kRecordsetSource);
        }
        PutValue(static_cast<int>(e->ordinal - 1), v);
    }
}

HRESULT RecordsetImpl::AddNew(CADORecordBinding* binding) {
    if (!binding) return E_POINTER;
    AddNew(vtMissing, vtMissing);
    Store(binding);
    return S_OK;
}

HRESULT RecordsetImpl::Update(CADORecordBinding* binding) {
    if (!binding) return E_POINTER;
    if (edit_ == adEditNone) CurrentRow();
    Store(binding);
    return Update(vtMissing, vtMissing);
}

}  // namespace NUVADO::detail
