// --xlsx FILE: the report also written as a formatted workbook through the kernel's report writer
// (CExcelCal): the title merged over the table's width, each block under a merged heading, tables
// with a header row, borders and inside lines, a number format on every quantity, column widths
// fitted to the texts, a totals row made with Sum for the columns in m and Pa (lengths and
// losses, which add up along a run), and a page set up to print one page wide, landscape.
// Texts (ids above all) are entered as text, so "007", "TRUE", "50%" or "1e5" stay as typed.
#include <algorithm>
#include <cmath>
#include <limits>
#include <variant>

#include "Cli.h"
#include "OutputFile.h"
#include "report/ExcelCal.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace nuvcalc {

namespace {

// A sheet has 1,048,576 rows; the title, block headings and totals take a few.
constexpr std::size_t kMaxSheetRows = 1048576;
constexpr std::size_t kRowsForTheRest = 64;


std::string Heading(const std::string& label, const std::string& unit) {
    return unit.empty() ? label : label + " (" + unit + ")";
}

// Width in characters of a text as the sheet shows it (a double-byte character is two wide).
double TextWidth(const std::string& utf8) { return static_cast<double>(NUVWin::Utf8ToGbk(utf8).size()); }
double TextWidth(const CString& gbk) { return static_cast<double>(gbk.GetLength()); }

// What the numbers of one quantity or one column hold, to choose their format.
struct Spread {
    double smallest = std::numeric_limits<double>::infinity();  // smallest magnitude above 0
    double largest = 0;
    long largestRow = 0;  // the row whose text is the widest, for the column width
    bool whole = true;
    bool any = false;
    void Add(double v, long row = 0) {
        const double a = std::fabs(v);
        if (a > 0) smallest = std::min(smallest, a);
        if (!any || a > largest || (a == largest && v < 0)) largest = a, largestRow = row;
        any = true;
        whole = whole && v == std::floor(v) && a < 1e15;
    }
};

std::string Decimals(int d) { return d <= 0 ? "0" : "0." + std::string(static_cast<std::size_t>(d), '0'); }

// Quantities with a unit take the decimals the user asked for; plain numbers show counts whole,
// large ratios (a Reynolds number) whole and small ones (a friction factor) to three significant
// digits. Values that fixed decimals would print as zero (a viscosity in m²/s) go scientific.
std::string FormatFor(const Spread& s, bool hasUnit, int digits) {
    if (!s.any) return "General";
    if (hasUnit) {
        if (s.smallest < 0.5 * std::pow(10.0, -digits)) return "0.00E+00";
        return Decimals(digits);
    }
    if (s.whole || s.smallest >= 1000) return "0";
    const int d = std::max(2, 2 - static_cast<int>(std::floor(std::log10(s.smallest))));
    return d > 6 ? "0.00E+00" : Decimals(d);
}

// The report writer with what a report needs on top: text cells that stay text, number formats
// by range, printing on one page width, and a save that replaces the file in one step.
class ReportBook : public CExcelCal {
public:
    // Report texts are UTF-8 and the sheet keeps UTF-8: they go in through UTF-16 whole (the
    // writer's own SetText takes GBK, which lacks the superscripts of m² and much else).
    void SetTextCell(long row, long col, const std::string& utf8) {
        Excel::RangePtr cell = CellAt(row, col);
        cell->PutNumberFormat(_variant_t("@"));
        cell->PutValue(_variant_t(_bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(utf8)))));
    }
    void SetFormat(long r1, long c1, long r2, long c2, const std::string& format) {
        SetOperRange(r1, c1, r2, c2);
        OperationRange()->PutNumberFormat(_variant_t(format.c_str()));
    }
    // Landscape, one page across and as many down as the rows need. Page setup needs a printer;
    // without one the report keeps the default page, as the writer's own zoom does.
    void PrintOnePageWide() {
        if (m_app->GetActivePrinter().length() == 0) return;
        Excel::PageSetupPtr page = m_sheet->GetPageSetup();
        page->PutOrientation(Excel::xlLandscape);
        page->PutZoom(_variant_t(false));
        page->PutFitToPagesWide(_variant_t(1L));
        page->PutFitToPagesTall(_variant_t(false));
    }
    void SaveAs(const std::string& path) {
        m_book->SaveAs(_variant_t(CString::FromUtf8(path)), _variant_t(static_cast<long>(Excel::xlNormal)));
    }
};

