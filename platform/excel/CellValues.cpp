#include "excel/CellValues.h"

#include <strings.h>

#include <cmath>
#include <cstdlib>

#include "excel/AppState.h"
#include "excel/CellArea.h"
#include "excel/NumberFormat.h"

namespace NUVExcel {

namespace {

bool ParseNumber(const std::string& s, double& out) {
    if (s.empty()) return false;
    for (char c : s)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E'))
            return false;
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(out);
}

// A text entered as a cell value becomes a number, a percentage or a truth value when it reads
// as one, as typing it into the cell would.
void Enter(Cell& cell, const std::string& text, std::string& impliedFormat) {
    cell.kind = Cell::kText;
    cell.text = text;
    if (text.empty()) {
        cell.kind = Cell::kEmpty;
        return;
    }
    if (text[0] == '\'') {
        cell.text = text.substr(1);
        return;
    }
    std::size_t a = text.find_first_not_of(' ');
    std::size_t b = text.find_last_not_of(' ');
    if (a == std::string::npos) return;
    std::string t = text.substr(a, b - a + 1);
    double d;
    if (ParseNumber(t, d)) {
        cell.kind = Cell::kNumber;
        cell.number = d;
    } else if (t.size() > 1 && t.back() == '%' && ParseNumber(t.substr(0, t.size() - 1), d)) {
        cell.kind = Cell::kNumber;
        cell.number = d / 100;
        impliedFormat = t.find('.') == std::string::npos ? "0%" : "0.00%";
    } else if (strcasecmp(t.c_str(), "TRUE") == 0 || strcasecmp(t.c_str(), "FALSE") == 0) {
        cell.kind = Cell::kBool;
        cell.number = strcasecmp(t.c_str(), "TRUE") == 0;
    } else {
        return;
    }
    cell.text.clear();
}

}  // namespace

void PutValueImpl(const Excel::SheetRef& ref, const Rect& r, const _variant_t& value) {
    ref.Check();
    ref.book->saved = false;
    CheckArea(r, "Writing");
    SheetData& sh = *ref.sheet;
    Cell proto;
    std::string implied;
    bool textEntry = false;
    std::string text;
    switch (value.vt) {
        case VT_EMPTY:
        case VT_NULL: break;
        case VT_BOOL:
            proto.kind = Cell::kBool;
            proto.number = value.boolVal != 0;
            break;
        case VT_BSTR:
            textEntry = true;
            text = Utf8(value);
            break;
        case VT_DATE:
            proto.kind = Cell::kNumber;
            proto.number = value.date;
            implied = value.date == std::floor(value.date) ? "m/d/yyyy" : "m/d/yyyy h:mm";
            break;
        case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT: case VT_UI1: case VT_UI2: case VT_UI4:
        case VT_UI8: case VT_UINT: case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL:
            proto.kind = Cell::kNumber;
            proto.number = static_cast<double>(value);
            break;
        default: _com_issue_error(DISP_E_TYPEMISMATCH);
    }
    if (!textEntry && proto.kind == Cell::kEmpty) {
        // Clearing creates no cells.
        EachStored(sh, r, [](long, long, Cell& c) {
            c.kind = Cell::kEmpty;
            c.text.clear();
        });
        return;
    }
    StyleTable& t = sh.core->styles;
    for (long row = r.r1; row <= r.r2; ++row)
        for (long col = r.c1; col <= r.c2; ++col) {
            Cell& cell = sh.At(row, col);
            std::uint32_t style = cell.style;
            std::string fmt = implied;
            if (textEntry) {
                if (t.Get(style).numberFormat == "@") {
                    cell.kind = text.empty() ? Cell::kEmpty : Cell::kText;
                    cell.text = text;
                    continue;
                }
                Enter(cell, text, fmt);
            } else {
                cell.kind = proto.kind;
                cell.number = proto.number;
                cell.text.clear();
            }
            if (!fmt.empty() && t.Get(style).numberFormat == "General") {
                Style s = t.Get(style);
                s.numberFormat = fmt;
                cell.style = t.Intern(s);
            }
        }
}

_variant_t GetValueImpl(const Excel::SheetRef& ref, const Rect& r, bool dates) {
    ref.Check();
    if (Area(r) != 1) _com_issue_errorex(E_NOTIMPL, "Excel", "Reading the values of several cells at once is not supported.");
    const Cell* c = ref.sheet->Find(r.r1, r.c1);
    if (!c) return _variant_t();
    switch (c->kind) {
        case Cell::kEmpty: return _variant_t();
        case Cell::kText: return TextVariant(c->text);
        case Cell::kBool: return _variant_t(c->number != 0);
        case Cell::kNumber:
            if (dates && IsDateFormat(ref.sheet->core->styles.Get(c->style).numberFormat))
                return _variant_t(c->number, VT_DATE);
            return _variant_t(c->number);
    }
    return _variant_t();
}

std::string DisplayText(const SheetData& sh, const Cell* c) {
    if (!c) return "";
    const std::string& fmt = sh.core->styles.Get(c->style).numberFormat;
    switch (c->kind) {
        case Cell::kEmpty: return "";
        case Cell::kText: return FormatText(c->text, fmt);
        case Cell::kBool: return c->number != 0 ? "TRUE" : "FALSE";
        case Cell::kNumber: return FormatNumber(c->number, fmt);
    }
    return "";
}

}  // namespace NUVExcel
