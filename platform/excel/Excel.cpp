#include "excel/Excel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "excel/NumberFormat.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace NUVExcel {

struct BookState {
    BookData data;
    std::string name;      // UTF-8
    std::string fullName;  // native path once saved
    bool saved = true;
};

struct AppState {
    bool visible = false;
    bool alerts = true;
    bool quit = false;
    long sheetsInNewWorkbook = 3;
    std::string printer = DetectActivePrinter();
    std::vector<std::shared_ptr<BookState>> books;
    int nextBook = 1;
};

namespace {

// One format or merge call touches at most this many cells; whole-column formatting is not
// modelled.
constexpr long long kMaxCells = 1LL << 22;

std::mutex& RotMutex() {
    static std::mutex m;
    return m;
}
std::weak_ptr<AppState>& Active() {
    static std::weak_ptr<AppState> a;
    return a;
}

[[noreturn]] void Fail(const std::string& description) {
    _com_issue_errorex(XL_E_FAILED, "Excel", NUVWin::Utf8ToGbk(description).c_str());
}

[[noreturn]] void Disconnected() {
    _com_issue_errorex(RPC_E_DISCONNECTED, "Excel", "The object invoked has disconnected from its clients.");
}

bool IsMissing(const _variant_t& v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

std::string Utf8(const _variant_t& v) {
    _bstr_t b = v;
    return b.utf8();
}

long long Area(const Rect& r) { return static_cast<long long>(r.r2 - r.r1 + 1) * (r.c2 - r.c1 + 1); }

void CheckArea(const Rect& r, const char* what) {
    if (Area(r) > kMaxCells) Fail(std::string(what) + " of more than 4194304 cells at once is not supported");
}

// Every stored cell inside the rectangle, in row-major order.
template <class F>
void EachStored(SheetData& sh, const Rect& r, F f) {
    auto it = sh.cells.lower_bound(SheetData::Key(r.r1, r.c1));
    auto end = sh.cells.upper_bound(SheetData::Key(r.r2, r.c2));
    for (; it != end; ++it) {
        long c = SheetData::KeyCol(it->first);
        if (c >= r.c1 && c <= r.c2) f(SheetData::KeyRow(it->first), c, it->second);
    }
}

// The common value of a style property over the rectangle, or null when cells differ.
template <class F>
_variant_t Uniform(SheetData& sh, const Rect& r, F get) {
    long long stored = 0;
    bool first = true, same = true;
    _variant_t value;
    auto see = [&](const _variant_t& v) {
        if (first) {
            value = v;
            first = false;
        } else if (same && !(v == value)) {
            same = false;
        }
    };
    EachStored(sh, r, [&](long, long, const Cell& c) {
        ++stored;
        if (same) see(get(sh.core->styles.Get(c.style)));
    });
    if (stored < Area(r)) see(get(sh.core->styles.Get(0)));
    if (!same) {
        _variant_t null;
        null.vt = VT_NULL;
        return null;
    }
    return value;
}

// Changes the style of every cell in the rectangle (creating the cells, as formatting an empty
// cell does); cells sharing a style share the changed one too.
template <class F>
void Restyle(SheetData& sh, const Rect& r, F change) {
    CheckArea(r, "Formatting");
    StyleTable& t = sh.core->styles;
    std::unordered_map<std::uint32_t, std::uint32_t> done;
    for (long row = r.r1; row <= r.r2; ++row)
        for (long col = r.c1; col <= r.c2; ++col) {
            Cell& cell = sh.At(row, col);
            auto it = done.find(cell.style);
            if (it != done.end()) {
                cell.style = it->second;
                continue;
            }
            Style s = t.Get(cell.style);
            change(s);
            std::uint32_t id = t.Intern(s);
            done.emplace(cell.style, id);
            cell.style = id;
        }
}

void ChangeEdge(SheetData& sh, long row, long col, EdgeIndex e, const std::function<void(Edge&)>& change) {
    Cell& cell = sh.At(row, col);
    Style s = sh.core->styles.Get(cell.style);
    change(s.edges[e]);
    cell.style = sh.core->styles.Intern(s);
}

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

// Unicode text straight into a variant (not through GBK, which lacks many characters).
_variant_t TextVariant(const std::string& utf8) {
    std::u16string w;
    w.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        auto c = static_cast<unsigned char>(utf8[i]);
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = n == 1 ? c : c & (0x3F >> (n - 1));
        for (int k = 1; k < n && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            w.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            w.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            w.push_back(static_cast<char16_t>(cp));
        }
    }
    return _variant_t(_bstr_t(std::u16string_view(w)));
}

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

long LongArg(const _variant_t& v) {
    if (IsMissing(v)) _com_issue_error(DISP_E_PARAMNOTFOUND);
    return static_cast<long>(v);
}

void CheckCell(long row, long col) {
    if (row < 1 || row > kMaxRow || col < 1 || col > kMaxCol) Fail("The cell reference is outside the sheet");
}

std::shared_ptr<BookState> NewBook(AppState& app, long sheets) {
    auto b = std::make_shared<BookState>();
    b->name = "Book" + std::to_string(app.nextBook++);
    for (long i = 1; i <= sheets; ++i) b->data.AddSheet("Sheet" + std::to_string(i));
    return b;
}

bool ValidSheetName(const std::string& name) {
    if (name.empty()) return false;
    std::u16string w = NUVWin::GbkToUtf16(NUVWin::Utf8ToGbk(name));
    if (w.size() > 31) return false;
    if (name.find_first_of(":\\/?*[]") != std::string::npos) return false;
    return name.front() != '\'' && name.back() != '\'';
}

bool SameNameNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

}  // namespace

