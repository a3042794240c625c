// A Range: values, displayed text, number formats, alignment, merging, copying and sizes of a
// rectangle of cells. Formatting creates cells as the application does; clearing does not.
#include <algorithm>

#include "excel/AppState.h"
#include "excel/Automation.h"
#include "excel/CellArea.h"
#include "excel/CellValues.h"

namespace Excel {

using namespace NUVExcel;

RangePtr Range::GetItem(const _variant_t& RowIndex, const _variant_t& ColumnIndex) {
    ref_.Check();
    long row = LongArg(RowIndex);
    long col = IsMissing(ColumnIndex) ? 1 : LongArg(ColumnIndex);
    long r = rect_.r1 + row - 1, c = rect_.c1 + col - 1;
    CheckCell(r, c);
    return RangePtr(new Range(ref_, Rect{r, c, r, c}));
}

long Range::GetRow() { ref_.Check(); return rect_.r1; }
long Range::GetColumn() { ref_.Check(); return rect_.c1; }

long Range::GetCount() {
    ref_.Check();
    long long n = NUVExcel::Area(rect_);
    return n > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<long>(n);
}

_variant_t Range::GetValue() { return GetValueImpl(ref_, rect_, true); }
void Range::PutValue(const _variant_t& value) { PutValueImpl(ref_, rect_, value); }
_variant_t Range::GetValue2() { return GetValueImpl(ref_, rect_, false); }
void Range::PutValue2(const _variant_t& value) { PutValueImpl(ref_, rect_, value); }

_variant_t Range::GetText() {
    ref_.Check();
    SheetData& sh = *ref_.sheet;
    if (NUVExcel::Area(rect_) == 1) return TextVariant(DisplayText(sh, sh.Find(rect_.r1, rect_.c1)));
    long long stored = 0;
    bool first = true, same = true;
    std::string text;
    auto see = [&](const std::string& t) {
        if (first) text = t, first = false;
        else if (t != text) same = false;
    };
    EachStored(sh, rect_, [&](long, long, const Cell& c) {
        ++stored;
        if (same) see(DisplayText(sh, &c));
    });
    if (stored < NUVExcel::Area(rect_)) see("");
    if (!same) {
        _variant_t null;
        null.vt = VT_NULL;
        return null;
    }
    return TextVariant(text);
}

void Range::ClearContents() {
    ref_.Check();
    ref_.book->saved = false;
    EachStored(*ref_.sheet, rect_, [](long, long, Cell& c) {
        c.kind = Cell::kEmpty;
        c.text.clear();
    });
}

_variant_t Range::GetNumberFormat() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return TextVariant(s.numberFormat); });
}

void Range::PutNumberFormat(const _variant_t& format) {
    ref_.Check();
    ref_.book->saved = false;
    std::string f = Utf8(format);
    if (f.empty()) f = "General";
    Restyle(*ref_.sheet, rect_, [&f](Style& s) { s.numberFormat = f; });
}

FontPtr Range::GetFont() {
    ref_.Check();
    return FontPtr(new Font(ref_, rect_));
}

_variant_t Range::GetHorizontalAlignment() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return _variant_t(static_cast<long>(s.hAlign)); });
}

void Range::PutHorizontalAlignment(const _variant_t& align) {
    ref_.Check();
    long h = static_cast<long>(align);
    static const long kOk[] = {xlHAlignGeneral, xlHAlignLeft, xlHAlignCenter, xlHAlignRight,
                               xlHAlignFill, xlHAlignJustify, xlHAlignCenterAcrossSelection, xlHAlignDistributed};
    if (std::find(std::begin(kOk), std::end(kOk), h) == std::end(kOk))
        Fail("Unable to set the HorizontalAlignment property of the Range class");
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [h](Style& s) { s.hAlign = static_cast<int>(h); });
}

_variant_t Range::GetVerticalAlignment() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return _variant_t(static_cast<long>(s.vAlign)); });
}

void Range::PutVerticalAlignment(const _variant_t& align) {
    ref_.Check();
    long v = static_cast<long>(align);
    static const long kOk[] = {xlVAlignTop, xlVAlignCenter, xlVAlignBottom, xlVAlignJustify, xlVAlignDistributed};
    if (std::find(std::begin(kOk), std::end(kOk), v) == std::end(kOk))
        Fail("Unable to set the VerticalAlignment property of the Range class");
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [v](Style& s) { s.vAlign = static_cast<int>(v); });
}

