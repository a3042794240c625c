// nuvcalc eval, run as a user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Result {
    int status;
    std::string out, err;
};

std::string Slurp(const std::string& path) {
    std::ostringstream s;
    s << std::ifstream(path).rdbuf();
    return s.str();
}

Result RunNuvcalc(const std::string& args) {
    // nuvcalc is built into the same bin/ folder as this test program.
    const char* binary = std::getenv("NUV_BINARY_DIR");
    const std::string bin = binary ? std::string(binary) + "/bin" : std::filesystem::canonical("/proc/self/exe").parent_path().string();
    // ctest runs the tests of this program side by side: one pair of files per process.
    const std::string base = testing::TempDir() + "nuvcalc_eval_" + std::to_string(getpid());
    const std::string out = base + ".out", err = base + ".err";
    const int status = std::system((bin + "/nuvcalc " + args + " >" + out + " 2>" + err).c_str());
    Result r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return r;
}

TEST(NuvcalcEval, PrintsValueOrExplainsError) {
    const std::string tooLong = std::string(100, '1') + "+" + std::string(100, '1');
    const struct {
        std::string args;
        int status;
        const char* out;  // the whole of stdout
        const char* err;  // a piece of stderr
    } cases[] = {
        {"eval '2*(3+4)'", 0, "14\n", ""},
        {"eval '-2*3'", 0, "-6\n", ""},
        {"eval '0.1+0.2'", 0, "0.3\n", ""},
        {"eval 'sqrt(2)*x' --x 2", 0, "2.82842712474619\n", ""},
        {"eval --x=-1.5 'x*2'", 0, "-3\n", ""},
        {"eval '1/0'", 2, "", "error 1: division by zero"},
        {"eval 'sqrt(-1)'", 2, "", "error 8: sqrt of a negative value"},
        {"eval 2x --x 3", 2, "", "error -1: "},
        {"eval ''", 2, "", "error -1: empty expression"},
        {"eval 'Sin(1)'", 2, "", "not a valid expression: Sin(1)"},
        {"eval " + tooLong, 2, "", "longer than 200 characters"},
        {"eval", 2, "", "exactly one expression"},
        {"eval 1 2", 2, "", "exactly one expression"},
        {"eval x --x abc", 2, "", "--x"},
    };
    for (const auto& c : cases) {
        const Result r = RunNuvcalc(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_EQ(r.out, c.out) << c.args;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args << "\n" << r.err;
    }
}

TEST(NuvcalcEval, MachineReadableOutput) {
    const Result json = RunNuvcalc("eval '2*x' --x 4 --json");
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"value\": {\"value\": 8}"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"x\": {\"value\": 4}"), std::string::npos) << json.out;
}

}  // namespace
