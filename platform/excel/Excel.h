// The spreadsheet application's automation object model, in memory: the application registered
// as "Excel.Application", its workbooks, worksheets, ranges of cells, borders, fonts and page
// setup. Workbooks are saved as Office Open XML (.xlsx) whatever file format is asked for, and
// templates are read from .xlsx files.
//
// Objects are component objects held by `_com_ptr_t` smart pointers (`RangePtr`, ...); calling
// through an empty pointer raises E_POINTER. Failures raise `_com_error`: 0x800A03EC with a
// description for a value the application refuses, DISP_E_BADINDEX for a missing sheet or
// workbook, DISP_E_TYPEMISMATCH for a value of the wrong kind, RPC_E_DISCONNECTED for objects of a
// closed workbook or a quit application. Texts cross the interface as `_bstr_t`/`_variant_t`
// (GBK on the narrow side), and are kept as Unicode.
//
// What is not modelled: formulas (a text beginning with "=" stays a text), multi-cell value
// arrays, the clipboard, diagonal borders, row heights that follow the font size, and the
// "####" a number shows when its column is too narrow.
#pragma once

#include <memory>

#include "com/Com.h"
#include "excel/Book.h"

namespace Excel {

enum XlLineStyle {
    xlContinuous = 1,
    xlDash = -4115,
    xlDashDot = 4,
    xlDashDotDot = 5,
    xlDot = -4118,
    xlDouble = -4119,
    xlSlantDashDot = 13,
    xlLineStyleNone = -4142,
};

enum XlBordersIndex {
    xlDiagonalDown = 5,
    xlDiagonalUp = 6,
    xlEdgeLeft = 7,
    xlEdgeTop = 8,
    xlEdgeBottom = 9,
    xlEdgeRight = 10,
    xlInsideVertical = 11,
    xlInsideHorizontal = 12,
};

enum XlBorderWeight {
    xlHairline = 1,
    xlThin = 2,
    xlMedium = -4138,
    xlThick = 4,
};

enum XlHAlign {
    xlHAlignGeneral = 1,
    xlHAlignLeft = -4131,
    xlHAlignCenter = -4108,
    xlHAlignRight = -4152,
    xlHAlignFill = 5,
    xlHAlignJustify = -4130,
    xlHAlignCenterAcrossSelection = 7,
    xlHAlignDistributed = -4117,
};

enum XlVAlign {
    xlVAlignTop = -4160,
    xlVAlignCenter = -4108,
    xlVAlignBottom = -4107,
    xlVAlignJustify = -4130,
    xlVAlignDistributed = -4117,
};

enum XlOrientation {
    xlHorizontal = -4128,
    xlVertical = -4166,
    xlUpward = -4171,
    xlDownward = -4170,
};

enum XlPageOrientation {
    xlPortrait = 1,
    xlLandscape = 2,
};

enum XlFileFormat {
    xlNormal = -4143,
    xlWorkbookNormal = -4143,
    xlOpenXMLWorkbook = 51,
};

enum XlSaveAsAccessMode {
    xlNoChange = 1,
    xlShared = 2,
    xlExclusive = 3,
};

enum XlUnderlineStyle {
    xlUnderlineStyleNone = -4142,
    xlUnderlineStyleSingle = 2,
};

class _Application;
class Workbooks;
class _Workbook;
class Sheets;
class _Worksheet;
class Range;
class Borders;
class Border;
class Font;
class PageSetup;

using _ApplicationPtr = _com_ptr_t<_Application>;
using WorkbooksPtr = _com_ptr_t<Workbooks>;
using _WorkbookPtr = _com_ptr_t<_Workbook>;
using SheetsPtr = _com_ptr_t<Sheets>;
using _WorksheetPtr = _com_ptr_t<_Worksheet>;
using RangePtr = _com_ptr_t<Range>;
using BordersPtr = _com_ptr_t<Borders>;
using BorderPtr = _com_ptr_t<Border>;
using FontPtr = _com_ptr_t<Font>;
using PageSetupPtr = _com_ptr_t<PageSetup>;

}  // namespace Excel

