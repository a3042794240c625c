// The Worksheets collection of a book: lookup by name or position and new sheets, and the
// reference every sheet-level object holds (SheetRef), which fails once the book is gone.
#include "excel/AppState.h"
#include "excel/Automation.h"

namespace Excel {

using namespace NUVExcel;

long Sheets::GetCount() {
    if (app_->quit || !book_->data.core->open) Disconnected();
    return static_cast<long>(book_->data.sheets.size());
}

IDispatchPtr Sheets::GetItem(const _variant_t& Index) {
    if (app_->quit || !book_->data.core->open) Disconnected();
    auto& sheets = book_->data.sheets;
    std::shared_ptr<SheetData> found;
    if (Index.vt == VT_BSTR) {
        std::string name = Utf8(Index);
        for (auto& s : sheets)
            if (SameNameNoCase(s->name, name)) found = s;
    } else {
        long i = static_cast<long>(Index);
        if (i >= 1 && i <= static_cast<long>(sheets.size())) found = sheets[i - 1];
    }
    if (!found) _com_issue_error(DISP_E_BADINDEX);
    return IDispatchPtr(new _Worksheet(SheetRef{app_, book_, found}));
}

_WorksheetPtr Sheets::Add() {
    if (app_->quit || !book_->data.core->open) Disconnected();
    for (int n = static_cast<int>(book_->data.sheets.size()) + 1;; ++n) {
        std::string name = "Sheet" + std::to_string(n);
        bool taken = false;
        for (auto& s : book_->data.sheets) taken |= SameNameNoCase(s->name, name);
        if (!taken) {
            book_->saved = false;
            return _WorksheetPtr(new _Worksheet(SheetRef{app_, book_, book_->data.AddSheet(name)}));
        }
    }
}

void SheetRef::Check() const {
    if (app->quit || !book->data.core->open) Disconnected();
}

}  // namespace Excel
