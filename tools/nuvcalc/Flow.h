// Flow calculations shared by the duct and pipe commands: the friction factor of every formula
// with its verdict, the design friction factor, and the defaults the commands document.
#pragma once

#include <string>
#include <vector>

#include "Cli.h"

namespace nuvcalc {

// Below this Reynolds number flow is taken as laminar.
constexpr double kLaminarLimit = 2300.0;
// Kinematic viscosity of air at 20 C, m2/s: the default of --nu.
constexpr double kDefaultAirNu = 15.06e-6;
constexpr double kStandardPressure = 101325.0;  // Pa

struct FrictionFactor {
    std::string key;   // e.g. "colebrook_white"
    std::string name;  // e.g. "Colebrook-White"
    double lambda;     // -1.0: outside the formula's range
    std::string verdict;
};

// Every formula at Re and relative roughness delta.
std::vector<FrictionFactor> FrictionFactors(double re, double delta);

// The factor used for losses: laminar 64/Re below kLaminarLimit, Colebrook-White above.
FrictionFactor DesignFactor(double re, double delta);

// Friction-factor table of a report: formula, lambda, specific loss (from rmOf(lambda)), verdict.
template <class RmOf>
void AddFrictionTable(Report& report, double re, double delta, RmOf rmOf) {
    Block& t = report.AddTable("friction", "Friction factor by formula",
                               {{"formula", "formula", ""}, {"lambda", "λ", ""},
                                {"rm_pa_m", "Rm", "Pa/m"}, {"verdict", "verdict", ""}});
    for (const FrictionFactor& f : FrictionFactors(re, delta)) {
        const bool has = f.lambda != -1.0;
        t.rows.push_back({f.name, has ? Cell(f.lambda) : Cell(), has ? Cell(rmOf(f.lambda)) : Cell(), f.verdict});
    }
}

// Reads a CSV file of segments: a header row naming columns, then one segment per row. Blank
// lines and lines starting with '#' are skipped. Cells are returned as text; ParseNumber checks them.
struct CsvTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    std::vector<int> lines;  // source line of each row, for messages
    int Column(const std::string& name) const;  // -1 when absent
};
CsvTable ReadCsvFile(const std::string& path);

// The command a segments file is for: "pipe" when it has a diameter column, else "duct".
std::string SegmentsCommand(const std::string& path);

}  // namespace nuvcalc

namespace nuvcalc {

// One row of a segments file, read by column name. Messages name the file, line and column.
class RowReader {
public:
    RowReader(const CsvTable& table, std::size_t row, std::string path)
        : table_(table), row_(row), path_(std::move(path)) {}
    bool Has(const std::string& column) const;  // column present and cell not empty
    std::string Text(const std::string& column, const std::string& fallback) const;
    double Number(const std::string& column, double fallback) const;
    double Positive(const std::string& column) const;  // required
    double Positive(const std::string& column, double fallback) const;
    double NonNegative(const std::string& column, double fallback) const;

private:
    std::string Where(const std::string& column) const;
    const CsvTable& table_;
    std::size_t row_;
    std::string path_;
};

// Rejects columns other than the allowed ones (a misspelt column would be silently ignored).
void CheckColumns(const CsvTable& table, const std::string& path, const std::vector<std::string>& allowed);

// Running totals of a segment table (duct or pipe runs), printed as the report's last block.
struct SegmentTotals {
    std::size_t segments = 0;
    double length = 0, friction = 0, local = 0;
    void Add(double segmentLength, double segmentFriction, double segmentLocal) {
        ++segments;
        length += segmentLength;
        friction += segmentFriction;
        local += segmentLocal;
    }
};
void AddTotals(Report& report, const SegmentTotals& totals);

}  // namespace nuvcalc
