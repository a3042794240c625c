#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "TempDir.h"
#include "XlsxPeer.h"
#include "excel/Excel.h"
#include "win/Encoding.h"

namespace fs = std::filesystem;
using namespace Excel;

namespace {

long Code(const std::function<void()>& f) {
    try {
        f();
    } catch (const _com_error& e) {
        return static_cast<long>(e.Error());
    }
    return 0;
}

std::string Str(const _variant_t& v) { return _bstr_t(v).utf8(); }

class ObjectModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("NUV_PRINTER");
        ASSERT_EQ(app_.CreateInstance("Excel.Application"), S_OK);
        book_ = app_->GetWorkbooks()->Add();
        sheet_ = _WorksheetPtr(book_->GetWorksheets()->GetItem(1L));
    }
    RangePtr At(const char* a1) { return sheet_->GetRange(_variant_t(a1)); }

    TempDir dir_;
    _ApplicationPtr app_;
    _WorkbookPtr book_;
    _WorksheetPtr sheet_;
};

TEST_F(ObjectModelTest, EnteredTextsBecomeNumbersPercentagesAndTruthValues) {
    struct Case {
        const char* text;
        VARTYPE vt;
        double number;
        const char* kept;    // the text kept, for texts
        const char* format;  // the number format the entry implies
    } cases[] = {
        {"12.5", VT_R8, 12.5, "", "General"},
        {" 7 ", VT_R8, 7, "", "General"},
        {"-1e3", VT_R8, -1000, "", "General"},
        {"50%", VT_R8, 0.5, "", "0%"},
        {"12.5%", VT_R8, 0.125, "", "0.00%"},
        {"true", VT_BOOL, 0, "", "General"},
        {"abc", VT_BSTR, 0, "abc", "General"},
        {"'123", VT_BSTR, 0, "123", "General"},
        {"=SUM(A1:A2)", VT_BSTR, 0, "=SUM(A1:A2)", "General"},
        {"1,234", VT_BSTR, 0, "1,234", "General"},
        {"0x10", VT_BSTR, 0, "0x10", "General"},
        {"inf", VT_BSTR, 0, "inf", "General"},
        {"", VT_EMPTY, 0, "", "General"},
    };
    for (const Case& c : cases) {
        RangePtr cell = At("B2");
        cell->PutNumberFormat(_variant_t("General"));
        cell->PutValue(_variant_t(c.text));
        _variant_t v = cell->GetValue();
        ASSERT_EQ(v.vt, c.vt) << c.text;
        if (c.vt == VT_R8) {
            EXPECT_DOUBLE_EQ(v.dblVal, c.number) << c.text;
        }
        if (c.vt == VT_BSTR) {
            EXPECT_EQ(Str(v), c.kept) << c.text;
        }
        EXPECT_EQ(Str(cell->GetNumberFormat()), c.format) << c.text;
    }
    // A cell formatted as text keeps what it is given.
    RangePtr text = At("C3");
    text->PutNumberFormat(_variant_t("@"));
    text->PutValue(_variant_t("12.5"));
    EXPECT_EQ(text->GetValue().vt, VT_BSTR);
}

TEST_F(ObjectModelTest, DatesKeepTheirKindInValueButNotInValue2) {
    RangePtr c = At("A1");
    c->PutValue(_variant_t(38838.0, VT_DATE));
    EXPECT_EQ(c->GetValue().vt, VT_DATE);
    EXPECT_EQ(c->GetValue2().vt, VT_R8);
    EXPECT_EQ(Str(c->GetText()), "5/1/2006");
}

