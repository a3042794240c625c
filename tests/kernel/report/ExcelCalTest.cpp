#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../platform/excel/XlsxPeer.h"
#include "TempDir.h"
#include "report/ExcelCal.h"
#include "mfc/ModalAnswers.h"
#include "mfc/WinUser.h"
#include "report/ReportMessage.h"

namespace fs = std::filesystem;

namespace {

// GBK bytes written out independently of the code under test.
const char* const kTitle = "\xB1\xEA\xCC\xE2";                              // 标题
const char* const kDuctTable = "\xB7\xE7\xB9\xDC\xBC\xC6\xCB\xE3\xB1\xED";  // 风管计算表
const char* const kTotal = "\xBA\xCF\xBC\xC6";                              // 合计
const char* const kSong = "\xCB\xCE\xCC\xE5";                               // 宋体
const char* const kFlow = "\xC1\xF7\xC1\xBF";                               // 流量

// Exposes the writer's objects so tests can look at what it did.
class TestCal : public CExcelCal {
public:
    using CExcelCal::m_app;
    using CExcelCal::m_book;
    using CExcelCal::m_nComInit;
    using CExcelCal::m_operRange;
    using CExcelCal::m_range;
    using CExcelCal::m_sheet;
    Excel::RangePtr Cell(long r, long c) { return m_sheet->GetCells()->GetItem(r, c); }
    Excel::RangePtr Area(const char* a1) { return m_sheet->GetRange(_variant_t(a1)); }
};

class ExcelCalTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("NUV_PRINTER");
        NUVMfc::ClearModalHistory();
    }
    void TearDown() override {
        NUVExcel::RegisterServer(true);
        unsetenv("NUV_PRINTER");
    }
    std::string Path(const std::string& name) const { return dir_.File(name); }
    void Start(TestCal& cal, long sheets = 1) {
        ASSERT_EQ(cal.RunExcel(0), 1);
        cal.AddNewWorkbook(nullptr, sheets);
    }

    // The message boxes shown so far; each must have had an OK button alone.
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const NUVMfc::ModalRecord& r : NUVMfc::ModalHistory()) {
            if (r.kind != NUVMfc::ModalKind::MessageBox) continue;
            EXPECT_EQ(r.type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
            EXPECT_EQ(r.result, IDOK);
            out.push_back(r.text.str());
        }
        return out;
    }
    TempDir dir_;
};

long Hr(const _com_error& e) { return static_cast<long>(e.Error()); }

TEST_F(ExcelCalTest, StartsCountsComAndReleases) {
    int before = NUVCom::InitializeCount();
    {
        TestCal cal;
        EXPECT_EQ(cal.m_nComInit, 0);
        ASSERT_EQ(cal.RunExcel(1), 1);
        EXPECT_EQ(cal.m_nComInit, 1);
        EXPECT_EQ(NUVCom::InitializeCount(), before + 1);
        EXPECT_EQ(cal.GetVisable(), -1);
        cal.SetVisable(0);
        EXPECT_EQ(cal.GetVisable(), 0);
        EXPECT_EQ(cal.SetWarning(0), 0);
        EXPECT_EQ(cal.GetWarning(), 0);
        EXPECT_EQ(cal.SetWarning(1), 1);
        EXPECT_EQ(cal.GetWarning(), -1);
        cal.Release();
        EXPECT_EQ(cal.m_nComInit, 0);
        EXPECT_FALSE(cal.m_app);
        EXPECT_EQ(NUVCom::InitializeCount(), before);
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ExcelCalTest, AttachesToARunningApplication) {
    TestCal first, second;
    Start(first);
    ASSERT_EQ(second.RunExcel(1), 1);
    second.AddNewWorkbook(nullptr, 1);
    // One application, two workbooks; the attach made the shared application visible.
    EXPECT_EQ(first.m_app->GetWorkbooks()->GetCount(), 2);
    EXPECT_EQ(first.GetVisable(), -1);
}

TEST_F(ExcelCalTest, FailuresToStartAndQuitShowMessages) {
    NUVExcel::RegisterServer(false);
    TestCal cal;
    EXPECT_EQ(cal.RunExcel(0), 0);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "\xCE\xDE\xB7\xA8\xC6\xF4\xB6\xAF" "EXCEL\xA3\xA1");  // 无法启动EXCEL！
    NUVExcel::RegisterServer(true);

    ASSERT_EQ(cal.RunExcel(0), 1);
    cal.ExitExcel();
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(cal.m_nComInit, 0);
    cal.ExitExcel();  // nothing left to quit
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[1], "\xCD\xCB\xB3\xF6" "EXCEL\xD2\xEC\xB3\xA3\xA3\xA1");  // 退出EXCEL异常！
}

