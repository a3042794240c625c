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

namespace {

// The fields and values given to AddNew or Update: one field with one value, or two arrays of the
// same length. Anything else is refused before the record set changes.
std::vector<std::pair<_variant_t, _variant_t>> FieldValues(const _variant_t& fields, const _variant_t& values) {
    std::vector<std::pair<_variant_t, _variant_t>> out;
    bool fieldArray = (fields.vt & VT_ARRAY) != 0, valueArray = (values.vt & VT_ARRAY) != 0;
    if (fieldArray != valueArray) RaiseBadArgument(kRecordsetSource);
    if (!fieldArray) {
        out.emplace_back(fields, values);
        return out;
    }
    std::int32_t flo = 0, fhi = -1, vlo = 0, vhi = -1;
    if (!fields.parray || !values.parray || SafeArrayGetDim(fields.parray) != 1 || SafeArrayGetDim(values.parray) != 1 ||
        FAILED(SafeArrayGetLBound(fields.parray, 1, &flo)) || FAILED(SafeArrayGetUBound(fields.parray, 1, &fhi)) ||
        FAILED(SafeArrayGetLBound(values.parray, 1, &vlo)) || FAILED(SafeArrayGetUBound(values.parray, 1, &vhi)) ||
        fhi - flo != vhi - vlo)
        RaiseBadArgument(kRecordsetSource);
    for (std::int32_t k = 0; k <= fhi - flo; ++k) {
        _variant_t f, v;
        std::int32_t fi = flo + k, vi = vlo + k;
        if (FAILED(SafeArrayGetElement(fields.parray, &fi, static_cast<VARIANT*>(&f))) ||
            FAILED(SafeArrayGetElement(values.parray, &vi, static_cast<VARIANT*>(&v))))
            RaiseBadArgument(kRecordsetSource);
        out.emplace_back(std::move(f), std::move(v));
    }
    return out;
}

}  // namespace

HRESULT RecordsetImpl::AddNew(const _variant_t& fieldList, const _variant_t& values) {
    CheckUpdatable();
    std::vector<std::pair<_variant_t, _variant_t>> given;
    if (!IsMissing(fieldList)) given = FieldValues(fieldList, values);
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
        for (const auto& [f, v] : given) PutValue(ColumnIndex(f), v);
        Update(vtMissing, vtMissing);
    }
    return S_OK;
}

HRESULT RecordsetImpl::Update(const _variant_t& fields, const _variant_t& values) {
    RequireOpen();
    if (!IsMissing(fields)) {
        auto given = FieldValues(fields, values);
        if (edit_ == adEditNone) CurrentRow();
        for (const auto& [f, v] : given) PutValue(ColumnIndex(f), v);
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
