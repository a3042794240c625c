// Borders of a range: each border index maps to the cell edges that show it, so outer and
// inside lines are read and written on the right cells.
#include "excel/AppState.h"
#include "excel/Automation.h"
#include "excel/CellArea.h"

namespace Excel {

using namespace NUVExcel;

BorderPtr Borders::GetItem(XlBordersIndex Index) {
    ref_.Check();
    if (Index < xlDiagonalDown || Index > xlInsideHorizontal) _com_issue_error(DISP_E_BADINDEX);
    if (Index == xlDiagonalDown || Index == xlDiagonalUp)
        _com_issue_errorex(E_NOTIMPL, "Excel", "Diagonal borders are not supported.");
    return BorderPtr(new Border(ref_, rect_, Index));
}

// Runs change on every cell edge that makes up this border.
template <class F>
void Border::Apply(const char* property, F change) {
    ref_.Check();
    SheetData& sh = *ref_.sheet;
    const Rect& r = rect_;
    if ((index_ == xlInsideHorizontal && r.r1 == r.r2) || (index_ == xlInsideVertical && r.c1 == r.c2))
        Fail(std::string("Unable to set the ") + property + " property of the Border class");
    CheckArea(r, "Formatting");
    ref_.book->saved = false;
    std::function<void(Edge&)> f = change;
    switch (index_) {
        case xlEdgeTop: for (long c = r.c1; c <= r.c2; ++c) ChangeEdge(sh, r.r1, c, kTop, f); break;
        case xlEdgeBottom: for (long c = r.c1; c <= r.c2; ++c) ChangeEdge(sh, r.r2, c, kBottom, f); break;
        case xlEdgeLeft: for (long row = r.r1; row <= r.r2; ++row) ChangeEdge(sh, row, r.c1, kLeft, f); break;
        case xlEdgeRight: for (long row = r.r1; row <= r.r2; ++row) ChangeEdge(sh, row, r.c2, kRight, f); break;
        case xlInsideHorizontal:
            for (long row = r.r1; row < r.r2; ++row)
                for (long c = r.c1; c <= r.c2; ++c) {
                    ChangeEdge(sh, row, c, kBottom, f);
                    ChangeEdge(sh, row + 1, c, kTop, f);
                }
            break;
        case xlInsideVertical:
            for (long row = r.r1; row <= r.r2; ++row)
                for (long c = r.c1; c < r.c2; ++c) {
                    ChangeEdge(sh, row, c, kRight, f);
                    ChangeEdge(sh, row, c + 1, kLeft, f);
                }
            break;
        default: break;
    }
}

namespace {
// The cell edge that shows this border for reading: the first row's top, the last column's
// right, and for inside lines the bottom/right of the first row/column.
Rect ReadArea(const Rect& r, XlBordersIndex i, EdgeIndex& edge) {
    switch (i) {
        case xlEdgeTop: edge = kTop; return Rect{r.r1, r.c1, r.r1, r.c2};
        case xlEdgeBottom: edge = kBottom; return Rect{r.r2, r.c1, r.r2, r.c2};
        case xlEdgeLeft: edge = kLeft; return Rect{r.r1, r.c1, r.r2, r.c1};
        case xlEdgeRight: edge = kRight; return Rect{r.r1, r.c2, r.r2, r.c2};
        case xlInsideHorizontal: edge = kBottom; return Rect{r.r1, r.c1, std::max(r.r1, r.r2 - 1), r.c2};
        default: edge = kRight; return Rect{r.r1, r.c1, r.r2, std::max(r.c1, r.c2 - 1)};
    }
}
}  // namespace

_variant_t Border::GetLineStyle() {
    ref_.Check();
    EdgeIndex e;
    Rect a = ReadArea(rect_, index_, e);
    return Uniform(*ref_.sheet, a, [e](const Style& s) { return _variant_t(static_cast<long>(s.edges[e].lineStyle)); });
}

void Border::PutLineStyle(const _variant_t& style) {
    long v = static_cast<long>(style);
    static const long kOk[] = {xlContinuous, xlDash, xlDashDot, xlDashDotDot, xlDot, xlDouble, xlSlantDashDot, xlLineStyleNone};
    if (std::find(std::begin(kOk), std::end(kOk), v) == std::end(kOk)) Fail("Unable to set the LineStyle property of the Border class");
    Apply("LineStyle", [v](Edge& e) {
        if (v == xlLineStyleNone) e = Edge{};
        else e.lineStyle = static_cast<int>(v);
    });
}

_variant_t Border::GetColor() {
    ref_.Check();
    EdgeIndex e;
    Rect a = ReadArea(rect_, index_, e);
    return Uniform(*ref_.sheet, a, [e](const Style& s) { return _variant_t(static_cast<double>(s.edges[e].color)); });
}

void Border::PutColor(const _variant_t& color) {
    double v = static_cast<double>(color);
    if (!(v >= 0 && v <= 0xFFFFFF)) Fail("Unable to set the Color property of the Border class");
    auto c = static_cast<std::uint32_t>(v);
    Apply("Color", [c](Edge& e) {
        if (e.lineStyle == kLineStyleNone) e.lineStyle = xlContinuous;
        e.color = c;
    });
}

_variant_t Border::GetWeight() {
    ref_.Check();
    EdgeIndex e;
    Rect a = ReadArea(rect_, index_, e);
    return Uniform(*ref_.sheet, a, [e](const Style& s) { return _variant_t(static_cast<long>(s.edges[e].weight)); });
}

void Border::PutWeight(const _variant_t& weight) {
    long v = static_cast<long>(weight);
    if (v != xlHairline && v != xlThin && v != xlMedium && v != xlThick) Fail("Unable to set the Weight property of the Border class");
    Apply("Weight", [v](Edge& e) {
        if (e.lineStyle == kLineStyleNone) e.lineStyle = xlContinuous;
        e.weight = static_cast<int>(v);
    });
}

}  // namespace Excel