_variant_t Range::GetOrientation() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) {
        long o = s.rotation == kVerticalRotation ? xlVertical
                 : s.rotation == 0               ? xlHorizontal
                 : s.rotation == 90              ? xlUpward
                 : s.rotation == -90             ? xlDownward
                                                 : s.rotation;
        return _variant_t(o);
    });
}

void Range::PutOrientation(const _variant_t& orientation) {
    ref_.Check();
    long o = static_cast<long>(orientation);
    int rotation;
    switch (o) {
        case xlHorizontal: rotation = 0; break;
        case xlVertical: rotation = kVerticalRotation; break;
        case xlUpward: rotation = 90; break;
        case xlDownward: rotation = -90; break;
        default:
            if (o < -90 || o > 90) Fail("Unable to set the Orientation property of the Range class");
            rotation = static_cast<int>(o);
    }
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [rotation](Style& s) { s.rotation = rotation; });
}

_variant_t Range::GetWrapText() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return _variant_t(s.wrap); });
}

void Range::PutWrapText(const _variant_t& wrap) {
    ref_.Check();
    bool w = static_cast<bool>(wrap);
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [w](Style& s) { s.wrap = w; });
}

BordersPtr Range::GetBorders() {
    ref_.Check();
    return BordersPtr(new Borders(ref_, rect_));
}

void Range::Merge(const _variant_t& Across) {
    ref_.Check();
    CheckArea(rect_, "Merging");
    SheetData& sh = *ref_.sheet;
    bool across = !IsMissing(Across) && Across.vt != VT_EMPTY && static_cast<bool>(Across);
    std::vector<Rect> parts;
    if (across)
        for (long r = rect_.r1; r <= rect_.r2; ++r) parts.push_back(Rect{r, rect_.c1, r, rect_.c2});
    else
        parts.push_back(rect_);
    ref_.book->saved = false;
    for (Rect m : parts) {
        // Take in every merged area the new one overlaps, until none is left partly outside.
        for (bool grew = true; grew;) {
            grew = false;
            for (const Rect& o : sh.merges)
                if (o.Intersects(m) && !(m.r1 <= o.r1 && m.c1 <= o.c1 && m.r2 >= o.r2 && m.c2 >= o.c2)) {
                    m = Rect{std::min(m.r1, o.r1), std::min(m.c1, o.c1), std::max(m.r2, o.r2), std::max(m.c2, o.c2)};
                    grew = true;
                }
        }
        sh.merges.erase(std::remove_if(sh.merges.begin(), sh.merges.end(), [&m](const Rect& o) { return o.Intersects(m); }),
                        sh.merges.end());
        if (m.r1 == m.r2 && m.c1 == m.c2) continue;
        sh.merges.push_back(m);
        EachStored(sh, m, [&m](long r, long c, Cell& cell) {
            if (r != m.r1 || c != m.c1) {
                cell.kind = Cell::kEmpty;
                cell.text.clear();
            }
        });
    }
}

void Range::UnMerge() {
    ref_.Check();
    auto& merges = ref_.sheet->merges;
    ref_.book->saved = false;
    merges.erase(std::remove_if(merges.begin(), merges.end(), [this](const Rect& o) { return o.Intersects(rect_); }),
                 merges.end());
}

_variant_t Range::GetMergeCells() {
    ref_.Check();
    bool any = false;
    for (const Rect& m : ref_.sheet->merges) {
        if (m.Contains(rect_.r1, rect_.c1) && m.Contains(rect_.r2, rect_.c2)) return _variant_t(true);
        any |= m.Intersects(rect_);
    }
    if (!any) return _variant_t(false);
    _variant_t null;
    null.vt = VT_NULL;
    return null;
}

RangePtr Range::GetMergeArea() {
    ref_.Check();
    if (const Rect* m = ref_.sheet->MergeAt(rect_.r1, rect_.c1)) return RangePtr(new Range(ref_, *m));
    return RangePtr(new Range(ref_, Rect{rect_.r1, rect_.c1, rect_.r1, rect_.c1}));
}

