// Flow calculations shared by the duct and pipe commands: the friction factor of every formula
// with its verdict, the design friction factor, the defaults the commands document, the fluids'
// temperatures, and the segment table with totals of a --csv-in run.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Cli.h"
#include "SegmentFile.h"

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

// Temperatures: refused where the fluid cannot be (air at or below absolute zero, water below
// its freezing point), accepted elsewhere. Outside the formulas' tables the result is a table's
// end value or a fallback formula, and the report says so in a note, for air and water alike.
constexpr double kAbsoluteZero = -273.15;  // C
double AirTemperature(const Options& o);
double WaterTemperature(const Options& o);
std::string AirDensityNote(double t);        // "" inside -40..60 C
std::string WaterDensityNote(double t);      // "" inside 0..100 C
std::string WaterViscosityNote(double t);    // "" up to 80 C

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

// One computed segment: its table row and what it adds to the totals.
struct Segment {
    Row row;
    double length, friction, local;
};

// The segment table of a --csv-in run and its totals. Every segment is read, computed and checked
// once before anything is written (a wrong line anywhere prints no result); the rows wait in a
// RowSpool on disk, so a million segments take no more memory than ten. `compute` reads the
// file's current segment.
void AddSegments(Report& report, SegmentFile& file, std::vector<Column> columns,
                 const std::function<Segment(const SegmentFile&)>& compute);

}  // namespace nuvcalc