TEST_F(ObjectModelTest, SheetNameRules) {
    book_->GetWorksheets()->Add();
    struct Case {
        std::string name;
        bool ok;
    } cases[] = {
        {"Data", true}, {std::string(31, 'x'), true}, {std::string(32, 'x'), false}, {"a:b", false},
        {"a[1]", false}, {"", false}, {"'q'", false}, {"sheet2", false},  // taken, ignoring case
        {"Sheet1", true},                                                 // its own name
    };
    for (const Case& c : cases) {
        long hr = Code([&] { sheet_->PutName(_bstr_t(c.name.c_str())); });
        EXPECT_EQ(hr == 0, c.ok) << c.name;
        if (!c.ok) {
            EXPECT_EQ(hr, static_cast<long>(NUVExcel::XL_E_FAILED)) << c.name;
        }
    }
    EXPECT_EQ(Code([&] { book_->GetWorksheets()->GetItem(9L); }), static_cast<long>(DISP_E_BADINDEX));
    EXPECT_EQ(_WorksheetPtr(book_->GetWorksheets()->GetItem(_variant_t("SHEET2")))->GetIndex(), 2);
}

TEST_F(ObjectModelTest, MergesTakeInWhatTheyOverlap) {
    At("A1:B2")->Merge();
    At("B2:C3")->Merge();
    EXPECT_EQ(At("A1:C3")->GetMergeCells().boolVal, VARIANT_TRUE);
    EXPECT_EQ(At("C3")->GetMergeArea()->GetCount(), 9);
    EXPECT_EQ(At("C3:D3")->GetMergeCells().vt, VT_NULL);  // partly merged
    At("E1:F3")->Merge(_variant_t(true));                  // across: one merge per row
    EXPECT_EQ(At("E2")->GetMergeArea()->GetCount(), 2);
    At("H1")->Merge();
    EXPECT_EQ(At("H1")->GetMergeCells().boolVal, VARIANT_FALSE);
    At("F2")->UnMerge();
    EXPECT_EQ(At("E2:F2")->GetMergeCells().boolVal, VARIANT_FALSE);
    EXPECT_EQ(At("E1:F1")->GetMergeCells().boolVal, VARIANT_TRUE);
}

TEST_F(ObjectModelTest, BordersInsideLinesNeedTwoRowsOrColumns) {
    BordersPtr row = At("A1:C1")->GetBorders();
    EXPECT_EQ(Code([&] { row->GetItem(xlInsideHorizontal)->PutLineStyle(_variant_t(1L)); }),
              static_cast<long>(NUVExcel::XL_E_FAILED));
    EXPECT_EQ(Code([&] { row->GetItem(xlInsideVertical)->PutLineStyle(_variant_t(1L)); }), 0);
    EXPECT_EQ(static_cast<long>(At("B1")->GetBorders()->GetItem(xlEdgeLeft)->GetLineStyle()), xlContinuous);
    // A colour alone draws a continuous line.
    At("E5")->GetBorders()->GetItem(xlEdgeTop)->PutColor(_variant_t(255L));
    EXPECT_EQ(static_cast<long>(At("E5")->GetBorders()->GetItem(xlEdgeTop)->GetLineStyle()), xlContinuous);
    At("E5")->GetBorders()->GetItem(xlEdgeTop)->PutLineStyle(_variant_t(static_cast<long>(xlLineStyleNone)));
    EXPECT_EQ(static_cast<long>(At("E5")->GetBorders()->GetItem(xlEdgeTop)->GetLineStyle()), xlLineStyleNone);
    EXPECT_EQ(Code([&] { At("E5")->GetBorders()->GetItem(xlEdgeTop)->PutLineStyle(_variant_t(99L)); }),
              static_cast<long>(NUVExcel::XL_E_FAILED));
}

TEST_F(ObjectModelTest, PropertiesOfSeveralCellsAreNullWhenTheyDiffer) {
    At("A1")->GetFont()->PutSize(_variant_t(14L));
    EXPECT_EQ(At("A1:A2")->GetFont()->GetSize().vt, VT_NULL);
    EXPECT_DOUBLE_EQ(static_cast<double>(At("A2:A3")->GetFont()->GetSize()), 11.0);
    At("B1:B2")->PutValue(_variant_t(2.0));
    EXPECT_EQ(Str(At("B1:B2")->GetText()), "2");
    At("B2")->PutValue(_variant_t(3.0));
    EXPECT_EQ(At("B1:B2")->GetText().vt, VT_NULL);
    EXPECT_EQ(At("A1:C3")->GetColumnWidth().vt, VT_R8);
    At("B1")->PutColumnWidth(_variant_t(20.0));
    EXPECT_EQ(At("A1:C3")->GetColumnWidth().vt, VT_NULL);
}

