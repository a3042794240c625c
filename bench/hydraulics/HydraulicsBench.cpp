// Time per call of every hydraulic function, and the residual evaluations per call of the two
// bisections (counted by running the same solver steps with a counter).
#include <benchmark/benchmark.h>

#include <array>
#include <functional>
#include <string>

#include "hydraulics/Bisection.h"
#include "hydraulics/FluidProperties.h"
#include "hydraulics/Friction.h"
#include "hydraulics/LocalLoss.h"

namespace {

// Realistic arguments, varied so that nothing folds to a constant.
struct Inputs {
    std::array<double, 64> re, delta, size, speed, temp, angle;
    Inputs() {
        for (int i = 0; i < 64; ++i) {
            re[i] = 4500.0 * (1.0 + i * 0.9);             // 4.5e3 .. 2.6e5
            delta[i] = 0.00002 * (1.0 + i * 0.6);         // 2e-5 .. 7.8e-4
            size[i] = 0.1 + 0.015 * i;                    // 0.1 .. 1.05 m
            speed[i] = 1.0 + 0.12 * i;                    // 1 .. 8.6 m/s
            temp[i] = -20.0 + 1.3 * i;                    // -20 .. 62 C
            angle[i] = 0.05 * i;                          // 0 .. 3.15 rad
        }
    }
};
const Inputs in;

using Fn = std::function<double(int)>;

void Time(benchmark::State& state, const Fn& f) {
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f(i));
        i = (i + 1) & 63;
    }
}

void Register(const std::string& name, Fn f) {
    benchmark::RegisterBenchmark(name.c_str(), [f](benchmark::State& s) { Time(s, f); });
}

// The bisections: time per call plus residual evaluations per call as a counter.
void Pn(benchmark::State& state) {
    long evals = 0, calls = 0;
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NUV::x_TF_PN(in.re[i]));
        i = (i + 1) & 63;
    }
    for (int k = 0; k < 64; ++k, ++calls) NUV::Bisection::SolvePN(in.re[k], [&] { ++evals; });
    state.counters["evals/call"] = static_cast<double>(evals) / calls;
}

void Cw(benchmark::State& state) {
    long evals = 0, calls = 0;
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NUV::x_TF_CW(in.re[i], in.delta[i]));
        i = (i + 1) & 63;
    }
    for (int k = 0; k < 64; ++k, ++calls) NUV::Bisection::SolveCW(in.re[k], in.delta[k], [&] { ++evals; });
    state.counters["evals/call"] = static_cast<double>(evals) / calls;
}

