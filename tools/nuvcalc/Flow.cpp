#include "Flow.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "NUVKernel/NUVKernel.h"

namespace nuvcalc {

namespace {

std::string Turbulent(double re, double lambda) {
    if (lambda == -1.0) return "outside range";
    if (re < kLaminarLimit) return "not for laminar flow";
    return "ok";
}

}  // namespace

std::vector<FrictionFactor> FrictionFactors(double re, double delta) {
    std::vector<FrictionFactor> out;
    auto add = [&](const char* key, const char* name, double lambda, std::string verdict) {
        out.push_back(FrictionFactor{key, name, lambda, std::move(verdict)});
    };
    add("laminar", "laminar 64/Re", NUV::x_LF(re), re < kLaminarLimit ? "ok" : "not for turbulent flow");
    double l = NUV::x_TF_B(re);
    add("blasius", "Blasius (smooth)", l, Turbulent(re, l));
    l = NUV::x_TF_PN(re);
    add("prandtl_nikuradse", "Prandtl-Nikuradse (smooth)", l, Turbulent(re, l));
    l = NUV::x_TF_CW(re, delta);
    add("colebrook_white", "Colebrook-White", l, Turbulent(re, l));
    l = NUV::x_TF_SJ(re, delta);
    add("swamee_jain", "Swamee-Jain", l, Turbulent(re, l));
    l = NUV::x_TF_A(re, delta);
    add("altshul", "Altshul", l, Turbulent(re, l));
    l = NUV::x_TF_M(re, delta);
    add("moody", "Moody", l, Turbulent(re, l));
    l = NUV::x_TF_KN(delta);
    add("karman_nikuradse", "Karman-Nikuradse (fully rough)", l, Turbulent(re, l));
    l = NUV::x_TF_X(delta);
    add("shifrinson", "Shifrinson (fully rough)", l, Turbulent(re, l));
    return out;
}

FrictionFactor DesignFactor(double re, double delta) {
    if (re < kLaminarLimit) return {"laminar", "laminar 64/Re", NUV::x_LF(re), "ok"};
    return {"colebrook_white", "Colebrook-White", NUV::x_TF_CW(re, delta), "ok"};
}

std::string SegmentsCommand(const std::string& path) {
    return ReadCsvFile(path).Column("diameter") >= 0 ? "pipe" : "duct";
}

int CsvTable::Column(const std::string& name) const {
    const auto it = std::find(header.begin(), header.end(), name);
    return it == header.end() ? -1 : static_cast<int>(it - header.begin());
}

namespace {

std::string Trim(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return s.substr(i);
}

// Splits one CSV record; double quotes group a field and "" inside them is a quote.
std::vector<std::string> SplitCsv(const std::string& line) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cells.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cells.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    for (std::string& c : cells) c = Trim(c);
    return cells;
}

}  // namespace

CsvTable ReadCsvFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw UsageError("--csv-in: cannot open '" + path + "'");
    CsvTable t;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);  // UTF-8 mark
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        std::vector<std::string> cells = SplitCsv(line);
        if (t.header.empty()) {
            for (std::string& c : cells) {
                std::transform(c.begin(), c.end(), c.begin(), [](unsigned char ch) { return std::tolower(ch); });
                if (c.empty()) throw UsageError("--csv-in: " + path + " line " + std::to_string(number) + ": empty column name");
            }
            t.header = std::move(cells);
            continue;
        }
        if (cells.size() > t.header.size())
            throw UsageError("--csv-in: " + path + " line " + std::to_string(number) + ": more cells than columns");
        cells.resize(t.header.size());
        t.rows.push_back(std::move(cells));
        t.lines.push_back(number);
    }
    if (t.header.empty()) throw UsageError("--csv-in: " + path + " has no header row");
    if (t.rows.empty()) throw UsageError("--csv-in: " + path + " has no segments");
    return t;
}

}  // namespace nuvcalc

namespace nuvcalc {

std::string RowReader::Where(const std::string& column) const {
    return path_ + " line " + std::to_string(table_.lines[row_]) + ", column " + column;
}

bool RowReader::Has(const std::string& column) const {
    const int c = table_.Column(column);
    return c >= 0 && !table_.rows[row_][c].empty();
}

std::string RowReader::Text(const std::string& column, const std::string& fallback) const {
    return Has(column) ? table_.rows[row_][table_.Column(column)] : fallback;
}

double RowReader::Number(const std::string& column, double fallback) const {
    return Has(column) ? ParseNumber(table_.rows[row_][table_.Column(column)], Where(column)) : fallback;
}

double RowReader::Positive(const std::string& column) const {
    if (!Has(column)) throw UsageError(Where(column) + ": a value is required");
    return Positive(column, 0);
}

double RowReader::Positive(const std::string& column, double fallback) const {
    const double v = Number(column, fallback);
    if (!(v > 0)) throw UsageError(Where(column) + ": must be greater than 0");
    return v;
}

double RowReader::NonNegative(const std::string& column, double fallback) const {
    const double v = Number(column, fallback);
    if (v < 0) throw UsageError(Where(column) + ": must not be negative");
    return v;
}

void CheckColumns(const CsvTable& table, const std::string& path, const std::vector<std::string>& allowed) {
    for (const std::string& h : table.header) {
        if (std::find(allowed.begin(), allowed.end(), h) == allowed.end()) {
            std::string list;
            for (const std::string& a : allowed) list += (list.empty() ? "" : ", ") + a;
            throw UsageError("--csv-in: " + path + ": unknown column '" + h + "' (known: " + list + ")");
        }
    }
}

void AddTotals(Report& report, const SegmentTotals& totals) {
    Block& tot = report.AddQuantities("totals", "Totals");
    Put(tot, "segments", "segments", "", static_cast<double>(totals.segments));
    Put(tot, "length", "length", "m", totals.length);
    Put(tot, "friction_loss", "friction loss", "Pa", totals.friction);
    Put(tot, "local_loss", "local loss", "Pa", totals.local);
    Put(tot, "total_loss", "total pressure loss", "Pa", totals.friction + totals.local);
}

}  // namespace nuvcalc