TEST_F(ObjectModelTest, RefusedValues) {
    struct Case {
        const char* what;
        std::function<void()> f;
    } cases[] = {
        {"row 0", [&] { sheet_->GetCells()->GetItem(0L, 1L); }},
        {"row past the sheet", [&] { sheet_->GetCells()->GetItem(1048577L, 1L); }},
        {"column past the sheet", [&] { sheet_->GetCells()->GetItem(1L, 16385L); }},
        {"font size", [&] { At("A1")->GetFont()->PutSize(_variant_t(500L)); }},
        {"orientation", [&] { At("A1")->PutOrientation(_variant_t(91L)); }},
        {"alignment", [&] { At("A1")->PutHorizontalAlignment(_variant_t(3L)); }},
        {"row height", [&] { At("A1")->PutRowHeight(_variant_t(410.0)); }},
        {"sheets in a new workbook", [&] { app_->PutSheetsInNewWorkbook(0); }},
        {"zoom", [&] { sheet_->GetPageSetup()->PutZoom(_variant_t(9L)); }},
        {"bad address", [&] { sheet_->GetRange(_variant_t("A0")); }},
    };
    for (const Case& c : cases) EXPECT_EQ(Code(c.f), static_cast<long>(NUVExcel::XL_E_FAILED)) << c.what;
    EXPECT_EQ(Code([&] { At("A1")->PutValue(_variant_t(static_cast<IDispatch*>(At("B1").GetInterfacePtr()))); }),
              static_cast<long>(DISP_E_TYPEMISMATCH));
}

TEST_F(ObjectModelTest, ClosedWorkbooksAndQuitApplicationsDisconnect) {
    RangePtr cell = At("A1");
    _WorkbookPtr second = app_->GetWorkbooks()->Add();
    EXPECT_EQ(std::string(static_cast<const char*>(second->GetName())), "Book2");
    book_->Close();
    EXPECT_EQ(Code([&] { cell->PutValue(_variant_t(1.0)); }), static_cast<long>(NUVExcel::RPC_E_DISCONNECTED));
    EXPECT_EQ(app_->GetWorkbooks()->GetCount(), 1);

    IUnknown* running = nullptr;
    ASSERT_EQ(NUVExcel::GetActiveObject("Excel.Application", &running), S_OK);
    _ApplicationPtr attached(IUnknownPtr(running, false));
    EXPECT_EQ(attached->GetWorkbooks()->GetCount(), 1);  // the same instance
    app_->Quit();
    EXPECT_EQ(Code([&] { attached->GetVisible(); }), static_cast<long>(NUVExcel::RPC_E_DISCONNECTED));
    EXPECT_EQ(NUVExcel::GetActiveObject("Excel.Application", &running), NUVExcel::MK_E_UNAVAILABLE);
}

TEST_F(ObjectModelTest, CopyingBetweenWorkbooksKeepsFormats) {
    At("A1")->PutValue(_variant_t(1.25));
    At("A1")->GetFont()->PutBold(_variant_t(true));
    At("A1")->PutNumberFormat(_variant_t("0.000"));
    _WorkbookPtr other = app_->GetWorkbooks()->Add();
    _WorksheetPtr target(other->GetWorksheets()->GetItem(1L));
    At("A1")->Copy(_variant_t(static_cast<IDispatch*>(target->GetRange(_variant_t("C3")).GetInterfacePtr())));
    RangePtr c3 = target->GetRange(_variant_t("C3"));
    EXPECT_EQ(Str(c3->GetText()), "1.250");
    EXPECT_EQ(c3->GetFont()->GetBold().boolVal, VARIANT_TRUE);
    EXPECT_EQ(Code([&] { At("A1")->Copy(); }), static_cast<long>(E_NOTIMPL));
}

