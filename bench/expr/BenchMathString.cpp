// Parse-and-evaluate throughput of CMathString against muparser on the same twenty texts of the
// kind typed into numeric fields, each text evaluated once (as a dialog field does). Both run in
// this one program; the last lines print how many times faster CMathString is.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "expr/MathString.h"

namespace {

const char* const kTexts[] = {
    "2*(3.5+1.2)",       "sqrt(2)*x",           "1200/3.6",                "3.5+1.2+0.8+2.4",
    "(0.32+0.25)*2*1.15", "2*(0.8+0.5)*12.5",   "x*x*3.14159/4",           "sqrt(x*x+0.5*0.5)",
    "1500*1.2/(3600*4.5)", "pow(x,2)*0.785",    "12.5-2*0.45",             "abs(sin(0.5)*x)",
    "exp(-0.2*x)+1",     "sqrt(pow(1.2,2)+pow(0.8,2))", "(4.2+3.6)/2*1.05", "floor(x*10)/10",
    "2*x*0.6/(x+0.6)",   "cos(0.7)*x+sin(0.7)*1.5", "0.02*12.5/0.4*1.2*1.2*5/2", "tanh(ln(x+1))*100",
};
constexpr double kX = 2.5;

// muparser has no pow, mod or floor functions by default; the texts use pow and floor.
double Pow(double a, double b) { return std::pow(a, b); }
double Floor(double a) { return std::floor(a); }

void SetUpParser(mu::Parser& p, double* x) {
    p.DefineVar("x", x);
    p.DefineFun("pow", Pow);
    p.DefineFun("floor", Floor);
}

const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts(std::begin(kTexts), std::end(kTexts));
    return texts;
}

bool EvaluateOnce(CMathString& m, const char* text, double& result) {
    m.Initial(text, kX);
    if (m.checkString() != 1) return false;
    m.stringToBolan();
    if (m.compvalue() != 0) return false;
    result = m.getvalue();
    return true;
}

void BM_MathString_Reused(benchmark::State& state) {
    CMathString m;
    for (auto _ : state) {
        for (const char* text : kTexts) {
            double v = 0.0;
            benchmark::DoNotOptimize(EvaluateOnce(m, text, v));
            benchmark::DoNotOptimize(v);
        }
    }
    state.SetItemsProcessed(state.iterations() * std::size(kTexts));
}

void BM_muparser_Reused(benchmark::State& state) {
    double x = kX;
    mu::Parser p;
    SetUpParser(p, &x);
    for (auto _ : state) {
        for (const std::string& text : Texts()) {
            p.SetExpr(text);
            benchmark::DoNotOptimize(p.Eval());
        }
    }
    state.SetItemsProcessed(state.iterations() * std::size(kTexts));
}

void BM_MathString_Fresh(benchmark::State& state) {
    for (auto _ : state) {
        for (const char* text : kTexts) {
            CMathString m(text, kX);
            double v = 0.0;
            benchmark::DoNotOptimize(EvaluateOnce(m, text, v));
            benchmark::DoNotOptimize(v);
        }
    }
    state.SetItemsProcessed(state.iterations() * std::size(kTexts));
}

void BM_muparser_Fresh(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& text : Texts()) {
            double x = kX;
            mu::Parser p;
            SetUpParser(p, &x);
            p.SetExpr(text);
            benchmark::DoNotOptimize(p.Eval());
        }
    }
    state.SetItemsProcessed(state.iterations() * std::size(kTexts));
}

BENCHMARK(BM_MathString_Reused);
BENCHMARK(BM_muparser_Reused);
BENCHMARK(BM_MathString_Fresh);
BENCHMARK(BM_muparser_Fresh);

// Keeps each benchmark's CPU time per iteration for the ratio lines (steadier than wall time
// on a shared machine).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && !r.error_occurred) times[r.benchmark_name()] = r.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

// Both evaluators must agree on every text, or the comparison means nothing.
bool SameAnswers() {
    double x = kX;
    mu::Parser p;
    SetUpParser(p, &x);
    CMathString m;
    bool same = true;
    for (const char* text : kTexts) {
        double ours = 0.0;
        p.SetExpr(text);
        const double theirs = p.Eval();
        if (!EvaluateOnce(m, text, ours) || std::fabs(ours - theirs) > 1e-12 * (1.0 + std::fabs(theirs))) {
            std::fprintf(stderr, "mismatch on %s: %.17g against muparser's %.17g\n", text, ours, theirs);
            same = false;
        }
    }
    return same;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!SameAnswers()) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const char* variant : {"Reused", "Fresh"}) {
        const auto ours = reporter.times.find(std::string("BM_MathString_") + variant);
        const auto theirs = reporter.times.find(std::string("BM_muparser_") + variant);
        if (ours == reporter.times.end() || theirs == reporter.times.end() || ours->second <= 0.0) continue;
        std::printf("%s evaluator, %zu texts each evaluated once: CMathString is %.1f times as fast as muparser\n",
                    variant, std::size(kTexts), theirs->second / ours->second);
    }
    return 0;
}
