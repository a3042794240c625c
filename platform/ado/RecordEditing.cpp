// Editing the current record: AddNew, Update, CancelUpdate and Delete. Changes are kept in an
// edit buffer until Update, which writes them back (WriteBack.cpp) before the rows change.
#include <algorithm>

#include "ado/RecordsetImpl.h"

namespace NUVADO::detail {

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

}  // namespace NUVADO::detail