TEST_F(ObjectModelTest, SavingIsAtomicAndAlwaysXlsx) {
    At("A1")->PutValue(_variant_t("x"));
    std::string path = dir_.File("out.xls");
    book_->SaveAs(_variant_t(path.c_str()), _variant_t(static_cast<long>(xlNormal)));
    std::ifstream in(path, std::ios::binary);
    char magic[2] = {};
    in.read(magic, 2);
    EXPECT_EQ(std::string(magic, 2), "PK");
    int entries = 0;
    for (auto& e : fs::directory_iterator(dir_.path())) entries += e.path().filename() != "out.xls";
    EXPECT_EQ(entries, 0);  // no temporary file left behind
    EXPECT_EQ(Code([&] { book_->SaveAs(_variant_t(path.c_str()), vtMissing, _variant_t("secret")); }),
              static_cast<long>(NUVExcel::XL_E_FAILED));
    EXPECT_EQ(Code([&] { book_->SaveAs(_variant_t(dir_.File("missing/x.xlsx").c_str())); }),
              static_cast<long>(NUVExcel::XL_E_FAILED));
    for (auto& e : fs::directory_iterator(dir_.path())) EXPECT_EQ(e.path().filename(), "out.xls");
}

// Saving goes through the one file writer: a link is saved through, the saved file keeps its
// mode, and a FIFO at the path is refused with a reason and left alone.
TEST_F(ObjectModelTest, SavingWritesThroughLinksAndRefusesSpecialFiles) {
    At("A1")->PutValue(_variant_t("x"));
    const std::string real = dir_.Touch("real/report.xlsx", "old");
    ASSERT_EQ(::chmod(real.c_str(), 0664), 0);
    ASSERT_EQ(::symlink("real/report.xlsx", dir_.File("report.xlsx").c_str()), 0);
    book_->SaveAs(_variant_t(dir_.File("report.xlsx").c_str()));
    EXPECT_TRUE(fs::is_symlink(dir_.File("report.xlsx")));
    EXPECT_EQ(ReadAll(real).substr(0, 2), "PK");
    EXPECT_EQ(fs::status(real).permissions(), fs::perms(0664));

    const std::string pipe = dir_.File("pipe.xlsx");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    std::string why;
    try {
        book_->SaveAs(_variant_t(pipe.c_str()));
        ADD_FAILURE() << "saved over a FIFO";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), NUVExcel::XL_E_FAILED);
        why = _bstr_t(e.Description()).utf8();
    }
    EXPECT_NE(why.find("FIFO"), std::string::npos) << why;
    EXPECT_TRUE(fs::is_fifo(pipe));
}

// Names and texts cross as Unicode: a character GBK lacks is kept, and a file name holding one is
// refused (the workbook would otherwise be saved under another name).
TEST_F(ObjectModelTest, TextsKeepCharactersGbkLacksAndSuchFileNamesAreRefused) {
    const std::u16string name = u"\uD55C\U0001F600";  // Hangul and an emoji
    sheet_->PutName(_bstr_t(std::u16string_view(name)));
    EXPECT_EQ(sheet_->GetName().u16(), name);
    At("A1")->PutValue(_variant_t(_bstr_t(std::u16string_view(u"\u00C4 \U0001F600"))));
    EXPECT_EQ(_bstr_t(At("A1")->GetValue()).u16(), u"\u00C4 \U0001F600");

    const std::string path = dir_.File("\xF0\x9F\x98\x80.xlsx");  // 😀.xlsx
    std::string why;
    try {
        book_->SaveAs(_variant_t(_bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(path)))));
        ADD_FAILURE() << "saved under a name GBK cannot hold";
    } catch (const _com_error& e) {
        why = _bstr_t(e.Description()).utf8();
    }
    EXPECT_NE(why.find("GBK"), std::string::npos) << why;
    EXPECT_NE(why.find("\xF0\x9F\x98\x80"), std::string::npos) << "the description keeps the name: " << why;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), {}), 0) << "nothing written under another name";
}