TEST_F(ExcelCalTest, UseBeforeStartOrWorkbookRaisesInvalidPointer) {
    TestCal cal;
    try {
        cal.SetText(1, 1, 1.0);
        FAIL() << "no error";
    } catch (const _com_error& e) {
        EXPECT_EQ(Hr(e), static_cast<long>(E_POINTER));
    }
    ASSERT_EQ(cal.RunExcel(0), 1);
    EXPECT_THROW(cal.GetText(1, 1), _com_error);
    EXPECT_THROW(cal.Save(CString(Path("a.xlsx").c_str()), 1), _com_error);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ExcelCalTest, NewWorkbookUsesSheetCountAndRestoresTheSetting) {
    TestCal cal;
    Start(cal, 5);
    EXPECT_EQ(cal.m_book->GetWorksheets()->GetCount(), 5);
    EXPECT_EQ(cal.m_app->GetSheetsInNewWorkbook(), 3);
    EXPECT_EQ(std::string(static_cast<const char*>(cal.m_sheet->GetName())), "Sheet1");
}

TEST_F(ExcelCalTest, CellsTextsNumbersAndDisplayedText) {
    TestCal cal;
    Start(cal);
    cal.SetText(1, 1, CString(kFlow));
    cal.SetText(2, 1, 1.0 / 3);
    cal.SetText(3, 1, CString("12.5"));  // entered as a number, as typing it would
    cal.SetText(4, 1, CString("abc"));
    cal.SetText(5, 1, 2.5);
    EXPECT_EQ(cal.GetText(1, 1), kFlow);
    EXPECT_EQ(cal.GetText(2, 1), "0.333333333");
    EXPECT_EQ(cal.m_range->GetRow(), 5);  // the last written cell is the working range
    EXPECT_DOUBLE_EQ(cal.GetNum(3, 1), 12.5);
    EXPECT_EQ(cal.Cell(3, 1)->GetValue2().vt, VT_R8);
    EXPECT_DOUBLE_EQ(cal.GetNum(4, 1), 0.0);
    EXPECT_EQ(cal.GetText(9, 9), "");

    cal.SetOperRange(5, 1, 5, 1);
    cal.SetPrecision(2);
    EXPECT_EQ(cal.GetText(5, 1), "2.50");
    EXPECT_DOUBLE_EQ(cal.GetNum(5, 1), 2.5);
}

TEST_F(ExcelCalTest, LongTextsAreCutAt259BytesWithoutSplittingACharacter) {
    TestCal cal;
    Start(cal);
    std::string ascii(300, 'x');
    cal.SetText(1, 1, CString(ascii.c_str()));
    EXPECT_EQ(cal.GetText(1, 1).GetLength(), 259);
    std::string gbk;
    for (int i = 0; i < 150; ++i) gbk += kFlow;  // 600 bytes of double-byte characters
    cal.SetText(2, 1, CString(gbk.c_str()));
    CString got = cal.GetText(2, 1);
    EXPECT_EQ(got.GetLength(), 258);
    EXPECT_EQ(got.str(), gbk.substr(0, 258));
}

// The 260-byte buffer holds 259 bytes and the terminator: texts at and around that limit.
TEST_F(ExcelCalTest, TextsAtTheBufferLimit) {
    TestCal cal;
    Start(cal);
    const std::string wide = "\xB7\xE7";  // one double-byte character
    const struct {
        std::string text;
        std::size_t kept;
    } rows[] = {
        {std::string(258, 'a'), 258},
        {std::string(259, 'a'), 259},                // exactly what fits
        {std::string(260, 'a'), 259},                // one byte over
        {std::string(261, 'a'), 259},
        {std::string(257, 'a') + wide, 259},         // ends with a whole character at the limit
        {std::string(258, 'a') + wide, 258},         // the character would straddle it
        {std::string(257, 'a') + wide + "b", 259},
    };
    long row = 1;
    for (const auto& r : rows) {
        cal.SetText(row, 1, CString(r.text.c_str()));
        const CString got = cal.GetText(row, 1);
        EXPECT_EQ(got.str(), r.text.substr(0, r.kept)) << r.text.size() << " bytes";
        ++row;
    }
}

