// nuvcalc as its users run it: the built program, its stdout, stderr and exit status.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "NUVKernel/NUVKernel.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string out, err;
};

// One folder for the program's run, removed when it ends.
fs::path Temp() {
    static const ::TempDir dir;
    return dir.path();
}

// Runs a program with arguments; stdout and stderr go to files in the test's temporary folder.
Result Exec(const std::string& program, const std::vector<std::string>& args) {
    const fs::path outPath = Temp() / "out", errPath = Temp() / "err";
    const pid_t pid = fork();
    if (pid == 0) {
        const int o = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(o, 1);
        dup2(e, 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int st = 0;
    waitpid(pid, &st, 0);
    Result r;
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.out = ReadAll(outPath);
    r.err = ReadAll(errPath);
    return r;
}

Result Nuvcalc(const std::vector<std::string>& args) {
    const char* bin = std::getenv("NUV_BINARY_DIR");
    return Exec(std::string(bin ? bin : ".") + "/bin/nuvcalc", args);
}

std::string Source(const std::string& rel) {
    const char* src = std::getenv("NUV_SOURCE_DIR");
    return std::string(src ? src : ".") + "/" + rel;
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

// Runs a Python snippet (the real json and csv modules as peers) on the given text.
Result Python(const std::string& code, const std::string& input) {
    const fs::path in = Temp() / "peer-input";
    std::ofstream(in) << input;
    return Exec("/usr/bin/python3", {"-c", code, in.string()});
}

constexpr double kPi = 3.141592653589793;

std::string Exact(double v) {
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

TEST(Nuvcalc, DuctMatchesTheKernel) {
    const Result r = Nuvcalc({"duct", "--width", "500", "--height", "320", "--flow", "3600", "--length", "12",
                          "--temp", "25", "--rh", "60", "--csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    auto q = CsvQuantities(r.out);
    const double a = 0.5, b = 0.32, Q = 1.0;
    const double rho = NUV::GetDensity(25, 0.6, 101325);
    const double v = NUV::V_Square(Q, a, b);
    const double re = NUV::Re(v, NUV::D_V(a, b), 15.06e-6);
    const double lambda = NUV::x_TF_CW(re, 0.00015 / NUV::D_V(a, b));
    // CSV keeps every digit, so results equal the kernel's exactly.
    EXPECT_EQ(q["velocity"], v);
    EXPECT_EQ(q["density"], rho);
    EXPECT_EQ(q["reynolds"], re);
    EXPECT_EQ(q["lambda"], lambda);
    EXPECT_EQ(q["rm"], NUV::Rm_Square(lambda, a, b, v, rho));
    EXPECT_EQ(q["friction_loss"], NUV::Pl_Square(12, lambda, a, b, v, rho));
    EXPECT_EQ(q["dynamic_pressure"], NUV::GetDY(v, rho));
    EXPECT_EQ(q["d_v"], NUV::D_V(a, b) * 1000);
    EXPECT_EQ(q["d_f"], NUV::D_F(a, b) * 1000);
    EXPECT_EQ(q["d_a"], NUV::D_A(a, b) * 1000);
    EXPECT_EQ(q["nu"], 15.06e-6);  // the documented default
    // The friction table lists every formula; Blasius is outside its range at this Re.
    EXPECT_NE(r.out.find("\nColebrook-White," + Exact(lambda) + "," + Exact(NUV::Rm_Square(lambda, a, b, v, rho)) + ",ok\n"),
              std::string::npos) << r.out;
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
    const double mass = NUV::GetWaterFlux(23260, 10);
    const double rho = NUV::GetWaterMD(70);
    const double v = NUV::V_Circle(mass / rho, 0.032);
    const double re = NUV::Re(v, 0.032, NUV::GetWaterND(70) * 1e-6);
    const double lambda = NUV::x_TF_CW(re, 0.0002 / 0.032);
    EXPECT_NEAR(mass, 0.5556, 1e-4);  // 20 kW at 10 K carry about 2 t/h
    EXPECT_EQ(q["mass_flow"], mass);
    EXPECT_EQ(q["density"], rho);
    EXPECT_EQ(q["velocity"], v);
    EXPECT_EQ(q["lambda"], lambda);
    EXPECT_EQ(q["friction_loss"], NUV::Pl_Circle(50, lambda, 0.032, v, rho));
}

TEST(Nuvcalc, FittingsAndFluids) {
    struct Case {
        std::vector<std::string> args;
        std::string key;
        double want;
    } cases[] = {
        {{"elbow", "--angle", "90", "--ratio", "1"}, "zeta", NUV::GetSyphonDragLocalIndexCircle(kPi / 2, 1)},
        {{"elbow", "--angle", "45", "--ratio", "1.25"}, "zeta", NUV::GetSyphonDragLocalIndexCircle(kPi / 4, 1.25)},
        {{"elbow", "--angle", "90", "--ratio", "1", "--width", "400", "--height", "400", "--re", "200000"},
         "zeta", 0.1 * 2.4},
        {{"elbow", "--angle", "90", "--ratio", "1", "--velocity", "6"}, "loss",
         NUV::Pd(0.22, 6, NUV::GetDensity(20, 0.5, 101325))},
        {{"tee", "converging", "--vc", "5", "--qc", "3", "--v1", "4", "--q1", "1", "--v2", "6", "--q2", "2",
          "--a1", "0", "--a2", "0"},
         "zeta2", NUV::GetHeLiuSanTongDragLocalIndex(5, 3, 4, 1, 6, 2, 0, 0, 0)},
        {{"air", "--temp", "20", "--rh", "0"}, "density", NUV::GetDensity(20, 0, 101325)},
        {{"air", "--temp", "-5.5"}, "saturation_pressure", 385.26},
        {{"water", "--temp", "25"}, "density", NUV::GetWaterMD(25)},
        {{"water", "--temp", "25.2"}, "nu", NUV::GetWaterND(25.2)},
    };
    for (auto& c : cases) {
        c.args.push_back("--csv");
        const Result r = Nuvcalc(c.args);
        ASSERT_EQ(r.status, 0) << c.args[0] << ": " << r.err;
        EXPECT_NEAR(CsvQuantities(r.out)[c.key], c.want, 1e-12) << c.args[0] << " " << c.key << "\n" << r.out;
    }
    // Diverging: one row per selector case, in the order (1,1), (1,0), (0,1), (0,0).
    const Result d = Nuvcalc({"tee", "diverging", "--p1", "2", "--p2", "3", "--p3", "1", "--p4", "7", "--angle", "90", "--csv"});
    ASSERT_EQ(d.status, 0) << d.err;
    std::string want = "s1,s2,ratio,value,zeta\n";
    const char* ratios[] = {"p3/p1 (angle),0.5", "p2/p1,1.5", "p1/p3,2", "p3/p1,0.5"};
    for (int i = 0; i < 4; ++i) {
        const int s1 = i < 2, s2 = i % 2 == 0;
        want += std::to_string(s1) + "," + std::to_string(s2) + "," + ratios[i] + "," +
                Exact(NUV::GetFenLiuSanTongDragLocalIndex(2, 3, 1, 7, kPi / 2, s1, s2)) + "\n";
    }
    EXPECT_NE(d.out.find(want), std::string::npos) << d.out << want;
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
    };
    for (const Case& c : cases) {
        const Result r = Nuvcalc(c.args);
        const std::string what = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(r.status, 2) << what << " " << c.message;
        EXPECT_EQ(r.out, "") << what << " " << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << "stderr: " << r.err << "\nwanted: " << c.message;
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

TEST(Nuvcalc, SegmentsFileGivesRowsAndTotals) {
    const Result r = Nuvcalc({"duct", "--csv-in", Source("examples/ducts.csv"), "--csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    // The real csv module reads the segments back; the totals are their sums, and the example is
    // a realistic supply run: turbulent, at velocities an engineer would accept.
    const Result py = Python(
        "import csv,sys\nblocks=open(sys.argv[1]).read().split('\\n\\n')\n"
        "rows=list(csv.DictReader([b for b in blocks if b.startswith('id,')][0].splitlines()))\n"
        "tot={r['quantity']:float(r['value']) for r in csv.DictReader(blocks[-1].splitlines())}\n"
        "s=lambda k: sum(float(r[k]) for r in rows)\n"
        "ok=lambda a,b: abs(a-b) < 1e-9\n"
        "print(len(rows), tot['segments'], ok(tot['friction_loss'], s('friction_pa')),\n"
        "      ok(tot['local_loss'], s('local_pa')), ok(tot['total_loss'], s('total_pa')), ok(tot['length'], s('length_m')),\n"
        "      all(1.5 < float(r['velocity_m_s']) < 12 and float(r['reynolds']) > 2300 for r in rows))\n",
        r.out);
    EXPECT_EQ(py.out, "12 12.0 True True True True True\n") << py.err << r.out;
    // The default table output starts with the file and ends with the totals.
    const Result table = Nuvcalc({"--csv-in", Source("examples/ducts.csv")});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("Totals\n  segments"), std::string::npos) << table.out;
}

TEST(Nuvcalc, SegmentsFileErrorsNameLineAndColumn) {
    struct Case {
        const char* command;
        const char* content;
        const char* message;
    } cases[] = {
        {"duct", "id,width,height,flow,length\nA,500,300,2000,5\nB,400,x,1000,3\n", "line 3, column height: 'x' is not a number"},
        {"duct", "width,height,flow,length\n500,300,2000,0\n", "line 2, column length: must be greater than 0"},
        {"duct", "width,height,flow\n500,300,2000\n", "line 2, column length: a value is required"},
        {"duct", "width,heigth,flow,length\n500,300,2000,1\n", "unknown column 'heigth'"},
        {"duct", "# only a comment\n", "has no header row"},
        {"pipe", "diameter,flow,length,zeta\n25,1.2,10,-1\n", "line 2, column zeta: must not be negative"},
        {"pipe", "diameter,load,dt,length\n25,5000,,10\n", "line 2, column dt: a value is required"},
    };
    const fs::path file = Temp() / "segments.csv";
    for (const Case& c : cases) {
        std::ofstream(file) << c.content;
        const Result r = Nuvcalc({c.command, "--csv-in", file.string()});
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.out, "") << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << "stderr: " << r.err << "\nwanted: " << c.message;
    }
    // A pipe run from heat loads, quoted ids and a comment line.
    std::ofstream(file) << "id,diameter,load,dt,length,zeta\n# riser\n\"R1, first\",40,50000,10,12,1.5\nR2,32,30000,10,8,\n";
    const Result r = Nuvcalc({"pipe", "--csv-in", file.string(), "--temp", "60", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Result py = Python(
        "import json,sys\nd=json.load(open(sys.argv[1]))\ns=d['segments']\n"
        "print(len(s), s[0]['id'], s[1]['local_pa'], round(d['totals']['length']['value'], 6))\n",
        r.out);
    EXPECT_EQ(py.out, "2 R1, first 0 20\n") << py.err << r.out;
}

}  // namespace

namespace {

// --xlsx saves through the one file writer: a link is written through and keeps its target's
// mode; a device at the path is refused, named, and left as it is.
TEST(Nuvcalc, XlsxIsSavedThroughLinksAndNeverOverDevices) {
    const ::TempDir dir;
    const std::string real = dir.Touch("real/report.xlsx", "old"), link = dir.File("report.xlsx");
    ASSERT_EQ(::chmod(real.c_str(), 0664), 0);
    ASSERT_EQ(::symlink("real/report.xlsx", link.c_str()), 0);
    Result r = Nuvcalc({"--csv-in", Source("examples/ducts.csv"), "--xlsx", link});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(real).substr(0, 2), "PK");
    EXPECT_EQ(fs::status(real).permissions(), fs::perms(0664));

    const std::string device = dir.File("null.xlsx");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        ASSERT_EQ(::symlink("/dev/null", device.c_str()), 0);  // no right to make nodes: the real one
    }
    r = Nuvcalc({"--csv-in", Source("examples/ducts.csv"), "--xlsx", device});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("character device"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(device), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

}  // namespace
