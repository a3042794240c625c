// nuvcalc pipe: a round water pipe, one on the command line or many from a segments file.
#include "Commands.h"
#include "Flow.h"
#include "SegmentFile.h"
#include "NUVKernel/NUVKernel.h"

namespace nuvcalc {

namespace {

const Option kPipeOptions[] = {
    {"diameter", "MM", "inner diameter, mm (required without --csv-in)"},
    {"flow", "M3/H", "water flow, m3/h"},
    {"load", "W", "heat load, W: the flow that carries it at --dt (instead of --flow)"},
    {"dt", "K", "supply/return temperature difference, K (with --load)"},
    {"temp", "C", "water temperature, C (default 20)"},
    {"length", "M", "pipe length, m: adds the friction loss over it"},
    {"roughness", "MM", "absolute wall roughness, mm (default 0.2, steel pipe)"},
    {"csv-in", "FILE", "compute every segment of FILE (UTF-8 CSV; columns: id, diameter, flow or else\n"
                       "                        load and dt, length, zeta, roughness; lines starting with #\n"
                       "                        above the header are comments) and print a table with totals"},
};

constexpr double kDefaultPipeRoughnessMm = 0.2;

struct Water {
    double temp, rho, nu;  // C, kg/m3, m2/s
};

Water ReadWater(const Options& o) {
    Water w{};
    w.temp = WaterTemperature(o);
    w.rho = NUV::GetWaterMD(w.temp);
    w.nu = NUV::GetWaterND(w.temp) * 1e-6;
    return w;
}

struct Pipe {
    double d, q, roughness;  // m, m3/s, m
    double area, v, re, delta;
    FrictionFactor design;
    double rm, dyn;
};

Pipe Compute(double diameterMm, double flowM3s, double roughnessMm, const Water& w) {
    Pipe p{};
    p.d = diameterMm / 1000.0;
    p.q = flowM3s;
    p.roughness = roughnessMm / 1000.0;
    p.area = 3.141592653589793 * p.d * p.d * 0.25;
    p.v = NUV::V_Circle(p.q, p.d);
    p.re = NUV::Re(p.v, p.d, w.nu);
    p.delta = p.roughness / p.d;
    p.design = DesignFactor(p.re, p.delta);
    p.rm = NUV::Rm_Circle(p.design.lambda, p.d, p.v, w.rho);
    p.dyn = NUV::GetDY(p.v, w.rho);
    return p;
}

// The flow in m3/s: given directly, or the mass flow of a heat load divided by the density.
struct Flow {
    double m3s;
    double massKgS;  // 0 when the flow was given directly
    bool fromLoad;
};

Flow FlowFromOptions(const Options& o, const Water& w) {
    if (o.Has("flow") && (o.Has("load") || o.Has("dt")))
        throw UsageError("give either --flow or --load with --dt, not both");
    if (o.Has("flow")) return {o.Positive("flow") / 3600.0, 0.0, false};
    if (!o.Has("load") && !o.Has("dt")) throw UsageError("missing required option --flow (or --load with --dt)");
    const double mass = NUV::GetWaterFlux(o.Positive("load"), o.Positive("dt"));
    return {mass / w.rho, mass, true};
}

void AddWater(Block& b, const Water& w) {
    Put(b, "temp", "water temperature", "°C", w.temp);
    Put(b, "density", "water density ρ", "kg/m³", w.rho, WaterDensityNote(w.temp));
    Put(b, "nu", "kinematic viscosity ν", "m²/s", w.nu, WaterViscosityNote(w.temp));
}

int Single(const Options& o, std::ostream& out) {
    const double diameter = o.Positive("diameter");
    const Water w = ReadWater(o);
    const Flow f = FlowFromOptions(o, w);
    const bool hasLength = o.Has("length");
    const double length = hasLength ? o.Positive("length") : 0.0;
    const double roughness = o.Within("roughness", kDefaultPipeRoughnessMm, 0.0, 1000.0);
    const Pipe p = Compute(diameter, f.m3s, roughness, w);

    Report r;
    r.title = "Water pipe, inner diameter " + HumanNumber(diameter) + " mm";
    Block& in = r.AddQuantities("input", "Input");
    Put(in, "diameter", "inner diameter", "mm", diameter);
    if (f.fromLoad) {
        Put(in, "load", "heat load", "W", o.Number("load"));
        Put(in, "dt", "temperature difference", "K", o.Number("dt"));
    }
    if (hasLength) Put(in, "length", "length", "m", length);
    Put(in, "roughness", "wall roughness", "mm", roughness);
    Block& res = r.AddQuantities("results", "Results");
    AddWater(res, w);
    if (f.fromLoad) Put(res, "mass_flow", "mass flow", "kg/s", f.massKgS);
    Put(res, "flow", "flow", "m³/h", f.m3s * 3600.0);
    Put(res, "area", "cross-section area", "m²", p.area);
    Put(res, "velocity", "velocity", "m/s", p.v);
    Put(res, "reynolds", "Reynolds number", "", p.re, p.re < kLaminarLimit ? "laminar" : "turbulent");
    Put(res, "relative_roughness", "relative roughness Δ", "", p.delta);
    Put(res, "lambda", "friction factor λ", "", p.design.lambda, p.design.name);
    Put(res, "rm", "specific friction loss Rm", "Pa/m", p.rm);
    if (hasLength) Put(res, "friction_loss", "friction loss over length", "Pa", NUV::Pl_Circle(length, p.design.lambda, p.d, p.v, w.rho));
    Put(res, "dynamic_pressure", "dynamic pressure", "Pa", p.dyn);
    AddFrictionTable(r, p.re, p.delta, [&](double lambda) { return NUV::Rm_Circle(lambda, p.d, p.v, w.rho); });
    Emit(r, o, out);
    return 0;
}

int Batch(const Options& o, std::ostream& out) {
    for (const char* single : {"diameter", "flow", "load", "dt", "length"})
        if (o.Has(single)) throw UsageError(std::string("--") + single + " cannot be combined with --csv-in (give it as a column)");
    const std::string path = o.Text("csv-in");
    const double defaultRoughness = o.Within("roughness", kDefaultPipeRoughnessMm, 0.0, 1000.0);
    const Water w = ReadWater(o);
    SegmentFile file(path);
    file.Allow({"id", "diameter", "flow", "load", "dt", "length", "zeta", "roughness"});
    // One way to give the flow per file: a row must not mean one thing here and another there.
    if (file.HasColumn("flow") && (file.HasColumn("load") || file.HasColumn("dt")))
        throw UsageError("--csv-in: " + path + ": give the flow either in a flow column or in load and dt columns, not both");
    if (!file.HasColumn("flow") && !(file.HasColumn("load") && file.HasColumn("dt")))
        throw UsageError("--csv-in: " + path + ": needs a flow column, or load and dt columns");

    Report r;
    r.title = "Pipe segments from " + path;
    Block& cond = r.AddQuantities("conditions", "Conditions");
    AddWater(cond, w);
    Put(cond, "roughness", "default wall roughness", "mm", defaultRoughness);
    const bool fromLoad = !file.HasColumn("flow");
    AddSegments(r, file,
                {{"id", "id", ""}, {"diameter_mm", "d", "mm"}, {"flow_m3h", "flow", "m³/h"}, {"length_m", "l", "m"},
                 {"velocity_m_s", "v", "m/s"}, {"reynolds", "Re", ""}, {"lambda", "λ", ""}, {"rm_pa_m", "Rm", "Pa/m"},
                 {"friction_pa", "Δp fr", "Pa"}, {"zeta", "Σζ", ""}, {"local_pa", "Δp loc", "Pa"},
                 {"total_pa", "Δp", "Pa"}},
                [&](const SegmentFile& row) {
                    const std::string id = row.Text("id", std::to_string(row.Ordinal()));
                    const double diameter = row.Positive("diameter");
                    const double m3s = fromLoad ? NUV::GetWaterFlux(row.Positive("load"), row.Positive("dt")) / w.rho
                                                : row.Positive("flow") / 3600.0;
                    const double length = row.Positive("length");
                    const double zeta = row.NonNegative("zeta", 0.0);
                    const double roughness = row.NonNegative("roughness", defaultRoughness);
                    const Pipe p = Compute(diameter, m3s, roughness, w);
                    const double friction = NUV::Pl_Circle(length, p.design.lambda, p.d, p.v, w.rho);
                    const double local = NUV::Pd(zeta, p.v, w.rho);
                    return Segment{{id, diameter, m3s * 3600.0, length, p.v, p.re, p.design.lambda, p.rm, friction,
                                    zeta, local, friction + local},
                                   length, friction, local};
                });
    Emit(r, o, out);
    return 0;
}

}  // namespace

int RunPipe(const Args& args, std::ostream& out, std::ostream&) {
    const Options o(args, kPipeOptions);
    if (o.Help()) {
        PrintHelp(out,
                  "nuvcalc pipe --diameter MM (--flow M3/H | --load W --dt K) [--temp C] [--length M]\n"
                  "                    [--roughness MM]\n"
                  "       nuvcalc pipe --csv-in FILE [--temp C] [--roughness MM]",
                  "A round water pipe: water density and viscosity at the temperature, the flow (given,\n"
                  "or carried by a heat load at a temperature difference), velocity, Reynolds number,\n"
                  "the friction factor of every formula with its range verdict, the specific friction\n"
                  "loss and the dynamic pressure. Losses use Colebrook-White, or 64/Re below Re 2300.",
                  kPipeOptions);
        return 0;
    }
    if (!o.Positionals().empty()) throw UsageError("unexpected argument '" + o.Positionals().front() + "'");
    return o.Has("csv-in") ? Batch(o, out) : Single(o, out);
}

}  // namespace nuvcalc