TEST_F(ExcelCalTest, BlocksAreWrittenInOrderAndAnEmptyArrayWritesNothing) {
    TestCal cal;
    Start(cal);
    CArray<CBlockForExcel, CBlockForExcel> none;
    cal.SetText(none);
    EXPECT_FALSE(cal.m_range);
    CArray<CBlockForExcel, CBlockForExcel> blocks;
    blocks.Add(CBlockForExcel(1, 1, "a"));
    blocks.Add(CBlockForExcel(2, 3, kTitle));
    blocks.Add(CBlockForExcel(1, 1, "b"));  // later elements win
    cal.SetText(blocks);
    EXPECT_EQ(cal.GetText(1, 1), "b");
    EXPECT_EQ(cal.GetText(2, 3), kTitle);
}

TEST_F(ExcelCalTest, SheetNames) {
    TestCal cal;
    Start(cal);
    cal.SetSheetName(CString(kDuctTable));
    EXPECT_EQ(std::string(static_cast<const char*>(cal.m_sheet->GetName())), kDuctTable);
    cal.SetSheetName(CString(""));
    char empty[] = "";
    cal.SetSheetName(empty);
    EXPECT_EQ(std::string(static_cast<const char*>(cal.m_sheet->GetName())), kDuctTable);
    char bad[] = "a/b";
    EXPECT_THROW(cal.SetSheetName(bad), _com_error);
}

TEST_F(ExcelCalTest, PrecisionFormats) {
    struct Case {
        long digits;
        const char* format;
        const char* shown;
    } cases[] = {{0, "0.", "3."}, {1, "0.0", "2.5"}, {3, "0.000", "2.500"}, {-1, "General", "2.5"}};
    for (const Case& c : cases) {
        TestCal cal;
        Start(cal);
        cal.SetText(1, 1, 2.5);
        cal.SetOperRange(1, 1, 1, 1);
        cal.SetPrecision(c.digits);
        EXPECT_EQ(std::string(static_cast<const char*>(_bstr_t(cal.Cell(1, 1)->GetNumberFormat()))), c.format) << c.digits;
        EXPECT_EQ(cal.GetText(1, 1), c.shown) << c.digits;
    }
}

TEST_F(ExcelCalTest, BordersOnOneRowAndOneCellRanges) {
    struct Case {
        COperRangeForExcel range;
        const char* insideH;  // a cell pair whose shared edge is an inside line, or nullptr
        const char* insideV;
    } cases[] = {
        {COperRangeForExcel(2, 2, 2, 4), nullptr, "B2"},
        {COperRangeForExcel(2, 2, 2, 2), nullptr, nullptr},
        {COperRangeForExcel(2, 2, 4, 2), "B2", nullptr},
        {COperRangeForExcel(4, 4, 2, 2), "B2", "B2"},  // corners reversed
    };
    for (const Case& c : cases) {
        TestCal cal;
        Start(cal);
        cal.SetOperRange(c.range);
        ASSERT_NO_THROW(cal.BorderAround(1, 1, 1, 1, 1, 1, Excel::xlContinuous, 0x0000FF));
        long r1 = std::min(c.range.m_nFirstRow, c.range.m_nLastRow), r2 = std::max(c.range.m_nFirstRow, c.range.m_nLastRow);
        long c1 = std::min(c.range.m_nFirstCol, c.range.m_nLastCol), c2 = std::max(c.range.m_nFirstCol, c.range.m_nLastCol);
        Excel::RangePtr all = cal.m_sheet->GetRange(_variant_t(static_cast<IDispatch*>(cal.Cell(r1, c1))),
                                                    _variant_t(static_cast<IDispatch*>(cal.Cell(r2, c2))));
        for (auto edge : {Excel::xlEdgeTop, Excel::xlEdgeBottom, Excel::xlEdgeLeft, Excel::xlEdgeRight}) {
            EXPECT_EQ(static_cast<long>(all->GetBorders()->GetItem(edge)->GetLineStyle()), Excel::xlContinuous);
            EXPECT_EQ(static_cast<long>(all->GetBorders()->GetItem(edge)->GetColor()), 0xFF);
        }
        long bottomOfFirst = cal.Cell(r1, c1)->GetBorders()->GetItem(Excel::xlEdgeBottom)->GetLineStyle();
        long rightOfFirst = cal.Cell(r1, c1)->GetBorders()->GetItem(Excel::xlEdgeRight)->GetLineStyle();
        EXPECT_EQ(bottomOfFirst, c.insideH || r1 == r2 ? Excel::xlContinuous : Excel::xlLineStyleNone);
        EXPECT_EQ(rightOfFirst, c.insideV || c1 == c2 ? Excel::xlContinuous : Excel::xlLineStyleNone);
        // Weight is left alone.
        EXPECT_EQ(static_cast<long>(all->GetBorders()->GetItem(Excel::xlEdgeTop)->GetWeight()), Excel::xlThin);
    }
}

