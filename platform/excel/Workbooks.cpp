// The Workbooks collection: new books, books made from a template file, lookup by name or
// position, closing them all.
#include "excel/AppState.h"
#include "excel/Automation.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace NUVExcel {

std::shared_ptr<BookState> NewBook(AppState& app, long sheets) {
    auto b = std::make_shared<BookState>();
    b->name = "Book" + std::to_string(app.nextBook++);
    for (long i = 1; i <= sheets; ++i) b->data.AddSheet("Sheet" + std::to_string(i));
    return b;
}

}  // namespace NUVExcel

namespace Excel {

using namespace NUVExcel;

_WorkbookPtr Workbooks::Add(const _variant_t& Template) {
    if (app_->quit) Disconnected();
    std::shared_ptr<BookState> book;
    if (IsMissing(Template) || Template.vt == VT_EMPTY) {
        book = NewBook(*app_, app_->sheetsInNewWorkbook);
    } else {
        _bstr_t path = Template;
        CString gbk = PathArgument(path, "open the template");
        std::string native = NUVWin::NativePath(gbk);
        book = std::make_shared<BookState>();
        try {
            book->data = ReadXlsx(native);
        } catch (const FileError& e) {
            Fail("Cannot open the template '" + path.utf8() + "': " + e.message);
        }
        std::string base = NUVWin::GbkToUtf8(NUVWin::FileNamePart(gbk).str());
        if (auto dot = base.rfind('.'); dot != std::string::npos && dot > 0) base.resize(dot);
        book->name = base + std::to_string(app_->nextBook++);
    }
    app_->books.push_back(book);
    return _WorkbookPtr(new _Workbook(app_, book));
}

long Workbooks::GetCount() {
    if (app_->quit) Disconnected();
    return static_cast<long>(app_->books.size());
}

_WorkbookPtr Workbooks::GetItem(const _variant_t& Index) {
    if (app_->quit) Disconnected();
    if (Index.vt == VT_BSTR) {
        std::string name = Utf8(Index);
        for (auto& b : app_->books)
            if (SameNameNoCase(b->name, name)) return _WorkbookPtr(new _Workbook(app_, b));
        _com_issue_error(DISP_E_BADINDEX);
    }
    long i = static_cast<long>(Index);
    if (i < 1 || i > static_cast<long>(app_->books.size())) _com_issue_error(DISP_E_BADINDEX);
    return _WorkbookPtr(new _Workbook(app_, app_->books[i - 1]));
}

void Workbooks::Close() {
    if (app_->quit) Disconnected();
    for (auto& b : app_->books) b->data.core->open = false;
    app_->books.clear();
}

}  // namespace Excel