class Writer {
public:
    Writer(ReportBook& book, int digits) : book_(book), digits_(digits) {}

    void Write(const Report& report) {
        long width = 3;
        for (const Block& b : report.blocks)
            width = std::max<long>(width, b.IsTable() ? static_cast<long>(b.columns.size()) : QuantityColumns(b));
        book_.SetTextCell(row_, 1, report.title);
        book_.SetOperRange(row_, 1, row_, width);
        book_.ManyToOne();
        book_.SetFontStyle(CString("Arial"), 14, 0x000000);
        book_.SetStyleDQ(Excel::xlHAlignCenter, Excel::xlVAlignCenter);
        book_.SetOneLineHigh(row_, 24);
        row_ += 2;
        for (const Block& b : report.blocks) {
            if (b.IsTable()) Table(b);
            else Quantities(b);
            ++row_;
        }
        for (long c = 1; c <= width && c < kMaxColumns; ++c) book_.SetOneRowWidth(c, std::clamp(widths_[c] + 2, 8.0, 40.0));
    }

private:
    static long QuantityColumns(const Block& b) {
        const bool notes = std::any_of(b.quantities.begin(), b.quantities.end(), [](const Quantity& q) { return !q.note.empty(); });
        return notes ? 4 : 3;
    }

    template <class Text>
    void Note(long col, const Text& text) {
        if (col < kMaxColumns) widths_[col] = std::max(widths_[col], TextWidth(text));
    }

    void Put(long row, long col, const Cell& cell) {
        if (const double* d = std::get_if<double>(&cell)) {
            book_.SetText(row, col, *d);
        } else if (const std::string* s = std::get_if<std::string>(&cell)) {
            book_.SetTextCell(row, col, *s);
            Note(col, *s);
        }
    }

    void BlockTitle(const std::string& title, long columns) {
        book_.SetTextCell(row_, 1, title);
        book_.SetOperRange(row_, 1, row_, columns);
        book_.ManyToOne();
        book_.SetStyleDQ(Excel::xlHAlignCenter, Excel::xlVAlignCenter);
        ++row_;
    }

    void Quantities(const Block& b) {
        const long first = row_, columns = QuantityColumns(b);
        BlockTitle(b.title.empty() ? b.key : b.title, columns);
        for (const Quantity& q : b.quantities) {
            Put(row_, 1, Cell(q.label));
            Put(row_, 2, q.value);
            if (const double* d = std::get_if<double>(&q.value)) {
                Spread s;
                s.Add(*d);
                book_.SetFormat(row_, 2, row_, 2, FormatFor(s, !q.unit.empty(), digits_));
                Note(2, book_.GetText(row_, 2));
            }
            Put(row_, 3, Cell(q.unit));
            if (columns == 4) Put(row_, 4, Cell(q.note));
            ++row_;
        }
        book_.SetOperRange(first, 1, row_ - 1, columns);
        book_.BorderAround(1, 1, 1, 1, 1, 1, Excel::xlContinuous, 0x000000);
    }