TEST_F(ExcelCalTest, PageZoomLimitsAndPrinter) {
    struct Case {
        short percent;
        long expect;
    } cases[] = {{5, 100}, {401, 100}, {400, 400}, {10, 10}, {75, 75}};
    for (const Case& c : cases) {
        TestCal cal;
        Start(cal);
        cal.SetPageZoom(c.percent);
        EXPECT_EQ(static_cast<long>(cal.m_sheet->GetPageSetup()->GetZoom()), c.expect) << c.percent;
    }
    setenv("NUV_PRINTER", "", 1);  // a machine without printers
    TestCal cal;
    Start(cal);
    EXPECT_EQ(std::string(static_cast<const char*>(cal.m_app->GetActivePrinter())), "");
    EXPECT_NO_THROW(cal.SetPageZoom(50));
    EXPECT_THROW(cal.m_sheet->GetPageSetup()->GetZoom(), _com_error);
    cal.SetSheetZoom(50);
}

TEST_F(ExcelCalTest, SumOverOrderedAndReversedCornersAndTypeMismatch) {
    TestCal cal;
    Start(cal);
    cal.SetText(1, 1, 1.5);
    cal.SetText(1, 2, 2.0);
    cal.SetText(2, 1, CString("4"));
    // (2, 2) stays empty and counts 0
    cal.SetOperRange(1, 1, 2, 2);
    EXPECT_DOUBLE_EQ(cal.Sum(), 7.5);
    EXPECT_EQ(cal.m_range->GetRow(), 2);  // each visited cell became the working range
    EXPECT_EQ(cal.m_range->GetColumn(), 2);
    cal.SetOperRange(2, 2, 1, 1);
    EXPECT_DOUBLE_EQ(cal.Sum(), 7.5);
    cal.Sum(3, 1);
    EXPECT_EQ(cal.GetText(3, 1), "7.5");
    cal.SetText(2, 2, CString(kTotal));
    try {
        cal.Sum();
        FAIL() << "no error";
    } catch (const _com_error& e) {
        EXPECT_EQ(Hr(e), static_cast<long>(DISP_E_TYPEMISMATCH));
    }
}

TEST_F(ExcelCalTest, SaveKeepsAnExistingFileUnlessOverwriting) {
    TestCal cal;
    Start(cal);
    std::string path = Path("kept.xlsx");
    { std::ofstream(path) << "old"; }
    cal.SetText(1, 1, 1.0);
    cal.Save(CString(path.c_str()), 0);
    std::stringstream got;
    got << std::ifstream(path).rdbuf();
    EXPECT_EQ(got.str(), "old");
    EXPECT_EQ(cal.m_book->GetSaved(), VARIANT_FALSE);
    EXPECT_EQ(std::string(static_cast<const char*>(cal.m_book->GetName())), "Book1");
    cal.Save(CString(path.c_str()), 1);
    EXPECT_EQ(cal.m_book->GetSaved(), VARIANT_TRUE);
    EXPECT_EQ(std::string(static_cast<const char*>(cal.m_book->GetName())), "kept.xlsx");
    EXPECT_GT(fs::file_size(path), 1000u);
    // A folder that does not exist is the platform's error.
    EXPECT_THROW(cal.Save(CString(Path("no/such/dir/x.xlsx").c_str()), 1), _com_error);
}

