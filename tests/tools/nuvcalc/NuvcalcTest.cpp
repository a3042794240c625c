// nuvcalc as its users run it: the built program, its stdout, stderr and exit status. Expected
// values come from an independent computation (closed forms typed from the formulas, Colebrook-
// White solved by Newton's method to machine precision, in a Python script run once), never from
// the kernel functions the program calls.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <filesystem>
#include <sstream>

#include "RunNuvcalc.h"

namespace {

const TempDir& Temp() {
    static const TempDir dir;
    return dir;
}

Result Nuvcalc(const std::vector<std::string>& args) { return Exec(Temp(), NuvcalcProgram(), args); }

Result Python(const std::string& code, const std::string& input) {
    return ::Python(Temp(), code, {Temp().Touch("peer-input", input)});
}

// Quantities of --csv output ("quantity,value,unit,note" blocks) by key; numbers only.
std::map<std::string, double> CsvQuantities(const std::string& csv) {
    std::map<std::string, double> m;
    std::istringstream in(csv);
    std::string line;
    bool inQuantities = false;
    while (std::getline(in, line)) {
        if (line == "quantity,value,unit,note") {
            inQuantities = true;
            continue;
        }
        if (line.empty()) {
            inQuantities = false;
            continue;
        }
        if (!inQuantities) continue;
        const auto c1 = line.find(','), c2 = line.find(',', c1 + 1);
        const std::string value = line.substr(c1 + 1, c2 - c1 - 1);
        if (!value.empty() && value[0] != '"') m[line.substr(0, c1)] = std::strtod(value.c_str(), nullptr);
    }
    return m;
}

// Relative agreement; the friction factor comes from a bisection that stops within 1e-9.
#define EXPECT_CLOSE(actual, expected, rel) EXPECT_NEAR(actual, expected, std::fabs(expected) * (rel)) << #actual

TEST(Nuvcalc, DuctAgainstIndependentValues) {
    const Result r = Nuvcalc({"duct", "--width", "500", "--height", "320", "--flow", "3600", "--length", "12",
                              "--temp", "25", "--rh", "60", "--csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    auto q = CsvQuantities(r.out);
    // rho = 0.003484 B/T - 0.00134 phi Ps(25 C)/T, Ps = 3169.3 Pa, T = 298.15 K
    EXPECT_CLOSE(q["density"], 1.1754760449438204, 1e-14);
    EXPECT_CLOSE(q["velocity"], 6.25, 1e-15);                 // Q/(a b) = 1 m3/s / 0.16 m2
    EXPECT_CLOSE(q["d_v"], 390.24390243902434, 1e-14);        // 2ab/(a+b)
    EXPECT_CLOSE(q["d_f"], 435.73772574923015, 1e-12);        // 1.297 ((ab)^3.112/(a+b)^1.217)^(1/5.007)
    EXPECT_CLOSE(q["d_a"], 451.35166683820506, 1e-14);        // 2 sqrt(ab/pi)
    EXPECT_CLOSE(q["reynolds"], 161953.8107731675, 1e-14);    // v d_v / nu, nu = 15.06e-6
    EXPECT_CLOSE(q["lambda"], 0.018635257913338022, 1e-7);    // Colebrook-White, delta = 0.15 mm / d_v
    EXPECT_CLOSE(q["rm"], 1.0963345581147743, 1e-7);          // lambda/d_v rho v^2/2
    EXPECT_CLOSE(q["friction_loss"], 13.156014697377291, 1e-7);  // 12 m Rm
    EXPECT_CLOSE(q["dynamic_pressure"], 22.958516502808994, 1e-14);  // rho v^2/2
    EXPECT_EQ(q["nu"], 15.06e-6);  // the documented default
    // The friction table lists every formula; Blasius is outside its range above Re 100000.
    EXPECT_NE(r.out.find("\nColebrook-White,0.0186352"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Blasius (smooth),,,outside range"), std::string::npos) << r.out;
}

TEST(Nuvcalc, JsonIsValidForTheRealParser) {
    const char* check =
        "import json,sys\n"
        "d=json.load(open(sys.argv[1]))\n"
        "r=d['results']\n"
        "print(r['velocity']['unit'], r['lambda']['note'], len(d['friction']),\n"
        "      [f['verdict'] for f in d['friction'] if f['formula'].startswith('laminar')][0],\n"
        "      d['friction'][1]['lambda'])\n";
    const Result r = Nuvcalc({"duct", "--width=500", "--height=320", "--flow=3600", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Result py = Python(check, r.out);
    ASSERT_EQ(py.status, 0) << py.err << r.out;
    EXPECT_EQ(py.out, "m/s Colebrook-White 9 not for turbulent flow None\n");

    const Result pipe = Nuvcalc({"pipe", "--diameter", "15", "--flow", "0.01", "--temp", "60", "--json"});
    ASSERT_EQ(pipe.status, 0) << pipe.err;
    const Result py2 = Python(
        "import json,sys\nd=json.load(open(sys.argv[1]))\n"
        "print(d['results']['reynolds']['note'], d['results']['lambda']['note'])\n",
        pipe.out);
    EXPECT_EQ(py2.out, "laminar laminar 64/Re\n") << py2.err;
}

TEST(Nuvcalc, PipeFromHeatLoad) {
    const Result r = Nuvcalc({"pipe", "--diameter", "32", "--load", "23260", "--dt", "10", "--temp", "70",
                              "--length", "50", "--csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto q = CsvQuantities(r.out);
    EXPECT_CLOSE(q["mass_flow"], 0.55555555555555558, 1e-14);  // 23260 W / 10 K / 1.163 / 3600: 2 t/h
    EXPECT_EQ(q["density"], 977.81);                            // the table's 70 C row
    EXPECT_CLOSE(q["nu"], 0.42e-6, 1e-14);                      // 0.475 + 10 (0.365 - 0.475)/20, 1e-6 m2/s
    EXPECT_CLOSE(q["velocity"], 0.70645285150002579, 1e-14);    // m/rho / (pi d^2/4)
    EXPECT_CLOSE(q["reynolds"], 53824.979161906733, 1e-14);
    EXPECT_CLOSE(q["lambda"], 0.033997546032884594, 1e-7);      // Colebrook-White, delta = 0.2/32
    EXPECT_CLOSE(q["friction_loss"], 12961.594787287242, 1e-7);  // lambda 50 m/d rho v^2/2
}

TEST(Nuvcalc, FittingsAndFluids) {
    struct Case {
        std::vector<std::string> args;
        std::string key;
        double want;
    } cases[] = {
        {{"elbow", "--angle", "90", "--ratio", "1"}, "zeta", 0.22},                // A(90) 1.0 x zeta90(1.0) 0.22
        {{"elbow", "--angle", "45", "--ratio", "1.25"}, "zeta", 0.111},            // 0.6 (0.22 + 0.25 (0.15-0.22)/0.5)
        {{"elbow", "--angle", "90", "--ratio", "1", "--width", "400", "--height", "400", "--re", "200000"},
         "zeta", 0.24},                                                             // C 0.24, kRe 1.0, A 1.0
        {{"elbow", "--angle", "90", "--ratio", "1", "--velocity", "6"}, "loss", 4.7475319069418394},  // 0.22 rho(20 C, 50 %) 36/2
        {{"tee", "converging", "--vc", "5", "--qc", "3", "--v1", "4", "--q1", "1", "--v2", "6", "--q2", "2",
          "--a1", "0", "--a2", "0"},
         "zeta2", 0.30666666666666664},                                             // S = 16/3 > vc: 1 + (6/5)^2 - 2 S/5
        {{"air", "--temp", "20", "--rh", "0"}, "density", 1.2042172949002219},     // 0.003484 B / 293.15
        {{"air", "--temp", "-5.5"}, "saturation_pressure", 385.26},                // halfway between -6 and -5 C
        {{"water", "--temp", "25"}, "density", 996.95},                            // 998.23 + 5 (995.67 - 998.23)/10
        {{"water", "--temp", "25.2"}, "nu", 0.9025},                               // rounded to 25: 1.004 + 5 (0.801 - 1.004)/10
    };
    for (auto& c : cases) {
        c.args.push_back("--csv");
        const Result r = Nuvcalc(c.args);
        ASSERT_EQ(r.status, 0) << c.args[0] << ": " << r.err;
        EXPECT_CLOSE(CsvQuantities(r.out)[c.key], c.want, 1e-13) << c.args[0] << " " << c.key << "\n" << r.out;
    }
    // Diverging: one row per selector case, in the order (1,1), (1,0), (0,1), (0,0).
    const Result d = Nuvcalc({"tee", "diverging", "--p1", "2", "--p2", "3", "--p3", "1", "--p4", "7", "--angle", "90", "--csv"});
    ASSERT_EQ(d.status, 0) << d.err;
    const struct {
        const char* head;  // s1, s2, ratio, value
        double zeta;
    } rows[] = {
        {"1,1,p3/p1 (angle),0.5,", 4.5},  // 90 degrees: (1/x)^2 + 0.5
        {"1,0,p2/p1,1.5,", 1.4875},       // 0.35 y^2 + 0.7
        {"0,1,p1/p3,2,", 0.35},           // 0.35 (x - 1)^2
        {"0,0,p3/p1,0.5,", 0.0875},       // 0.35 (1 - y)^2
    };
    std::size_t at = d.out.find("s1,s2,ratio,value,zeta\n");
    ASSERT_NE(at, std::string::npos) << d.out;
    for (const auto& row : rows) {
        at = d.out.find('\n', at) + 1;
        ASSERT_EQ(d.out.compare(at, std::strlen(row.head), row.head), 0) << row.head << "\n" << d.out;
        EXPECT_CLOSE(std::strtod(d.out.c_str() + at + std::strlen(row.head), nullptr), row.zeta, 1e-15);
    }
    // Outside the vapour-pressure table the density falls back to 352/T, and says so.
    const Result hot = Nuvcalc({"air", "--temp", "70"});
    ASSERT_EQ(hot.status, 0);
    EXPECT_NE(hot.out.find("352/T"), std::string::npos) << hot.out;
}

TEST(Nuvcalc, WrongInputExitsWithTwoAndNamesTheOption) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"duct", "--width", "abc", "--height", "300", "--flow", "1000"}, "--width: 'abc' is not a number"},
        {{"duct", "--width", "500", "--flow", "1000"}, "missing required option --height"},
        {{"duct", "--width", "0", "--height", "300", "--flow", "1000"}, "--width must be greater than 0"},
        {{"duct", "--width", "500", "--height", "300", "--flow", "nan"}, "--flow: 'nan' is not a finite number"},
        {{"duct", "--width", "500", "--height", "300", "--flow", "1000", "--rh", "120"}, "--rh must lie between"},
        {{"pipe", "--diameter", "20"}, "missing required option --flow"},
        {{"pipe", "--diameter", "20", "--load", "1000"}, "missing required option --dt"},
        {{"pipe", "--diameter", "20", "--flow", "1", "--load", "1000", "--dt", "5"}, "not both"},
        {{"elbow", "--angle", "90"}, "missing required option --ratio"},
        {{"elbow", "--angle", "90", "--ratio", "1", "--width", "400"}, "missing required option --height"},
        {{"elbow", "--angle", "90", "--ratio", "1", "--width", "400", "--height", "200"}, "--re"},
        {{"tee"}, "missing tee kind"},
        {{"tee", "sideways"}, "unknown tee kind 'sideways'"},
        {{"tee", "diverging", "--vc", "1"}, "--vc does not apply to a diverging tee"},
        {{"water", "--temp", "hot"}, "--temp: 'hot' is not a number"},
        {{"air", "--pressure", "0"}, "--pressure must be greater than 0"},
        {{"duct", "--csv-in", "/nonexistent/ducts.csv"}, "cannot open '/nonexistent/ducts.csv'"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{}, "usage: nuvcalc COMMAND"},
        // Results that are not finite numbers, named with their value.
        {{"duct", "--width", "1e-300", "--height", "300", "--flow", "1000"}, "is inf, not a finite number"},
        {{"pipe", "--diameter", "1e-200", "--flow", "1"}, "is inf, not a finite number"},
        // Temperatures where the fluid cannot be, at the boundary and beyond.
        {{"air", "--temp", "-300"}, "--temp: -300 °C is not above absolute zero (-273.15 °C)"},
        {{"air", "--temp", "-273.15"}, "not above absolute zero"},
        {{"duct", "--width", "500", "--height", "300", "--flow", "1000", "--temp", "-273.15"}, "not above absolute zero"},
        {{"elbow", "--angle", "90", "--ratio", "1", "--velocity", "6", "--temp", "-274"}, "not above absolute zero"},
        {{"water", "--temp", "-0.5"}, "--temp: -0.5 °C is below 0 °C, where water is ice"},
        {{"pipe", "--diameter", "20", "--flow", "1", "--temp", "-1"}, "where water is ice"},
        // Workbook options: whole digits in range, and only with a workbook.
        {{"air", "--xlsx", "never.xlsx", "--digits", "2.5"}, "--digits: '2.5' is not a whole number"},
        {{"air", "--xlsx", "never.xlsx", "--digits", "11"}, "--digits must lie between 0 and 10"},
        {{"air", "--xlsx", "never.xlsx", "--digits", "-1"}, "--digits must lie between 0 and 10"},
        {{"air", "--digits", "2"}, "--digits applies to the workbook: give --xlsx FILE too"},
        {{"air", "--force"}, "--force applies to the workbook"},
    };
    for (const Case& c : cases) {
        const Result r = Nuvcalc(c.args);
        const std::string what = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(r.status, 2) << what << " " << c.message;
        EXPECT_EQ(r.out, "") << what << " " << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << "stderr: " << r.err << "\nwanted: " << c.message;
    }
}

TEST(Nuvcalc, TemperaturesAtTheEdges) {
    // Accepted just inside the limits; outside a table the value used is said in a note.
    const struct {
        std::vector<std::string> args;
        const char* line;  // a whole line of the CSV output
    } cases[] = {
        {{"air", "--temp", "-273.14"}, "density,35200.000000032014,kg/m³,352/T: temperature outside -40..60 °C"},  // 352/(t + 273.15)
        {{"air", "--temp", "60"}, "saturation_pressure,19934.9,Pa,"},
        {{"water", "--temp", "0"}, "density,999.3,kg/m³,"},
        {{"water", "--temp", "100"}, "density,958.38,kg/m³,"},
        {{"water", "--temp", "100.5"}, "density,958.38,kg/m³,value at 100 °C: temperature above 100 °C"},
        {{"water", "--temp", "80"}, "nu,0.365,mm²/s,"},
        {{"water", "--temp", "80.5"}, "nu,0.365,mm²/s,value at 80 °C: temperature above 80 °C"},
        {{"pipe", "--diameter", "50", "--flow", "5", "--temp", "120"}, "density,958.38,kg/m³,value at 100 °C: temperature above 100 °C"},
    };
    for (auto c : cases) {
        c.args.push_back("--csv");
        const Result r = Nuvcalc(c.args);
        ASSERT_EQ(r.status, 0) << c.args[0] << " " << c.args[2] << ": " << r.err;
        EXPECT_NE(("\n" + r.out).find(std::string("\n") + c.line + "\n"), std::string::npos) << c.line << "\n" << r.out;
    }
}

TEST(Nuvcalc, HelpForEveryCommand) {
    const Result top = Nuvcalc({"--help"});
    EXPECT_EQ(top.status, 0);
    struct Case {
        const char* command;
        std::vector<const char*> options;
    } cases[] = {
        {"duct", {"--width", "--height", "--flow", "--length", "--temp", "--rh", "--pressure", "--roughness", "--nu", "--csv-in"}},
        {"pipe", {"--diameter", "--flow", "--load", "--dt", "--temp", "--length", "--roughness", "--csv-in"}},
        {"elbow", {"--angle", "--ratio", "--width", "--height", "--re", "--velocity"}},
        {"tee", {"converging", "diverging", "--vc", "--qc", "--p1", "--p4", "--angle"}},
        {"air", {"--temp", "--rh", "--pressure"}},
        {"water", {"--temp"}},
    };
    for (const Case& c : cases) {
        EXPECT_NE(top.out.find(std::string("  ") + c.command + " "), std::string::npos) << c.command;
        const Result r = Nuvcalc({c.command, "--help"});
        EXPECT_EQ(r.status, 0) << c.command;
        EXPECT_EQ(r.out.rfind(std::string("usage: nuvcalc ") + c.command, 0), 0u) << r.out;
        for (const char* o : c.options) EXPECT_NE(r.out.find(o), std::string::npos) << c.command << " " << o;
        for (const char* o : {"--json", "--csv", "--help"}) EXPECT_NE(r.out.find(o), std::string::npos) << c.command << " " << o;
    }
    EXPECT_NE(Nuvcalc({"duct", "--help"}).out.find("1.506e-5"), std::string::npos);  // the air viscosity default
}

// --xlsx saves through the one file writer: a link is written through and keeps its target's
// mode; a device at the path is refused, named, and left as it is.
TEST(Nuvcalc, XlsxIsSavedThroughLinksAndNeverOverDevices) {
    namespace fs = std::filesystem;
    const ::TempDir dir;
    const std::string real = dir.Touch("real/report.xlsx", "old"), link = dir.File("report.xlsx");
    ASSERT_EQ(::chmod(real.c_str(), 0664), 0);
    ASSERT_EQ(::symlink("real/report.xlsx", link.c_str()), 0);
    Result r = Nuvcalc({"--csv-in", Source("examples/ducts.csv"), "--xlsx", link, "--force"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(real).substr(0, 2), "PK");
    EXPECT_EQ(fs::status(real).permissions(), fs::perms(0664));

    const std::string device = dir.File("null.xlsx");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        ASSERT_EQ(::symlink("/dev/null", device.c_str()), 0);  // no right to make nodes: the real one
    }
    r = Nuvcalc({"--csv-in", Source("examples/ducts.csv"), "--xlsx", device, "--force"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("character device"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(device), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

}  // namespace
