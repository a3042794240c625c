// Reading and writing the fields of the current record: by name or ordinal, as values, piece by
// piece (GetChunk/AppendChunk), and the fast paths the record binding and collect views use.
#include <algorithm>
#include <cstring>

#include "ado/Fields.h"
#include "ado/RecordsetImpl.h"

namespace NUVADO::detail {

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

}  // namespace NUVADO::detail