    void Table(const Block& b) {
        const long n = static_cast<long>(b.columns.size());
        if (b.RowCount() + kRowsForTheRest > kMaxSheetRows)
            throw UsageError("--xlsx: " + std::to_string(b.RowCount()) + " rows do not fit on one sheet (at most " +
                             std::to_string(kMaxSheetRows - kRowsForTheRest) + ")");
        long first = row_;
        BlockTitle(b.title.empty() ? b.key : b.title, n);
        for (long c = 1; c <= n; ++c) {
            const Column& col = b.columns[c - 1];
            Put(row_, c, Cell(Heading(col.label, col.unit)));
        }
        book_.SetOperRange(row_, 1, row_, n);
        book_.SetStyleDQ(Excel::xlHAlignCenter, Excel::xlVAlignCenter);
        book_.AutoHH(1);
        ++row_;
        const long dataFirst = row_;
        std::vector<Spread> spread(static_cast<std::size_t>(n));
        b.ForEachRow([&](const Row& r) {
            for (long c = 1; c <= n && c <= static_cast<long>(r.size()); ++c) {
                Put(row_, c, r[c - 1]);
                if (const double* d = std::get_if<double>(&r[c - 1])) spread[c - 1].Add(*d, row_);
            }
            ++row_;
        });
        const long dataLast = row_ - 1;
        bool totals = false;
        for (long c = 1; c <= n; ++c) totals |= b.columns[c - 1].unit == "m" || b.columns[c - 1].unit == "Pa";
        if (totals && dataLast >= dataFirst) {
            Put(row_, 1, Cell(std::string("Total")));
            for (long c = 1; c <= n; ++c) {
                const std::string& unit = b.columns[c - 1].unit;
                if (unit != "m" && unit != "Pa") continue;
                book_.SetOperRange(dataFirst, c, dataLast, c);
                book_.Sum(row_, c);
            }
            ++row_;
        }
        // Each column's format follows its values; the widest shown text sets the column width.
        for (long c = 1; c <= n; ++c) {
            if (!spread[c - 1].any) continue;
            book_.SetFormat(dataFirst, c, row_ - 1, c, FormatFor(spread[c - 1], !b.columns[c - 1].unit.empty(), digits_));
            for (long r : {spread[c - 1].largestRow, row_ - 1}) Note(c, book_.GetText(r, c));
        }
        book_.SetOperRange(first, 1, row_ - 1, n);
        book_.BorderAround(1, 1, 1, 1, 1, 1, Excel::xlContinuous, 0x000000);
    }

    ReportBook& book_;
    int digits_;
    long row_ = 1;
    static constexpr long kMaxColumns = 64;
    double widths_[kMaxColumns] = {};
};

// The path the writer will really write: the file layer matches names as the host's file system
// does (a name that differs only in case finds the existing file).
std::string Target(const std::string& path) { return NUVWin::NativePath(CString::FromUtf8(path)); }

void CheckXlsxTarget(const Options& options) {
    const std::string path = options.Text("xlsx");
    std::string gbk;
    if (!NUVWin::TryUtf8ToGbk(path, gbk))
        throw UsageError("--xlsx: the file name '" + path + "' holds characters the workbook writer cannot take");
    std::vector<std::string> inputs;
    if (options.Has("csv-in")) inputs.push_back(options.Text("csv-in"));
    try {
        nuvtools::CheckOutputFile(Target(path), options.Has("force"), inputs);
    } catch (const nuvtools::OutputRefused& e) {
        throw UsageError(std::string("--xlsx: ") + e.what());
    }
}

void WriteXlsxReport(const Report& report, const Options& options) {
    const std::string path = options.Text("xlsx");
    const int digits = options.Whole("digits", 2, 0, 10);
    ReportBook book;
    if (!book.RunExcel(0)) throw UsageError("cannot start the spreadsheet writer");
    try {
        book.AddNewWorkbook(nullptr, 1);
        for (const Block& b : report.blocks)
            if (b.IsTable()) {
                book.SetSheetName(CString::FromUtf8(b.title.empty() ? b.key : b.title));
                break;
            }
        Writer(book, digits).Write(report);
        book.PrintOnePageWide();
        book.SaveAs(path);
        book.CloseWorkBook();
    } catch (const _com_error& e) {
        _bstr_t why = e.Description();
        // The writer's description already names the file.
        throw UsageError(why.length() ? why.utf8() : "cannot write '" + path + "': " + e.ErrorMessage());
    }
}

[[maybe_unused]] const bool registered = (g_fileWriter = FileWriter{&CheckXlsxTarget, &WriteXlsxReport}, true);

}  // namespace

}  // namespace nuvcalc
