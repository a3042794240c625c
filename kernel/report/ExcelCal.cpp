#include "report/ExcelCal.h"

#include <cstdlib>
#include <cstring>

#include "report/ReportMessage.h"
#include "win/FileSystem.h"

namespace {

// The displayed text passes through a buffer of this size, terminator included.
constexpr int kTextBuffer = 260;

_variant_t Dispatch(const Excel::RangePtr& r) { return _variant_t(static_cast<IDispatch*>(r.GetInterfacePtr())); }

}  // namespace

CExcelCal::CExcelCal() = default;

CExcelCal::CExcelCal(const CExcelCal& other)
    : m_app(other.m_app),
      m_books(other.m_books),
      m_book(other.m_book),
      m_sheets(other.m_sheets),
      m_sheet(other.m_sheet),
      m_pageSetup(other.m_pageSetup),
      m_range(other.m_range),
      m_borders(other.m_borders),
      m_border(other.m_border),
      m_operRange(other.m_operRange),
      m_nComInit(other.m_nComInit) {}

CExcelCal& CExcelCal::operator=(const CExcelCal& other) {
    if (this == &other) return *this;
    m_app = other.m_app;
    m_books = other.m_books;
    m_book = other.m_book;
    m_sheets = other.m_sheets;
    m_sheet = other.m_sheet;
    m_pageSetup = other.m_pageSetup;
    m_range = other.m_range;
    m_borders = other.m_borders;
    m_border = other.m_border;
    m_operRange = other.m_operRange;
    m_nComInit = other.m_nComInit;
    return *this;
}

CExcelCal::~CExcelCal() {
    Release();
    m_border = nullptr;
    m_borders = nullptr;
    m_range = nullptr;
    m_pageSetup = nullptr;
    m_sheet = nullptr;
    m_sheets = nullptr;
    m_book = nullptr;
    m_books = nullptr;
}

int CExcelCal::RunExcel(int visible) {
    HRESULT hr = CoInitialize(nullptr);
    if (hr == S_OK || hr == S_FALSE) ++m_nComInit;
    VARIANT_BOOL show = visible ? VARIANT_TRUE : VARIANT_FALSE;
    try {
        IUnknown* running = nullptr;
        if (SUCCEEDED(NUVExcel::GetActiveObject("Excel.Application", &running)) && running) {
            IUnknownPtr unknown(running, false);
            m_app = Excel::_ApplicationPtr(unknown);
            m_app->PutVisible(show);
            m_books = m_app->GetWorkbooks();
            return 1;
        }
        hr = m_app.CreateInstance("Excel.Application");
        if (FAILED(hr)) {
            NUV::ShowReportMessage(NUV_GBK("无法启动EXCEL！"));
            return 0;
        }
        m_books = m_app->GetWorkbooks();
        m_app->PutVisible(show);
        return 1;
    } catch (const _com_error&) {
        NUV::ShowReportMessage(NUV_GBK("启动EXCEL发生异常！"));
        return 0;
    }
}

void CExcelCal::AddNewWorkbook(const char* templateFile, long sheets) {
    long remembered = m_app->GetSheetsInNewWorkbook();
    if (!templateFile || !*templateFile) {
        m_app->PutSheetsInNewWorkbook(sheets);
        m_book = m_books->Add(vtMissing);
        m_sheets = m_book->GetWorksheets();
        m_app->PutSheetsInNewWorkbook(remembered);
    } else {
        m_book = m_books->Add(_variant_t(templateFile));
        m_sheets = m_book->GetWorksheets();
    }
    m_sheet = Excel::_WorksheetPtr(m_sheets->GetItem(_variant_t(1L)));
    m_pageSetup = m_sheet->GetPageSetup();
}

void CExcelCal::Save(CString path, int overwrite) {
    // An existing file is not deleted first: the save replaces it in one step, so a save that
    // fails (or meets a link, a device or a pipe at the path) leaves what stood there.
    if (NUVWin::PathExists(path) && !overwrite) return;
    m_book->SaveAs(_variant_t(path), _variant_t(static_cast<long>(Excel::xlNormal)), _variant_t(""), _variant_t(""),
                   _variant_t(false), _variant_t(false), Excel::xlNoChange);
}