namespace NUVExcel {

// The application's own failure code (run-time error 1004).
inline constexpr HRESULT XL_E_FAILED = static_cast<HRESULT>(0x800A03ECu);
inline constexpr HRESULT RPC_E_DISCONNECTED = static_cast<HRESULT>(0x80010108u);
inline constexpr HRESULT MK_E_UNAVAILABLE = static_cast<HRESULT>(0x800401E3u);

struct AppState;
struct BookState;

// The running-object table for the application: the instance other callers can attach to. An
// instance started through automation lives while something references it and is registered
// until it quits. MK_E_UNAVAILABLE when none runs.
HRESULT GetActiveObject(const char* progId, IUnknown** out);

// Whether "Excel.Application" can be created on this machine (it can by default); tests switch
// it off to see how callers cope with a machine without the application.
void RegisterServer(bool installed);

// The printer the application reports: NUV_PRINTER when set (empty means "no printer"), else
// the system's default printer (PRINTER, LPDEST or the CUPS default), else a built-in
// print-to-file printer.
std::string DetectActivePrinter();

}  // namespace NUVExcel

namespace Excel {

class _Application : public NUVCom::Object<IDispatch> {
public:
    _Application();
    explicit _Application(std::shared_ptr<NUVExcel::AppState> state);

    WorkbooksPtr GetWorkbooks();
    VARIANT_BOOL GetVisible();
    void PutVisible(VARIANT_BOOL visible);
    VARIANT_BOOL GetDisplayAlerts();
    void PutDisplayAlerts(VARIANT_BOOL alerts);
    long GetSheetsInNewWorkbook();
    void PutSheetsInNewWorkbook(long count);
    _bstr_t GetActivePrinter();
    void PutActivePrinter(const _bstr_t& printer);
    // Closes every workbook without saving and disconnects the application.
    void Quit();

    const std::shared_ptr<NUVExcel::AppState>& State() const { return state_; }

private:
    void CheckRunning() const;
    std::shared_ptr<NUVExcel::AppState> state_;
};

class Workbooks : public NUVCom::Object<IDispatch> {
public:
    explicit Workbooks(std::shared_ptr<NUVExcel::AppState> app) : app_(std::move(app)) {}

    // A new workbook: with the argument omitted it has SheetsInNewWorkbook empty sheets; with a
    // path it is a copy of that .xlsx template.
    _WorkbookPtr Add(const _variant_t& Template = vtMissing);
    long GetCount();
    // By 1-based position or by name.
    _WorkbookPtr GetItem(const _variant_t& Index);
    void Close();

private:
    std::shared_ptr<NUVExcel::AppState> app_;
};

class _Workbook : public NUVCom::Object<IDispatch> {
public:
    _Workbook(std::shared_ptr<NUVExcel::AppState> app, std::shared_ptr<NUVExcel::BookState> book)
        : app_(std::move(app)), book_(std::move(book)) {}

    SheetsPtr GetWorksheets();
    SheetsPtr GetSheets() { return GetWorksheets(); }
    _bstr_t GetName();
    _bstr_t GetFullName();
    VARIANT_BOOL GetSaved();
    // Writes the workbook as .xlsx to Filename (any FileFormat). The target is replaced
    // atomically. Passwords cannot be honoured by the file writer and are refused.
    void SaveAs(const _variant_t& Filename, const _variant_t& FileFormat = vtMissing,
                const _variant_t& Password = vtMissing, const _variant_t& WriteResPassword = vtMissing,
                const _variant_t& ReadOnlyRecommended = vtMissing, const _variant_t& CreateBackup = vtMissing,
                XlSaveAsAccessMode AccessMode = xlNoChange, const _variant_t& ConflictResolution = vtMissing,
                const _variant_t& AddToMru = vtMissing, const _variant_t& TextCodepage = vtMissing,
                const _variant_t& TextVisualLayout = vtMissing);
    // Saves to the file it was last saved as.
    void Save();
    // SaveChanges true saves first (to Filename when given); otherwise changes are dropped.
    void Close(const _variant_t& SaveChanges = vtMissing, const _variant_t& Filename = vtMissing,
               const _variant_t& RouteWorkbook = vtMissing);