TEST_F(ObjectModelTest, ActivePrinterIsNeverEmptyUnlessSaidSo) {
    EXPECT_GT(app_->GetActivePrinter().length(), 0u);
    setenv("NUV_PRINTER", "Plotter", 1);
    EXPECT_EQ(NUVExcel::DetectActivePrinter(), "Plotter");
    setenv("NUV_PRINTER", "", 1);
    _ApplicationPtr bare("Excel.Application");
    EXPECT_EQ(bare->GetActivePrinter().length(), 0u);
    _WorkbookPtr b = bare->GetWorkbooks()->Add();
    EXPECT_EQ(Code([&] { _WorksheetPtr(b->GetWorksheets()->GetItem(1L))->GetPageSetup()->PutZoom(_variant_t(50L)); }),
              static_cast<long>(NUVExcel::XL_E_FAILED));
}

// A report printed one page wide: landscape, zoom off, fitted to one page across and as many down
// as the rows need; openpyxl reads it back, and so does the template reader.
TEST_F(ObjectModelTest, PrintsOnePageWideInLandscape) {
    PageSetupPtr page = sheet_->GetPageSetup();
    EXPECT_EQ(page->GetOrientation(), xlPortrait);
    page->PutOrientation(xlLandscape);
    page->PutZoom(_variant_t(false));
    page->PutFitToPagesWide(_variant_t(1L));
    page->PutFitToPagesTall(_variant_t(false));
    EXPECT_EQ(page->GetZoom().vt, VT_BOOL);
    EXPECT_EQ(page->GetFitToPagesTall().vt, VT_BOOL);
    const long failed = static_cast<long>(NUVExcel::XL_E_FAILED);
    EXPECT_EQ(Code([&] { page->PutFitToPagesWide(_variant_t(0L)); }), failed);
    EXPECT_EQ(Code([&] { page->PutFitToPagesWide(_variant_t(32768L)); }), failed);
    EXPECT_EQ(Code([&] { page->PutFitToPagesTall(_variant_t(32767L)); }), 0L);
    page->PutFitToPagesTall(_variant_t(false));
    EXPECT_EQ(Code([&] { page->PutOrientation(static_cast<XlPageOrientation>(3)); }), failed);
    EXPECT_EQ(Code([&] { page->PutZoom(_variant_t(true)); }), failed);
    At("A1")->PutValue(_variant_t(1.0));
    const std::string path = dir_.File("wide.xlsx");
    book_->SaveAs(_variant_t(path.c_str()));
    ASSERT_TRUE(OpenpyxlAvailable()) << "scripts/install-deps installs python3-openpyxl";
    XlsxFacts x = ReadWithOpenpyxl(path);
    ASSERT_TRUE(x.ok) << x.output;
    EXPECT_EQ(x["Sheet1.orientation"], "landscape");
    EXPECT_EQ(x["Sheet1.fitToPage"], "True");
    EXPECT_EQ(x["Sheet1.fitToWidth"], "1");
    EXPECT_EQ(x["Sheet1.fitToHeight"], "0");
    PageSetupPtr back = _WorksheetPtr(app_->GetWorkbooks()->Add(_variant_t(path.c_str()))->GetWorksheets()->GetItem(1L))->GetPageSetup();
    EXPECT_EQ(back->GetOrientation(), xlLandscape);
    EXPECT_EQ(back->GetZoom().vt, VT_BOOL);
    EXPECT_EQ(static_cast<long>(back->GetFitToPagesWide()), 1);
    EXPECT_EQ(back->GetFitToPagesTall().vt, VT_BOOL);
    // A zoom ends the fitting.
    back->PutZoom(_variant_t(80L));
    EXPECT_EQ(static_cast<long>(back->GetZoom()), 80);
}