void CExcelCal::CloseWorkBook() {
    if (m_book) m_book->Close();
}

void CExcelCal::ExitExcel() {
    try {
        m_app->Quit();
        Release();
    } catch (const _com_error&) {
        NUV::ShowReportMessage(NUV_GBK("退出EXCEL异常！"));
    }
}

void CExcelCal::Release() {
    try {
        for (; m_nComInit > 0; --m_nComInit) CoUninitialize();
        m_app = nullptr;
    } catch (const _com_error&) {
        NUV::ShowReportMessage(NUV_GBK("未处理异常！"));
    }
}

void CExcelCal::SetVisable(int visible) { m_app->PutVisible(visible ? VARIANT_TRUE : VARIANT_FALSE); }

int CExcelCal::GetVisable() { return m_app->GetVisible(); }

int CExcelCal::SetWarning(int warn) {
    m_app->PutDisplayAlerts(warn ? VARIANT_TRUE : VARIANT_FALSE);
    return warn;
}

int CExcelCal::GetWarning() { return m_app->GetDisplayAlerts(); }

Excel::RangePtr CExcelCal::CellAt(long row, long col) {
    return m_sheet->GetCells()->GetItem(_variant_t(row), _variant_t(col));
}

Excel::RangePtr CExcelCal::OperationRange() {
    const COperRangeForExcel& r = m_operRange;
    return m_sheet->GetRange(Dispatch(CellAt(r.m_nFirstRow, r.m_nFirstCol)), Dispatch(CellAt(r.m_nLastRow, r.m_nLastCol)));
}

void CExcelCal::SetText(long row, long col, CString text) {
    m_range = CellAt(row, col);
    m_range->PutValue(_variant_t(text));
}

void CExcelCal::SetText(long row, long col, double value) {
    m_range = CellAt(row, col);
    m_range->PutValue(_variant_t(value));
}

void CExcelCal::SetText(const CArray<CBlockForExcel, CBlockForExcel>& blocks) {
    for (INT_PTR i = 0; i < blocks.GetSize(); ++i) {
        const CBlockForExcel& b = blocks[i];
        SetText(b.m_nRow, b.m_nCol, b.m_strText);
    }
}

CString CExcelCal::GetText(long row, long col) {
    _bstr_t text = CellAt(row, col)->GetText();
    const char* gbk = static_cast<const char*>(text);
    if (!gbk) return CString();
    int n = static_cast<int>(std::strlen(gbk));
    if (n < kTextBuffer) return CString(gbk, n);
    // Keep what fits, without splitting a double-byte character.
    int cut = 0;
    while (cut < n) {
        int step = static_cast<unsigned char>(gbk[cut]) >= 0x80 && cut + 1 < n ? 2 : 1;
        if (cut + step > kTextBuffer - 1) break;
        cut += step;
    }
    return CString(gbk, cut);
}

double CExcelCal::GetNum(long row, long col) { return std::atof(GetText(row, col)); }

void CExcelCal::SetSheetName(char* name) { SetSheetName(CString(name)); }

void CExcelCal::SetSheetName(CString name) {
    if (name.IsEmpty()) return;
    m_sheet->PutName(_bstr_t(name));
}

void CExcelCal::SetOperRange(const COperRangeForExcel& range) { m_operRange = range; }

void CExcelCal::SetOperRange(long firstRow, long firstCol, long lastRow, long lastCol) {
    m_operRange = COperRangeForExcel(firstRow, firstCol, lastRow, lastCol);
}

void CExcelCal::BorderAround(int top, int bottom, int left, int right, int insideHorizontal, int insideVertical,
                             Excel::XlLineStyle style, unsigned long colour) {
    m_range = OperationRange();
    m_borders = m_range->GetBorders();
    // A range one row high or one column wide has no inside lines of that direction.
    if (m_operRange.m_nFirstRow == m_operRange.m_nLastRow) insideHorizontal = 0;
    if (m_operRange.m_nFirstCol == m_operRange.m_nLastCol) insideVertical = 0;
    const struct {
        int flag;
        Excel::XlBordersIndex index;
    } edges[] = {
        {top, Excel::xlEdgeTop},          {bottom, Excel::xlEdgeBottom},
        {left, Excel::xlEdgeLeft},        {right, Excel::xlEdgeRight},
        {insideHorizontal, Excel::xlInsideHorizontal}, {insideVertical, Excel::xlInsideVertical},
    };
    for (const auto& e : edges) {
        if (!e.flag) continue;
        m_border = m_borders->GetItem(e.index);
        m_border->PutLineStyle(_variant_t(static_cast<long>(style)));
        m_border->PutColor(_variant_t(static_cast<long>(static_cast<std::int32_t>(colour))));
    }
}

