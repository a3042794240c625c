// nuvcalc over a segments file of 1,000,000 ducts (NUV_BENCH_ROWS sets another count), once per
// output format: the wall time and the peak memory of the program. Rows stream through the
// program, so its memory must not grow with the file: above 64 MB the benchmark fails.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr long kPeakLimitKb = 64 * 1024;
bool g_overLimit = false;

long Rows() {
    const char* n = std::getenv("NUV_BENCH_ROWS");
    return n && std::atol(n) > 0 ? std::atol(n) : 1000000;
}

// A supply run of varied, realistic ducts, made once.
const std::string& SegmentsFile() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/nuvbench.XXXXXX";
        if (!mkdtemp(dir.data())) std::abort();
        const std::string file = dir + "/segments.csv";
        std::ofstream out(file);
        out << "id,width,height,flow,length,zeta\n";
        const int widths[] = {200, 250, 320, 400, 500, 630, 800, 1000}, heights[] = {160, 200, 250, 320, 400};
        for (long i = 0; i < Rows(); ++i)
            out << 'S' << i << ',' << widths[i % 8] << ',' << heights[i % 5] << ',' << 200 + (i * 37) % 11800 << ','
                << 1 + i % 60 / 10.0 << ',' << i % 31 / 10.0 << '\n';
        return file;
    }();
    return path;
}

// Runs nuvcalc with its output thrown away; the peak resident set of the child in kB.
long RunNuvcalc(const std::vector<std::string>& args) {
    const std::string program = std::string(NUV_BIN_DIR) + "/nuvcalc";
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return usage.ru_maxrss;
}

void Segments(benchmark::State& state, const char* format) {
    const std::string& file = SegmentsFile();
    std::vector<std::string> args{"duct", "--csv-in", file};
    if (*format) args.push_back(format);
    long peak = 0;
    for (auto _ : state) {
        peak = RunNuvcalc(args);
        if (peak < 0) {
            state.SkipWithError("nuvcalc failed");
            return;
        }
    }
    state.counters["rows"] = static_cast<double>(Rows());
    state.counters["peak_MB"] = peak / 1024.0;
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(Rows()) * state.iterations(), benchmark::Counter::kIsRate);
    if (peak > kPeakLimitKb) {
        g_overLimit = true;
        state.SkipWithError("peak memory above 64 MB: rows are being held");
    }
}

BENCHMARK_CAPTURE(Segments, table, "")->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK_CAPTURE(Segments, csv, "--csv")->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK_CAPTURE(Segments, json, "--json")->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(std::filesystem::path(SegmentsFile()).parent_path());
    return g_overLimit ? 1 : 0;
}