// A template written by another producer (openpyxl): shared strings, fonts, alignment, borders,
// merges, widths, heights and number formats are read.
TEST_F(ObjectModelTest, ReadsATemplateWrittenByOpenpyxl) {
    ASSERT_TRUE(OpenpyxlAvailable()) << "/usr/bin/python3 with openpyxl is missing: run scripts/install-deps";
    std::string path = dir_.File("tpl.xlsx");
    std::string script = dir_.File("make.py");
    std::ofstream(script) << "import openpyxl\n"
                             "from openpyxl.styles import Font, Alignment, Border, Side\n"
                             "wb = openpyxl.Workbook()\n"
                             "ws = wb.active\n"
                             "ws.title = '\\u8fd0\\u884c'\n"
                             "ws['A1'] = '\\u6807\\u9898'\n"
                             "ws['A1'].font = Font(name='SimSun', size=16, bold=True, color='FF00FF00')\n"
                             "ws['A1'].alignment = Alignment(horizontal='center', vertical='top', wrap_text=True)\n"
                             "ws['B2'] = 3.14159\n"
                             "ws['B2'].number_format = '0.000'\n"
                             "ws['B3'] = True\n"
                             "ws['C4'].border = Border(left=Side(style='medium', color='FFFF0000'))\n"
                             "ws['C5'].alignment = Alignment(text_rotation=255)\n"
                             "ws.merge_cells('A1:C1')\n"
                             "ws.column_dimensions['B'].width = 20.7109375\n"
                             "ws.row_dimensions[2].height = 33\n"
                             "ws.page_setup.scale = 55\n"
                             "wb.create_sheet('Two')\n"
                             "wb.save('" + path + "')\n";
    ASSERT_EQ(std::system(("/usr/bin/python3 " + script).c_str()), 0);
    _WorkbookPtr b = app_->GetWorkbooks()->Add(_variant_t(path.c_str()));
    SheetsPtr sheets = b->GetWorksheets();
    ASSERT_EQ(sheets->GetCount(), 2);
    _WorksheetPtr s(sheets->GetItem(1L));
    EXPECT_EQ(std::string(static_cast<const char*>(s->GetName())), "\xD4\xCB\xD0\xD0");  // 运行 in GBK
    RangePtr a1 = s->GetRange(_variant_t("A1"));
    EXPECT_EQ(std::string(static_cast<const char*>(_bstr_t(a1->GetValue()))), "\xB1\xEA\xCC\xE2");  // 标题
    EXPECT_EQ(Str(a1->GetFont()->GetName()), "SimSun");
    EXPECT_DOUBLE_EQ(static_cast<double>(a1->GetFont()->GetSize()), 16.0);
    EXPECT_EQ(a1->GetFont()->GetBold().boolVal, VARIANT_TRUE);
    EXPECT_EQ(static_cast<long>(a1->GetFont()->GetColor()), 0x00FF00);
    EXPECT_EQ(static_cast<long>(a1->GetHorizontalAlignment()), xlHAlignCenter);
    EXPECT_EQ(static_cast<long>(a1->GetVerticalAlignment()), xlVAlignTop);
    EXPECT_EQ(a1->GetWrapText().boolVal, VARIANT_TRUE);
    EXPECT_EQ(s->GetRange(_variant_t("A1:C1"))->GetMergeCells().boolVal, VARIANT_TRUE);
    EXPECT_EQ(Str(s->GetRange(_variant_t("B2"))->GetText()), "3.142");
    EXPECT_EQ(s->GetRange(_variant_t("B3"))->GetValue().vt, VT_BOOL);
    BorderPtr left = s->GetRange(_variant_t("C4"))->GetBorders()->GetItem(xlEdgeLeft);
    EXPECT_EQ(static_cast<long>(left->GetWeight()), xlMedium);
    EXPECT_EQ(static_cast<long>(left->GetColor()), 0x0000FF);
    EXPECT_EQ(static_cast<long>(s->GetRange(_variant_t("C5"))->GetOrientation()), xlVertical);
    EXPECT_DOUBLE_EQ(static_cast<double>(s->GetRange(_variant_t("B1"))->GetColumnWidth()), 20.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(s->GetRange(_variant_t("A2"))->GetRowHeight()), 33.0);
    EXPECT_EQ(static_cast<long>(s->GetPageSetup()->GetZoom()), 55);
}

}  // namespace