    const std::shared_ptr<NUVExcel::BookState>& State() const { return book_; }

private:
    void CheckOpen() const;
    std::shared_ptr<NUVExcel::AppState> app_;
    std::shared_ptr<NUVExcel::BookState> book_;
};

class Sheets : public NUVCom::Object<IDispatch> {
public:
    Sheets(std::shared_ptr<NUVExcel::AppState> app, std::shared_ptr<NUVExcel::BookState> book)
        : app_(std::move(app)), book_(std::move(book)) {}

    long GetCount();
    // The sheet by 1-based position or by name, as a dispatch pointer to query for _Worksheet.
    IDispatchPtr GetItem(const _variant_t& Index);
    // A new empty sheet after the last one.
    _WorksheetPtr Add();

private:
    std::shared_ptr<NUVExcel::AppState> app_;
    std::shared_ptr<NUVExcel::BookState> book_;
};

// What the objects below a worksheet share: the sheet and the application it belongs to.
struct SheetRef {
    std::shared_ptr<NUVExcel::AppState> app;
    std::shared_ptr<NUVExcel::BookState> book;
    std::shared_ptr<NUVExcel::SheetData> sheet;
    void Check() const;
};

class _Worksheet : public NUVCom::Object<IDispatch> {
public:
    explicit _Worksheet(SheetRef ref) : ref_(std::move(ref)) {}

    _bstr_t GetName();
    // 1 to 31 characters, none of : \ / ? * [ ], unique in the workbook (ignoring case).
    void PutName(const _bstr_t& name);
    long GetIndex();
    // The whole sheet; Item(row, column) of it is one cell.
    RangePtr GetCells();
    // From two corner cells (ranges passed as dispatch values) or from an address like "A1:C3".
    RangePtr GetRange(const _variant_t& Cell1, const _variant_t& Cell2 = vtMissing);
    PageSetupPtr GetPageSetup();

private:
    SheetRef ref_;
};

class Range : public NUVCom::Object<IDispatch> {
public:
    Range(SheetRef ref, NUVExcel::Rect rect) : ref_(std::move(ref)), rect_(rect) {}

    // The cell at (row, column) counted from this range's top-left cell, 1-based.
    RangePtr GetItem(const _variant_t& RowIndex, const _variant_t& ColumnIndex = vtMissing);
    RangePtr GetCells() { return RangePtr(this); }
    long GetRow();
    long GetColumn();
    long GetCount();

    // Value: numbers, texts, booleans, dates (VT_DATE for a cell with a date format); a text that
    // reads as a number, a percentage or TRUE/FALSE is entered as that, unless the cell's number
    // format is "@". Value2 is the same without dates. Reading needs a single cell.
    _variant_t GetValue();
    void PutValue(const _variant_t& value);
    _variant_t GetValue2();
    void PutValue2(const _variant_t& value);
    // The displayed text; for several cells, their common text or null.
    _variant_t GetText();
    void ClearContents();

    _variant_t GetNumberFormat();
    void PutNumberFormat(const _variant_t& format);
    FontPtr GetFont();
    _variant_t GetHorizontalAlignment();
    void PutHorizontalAlignment(const _variant_t& align);
    _variant_t GetVerticalAlignment();
    void PutVerticalAlignment(const _variant_t& align);
    // Degrees -90..90, or xlHorizontal, xlVertical (stacked letters), xlUpward, xlDownward.
    _variant_t GetOrientation();
    void PutOrientation(const _variant_t& orientation);
    _variant_t GetWrapText();
    void PutWrapText(const _variant_t& wrap);
    BordersPtr GetBorders();