TEST_F(ExcelCalTest, MergeUnmergeAndCopy) {
    TestCal cal;
    Start(cal);
    cal.SetText(1, 1, CString(kTitle));
    cal.SetText(1, 2, 9.0);
    cal.SetOperRange(1, 1, 1, 3);
    cal.ManyToOne();
    EXPECT_EQ(cal.Area("B1")->GetMergeCells().boolVal, VARIANT_TRUE);
    EXPECT_EQ(cal.GetText(1, 2), "");  // only the top-left value survives
    EXPECT_EQ(cal.GetText(1, 1), kTitle);

    cal.SetText(2, 1, 3.25);
    cal.SetOperRange(2, 1, 2, 1);
    cal.SetPrecision(1);
    cal.SetOperRange(1, 1, 2, 3);
    cal.Copy(5, 2);
    EXPECT_EQ(cal.GetText(5, 2), kTitle);
    EXPECT_EQ(cal.GetText(6, 2), "3.3");
    EXPECT_EQ(cal.Area("C5")->GetMergeCells().boolVal, VARIANT_TRUE);

    cal.SetOperRange(1, 2, 1, 2);  // any cell of the merged area undoes it
    cal.OneToMany();
    EXPECT_EQ(cal.Area("A1:C1")->GetMergeCells().boolVal, VARIANT_FALSE);
}

TEST_F(ExcelCalTest, ColumnWidthsRowHeightsFontsAlignment) {
    TestCal cal;
    Start(cal);
    EXPECT_DOUBLE_EQ(cal.GetOneRowWidth(3), 8.43);
    EXPECT_DOUBLE_EQ(cal.GetOneLineHigh(3), 15.0);
    cal.SetOneRowWidth(3, 20.5);
    cal.SetOneLineHigh(4, 30.0);
    EXPECT_DOUBLE_EQ(cal.GetOneRowWidth(3), 20.5);
    EXPECT_DOUBLE_EQ(cal.GetOneLineHigh(4), 30.0);
    EXPECT_EQ(cal.m_range->GetRow(), 4);
    EXPECT_THROW(cal.SetOneRowWidth(1, 300), _com_error);

    cal.SetOperRange(1, 1, 2, 2);
    cal.SetFontStyle(CString(kSong), 14, 0xFF0000);
    Excel::FontPtr f = cal.Area("A1:B2")->GetFont();
    EXPECT_EQ(std::string(static_cast<const char*>(_bstr_t(f->GetName()))), kSong);
    EXPECT_DOUBLE_EQ(static_cast<double>(f->GetSize()), 14.0);
    EXPECT_EQ(static_cast<long>(f->GetColor()), 0xFF0000);
    cal.SetStyleDQ(Excel::xlHAlignCenter, Excel::xlVAlignTop);
    EXPECT_EQ(static_cast<long>(cal.Area("A1:B2")->GetHorizontalAlignment()), Excel::xlHAlignCenter);
    EXPECT_EQ(static_cast<long>(cal.Area("A1:B2")->GetVerticalAlignment()), Excel::xlVAlignTop);
    cal.SetTextStyle(1, 45);
    EXPECT_EQ(static_cast<long>(cal.Area("A1:B2")->GetOrientation()), Excel::xlVertical);
    cal.SetTextStyle(0, 45);
    EXPECT_EQ(static_cast<long>(cal.Area("A1:B2")->GetOrientation()), 45);
    cal.AutoHH(1);
    EXPECT_EQ(cal.Area("A1:B2")->GetWrapText().boolVal, VARIANT_TRUE);
    cal.AutoHH(0);
    EXPECT_EQ(cal.Area("A1:B2")->GetWrapText().boolVal, VARIANT_FALSE);
    EXPECT_EQ(cal.Area("A3")->GetFont()->GetName().vt, VT_BSTR);  // outside: untouched default
    EXPECT_EQ(std::string(static_cast<const char*>(_bstr_t(cal.Area("A3")->GetFont()->GetName()))), "Calibri");
}