HRESULT GetActiveObject(const char* progId, IUnknown** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!progId || std::strcmp(progId, "Excel.Application") != 0) return MK_E_UNAVAILABLE;
    std::shared_ptr<AppState> app;
    {
        std::lock_guard lock(RotMutex());
        app = Active().lock();
    }
    if (!app || app->quit) return MK_E_UNAVAILABLE;
    auto* obj = new Excel::_Application(app);
    obj->AddRef();
    *out = obj;
    return S_OK;
}

void RegisterServer(bool installed) {
    if (installed)
        NUVCom::RegisterClass("Excel.Application", []() -> IUnknown* { return new Excel::_Application(); });
    else
        NUVCom::RegisterClass("Excel.Application", []() -> IUnknown* { return nullptr; });
}

namespace {
struct Registrar {
    Registrar() { RegisterServer(true); }
} g_registrar;
}  // namespace

}  // namespace NUVExcel

namespace Excel {

using namespace NUVExcel;

// ---- application ----

_Application::_Application() : state_(std::make_shared<AppState>()) {
    std::lock_guard lock(RotMutex());
    auto running = Active().lock();
    if (!running || running->quit) Active() = state_;
}

_Application::_Application(std::shared_ptr<AppState> state) : state_(std::move(state)) {}

void _Application::CheckRunning() const {
    if (state_->quit) Disconnected();
}

WorkbooksPtr _Application::GetWorkbooks() {
    CheckRunning();
    return WorkbooksPtr(new Workbooks(state_));
}

VARIANT_BOOL _Application::GetVisible() {
    CheckRunning();
    return state_->visible ? VARIANT_TRUE : VARIANT_FALSE;
}

void _Application::PutVisible(VARIANT_BOOL visible) {
    CheckRunning();
    state_->visible = visible != 0;
}

VARIANT_BOOL _Application::GetDisplayAlerts() {
    CheckRunning();
    return state_->alerts ? VARIANT_TRUE : VARIANT_FALSE;
}

void _Application::PutDisplayAlerts(VARIANT_BOOL alerts) {
    CheckRunning();
    state_->alerts = alerts != 0;
}

long _Application::GetSheetsInNewWorkbook() {
    CheckRunning();
    return state_->sheetsInNewWorkbook;
}

void _Application::PutSheetsInNewWorkbook(long count) {
    CheckRunning();
    if (count < 1 || count > 255) Fail("The number of sheets in a new workbook must be between 1 and 255");
    state_->sheetsInNewWorkbook = count;
}

_bstr_t _Application::GetActivePrinter() {
    CheckRunning();
    return _bstr_t(NUVWin::Utf8ToGbk(state_->printer).c_str());
}

void _Application::PutActivePrinter(const _bstr_t& printer) {
    CheckRunning();
    if (printer.length() == 0) Fail("Unable to set the ActivePrinter property: no printer named");
    state_->printer = printer.utf8();
}

void _Application::Quit() {
    CheckRunning();
    for (auto& b : state_->books) b->data.core->open = false;
    state_->books.clear();
    state_->quit = true;
    std::lock_guard lock(RotMutex());
    if (Active().lock() == state_) Active().reset();
}

// ---- workbooks ----

_WorkbookPtr Workbooks::Add(const _variant_t& Template) {
    if (app_->quit) Disconnected();
    std::shared_ptr<BookState> book;
    if (IsMissing(Template) || Template.vt == VT_EMPTY) {
        book = NewBook(*app_, app_->sheetsInNewWorkbook);
    } else {
        _bstr_t path = Template;
        CString gbk(static_cast<const char*>(path) ? static_cast<const char*>(path) : "");
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

// ---- workbook ----

void _Workbook::CheckOpen() const {
    if (app_->quit || !book_->data.core->open) Disconnected();
}

SheetsPtr _Workbook::GetWorksheets() {
    CheckOpen();
    return SheetsPtr(new Sheets(app_, book_));
}

_bstr_t _Workbook::GetName() {
    CheckOpen();
    return _bstr_t(NUVWin::Utf8ToGbk(book_->name).c_str());
}

_bstr_t _Workbook::GetFullName() {
    CheckOpen();
    return _bstr_t(NUVWin::Utf8ToGbk(book_->fullName.empty() ? book_->name : book_->fullName).c_str());
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
    CString gbk(static_cast<const char*>(name) ? static_cast<const char*>(name) : "");
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

// ---- sheets ----

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

// ---- worksheet ----

_bstr_t _Worksheet::GetName() {
    ref_.Check();
    return _bstr_t(std::u16string_view(TextVariant(ref_.sheet->name).bstrVal));
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

// ---- range ----

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

// ---- font ----

_variant_t Font::GetName() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return TextVariant(s.fontName); });
}

void Font::PutName(const _variant_t& name) {
    ref_.Check();
    std::string n = Utf8(name);
    if (n.empty()) Fail("Unable to set the Name property of the Font class");
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [&n](Style& s) { s.fontName = n; });
}

_variant_t Font::GetSize() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return _variant_t(s.fontSize); });
}

