// A Workbook: its sheets, names, and saving (SaveAs, Save, Close with saving). The saved flag
// tells whether the file on disk holds every change.
#include <algorithm>

#include "excel/AppState.h"
#include "excel/Automation.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace Excel {

using namespace NUVExcel;

void _Workbook::CheckOpen() const {
    if (app_->quit || !book_->data.core->open) Disconnected();
}

SheetsPtr _Workbook::GetWorksheets() {
    CheckOpen();
    return SheetsPtr(new Sheets(app_, book_));
}

_bstr_t _Workbook::GetName() {
    CheckOpen();
    return TextBstr(book_->name);
}

_bstr_t _Workbook::GetFullName() {
    CheckOpen();
    return TextBstr(book_->fullName.empty() ? book_->name : book_->fullName);
}

VARIANT_BOOL _Workbook::GetSaved() {
    CheckOpen();
    return book_->saved ? VARIANT_TRUE : VARIANT_FALSE;
}

void _Workbook::SaveAs(const _variant_t& Filename, const _variant_t& FileFormat, const _variant_t& Password,
                       const _variant_t& WriteResPassword, const _variant_t& ReadOnlyRecommended,
                       const _variant_t& CreateBackup, XlSaveAsAccessMode AccessMode, const _variant_t& ConflictResolution,
                       const _variant_t& AddToMru, const _variant_t& TextCodepage, const _variant_t& TextVisualLayout) {
    // The file is .xlsx whatever format is asked for; backups, sharing and the recent-file list
    // have no meaning here.
    (void)FileFormat, (void)ReadOnlyRecommended, (void)CreateBackup, (void)AccessMode, (void)ConflictResolution;
    (void)AddToMru, (void)TextCodepage, (void)TextVisualLayout;
    CheckOpen();
    if (IsMissing(Filename) || Filename.vt == VT_EMPTY) Fail("SaveAs needs a file name");
    for (const _variant_t* p : {&Password, &WriteResPassword})
        if (!IsMissing(*p) && p->vt != VT_EMPTY && _bstr_t(*p).length() > 0)
            Fail("Password protection is not supported by the workbook writer");
    _bstr_t name = Filename;
    CString gbk = PathArgument(name, "save");
    if (gbk.IsEmpty()) Fail("SaveAs needs a file name");
    std::string native = NUVWin::NativePath(gbk);
    try {
        WriteXlsx(book_->data, native);
    } catch (const FileError& e) {
        Fail("Cannot save '" + name.utf8() + "': " + e.message);
    }
    book_->fullName = native;
    book_->name = NUVWin::GbkToUtf8(NUVWin::FileNamePart(gbk).str());
    book_->saved = true;
}

void _Workbook::Save() {
    CheckOpen();
    if (book_->fullName.empty()) Fail("The workbook has never been saved; use SaveAs");
    try {
        WriteXlsx(book_->data, book_->fullName);
    } catch (const FileError& e) {
        Fail("Cannot save '" + book_->fullName + "': " + e.message);
    }
    book_->saved = true;
}

void _Workbook::Close(const _variant_t& SaveChanges, const _variant_t& Filename, const _variant_t& RouteWorkbook) {
    (void)RouteWorkbook;
    CheckOpen();
    if (!IsMissing(SaveChanges) && SaveChanges.vt != VT_EMPTY && static_cast<bool>(SaveChanges)) {
        if (!IsMissing(Filename) && Filename.vt != VT_EMPTY) SaveAs(Filename);
        else Save();
    }
    book_->data.core->open = false;
    auto& books = app_->books;
    books.erase(std::remove(books.begin(), books.end(), book_), books.end());
}

}  // namespace Excel
