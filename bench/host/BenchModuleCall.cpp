// What a call of a module's AutoLISP function costs: AutoLISP evaluates (duct-dv 500 400), the
// arguments become a resbuf chain, the host sends the module kInvkSubrMsg, the module reads them
// with acedGetArgs and answers with acedRetReal, and the value comes back into AutoLISP. Measured
// beside a function defined in AutoLISP doing the same arithmetic, and beside acedInvoke, the
// way C code calls into AutoLISP.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "acad/AcEd.h"
#include "acad/HostLisp.h"
#include "acad/HostSession.h"
#include "acad/LispInterpreter.h"

namespace {

// One session for the whole run: a drawing and the demo module (from the support folder).
NUVAcad::LispInterpreter& Session() {
    static NUVAcad::LispInterpreter* lisp = [] {
        static NUVAcad::OutputCapture quiet;
        NUVAcad::StartSession();
        acDocManager->appContextNewDocument(nullptr);
        if (acedArxLoad("nuvdemo") != RTNORM) {
            std::fprintf(stderr, "bench_host: the demo module nuvdemo.arx cannot be loaded: %s\n", quiet.text().c_str());
            std::exit(1);
        }
        NUVAcad::LispInterpreter* in = NUVAcad::DocumentLisp(acDocManager->curDocument());
        in->evaluate("(defun lisp-dv (a b) (/ (* 2.0 a b) (+ a b)))");
        return in;
    }();
    return *lisp;
}

void Evaluate(benchmark::State& state, const char* text) {
    NUVAcad::LispInterpreter& in = Session();
    CString expr(text);
    for (auto _ : state) {
        resbuf* value = nullptr;
        if (in.evaluate(expr, &value) != RTNORM || !value || value->restype != RTREAL) state.SkipWithError("no value");
        benchmark::DoNotOptimize(value->resval.rreal);
        acutRelRb(value);
    }
    state.SetItemsProcessed(state.iterations());
}

void ModuleFunctionFromAutoLisp(benchmark::State& state) { Evaluate(state, "(duct-dv 500 400)"); }
void AutoLispFunction(benchmark::State& state) { Evaluate(state, "(lisp-dv 500 400)"); }

void ModuleFunctionThroughAcedInvoke(benchmark::State& state) {
    Session();
    resbuf* args = acutBuildList(RTSTR, "duct-dv", RTSHORT, 500, RTSHORT, 400, 0);
    for (auto _ : state) {
        resbuf* value = nullptr;
        if (acedInvoke(args, &value) != RTNORM || !value) state.SkipWithError("no value");
        benchmark::DoNotOptimize(value->resval.rreal);
        acutRelRb(value);
    }
    acutRelRb(args);
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(ModuleFunctionFromAutoLisp);
BENCHMARK(ModuleFunctionThroughAcedInvoke);
BENCHMARK(AutoLispFunction);

}  // namespace

BENCHMARK_MAIN();