TEST_F(ExcelCalTest, CopiesShareTheWorkbook) {
    TestCal cal;
    Start(cal);
    cal.SetOperRange(1, 2, 3, 4);
    TestCal copy;
    static_cast<CExcelCal&>(copy) = cal;
    EXPECT_EQ(copy.m_nComInit, cal.m_nComInit);
    EXPECT_EQ(copy.m_operRange.m_nLastCol, 4);
    copy.SetText(1, 1, 42.0);
    EXPECT_EQ(cal.GetText(1, 1), "42");
    CExcelCal constructed(cal);
    constructed.SetText(2, 1, 1.0);
    EXPECT_EQ(cal.GetText(2, 1), "1");
}

TEST_F(ExcelCalTest, TemplatesAreReadAndMissingOnesRaise) {
    std::string tpl = Path("template.xlsx");
    {
        TestCal cal;
        Start(cal);
        cal.SetSheetName(CString(kDuctTable));
        cal.SetText(1, 1, CString(kTitle));
        cal.SetText(2, 1, 0.125);
        cal.SetOperRange(1, 1, 1, 3);
        cal.ManyToOne();
        cal.SetFontStyle(CString(kSong), 16, 0x0000FF);
        cal.SetOperRange(2, 1, 2, 1);
        cal.SetPrecision(2);
        cal.SetOneRowWidth(2, 15);
        cal.SetOneLineHigh(2, 25);
        cal.Save(CString(tpl.c_str()), 1);
        cal.CloseWorkBook();
        EXPECT_THROW(cal.SetText(1, 1, 1.0), _com_error);  // the closed workbook is gone
    }
    TestCal cal;
    ASSERT_EQ(cal.RunExcel(0), 1);
    cal.AddNewWorkbook(tpl.c_str(), 7);
    EXPECT_EQ(cal.m_book->GetWorksheets()->GetCount(), 1);
    EXPECT_EQ(std::string(static_cast<const char*>(cal.m_book->GetName())), "template1");
    EXPECT_EQ(std::string(static_cast<const char*>(cal.m_sheet->GetName())), kDuctTable);
    EXPECT_EQ(cal.GetText(1, 1), kTitle);
    EXPECT_EQ(cal.GetText(2, 1), "0.13");
    EXPECT_EQ(cal.Area("A1:C1")->GetMergeCells().boolVal, VARIANT_TRUE);
    EXPECT_DOUBLE_EQ(cal.GetOneRowWidth(2), 15.0);
    EXPECT_DOUBLE_EQ(cal.GetOneLineHigh(2), 25.0);
    Excel::FontPtr f = cal.Area("A1")->GetFont();
    EXPECT_EQ(std::string(static_cast<const char*>(_bstr_t(f->GetName()))), kSong);
    EXPECT_EQ(static_cast<long>(f->GetColor()), 0x0000FF);
    EXPECT_DOUBLE_EQ(static_cast<double>(f->GetSize()), 16.0);

    try {
        cal.AddNewWorkbook(Path("missing.xlsx").c_str(), 1);
        FAIL() << "no error";
    } catch (const _com_error& e) {
        EXPECT_EQ(Hr(e), static_cast<long>(NUVExcel::XL_E_FAILED));
    }
    std::string broken = Path("broken.xlsx");
    { std::ofstream(broken) << "PK\x03\x04 not really a zip"; }
    EXPECT_THROW(cal.AddNewWorkbook(broken.c_str(), 1), _com_error);
}