void CExcelCal::SetFontStyle(CString name, int size, unsigned long colour) {
    m_range = OperationRange();
    Excel::FontPtr font = m_range->GetFont();
    font->PutName(_variant_t(name));
    font->PutSize(_variant_t(static_cast<long>(size)));
    font->PutColor(_variant_t(static_cast<long>(static_cast<std::int32_t>(colour))));
}

void CExcelCal::SetStyleDQ(Excel::XlHAlign h, Excel::XlVAlign v) {
    m_range = OperationRange();
    m_range->PutHorizontalAlignment(_variant_t(static_cast<long>(h)));
    m_range->PutVerticalAlignment(_variant_t(static_cast<long>(v)));
}

void CExcelCal::SetTextStyle(int vertical, int angle) {
    m_range = OperationRange();
    m_range->PutOrientation(_variant_t(static_cast<long>(vertical ? Excel::xlVertical : angle)));
}

void CExcelCal::AutoHH(int wrap) {
    m_range = OperationRange();
    m_range->PutWrapText(_variant_t(static_cast<short>(wrap)));
}

void CExcelCal::ManyToOne() {
    m_range = OperationRange();
    m_range->Merge(vtMissing);
}

void CExcelCal::OneToMany() {
    m_range = OperationRange();
    m_range->UnMerge();
}

void CExcelCal::SetPrecision(long digits) {
    m_range = OperationRange();
    if (digits < 0) return;
    CString format("0.");
    format += CString('0', static_cast<int>(digits));
    m_range->PutNumberFormat(_variant_t(format));
}

void CExcelCal::Copy(long row, long col) {
    m_range = OperationRange();
    m_range->Copy(Dispatch(CellAt(row, col)));
}

double CExcelCal::Sum() {
    m_range = OperationRange();
    const COperRangeForExcel& r = m_operRange;
    long r1 = std::min(r.m_nFirstRow, r.m_nLastRow), r2 = std::max(r.m_nFirstRow, r.m_nLastRow);
    long c1 = std::min(r.m_nFirstCol, r.m_nLastCol), c2 = std::max(r.m_nFirstCol, r.m_nLastCol);
    double total = 0.0;
    for (long row = r1; row <= r2; ++row)
        for (long col = c1; col <= c2; ++col) {
            m_range = CellAt(row, col);
            _variant_t v = m_range->GetValue2();
            if (v.vt != VT_EMPTY) total += static_cast<double>(v);
        }
    return total;
}

void CExcelCal::Sum(long row, long col) { SetText(row, col, Sum()); }

void CExcelCal::SetOneRowWidth(long col, double width) {
    m_range = CellAt(1, col);
    m_range->PutColumnWidth(_variant_t(width));
}

double CExcelCal::GetOneRowWidth(long col) { return static_cast<double>(CellAt(1, col)->GetColumnWidth()); }

void CExcelCal::SetOneLineHigh(long row, double height) {
    m_range = CellAt(row, 1);
    m_range->PutRowHeight(_variant_t(height));
}

double CExcelCal::GetOneLineHigh(long row) { return static_cast<double>(CellAt(row, 1)->GetRowHeight()); }

void CExcelCal::SetPageZoom(short percent) {
    _bstr_t printer = m_app->GetActivePrinter();
    if (printer.length() == 0) return;
    if (percent < 10 || percent > 400) return;
    try {
        m_pageSetup->PutZoom(_variant_t(percent));
    } catch (const _com_error&) {
        // A printer that refuses the zoom leaves the page as it was.
    }
}

// The sheet's screen zoom is not part of a printed report.
void CExcelCal::SetSheetZoom(short) {}