_variant_t Range::Copy(const _variant_t& Destination) {
    ref_.Check();
    if (IsMissing(Destination))
        _com_issue_errorex(E_NOTIMPL, "Excel", "Copying to the clipboard is not supported; give a destination.");
    if (Destination.vt != VT_DISPATCH) _com_issue_error(DISP_E_TYPEMISMATCH);
    auto* dest = dynamic_cast<Range*>(Destination.pdispVal);
    if (!dest) _com_issue_error(DISP_E_TYPEMISMATCH);
    dest->ref_.Check();
    CheckArea(rect_, "Copying");
    long dr = dest->rect_.r1 - rect_.r1, dc = dest->rect_.c1 - rect_.c1;
    Rect target{rect_.r1 + dr, rect_.c1 + dc, rect_.r2 + dr, rect_.c2 + dc};
    if (target.r2 > kMaxRow || target.c2 > kMaxCol) Fail("The copy does not fit on the sheet");
    SheetData& src = *ref_.sheet;
    SheetData& dst = *dest->ref_.sheet;
    // Take everything first: source and destination may overlap.
    std::vector<std::pair<std::uint64_t, Cell>> taken;
    EachStored(src, rect_, [&](long r, long c, const Cell& cell) { taken.emplace_back(SheetData::Key(r + dr, c + dc), cell); });
    std::vector<Rect> merges;
    for (const Rect& m : src.merges)
        if (rect_.Contains(m.r1, m.c1) && rect_.Contains(m.r2, m.c2)) merges.push_back(Rect{m.r1 + dr, m.c1 + dc, m.r2 + dr, m.c2 + dc});
    std::vector<std::uint64_t> clear;
    EachStored(dst, target, [&](long r, long c, const Cell&) { clear.push_back(SheetData::Key(r, c)); });
    for (auto k : clear) dst.cells.erase(k);
    bool sameBook = src.core == dst.core;
    for (auto& [key, cell] : taken) {
        if (!sameBook) cell.style = dst.core->styles.Intern(src.core->styles.Get(cell.style));
        dst.cells[key] = std::move(cell);
    }
    dst.merges.erase(std::remove_if(dst.merges.begin(), dst.merges.end(), [&target](const Rect& o) { return o.Intersects(target); }),
                     dst.merges.end());
    dst.merges.insert(dst.merges.end(), merges.begin(), merges.end());
    dest->ref_.book->saved = false;
    return _variant_t(true);
}

_variant_t Range::GetColumnWidth() {
    ref_.Check();
    double w = ref_.sheet->ColumnWidth(rect_.c1);
    for (long c = rect_.c1 + 1; c <= rect_.c2; ++c)
        if (ref_.sheet->ColumnWidth(c) != w) {
            _variant_t null;
            null.vt = VT_NULL;
            return null;
        }
    return _variant_t(w);
}

void Range::PutColumnWidth(const _variant_t& width) {
    ref_.Check();
    double w = static_cast<double>(width);
    if (!(w >= 0 && w <= 255)) Fail("Unable to set the ColumnWidth property of the Range class");
    ref_.book->saved = false;
    for (long c = rect_.c1; c <= rect_.c2; ++c) ref_.sheet->columnWidths[c] = w;
}

_variant_t Range::GetRowHeight() {
    ref_.Check();
    double h = ref_.sheet->RowHeight(rect_.r1);
    auto& heights = ref_.sheet->rowHeights;
    // Rows without their own height share the default one.
    bool same = true;
    long explicitRows = 0;
    for (auto it = heights.lower_bound(rect_.r1); it != heights.end() && it->first <= rect_.r2; ++it, ++explicitRows)
        same &= it->second == h;
    if (explicitRows < rect_.r2 - rect_.r1 + 1) same &= h == kDefaultRowHeight;
    if (!same) {
        _variant_t null;
        null.vt = VT_NULL;
        return null;
    }
    return _variant_t(h);
}

void Range::PutRowHeight(const _variant_t& height) {
    ref_.Check();
    double h = static_cast<double>(height);
    if (!(h >= 0 && h <= 409)) Fail("Unable to set the RowHeight property of the Range class");
    if (rect_.r2 - rect_.r1 >= 65536) Fail("Setting the height of more than 65536 rows at once is not supported");
    ref_.book->saved = false;
    for (long r = rect_.r1; r <= rect_.r2; ++r) ref_.sheet->rowHeights[r] = h;
}

}  // namespace Excel