void Font::PutSize(const _variant_t& size) {
    ref_.Check();
    double v = static_cast<double>(size);
    if (!(v >= 1 && v <= 409)) Fail("Unable to set the Size property of the Font class");
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [v](Style& s) { s.fontSize = v; });
}

_variant_t Font::GetColor() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return _variant_t(static_cast<double>(s.fontColor)); });
}

void Font::PutColor(const _variant_t& color) {
    ref_.Check();
    double v = static_cast<double>(color);
    if (!(v >= 0 && v <= 0xFFFFFF)) Fail("Unable to set the Color property of the Font class");
    auto c = static_cast<std::uint32_t>(v);
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [c](Style& s) { s.fontColor = c; });
}

_variant_t Font::GetBold() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return _variant_t(s.bold); });
}

void Font::PutBold(const _variant_t& bold) {
    ref_.Check();
    bool b = static_cast<bool>(bold);
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [b](Style& s) { s.bold = b; });
}

_variant_t Font::GetItalic() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return _variant_t(s.italic); });
}

void Font::PutItalic(const _variant_t& italic) {
    ref_.Check();
    bool b = static_cast<bool>(italic);
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [b](Style& s) { s.italic = b; });
}

_variant_t Font::GetUnderline() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) {
        return _variant_t(static_cast<long>(s.underline ? xlUnderlineStyleSingle : xlUnderlineStyleNone));
    });
}

void Font::PutUnderline(const _variant_t& underline) {
    ref_.Check();
    long u = static_cast<long>(underline);
    if (u != xlUnderlineStyleNone && u != xlUnderlineStyleSingle) Fail("Unable to set the Underline property of the Font class");
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [u](Style& s) { s.underline = u == xlUnderlineStyleSingle; });
}

// ---- borders ----

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

// ---- page setup ----

void PageSetup::CheckPrinter(const char* property) const {
    ref_.Check();
    if (ref_.app->printer.empty())
        Fail(std::string("Unable to get the ") + property + " property of the PageSetup class: no printer is installed");
}

_variant_t PageSetup::GetZoom() {
    CheckPrinter("Zoom");
    return _variant_t(static_cast<long>(ref_.sheet->printZoom));
}

void PageSetup::PutZoom(const _variant_t& zoom) {
    CheckPrinter("Zoom");
    long z = static_cast<long>(zoom);
    if (z < 10 || z > 400) Fail("Unable to set the Zoom property of the PageSetup class: it must be between 10 and 400");
    ref_.book->saved = false;
    ref_.sheet->printZoom = static_cast<int>(z);
}

}  // namespace Excel
