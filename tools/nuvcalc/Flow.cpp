#include "Flow.h"

#include <memory>

#include "NUVKernel/NUVKernel.h"
#include "Progress.h"
#include "RowSpool.h"

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

double AirTemperature(const Options& o) {
    const double t = o.Number("temp", 20.0);
    if (!(t > kAbsoluteZero)) throw UsageError("--temp: " + HumanNumber(t) + " °C is not above absolute zero (-273.15 °C)");
    return t;
}

double WaterTemperature(const Options& o) {
    const double t = o.Number("temp", 20.0);
    if (t < 0) throw UsageError("--temp: " + HumanNumber(t) + " °C is below 0 °C, where water is ice");
    return t;
}

std::string AirDensityNote(double t) { return t < -40 || t > 60 ? "352/T: temperature outside -40..60 °C" : ""; }

// The density table ends at 100 C and the viscosity table at 80 C; beyond them the kernel keeps
// the last value.
std::string WaterDensityNote(double t) { return t > 100 ? "value at 100 °C: temperature above 100 °C" : ""; }

std::string WaterViscosityNote(double t) { return t > 80 ? "value at 80 °C: temperature above 80 °C" : ""; }

void AddTotals(Report& report, const SegmentTotals& totals) {
    Block& tot = report.AddQuantities("totals", "Totals");
    Put(tot, "segments", "segments", "", static_cast<double>(totals.segments));
    Put(tot, "length", "length", "m", totals.length);
    Put(tot, "friction_loss", "friction loss", "Pa", totals.friction);
    Put(tot, "local_loss", "local loss", "Pa", totals.local);
    Put(tot, "total_loss", "total pressure loss", "Pa", totals.friction + totals.local);
}

void AddSegments(Report& report, SegmentFile& file, std::vector<Column> columns,
                 const std::function<Segment(const SegmentFile&)>& compute) {
    Block& table = report.AddTable("segments", "Segments", std::move(columns));
    auto rows = std::make_shared<RowSpool>();
    SegmentTotals totals;
    {
        nuvtools::Progress progress("nuvcalc: reading " + file.Path(), file.Size());
        while (file.Next()) {
            const Segment s = compute(file);
            const std::string* id = std::get_if<std::string>(&s.row[0]);
            CheckRow(table, s.row, file.Where() + (id ? " (" + *id + ")" : ""));
            totals.Add(s.length, s.friction, s.local);
            rows->Append(s.row);
            progress.Update(file.BytesRead());
        }
    }
    if (totals.segments == 0) throw UsageError("--csv-in: " + file.Path() + " has no segments");
    table.rowCount = totals.segments;
    table.stream = [rows](const RowSink& sink) {
        nuvtools::Progress progress("nuvcalc: writing", rows->Bytes());
        rows->Replay(sink, [&](std::uint64_t done) { progress.Update(done); });
    };
    AddTotals(report, totals);
}

}  // namespace nuvcalc
