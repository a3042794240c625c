// Find, Filter and Sort of a record set: criteria in the ADO syntax matched against the rows,
// and the view (the rows shown, in order) rebuilt from filter and sort.
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "ado/RecordsetImpl.h"

namespace NUVADO::detail {

namespace {

int CompareCells(const VARIANT& a, const VARIANT& b) { return CompareValues(a, b); }

}  // namespace

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
        for (const std::string& n : c.FieldNames()) cols.push_back(ColumnIndex(_variant_t(_bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(n))))));
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
    for (const std::string& n : c.FieldNames()) cols.push_back(ColumnIndex(_variant_t(_bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(n))))));
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
        keys.emplace_back(ColumnIndex(_variant_t(_bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(part))))), desc);
    }
    sortText_ = text;
    // Clearing a sort that is not set changes nothing: the current record stays, and a bound
    // structure is not filled again (closing a record set clears its sort, and by then the
    // structure may be gone).
    if (keys.empty() && sortKeys_.empty()) return;
    sortKeys_ = std::move(keys);
    Rebuild();
}

}  // namespace NUVADO::detail