// A whole report, read back by an independent reader.
TEST_F(ExcelCalTest, SavedReportReadsBackInOpenpyxl) {
    ASSERT_TRUE(OpenpyxlAvailable()) << "/usr/bin/python3 with openpyxl is missing: run scripts/install-deps";
    std::string path = Path("report.xlsx");
    {
        TestCal cal;
        Start(cal, 2);
        cal.SetSheetName(CString(kDuctTable));
        cal.SetText(1, 1, CString(kTitle));
        cal.SetOperRange(1, 1, 1, 3);
        cal.ManyToOne();
        cal.SetFontStyle(CString(kSong), 14, 0x0000FF);  // red
        cal.SetStyleDQ(Excel::xlHAlignCenter, Excel::xlVAlignCenter);
        cal.SetText(2, 1, CString(kFlow));
        cal.SetOperRange(2, 1, 2, 1);
        cal.SetTextStyle(1, 0);
        cal.SetText(2, 2, CString("long text that wraps"));
        cal.SetOperRange(2, 2, 2, 2);
        cal.AutoHH(1);
        cal.SetTextStyle(0, 30);
        for (int r = 3; r <= 5; ++r)
            for (int c = 1; c <= 3; ++c) cal.SetText(r, c, r * 1.5 + c / 8.0);
        cal.SetOperRange(3, 1, 5, 3);
        cal.SetPrecision(2);
        cal.BorderAround(1, 1, 1, 1, 1, 1, Excel::xlContinuous, 0xFF0000);  // blue
        cal.SetOperRange(6, 1, 6, 3);
        cal.BorderAround(1, 1, 0, 0, 1, 1, Excel::xlDash, 0x00FF00);
        cal.SetOperRange(3, 1, 5, 1);
        cal.Sum(6, 1);
        cal.SetOneRowWidth(1, 12);
        cal.SetOneLineHigh(1, 28.5);
        cal.SetPageZoom(80);
        cal.Save(CString(path.c_str()), 1);
    }
    XlsxFacts x = ReadWithOpenpyxl(path);
    ASSERT_TRUE(x.ok) << x.output;
    const std::string s = "\xE9\xA3\x8E\xE7\xAE\xA1\xE8\xAE\xA1\xE7\xAE\x97\xE8\xA1\xA8";  // 风管计算表 in UTF-8
    EXPECT_EQ(x["sheets"], s + "|Sheet2");
    EXPECT_EQ(x[s + ".zoom"], "80");
    EXPECT_EQ(x[s + ".merges"], "A1:C1");
    EXPECT_EQ(x[s + ".col.A"], "12.7109375");  // 12 characters plus the cell padding, in whole pixels
    EXPECT_EQ(x[s + ".row.1"], "28.5");
    EXPECT_EQ(x[s + "!A1.value"], "\xE6\xA0\x87\xE9\xA2\x98");  // 标题
    EXPECT_EQ(x[s + "!A1.font.name"], "\xE5\xAE\x8B\xE4\xBD\x93");  // 宋体
    EXPECT_EQ(x[s + "!A1.font.size"], "14.0");
    EXPECT_EQ(x[s + "!A1.font.color"], "FFFF0000");
    EXPECT_EQ(x[s + "!A1.align.h"], "center");
    EXPECT_EQ(x[s + "!A1.align.v"], "center");
    EXPECT_EQ(x[s + "!A2.value"], "\xE6\xB5\x81\xE9\x87\x8F");  // 流量
    EXPECT_EQ(x[s + "!A2.align.rot"], "255");
    EXPECT_EQ(x[s + "!B2.align.wrap"], "1");
    EXPECT_EQ(x[s + "!B2.align.rot"], "30");
    EXPECT_EQ(x[s + "!A3.value"], "4.625");
    EXPECT_EQ(x[s + "!A3.numfmt"], "0.00");
    // Outer edges and inside lines of the 3 x 3 block, in blue.
    EXPECT_EQ(x[s + "!A3.border.top"], "thin FF0000FF");
    EXPECT_EQ(x[s + "!A3.border.left"], "thin FF0000FF");
    EXPECT_EQ(x[s + "!A3.border.bottom"], "thin FF0000FF");
    EXPECT_EQ(x[s + "!A3.border.right"], "thin FF0000FF");
    EXPECT_EQ(x[s + "!B4.border.top"], "thin FF0000FF");
    EXPECT_EQ(x[s + "!C5.border.right"], "thin FF0000FF");
    EXPECT_EQ(x[s + "!C5.border.bottom"], "thin FF0000FF");
    // Row 6: dashed green top, bottom and inside verticals, no outer left or right.
    EXPECT_EQ(x[s + "!A6.border.top"], "dashed FF00FF00");
    EXPECT_EQ(x[s + "!A6.border.left"], "-");
    EXPECT_EQ(x[s + "!A6.border.right"], "dashed FF00FF00");
    EXPECT_EQ(x[s + "!C6.border.right"], "-");
    EXPECT_EQ(x[s + "!A6.value"], "18.375");  // 4.625 + 6.125 + 7.625
}

}  // namespace
