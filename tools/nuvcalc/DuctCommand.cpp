// nuvcalc duct: a rectangular air duct, one on the command line or many from a segments file.
#include <cstdio>

#include "Commands.h"
#include "Flow.h"
#include "SegmentFile.h"
#include "NUVKernel/NUVKernel.h"

namespace nuvcalc {

namespace {

const Option kDuctOptions[] = {
    {"width", "MM", "duct width, mm (required without --csv-in)"},
    {"height", "MM", "duct height, mm (required without --csv-in)"},
    {"flow", "M3/H", "air flow, m3/h (required without --csv-in)"},
    {"length", "M", "duct length, m: adds the friction loss over it"},
    {"temp", "C", "air temperature, C (default 20)"},
    {"rh", "PERCENT", "relative humidity, % (default 50)"},
    {"pressure", "PA", "barometric pressure, Pa (default 101325)"},
    {"roughness", "MM", "absolute wall roughness, mm (default 0.15, galvanised steel)"},
    {"nu", "M2/S", "kinematic viscosity of air, m2/s (default 1.506e-5, air at 20 C)"},
    {"csv-in", "FILE", "compute every segment of FILE (UTF-8 CSV; columns: id, width, height, flow,\n"
                       "                        length, zeta, roughness; lines starting with # above the\n"
                       "                        header are comments) and print a table with totals"},
};

constexpr double kDefaultDuctRoughnessMm = 0.15;

struct Air {
    double temp, rh, pressure, rho, nu;
};

Air ReadAir(const Options& o) {
    Air air{};
    air.temp = AirTemperature(o);
    air.rh = o.Within("rh", 50.0, 0.0, 100.0);
    air.pressure = o.Positive("pressure", kStandardPressure);
    air.nu = o.Positive("nu", kDefaultAirNu);
    air.rho = NUV::GetDensity(air.temp, air.rh / 100.0, air.pressure);
    return air;
}

struct Duct {
    double a, b, q;  // m, m, m3/s
    double roughness;  // m
    double area, dv, df, da, v, re, delta;
    FrictionFactor design;
    double rm, dyn;
};

Duct Compute(double widthMm, double heightMm, double flowM3h, double roughnessMm, const Air& air) {
    Duct d{};
    d.a = widthMm / 1000.0;
    d.b = heightMm / 1000.0;
    d.q = flowM3h / 3600.0;
    d.roughness = roughnessMm / 1000.0;
    d.area = d.a * d.b;
    d.dv = NUV::D_V(d.a, d.b);
    d.df = NUV::D_F(d.a, d.b);
    d.da = NUV::D_A(d.a, d.b);
    d.v = NUV::V_Square(d.q, d.a, d.b);
    // Friction in a rectangular duct follows the velocity-equivalent diameter.
    d.re = NUV::Re(d.v, d.dv, air.nu);
    d.delta = d.roughness / d.dv;
    d.design = DesignFactor(d.re, d.delta);
    d.rm = NUV::Rm_Square(d.design.lambda, d.a, d.b, d.v, air.rho);
    d.dyn = NUV::GetDY(d.v, air.rho);
    return d;
}

void AddAir(Block& b, const Air& air) {
    Put(b, "temp", "air temperature", "°C", air.temp);
    Put(b, "rh", "relative humidity", "%", air.rh);
    Put(b, "pressure", "barometric pressure", "Pa", air.pressure);
    Put(b, "nu", "kinematic viscosity ν", "m²/s", air.nu);
}

int Single(const Options& o, std::ostream& out) {
    const double width = o.Positive("width");
    const double height = o.Positive("height");
    const double flow = o.Positive("flow");
    const bool hasLength = o.Has("length");
    const double length = hasLength ? o.Positive("length") : 0.0;
    const double roughness = o.Within("roughness", kDefaultDuctRoughnessMm, 0.0, 1000.0);
    const Air air = ReadAir(o);
    const Duct d = Compute(width, height, flow, roughness, air);

    Report r;
    r.title = "Rectangular duct " + HumanNumber(width) + " x " + HumanNumber(height) + " mm, " +
              HumanNumber(flow) + " m³/h";
    Block& in = r.AddQuantities("input", "Input");
    Put(in, "width", "width a", "mm", width);
    Put(in, "height", "height b", "mm", height);
    Put(in, "flow", "air flow", "m³/h", flow);
    if (hasLength) Put(in, "length", "length", "m", length);
    Put(in, "roughness", "wall roughness", "mm", roughness);
    AddAir(in, air);

    Block& res = r.AddQuantities("results", "Results");
    Put(res, "area", "cross-section area", "m²", d.area);
    Put(res, "d_v", "velocity-equivalent diameter", "mm", d.dv * 1000.0);
    Put(res, "d_f", "flow-equivalent diameter", "mm", d.df * 1000.0);
    Put(res, "d_a", "area-equivalent diameter", "mm", d.da * 1000.0);
    Put(res, "velocity", "velocity", "m/s", d.v);
    Put(res, "density", "air density ρ", "kg/m³", air.rho, AirDensityNote(air.temp));
    Put(res, "reynolds", "Reynolds number", "", d.re, d.re < kLaminarLimit ? "laminar" : "turbulent");
    Put(res, "relative_roughness", "relative roughness Δ", "", d.delta);
    Put(res, "lambda", "friction factor λ", "", d.design.lambda, d.design.name);
    Put(res, "rm", "specific friction loss Rm", "Pa/m", d.rm);
    if (hasLength) Put(res, "friction_loss", "friction loss over length", "Pa", NUV::Pl_Square(length, d.design.lambda, d.a, d.b, d.v, air.rho));
    Put(res, "dynamic_pressure", "dynamic pressure", "Pa", d.dyn);

    AddFrictionTable(r, d.re, d.delta, [&](double lambda) { return NUV::Rm_Square(lambda, d.a, d.b, d.v, air.rho); });
    Emit(r, o, out);
    return 0;
}

int Batch(const Options& o, std::ostream& out) {
    for (const char* single : {"width", "height", "flow", "length"})
        if (o.Has(single)) throw UsageError(std::string("--") + single + " cannot be combined with --csv-in (give it as a column)");
    const std::string path = o.Text("csv-in");
    const double defaultRoughness = o.Within("roughness", kDefaultDuctRoughnessMm, 0.0, 1000.0);
    const Air air = ReadAir(o);
    SegmentFile file(path);
    file.Allow({"id", "width", "height", "flow", "length", "zeta", "roughness"});

    Report r;
    r.title = "Duct segments from " + path;
    Block& cond = r.AddQuantities("conditions", "Conditions");
    AddAir(cond, air);
    Put(cond, "density", "air density ρ", "kg/m³", air.rho, AirDensityNote(air.temp));
    Put(cond, "roughness", "default wall roughness", "mm", defaultRoughness);

    AddSegments(r, file,
                {{"id", "id", ""}, {"width_mm", "a", "mm"}, {"height_mm", "b", "mm"}, {"flow_m3h", "flow", "m³/h"},
                 {"length_m", "l", "m"}, {"velocity_m_s", "v", "m/s"}, {"reynolds", "Re", ""}, {"lambda", "λ", ""},
                 {"rm_pa_m", "Rm", "Pa/m"}, {"friction_pa", "Δp fr", "Pa"}, {"zeta", "Σζ", ""},
                 {"local_pa", "Δp loc", "Pa"}, {"total_pa", "Δp", "Pa"}},
                [&](const SegmentFile& row) {
                    const std::string id = row.Text("id", std::to_string(row.Ordinal()));
                    const double width = row.Positive("width");
                    const double height = row.Positive("height");
                    const double flow = row.Positive("flow");
                    const double length = row.Positive("length");
                    const double zeta = row.NonNegative("zeta", 0.0);
                    const double roughness = row.NonNegative("roughness", defaultRoughness);
                    const Duct d = Compute(width, height, flow, roughness, air);
                    const double friction = NUV::Pl_Square(length, d.design.lambda, d.a, d.b, d.v, air.rho);
                    const double local = NUV::Pd(zeta, d.v, air.rho);
                    return Segment{{id, width, height, flow, length, d.v, d.re, d.design.lambda, d.rm, friction, zeta,
                                    local, friction + local},
                                   length, friction, local};
                });
    Emit(r, o, out);
    return 0;
}

}  // namespace

int RunDuct(const Args& args, std::ostream& out, std::ostream&) {
    const Options o(args, kDuctOptions);
    if (o.Help()) {
        PrintHelp(out,
                  "nuvcalc duct --width MM --height MM --flow M3/H [--length M] [--temp C] [--rh PERCENT]\n"
                  "                    [--pressure PA] [--roughness MM] [--nu M2/S]\n"
                  "       nuvcalc duct --csv-in FILE [--temp C] [--rh PERCENT] [--pressure PA] [--roughness MM] [--nu M2/S]",
                  "A rectangular air duct: the velocity-, flow- and area-equivalent diameters, area,\n"
                  "velocity, humid-air density, Reynolds number (on the velocity-equivalent diameter),\n"
                  "the friction factor of every formula with its range verdict, the specific friction\n"
                  "loss and the dynamic pressure. Losses use Colebrook-White, or 64/Re below Re 2300.",
                  kDuctOptions);
        return 0;
    }
    if (!o.Positionals().empty()) throw UsageError("unexpected argument '" + o.Positionals().front() + "'");
    return o.Has("csv-in") ? Batch(o, out) : Single(o, out);
}

}  // namespace nuvcalc
