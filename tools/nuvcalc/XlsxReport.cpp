// --xlsx FILE: the report also written as a formatted workbook through the kernel's report writer
// (CExcelCal): the title merged over the table's width, each block under a merged heading, tables
// with a header row, borders and inside lines, fixed decimals (--digits, 2 by default) for the
// columns that carry a unit, column widths fitted to the texts, and a totals row made with Sum for
// the columns in m and Pa (lengths and losses, which add up along a run).
#include <algorithm>
#include <variant>

#include "Cli.h"
#include "report/ExcelCal.h"

namespace nuvcalc {

namespace {

// Report texts are UTF-8; the writer takes GBK, which lacks the superscript digits.
CString Gbk(std::string text) {
    for (auto [from, to] : {std::pair<const char*, const char*>{"\xC2\xB2", "2"}, {"\xC2\xB3", "3"}})
        for (std::size_t p; (p = text.find(from)) != std::string::npos;) text.replace(p, 2, to);
    return CString::FromUtf8(text);
}

std::string Heading(const std::string& label, const std::string& unit) {
    return unit.empty() ? label : label + " (" + unit + ")";
}

// Width in characters of a text as the sheet shows it (a double-byte character is two wide).
double TextWidth(const CString& s) { return static_cast<double>(s.GetLength()); }

class Writer {
public:
    Writer(CExcelCal& cal, int digits) : cal_(cal), digits_(digits) {}

    void Write(const Report& report) {
        long width = 3;
        for (const Block& b : report.blocks)
            if (b.IsTable()) width = std::max<long>(width, static_cast<long>(b.columns.size()));
        cal_.SetText(row_, 1, Gbk(report.title));
        cal_.SetOperRange(row_, 1, row_, width);
        cal_.ManyToOne();
        cal_.SetFontStyle(Gbk("Arial"), 14, 0x000000);
        cal_.SetStyleDQ(Excel::xlHAlignCenter, Excel::xlVAlignCenter);
        cal_.SetOneLineHigh(row_, 24);
        row_ += 2;
        for (const Block& b : report.blocks) {
            if (b.IsTable()) Table(b);
            else Quantities(b);
            ++row_;
        }
        for (long c = 1; c <= width && c < kMaxColumns; ++c) cal_.SetOneRowWidth(c, std::clamp(widths_[c] + 2, 8.0, 40.0));
        cal_.SetPageZoom(80);
    }

private:
    void Note(long col, const CString& text) {
        if (col < kMaxColumns) widths_[col] = std::max(widths_[col], TextWidth(text));
    }

    void Put(long row, long col, const Cell& cell) {
        if (const double* d = std::get_if<double>(&cell)) {
            cal_.SetText(row, col, *d);
            Note(col, cal_.GetText(row, col));
        } else if (const std::string* s = std::get_if<std::string>(&cell)) {
            CString text = Gbk(*s);
            cal_.SetText(row, col, text);
            Note(col, text);
        }
    }

    void BlockTitle(const std::string& title, long columns) {
        cal_.SetText(row_, 1, Gbk(title));
        cal_.SetOperRange(row_, 1, row_, columns);
        cal_.ManyToOne();
        cal_.SetStyleDQ(Excel::xlHAlignCenter, Excel::xlVAlignCenter);
        ++row_;
    }

    void Quantities(const Block& b) {
        long first = row_;
        BlockTitle(b.title.empty() ? b.key : b.title, 3);
        for (const Quantity& q : b.quantities) {
            Put(row_, 1, Cell(q.label));
            Put(row_, 2, q.value);
            Put(row_, 3, Cell(q.unit));
            ++row_;
        }
        cal_.SetOperRange(first, 1, row_ - 1, 3);
        cal_.BorderAround(1, 1, 1, 1, 1, 1, Excel::xlContinuous, 0x000000);
    }

    void Table(const Block& b) {
        const long n = static_cast<long>(b.columns.size());
        long first = row_;
        BlockTitle(b.title.empty() ? b.key : b.title, n);
        for (long c = 1; c <= n; ++c) {
            const Column& col = b.columns[c - 1];
            Put(row_, c, Cell(Heading(col.label, col.unit)));
        }
        cal_.SetOperRange(row_, 1, row_, n);
        cal_.SetStyleDQ(Excel::xlHAlignCenter, Excel::xlVAlignCenter);
        cal_.AutoHH(1);
        ++row_;
        long dataFirst = row_;
        for (const auto& r : b.rows) {
            for (long c = 1; c <= n && c <= static_cast<long>(r.size()); ++c) Put(row_, c, r[c - 1]);
            ++row_;
        }
        long dataLast = row_ - 1;
        bool totals = false;
        for (long c = 1; c <= n; ++c) totals |= b.columns[c - 1].unit == "m" || b.columns[c - 1].unit == "Pa";
        if (totals && dataLast >= dataFirst) {
            Put(row_, 1, Cell(std::string("Total")));
            for (long c = 1; c <= n; ++c) {
                const std::string& unit = b.columns[c - 1].unit;
                if (unit != "m" && unit != "Pa") continue;
                cal_.SetOperRange(dataFirst, c, dataLast, c);
                cal_.Sum(row_, c);
            }
            ++row_;
        }
        // Fixed decimals for the physical quantities; ratios such as Re and lambda keep theirs.
        for (long c = 1; c <= n; ++c) {
            if (b.columns[c - 1].unit.empty()) continue;
            cal_.SetOperRange(dataFirst, c, row_ - 1, c);
            cal_.SetPrecision(digits_);
            for (long r = dataFirst; r < row_; ++r) Note(c, cal_.GetText(r, c));
        }
        cal_.SetOperRange(first, 1, row_ - 1, n);
        cal_.BorderAround(1, 1, 1, 1, 1, 1, Excel::xlContinuous, 0x000000);
    }

    CExcelCal& cal_;
    int digits_;
    long row_ = 1;
    static constexpr long kMaxColumns = 64;
    double widths_[kMaxColumns] = {};
};

void WriteXlsxReport(const Report& report, const Options& options) {
    const std::string path = options.Text("xlsx");
    const int digits = static_cast<int>(options.Within("digits", 2, 0, 10));
    CExcelCal cal;
    if (!cal.RunExcel(0)) throw UsageError("cannot start the spreadsheet writer");
    try {
        cal.AddNewWorkbook(nullptr, 1);
        for (const Block& b : report.blocks)
            if (b.IsTable()) {
                cal.SetSheetName(Gbk(b.title.empty() ? b.key : b.title));
                break;
            }
        Writer(cal, digits).Write(report);
        cal.Save(CString::FromUtf8(path), 1);
        cal.CloseWorkBook();
    } catch (const _com_error& e) {
        _bstr_t why = e.Description();
        // The writer's description already names the file.
        throw UsageError(why.length() ? why.utf8() : "cannot write '" + path + "': " + e.ErrorMessage());
    }
}

[[maybe_unused]] const bool registered = (g_fileWriter = &WriteXlsxReport, true);

}  // namespace

}  // namespace nuvcalc
