// The calculation-report writer: drives the spreadsheet application through its automation
// objects to write result tables as workbooks. Cells are addressed by 1-based row and column
// numbers; formatting applies to the operation range set with SetOperRange. Platform errors
// (_com_error) reach the caller except where noted: starting and quitting the application show a
// message instead, and setting the print zoom ignores them.
#pragma once

#include <cstdint>

#include "excel/Excel.h"
#include "win/CArray.h"
#include "win/CString.h"

// The rectangle that formatting operations apply to. The corners may be given in any order.
class COperRangeForExcel {
public:
    COperRangeForExcel() = default;
    COperRangeForExcel(long firstRow, long firstCol, long lastRow, long lastCol)
        : m_nFirstRow(static_cast<std::int32_t>(firstRow)),
          m_nFirstCol(static_cast<std::int32_t>(firstCol)),
          m_nLastRow(static_cast<std::int32_t>(lastRow)),
          m_nLastCol(static_cast<std::int32_t>(lastCol)) {}

    std::int32_t m_nFirstRow = 0;
    std::int32_t m_nFirstCol = 0;
    std::int32_t m_nLastRow = 0;
    std::int32_t m_nLastCol = 0;
};

// One cell text for bulk writing.
class CBlockForExcel {
public:
    CBlockForExcel() = default;
    CBlockForExcel(long row, long col, const CString& text)
        : m_nRow(static_cast<std::int32_t>(row)), m_nCol(static_cast<std::int32_t>(col)), m_strText(text) {}

    std::int32_t m_nRow = 0;
    std::int32_t m_nCol = 0;
    CString m_strText;
};

class CExcelCal {
public:
    CExcelCal();
    // Copies share every held object and copy the operation range and the count of component
    // runtime initialisations; each copy releases that many when it is destroyed.
    CExcelCal(const CExcelCal& other);
    CExcelCal& operator=(const CExcelCal& other);
    virtual ~CExcelCal();

    // Attaches to a running application or starts one. 1 on success, 0 (after a message) on failure.
    int RunExcel(int visible);
    // A new workbook: from the template file when one is named (sheets unused), otherwise with
    // `sheets` empty sheets. Its first sheet becomes the current one.
    void AddNewWorkbook(const char* templateFile, long sheets);
    // Saves as a workbook file; an existing file is kept when overwrite is 0, else replaced.
    void Save(CString path, int overwrite);
    void CloseWorkBook();
    void ExitExcel();
    void Release();

    void SetVisable(int visible);
    int GetVisable();    // -1 visible, 0 not
    int SetWarning(int warn);
    int GetWarning();    // -1 alerts shown, 0 not

    void SetText(long row, long col, CString text);
    void SetText(long row, long col, double value);
    void SetText(const CArray<CBlockForExcel, CBlockForExcel>& blocks);
    // The displayed text, at most 259 bytes (cut before a double-byte character that would not fit).
    CString GetText(long row, long col);
    double GetNum(long row, long col);
    void SetSheetName(char* name);
    void SetSheetName(CString name);

    void SetOperRange(const COperRangeForExcel& range);
    void SetOperRange(long firstRow, long firstCol, long lastRow, long lastCol);
    void BorderAround(int top, int bottom, int left, int right, int insideHorizontal, int insideVertical,
                      Excel::XlLineStyle style, unsigned long colour);
    void SetFontStyle(CString name, int size, unsigned long colour);
    void SetStyleDQ(Excel::XlHAlign h, Excel::XlVAlign v);
    void SetTextStyle(int vertical, int angle);
    void AutoHH(int wrap);
    void ManyToOne();
    void OneToMany();
    void SetPrecision(long digits);
    void Copy(long row, long col);
    double Sum();
    void Sum(long row, long col);

    void SetOneRowWidth(long col, double width);
    double GetOneRowWidth(long col);
    void SetOneLineHigh(long row, double height);
    double GetOneLineHigh(long row);

    void SetPageZoom(short percent);
    void SetSheetZoom(short percent);

protected:
    Excel::RangePtr CellAt(long row, long col);
    Excel::RangePtr OperationRange();

    Excel::_ApplicationPtr m_app;
    Excel::WorkbooksPtr m_books;
    Excel::_WorkbookPtr m_book;
    Excel::SheetsPtr m_sheets;
    Excel::_WorksheetPtr m_sheet;
    Excel::PageSetupPtr m_pageSetup;
    Excel::RangePtr m_range;
    Excel::BordersPtr m_borders;
    Excel::BorderPtr m_border;
    COperRangeForExcel m_operRange;
    std::int32_t m_nComInit = 0;
};
