// Chaining curves: SortCurve on 1,000 to 100,000 lines that form one path, handed over in a
// shuffled order, starting from the path's first point, and on 10,000 lines whose ends lie on a
// small lattice (many equal distances and shared ends). The fitted complexity is printed: the
// search grid keeps a pass about constant, so the time grows about linearly.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "draw/CurveChain.h"

namespace {

struct Path {
    std::vector<std::unique_ptr<AcDbLine>> lines;
    AcArray<AcDbCurve*> shuffled;
    AcGePoint3d start;
};

// A random walk of n segments; about a third of them are drawn backwards, so the chain meets
// them by their end points.
Path MakePath(int n) {
    Path p;
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> step(-10.0, 10.0);
    AcGePoint3d at(0, 0, 0);
    p.start = at;
    std::vector<AcDbCurve*> order;
    for (int i = 0; i < n; ++i) {
        AcGePoint3d next(at.x + std::fabs(step(rng)) + 1.0, at.y + step(rng), 0);
        bool backwards = rng() % 3 == 0;
        p.lines.push_back(backwards ? std::make_unique<AcDbLine>(next, at) : std::make_unique<AcDbLine>(at, next));
        order.push_back(p.lines.back().get());
        at = next;
    }
    std::shuffle(order.begin(), order.end(), rng);
    for (AcDbCurve* c : order) p.shuffled.append(c);
    return p;
}

void BM_SortCurve(benchmark::State& state) {
    Path p = MakePath(static_cast<int>(state.range(0)));
    AcArray<AcDbCurve*> out;
    for (auto _ : state) {
        bool ok = NUV::SortCurve(p.shuffled, p.start, out);
        benchmark::DoNotOptimize(ok);
        if (!ok || out.length() != p.shuffled.length() || out[0] != p.lines[0].get()) {
            state.SkipWithError("the chain is wrong");
            break;
        }
    }
    state.SetComplexityN(state.range(0));
    state.counters["curves"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_SortCurve)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oAuto);

// Ends on a 100 x 100 lattice: every pass meets ties and several curves sharing an end.
void BM_SortCurveLattice(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::mt19937 rng(777);
    std::uniform_int_distribution<int> cell(0, 99);
    std::vector<std::unique_ptr<AcDbLine>> lines;
    AcArray<AcDbCurve*> in, out;
    for (int i = 0; i < n; ++i) {
        lines.push_back(std::make_unique<AcDbLine>(AcGePoint3d(cell(rng), cell(rng), 0), AcGePoint3d(cell(rng), cell(rng), 0)));
        in.append(lines.back().get());
    }
    for (auto _ : state) {
        bool ok = NUV::SortCurve(in, AcGePoint3d(50, 50, 0), out);
        benchmark::DoNotOptimize(ok);
        if (!ok || out.length() != n) {
            state.SkipWithError("the chain is wrong");
            break;
        }
    }
    state.counters["curves"] = n;
}
BENCHMARK(BM_SortCurveLattice)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