    // Merges the range into one cell (with Across, each row separately), taking in merged areas it
    // overlaps; only the top-left value is kept.
    void Merge(const _variant_t& Across = vtMissing);
    // Undoes every merged area the range touches.
    void UnMerge();
    _variant_t GetMergeCells();
    RangePtr GetMergeArea();
    // Copies values, formats and merged areas to the range whose top-left cell is Destination.
    _variant_t Copy(const _variant_t& Destination = vtMissing);

    // Characters of the default font (0..255), for every column of the range.
    _variant_t GetColumnWidth();
    void PutColumnWidth(const _variant_t& width);
    // Points (0..409), for every row of the range.
    _variant_t GetRowHeight();
    void PutRowHeight(const _variant_t& height);

    const SheetRef& Ref() const { return ref_; }
    const NUVExcel::Rect& Area() const { return rect_; }

private:
    SheetRef ref_;
    NUVExcel::Rect rect_;
};

class Font : public NUVCom::Object<IDispatch> {
public:
    Font(SheetRef ref, NUVExcel::Rect rect) : ref_(std::move(ref)), rect_(rect) {}

    _variant_t GetName();
    void PutName(const _variant_t& name);
    _variant_t GetSize();
    void PutSize(const _variant_t& size);
    // COLORREF: red in the low byte.
    _variant_t GetColor();
    void PutColor(const _variant_t& color);
    _variant_t GetBold();
    void PutBold(const _variant_t& bold);
    _variant_t GetItalic();
    void PutItalic(const _variant_t& italic);
    _variant_t GetUnderline();
    void PutUnderline(const _variant_t& underline);

private:
    SheetRef ref_;
    NUVExcel::Rect rect_;
};

class Borders : public NUVCom::Object<IDispatch> {
public:
    Borders(SheetRef ref, NUVExcel::Rect rect) : ref_(std::move(ref)), rect_(rect) {}

    BorderPtr GetItem(XlBordersIndex Index);
    long GetCount() { return 6; }

private:
    SheetRef ref_;
    NUVExcel::Rect rect_;
};

// One edge (or the inside lines) of a range. Setting the colour or weight of an edge that has no
// line draws a continuous one. Inside lines of a range one row high (horizontal) or one column
// wide (vertical) do not exist: setting them fails.
class Border : public NUVCom::Object<IDispatch> {
public:
    Border(SheetRef ref, NUVExcel::Rect rect, XlBordersIndex index) : ref_(std::move(ref)), rect_(rect), index_(index) {}

    _variant_t GetLineStyle();
    void PutLineStyle(const _variant_t& style);
    _variant_t GetColor();
    void PutColor(const _variant_t& color);
    _variant_t GetWeight();
    void PutWeight(const _variant_t& weight);

private:
    template <class F>
    void Apply(const char* property, F change);
    SheetRef ref_;
    NUVExcel::Rect rect_;
    XlBordersIndex index_;
};

// Page setup needs a printer, as the application's does: without one every property fails.
class PageSetup : public NUVCom::Object<IDispatch> {
public:
    explicit PageSetup(SheetRef ref) : ref_(std::move(ref)) {}

    // Percent, 10..400; or False, which prints to the number of pages FitToPagesWide and
    // FitToPagesTall give (a number sets the zoom again and ends that).
    _variant_t GetZoom();
    void PutZoom(const _variant_t& zoom);
    // Pages, 1..32767, or False: as many as the sheet needs that way.
    _variant_t GetFitToPagesWide();
    void PutFitToPagesWide(const _variant_t& pages);
    _variant_t GetFitToPagesTall();
    void PutFitToPagesTall(const _variant_t& pages);
    // xlPortrait or xlLandscape.
    XlPageOrientation GetOrientation();
    void PutOrientation(XlPageOrientation orientation);

private:
    void CheckPrinter(const char* property) const;
    int Pages(const _variant_t& pages, const char* property) const;
    SheetRef ref_;
};

}  // namespace Excel
