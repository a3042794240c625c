// nuvcalc air and nuvcalc water: properties of the two working fluids.
#include "Commands.h"
#include "Flow.h"
#include "NUVKernel/NUVKernel.h"

namespace nuvcalc {

namespace {

const Option kAirOptions[] = {
    {"temp", "C", "air temperature, C (default 20)"},
    {"rh", "PERCENT", "relative humidity, % (default 50)"},
    {"pressure", "PA", "barometric pressure, Pa (default 101325)"},
};

const Option kWaterOptions[] = {
    {"temp", "C", "water temperature, C (default 20)"},
};

void NoPositionals(const Options& o) {
    if (!o.Positionals().empty()) throw UsageError("unexpected argument '" + o.Positionals().front() + "'");
}

}  // namespace

int RunAir(const Args& args, std::ostream& out, std::ostream&) {
    const Options o(args, kAirOptions);
    if (o.Help()) {
        PrintHelp(out, "nuvcalc air [--temp C] [--rh PERCENT] [--pressure PA]",
                  "Saturation vapour pressure of water (tabulated for -40..60 C) and the density of\n"
                  "humid air. Outside -40..60 C the density is 352/T, without humidity or pressure,\n"
                  "and a note says so. A temperature at or below absolute zero is refused.",
                  kAirOptions);
        return 0;
    }
    NoPositionals(o);
    const double t = AirTemperature(o);
    const double rh = o.Within("rh", 50.0, 0.0, 100.0);
    const double p = o.Positive("pressure", kStandardPressure);
    const double ps = NUV::GetBhDqYl(t);
    const bool inTable = ps != -1.0;
    Report r;
    r.title = "Humid air";
    Block& in = r.AddQuantities("input", "Input");
    Put(in, "temp", "temperature", "°C", t);
    Put(in, "rh", "relative humidity", "%", rh);
    Put(in, "pressure", "barometric pressure", "Pa", p);
    Block& res = r.AddQuantities("results", "Results");
    if (inTable) {
        Put(res, "saturation_pressure", "saturation vapour pressure", "Pa", ps);
        Put(res, "vapour_pressure", "vapour partial pressure", "Pa", ps * rh / 100.0);
    } else {
        Put(res, "saturation_pressure", "saturation vapour pressure", "Pa", Cell(), "outside -40..60 °C");
    }
    Put(res, "density", "density ρ", "kg/m³", NUV::GetDensity(t, rh / 100.0, p), AirDensityNote(t));
    Emit(r, o, out);
    return 0;
}

int RunWater(const Args& args, std::ostream& out, std::ostream&) {
    const Options o(args, kWaterOptions);
    if (o.Help()) {
        PrintHelp(out, "nuvcalc water [--temp C]",
                  "Density and kinematic viscosity of water (tables from 0 to 100 C and 0 to 80 C; the\n"
                  "viscosity is read at the temperature rounded to a whole degree). Above a table's end\n"
                  "its last value is used, and a note says so. Below 0 C water is ice: refused.",
                  kWaterOptions);
        return 0;
    }
    NoPositionals(o);
    const double t = WaterTemperature(o);
    Report r;
    r.title = "Water";
    Block& in = r.AddQuantities("input", "Input");
    Put(in, "temp", "temperature", "°C", t);
    Block& res = r.AddQuantities("results", "Results");
    Put(res, "density", "density ρ", "kg/m³", NUV::GetWaterMD(t), WaterDensityNote(t));
    Put(res, "nu", "kinematic viscosity ν", "mm²/s", NUV::GetWaterND(t), WaterViscosityNote(t));
    Emit(r, o, out);
    return 0;
}

}  // namespace nuvcalc
