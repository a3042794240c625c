// A Worksheet: its name (checked as the application checks sheet names), position, and the
// ranges and page setup it hands out.
#include <algorithm>

#include "excel/AppState.h"
#include "excel/Automation.h"
#include "win/Encoding.h"

namespace NUVExcel {

namespace {

bool ValidSheetName(const std::string& name) {
    if (name.empty()) return false;
    std::u16string w = NUVWin::Utf8ToUtf16(name);
    if (w.size() > 31) return false;
    if (name.find_first_of(":\\/?*[]") != std::string::npos) return false;
    return name.front() != '\'' && name.back() != '\'';
}

}  // namespace

}  // namespace NUVExcel

namespace Excel {

using namespace NUVExcel;

_bstr_t _Worksheet::GetName() {
    ref_.Check();
    return TextBstr(ref_.sheet->name);
}

void _Worksheet::PutName(const _bstr_t& name) {
    ref_.Check();
    std::string n = name.utf8();
    if (!ValidSheetName(n)) Fail("Unable to set the Name property of the Worksheet class: '" + n + "' is not a valid sheet name");
    for (auto& s : ref_.book->data.sheets)
        if (s != ref_.sheet && SameNameNoCase(s->name, n))
            Fail("Unable to set the Name property of the Worksheet class: the name '" + n + "' is already taken");
    ref_.sheet->name = n;
    ref_.book->saved = false;
}

long _Worksheet::GetIndex() {
    ref_.Check();
    auto& sheets = ref_.book->data.sheets;
    return static_cast<long>(std::find(sheets.begin(), sheets.end(), ref_.sheet) - sheets.begin()) + 1;
}

RangePtr _Worksheet::GetCells() {
    ref_.Check();
    return RangePtr(new Range(ref_, Rect{1, 1, kMaxRow, kMaxCol}));
}

RangePtr _Worksheet::GetRange(const _variant_t& Cell1, const _variant_t& Cell2) {
    ref_.Check();
    auto rectOf = [this](const _variant_t& v) -> Rect {
        if (v.vt == VT_DISPATCH) {
            auto* r = dynamic_cast<Range*>(v.pdispVal);
            if (!r) _com_issue_error(DISP_E_TYPEMISMATCH);
            if (r->Ref().sheet != ref_.sheet) Fail("The corners of a range must be on the same sheet");
            return r->Area();
        }
        if (v.vt == VT_BSTR) {
            Rect rect;
            if (!ParseRangeRef(Utf8(v), rect)) Fail("'" + Utf8(v) + "' is not a cell address");
            return rect;
        }
        _com_issue_error(DISP_E_TYPEMISMATCH);
    };
    Rect a = rectOf(Cell1);
    if (!IsMissing(Cell2)) {
        Rect b = rectOf(Cell2);
        a = Rect{std::min(a.r1, b.r1), std::min(a.c1, b.c1), std::max(a.r2, b.r2), std::max(a.c2, b.c2)};
    }
    return RangePtr(new Range(ref_, a));
}

PageSetupPtr _Worksheet::GetPageSetup() {
    ref_.Check();
    return PageSetupPtr(new PageSetup(ref_));
}

}  // namespace Excel