int RegisterAll() {
    const auto& x = in;
    Register("D", [&](int i) { return NUV::D(x.size[i]); });
    Register("Rs", [&](int i) { return NUV::Rs(x.size[i], x.speed[i]); });
    Register("D_V", [&](int i) { return NUV::D_V(x.size[i], x.size[63 - i]); });
    Register("D_F", [&](int i) { return NUV::D_F(x.size[i], x.size[63 - i]); });
    Register("D_A", [&](int i) { return NUV::D_A(x.size[i], x.size[63 - i]); });
    Register("D_Circle", [&](int i) { return NUV::D_Circle(x.size[i]); });
    Register("L", [&](int i) { return NUV::L(x.size[i], x.speed[i]); });
    Register("L_Square", [&](int i) { return NUV::L_Square(x.size[i], x.size[63 - i], x.speed[i]); });
    Register("L_Circle", [&](int i) { return NUV::L_Circle(x.size[i], x.speed[i]); });
    Register("V", [&](int i) { return NUV::V(x.speed[i], x.size[i]); });
    Register("V_Square", [&](int i) { return NUV::V_Square(x.speed[i], x.size[i], x.size[63 - i]); });
    Register("V_Circle", [&](int i) { return NUV::V_Circle(x.speed[i], x.size[i]); });
    Register("Re", [&](int i) { return NUV::Re(x.speed[i], x.size[i], 15.06e-6); });
    Register("x_LF", [&](int i) { return NUV::x_LF(x.re[i] * 0.01); });
    Register("x_TF_B", [&](int i) { return NUV::x_TF_B(x.re[i]); });
    benchmark::RegisterBenchmark("x_TF_PN", Pn);
    benchmark::RegisterBenchmark("x_TF_CW", Cw);
    Register("x_TF_SJ", [&](int i) { return NUV::x_TF_SJ(x.re[i] + 600, x.delta[i]); });
    Register("x_TF_A", [&](int i) { return NUV::x_TF_A(x.re[i], x.delta[i]); });
    Register("x_TF_M", [&](int i) { return NUV::x_TF_M(x.re[i], x.delta[i]); });
    Register("x_TF_KN", [&](int i) { return NUV::x_TF_KN(x.delta[i]); });
    Register("x_TF_X", [&](int i) { return NUV::x_TF_X(x.delta[i]); });
    Register("Pl", [&](int i) { return NUV::Pl(10, 0.02, x.size[i], x.speed[i], 1.2); });
    Register("Pl_Circle", [&](int i) { return NUV::Pl_Circle(10, 0.02, x.size[i], x.speed[i], 1.2); });
    Register("Pl_Square", [&](int i) { return NUV::Pl_Square(10, 0.02, x.size[i], x.size[63 - i], x.speed[i], 1.2); });
    Register("Rm", [&](int i) { return NUV::Rm(0.02, x.size[i], x.speed[i], 1.2); });
    Register("Rm_Circle", [&](int i) { return NUV::Rm_Circle(0.02, x.size[i], x.speed[i], 1.2); });
    Register("Rm_Square", [&](int i) { return NUV::Rm_Square(0.02, x.size[i], x.size[63 - i], x.speed[i], 1.2); });
    Register("Pd", [&](int i) { return NUV::Pd(0.5, x.speed[i], 1.2); });
    Register("hd", [&](int i) { return NUV::hd(0.5, x.speed[i], 9.81); });
    Register("GetDY", [&](int i) { return NUV::GetDY(x.speed[i], 1.2); });
    Register("GetDLLength", [&](int i) { return NUV::GetDLLength(x.speed[i], 2.5, x.size[i], 0.02); });
    Register("GetSyphonDragLocalIndexCircle",
             [&](int i) { return NUV::GetSyphonDragLocalIndexCircle(x.angle[i], x.size[i] * 2.5); });
    Register("GetSyphonDragLocalIndexSquare", [&](int i) {
        return NUV::GetSyphonDragLocalIndexSquare(x.angle[i], x.size[i] * 2, x.re[i], x.size[i], x.size[63 - i]);
    });
    Register("GetHeLiuSanTongDragLocalIndex", [&](int i) {
        return NUV::GetHeLiuSanTongDragLocalIndex(x.speed[i], 3, x.speed[63 - i], 1, 4, 2, 0, x.angle[i], i & 1);
    });
    Register("GetFenLiuSanTongDragLocalIndex", [&](int i) {
        return NUV::GetFenLiuSanTongDragLocalIndex(x.speed[i], x.speed[63 - i], x.size[i] * 5, 2, x.angle[i], i & 1, i & 2);
    });
    Register("GetBhDqYl", [&](int i) { return NUV::GetBhDqYl(x.temp[i]); });
    Register("GetDensity", [&](int i) { return NUV::GetDensity(x.temp[i], 0.5, 101325); });
    Register("GetWaterMD", [&](int i) { return NUV::GetWaterMD(x.temp[i] + 30); });
    Register("GetWaterND", [&](int i) { return NUV::GetWaterND(x.temp[i] + 20); });
    Register("GetWaterFlux", [&](int i) { return NUV::GetWaterFlux(x.speed[i] * 1000, 5); });
    return 0;
}

const int registered = RegisterAll();

}  // namespace

BENCHMARK_MAIN();
