// nuvcalc elbow and nuvcalc tee: local resistance coefficients of fittings.
#include <string>

#include "Commands.h"
#include "Flow.h"
#include "NUVKernel/NUVKernel.h"

namespace nuvcalc {

namespace {

constexpr double kPi = 3.141592653589793;

// Degrees on the command line, radians for the kernel; deg/180 first keeps 90 and 45 exact.
double Radians(double degrees) { return degrees / 180.0 * kPi; }

const Option kElbowOptions[] = {
    {"angle", "DEG", "bend angle, degrees (required)"},
    {"ratio", "R", "relative bend radius: R/D of a round elbow, r of a rectangular one (required)"},
    {"width", "MM", "rectangular elbow: side b, mm (with --height)"},
    {"height", "MM", "rectangular elbow: side h, mm (with --width)"},
    {"re", "RE", "rectangular elbow: Reynolds number"},
    {"velocity", "M/S", "air velocity, m/s: adds the pressure loss (and Re of a rectangular elbow)"},
    {"temp", "C", "air temperature for the density, C (default 20)"},
    {"nu", "M2/S", "kinematic viscosity of air, m2/s (default 1.506e-5)"},
};

}  // namespace

int RunElbow(const Args& args, std::ostream& out, std::ostream&) {
    const Options o(args, kElbowOptions);
    if (o.Help()) {
        PrintHelp(out,
                  "nuvcalc elbow --angle DEG --ratio R [--velocity M/S] [--temp C]\n"
                  "       nuvcalc elbow --angle DEG --ratio R --width MM --height MM (--re RE | --velocity M/S)\n"
                  "                     [--temp C] [--nu M2/S]",
                  "Local resistance coefficient of a round elbow, or of a rectangular one when --width\n"
                  "and --height are given. With --velocity the pressure loss in air follows.",
                  kElbowOptions);
        return 0;
    }
    if (!o.Positionals().empty()) throw UsageError("unexpected argument '" + o.Positionals().front() + "'");
    const double angle = o.Within("angle", o.Number("angle"), 0.0, 360.0);
    const double ratio = o.Positive("ratio");
    const bool rectangular = o.Has("width") || o.Has("height");
    const bool hasVelocity = o.Has("velocity");
    const double v = hasVelocity ? o.Positive("velocity") : 0.0;
    const double temp = AirTemperature(o);
    const double rho = NUV::GetDensity(temp, 0.5, kStandardPressure);

    Report r;
    Block& in = r.AddQuantities("input", "Input");
    Put(in, "angle", "bend angle", "°", angle);
    double zeta = 0;
    if (rectangular) {
        const double b = o.Positive("width");
        const double h = o.Positive("height");
        double re = 0;
        if (o.Has("re")) {
            if (hasVelocity) throw UsageError("give either --re or --velocity, not both");
            re = o.Positive("re");
        } else if (hasVelocity) {
            re = NUV::Re(v, NUV::D_V(b / 1000.0, h / 1000.0), o.Positive("nu", kDefaultAirNu));
        } else {
            throw UsageError("missing required option --re (or --velocity)");
        }
        r.title = "Rectangular elbow " + HumanNumber(b) + " x " + HumanNumber(h) + " mm";
        Put(in, "ratio", "relative bend radius r", "", ratio);
        Put(in, "width", "side b", "mm", b);
        Put(in, "height", "side h", "mm", h);
        Put(in, "reynolds", "Reynolds number", "", re);
        zeta = NUV::GetSyphonDragLocalIndexSquare(Radians(angle), ratio, re, h, b);
    } else {
        r.title = "Round elbow";
        Put(in, "ratio", "relative bend radius R/D", "", ratio);
        zeta = NUV::GetSyphonDragLocalIndexCircle(Radians(angle), ratio);
    }
    Block& res = r.AddQuantities("results", "Results");
    Put(res, "zeta", "local resistance coefficient ζ", "", zeta);
    if (hasVelocity) {
        Put(res, "velocity", "velocity", "m/s", v);
        Put(res, "density", "air density ρ", "kg/m³", rho, AirDensityNote(temp));
        Put(res, "dynamic_pressure", "dynamic pressure", "Pa", NUV::GetDY(v, rho));
        Put(res, "loss", "local pressure loss", "Pa", NUV::Pd(zeta, v, rho));
    }
    Emit(r, o, out);
    return 0;
}

namespace {

const Option kTeeOptions[] = {
    {"vc", "M/S", "converging: velocity of the combined stream"},
    {"qc", "M3/H", "converging: flow of the combined stream"},
    {"v1", "M/S", "converging: velocity of incoming stream 1"},
    {"q1", "M3/H", "converging: flow of incoming stream 1"},
    {"v2", "M/S", "converging: velocity of incoming stream 2"},
    {"q2", "M3/H", "converging: flow of incoming stream 2"},
    {"a1", "DEG", "converging: angle of stream 1 to the combined stream (default 0)"},
    {"a2", "DEG", "converging: angle of stream 2 to the combined stream (default 90)"},
    {"p1", "X", "diverging: first value (divisor of the ratios p2/p1 and p3/p1)"},
    {"p2", "X", "diverging: second value"},
    {"p3", "X", "diverging: third value"},
    {"p4", "X", "diverging: fourth value (cancels out of every ratio)"},
    {"angle", "DEG", "diverging: branch angle (default 90)"},
};

int Converging(const Options& o, std::ostream& out) {
    const double vc = o.Positive("vc"), qc = o.Positive("qc");
    const double v1 = o.NonNegative("v1"), q1 = o.NonNegative("q1");
    const double v2 = o.NonNegative("v2"), q2 = o.NonNegative("q2");
    const double a1 = o.Within("a1", 0.0, 0.0, 180.0), a2 = o.Within("a2", 90.0, 0.0, 180.0);
    Report r;
    r.title = "Converging tee";
    Block& in = r.AddQuantities("input", "Input");
    Put(in, "vc", "combined stream velocity", "m/s", vc);
    Put(in, "qc", "combined stream flow", "m³/h", qc);
    Put(in, "v1", "stream 1 velocity", "m/s", v1);
    Put(in, "q1", "stream 1 flow", "m³/h", q1);
    Put(in, "a1", "stream 1 angle", "°", a1);
    Put(in, "v2", "stream 2 velocity", "m/s", v2);
    Put(in, "q2", "stream 2 flow", "m³/h", q2);
    Put(in, "a2", "stream 2 angle", "°", a2);
    Block& res = r.AddQuantities("results", "Results");
    Put(res, "zeta1", "ζ of stream 1", "",
        NUV::GetHeLiuSanTongDragLocalIndex(vc, qc, v1, q1, v2, q2, Radians(a1), Radians(a2), 1));
    Put(res, "zeta2", "ζ of stream 2", "",
        NUV::GetHeLiuSanTongDragLocalIndex(vc, qc, v1, q1, v2, q2, Radians(a1), Radians(a2), 0));
    Emit(r, o, out);
    return 0;
}

int Diverging(const Options& o, std::ostream& out) {
    const double p1 = o.Positive("p1"), p2 = o.Positive("p2"), p3 = o.Positive("p3"), p4 = o.Positive("p4");
    const double angle = o.Within("angle", 90.0, 0.0, 180.0);
    Report r;
    r.title = "Diverging tee";
    Block& in = r.AddQuantities("input", "Input");
    Put(in, "p1", "p1", "", p1);
    Put(in, "p2", "p2", "", p2);
    Put(in, "p3", "p3", "", p3);
    Put(in, "p4", "p4", "", p4);
    Put(in, "angle", "branch angle", "°", angle);
    Block& t = r.AddTable("cases", "Coefficient by selector pair",
                          {{"s1", "s1", ""}, {"s2", "s2", ""}, {"ratio", "ratio", ""}, {"value", "value", ""},
                           {"zeta", "ζ", ""}});
    struct Case {
        int s1, s2;
        const char* ratio;
        double value;
    };
    const Case cases[] = {{1, 1, "p3/p1 (angle)", p3 / p1}, {1, 0, "p2/p1", p2 / p1}, {0, 1, "p1/p3", p1 / p3},
                          {0, 0, "p3/p1", p3 / p1}};
    for (const Case& c : cases) {
        t.rows.push_back({static_cast<double>(c.s1), static_cast<double>(c.s2), std::string(c.ratio), c.value,
                          NUV::GetFenLiuSanTongDragLocalIndex(p1, p2, p3, p4, Radians(angle), c.s1, c.s2)});
    }
    Emit(r, o, out);
    return 0;
}

}  // namespace

int RunTee(const Args& args, std::ostream& out, std::ostream&) {
    const Options o(args, kTeeOptions);
    if (o.Help()) {
        PrintHelp(out,
                  "nuvcalc tee converging --vc M/S --qc M3/H --v1 M/S --q1 M3/H --v2 M/S --q2 M3/H\n"
                  "                           [--a1 DEG] [--a2 DEG]\n"
                  "       nuvcalc tee diverging --p1 X --p2 X --p3 X --p4 X [--angle DEG]",
                  "Local resistance coefficients of tees. Converging: the coefficient of each incoming\n"
                  "stream. Diverging: the coefficient of each of the four selector cases, which use the\n"
                  "ratios p3/p1 (with the branch angle), p2/p1, p1/p3 and p3/p1.",
                  kTeeOptions);
        return 0;
    }
    const auto& pos = o.Positionals();
    if (pos.empty()) throw UsageError("missing tee kind: converging or diverging");
    if (pos.size() > 1) throw UsageError("unexpected argument '" + pos[1] + "'");
    const bool converging = pos[0] == "converging";
    if (!converging && pos[0] != "diverging")
        throw UsageError("unknown tee kind '" + pos[0] + "' (converging or diverging)");
    for (const Option& opt : kTeeOptions) {
        const std::string help(opt.help);
        const bool forConverging = help.rfind("converging:", 0) == 0;
        if (o.Has(opt.name) && forConverging != converging)
            throw UsageError("--" + std::string(opt.name) + " does not apply to a " + pos[0] + " tee");
    }
    return converging ? Converging(o, out) : Diverging(o, out);
}

}  // namespace nuvcalc
