// The interpreter on a loop-heavy program (a counting loop, recursive calls, a list built, mapped
// and summed) against the same program in GNU Guile's interpreter and in Python, each timing
// itself in CPU time (steadier than wall time on a shared machine; the fastest of several runs
// each); and the round trip of an external function call (arguments to a resbuf chain, the
// host's call, the result back). The last lines print the times and the ratios.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "acad/LispInterpreter.h"

namespace {

// The same work in each language; every version answers the same three numbers.
const char* const kLisp = R"(
(defun fib (n) (if (< n 2) n (+ (fib (- n 1)) (fib (- n 2)))))
(defun work (/ i s l total)
  (setq i 0 s 0)
  (while (< i 300000) (setq s (+ s (rem (* i 3) 7)) i (1+ i)))
  (setq l nil i 0)
  (repeat 100000 (setq l (cons i l) i (1+ i)))
  (setq total 0)
  (foreach x (mapcar '(lambda (x) (* (rem x 1000) 2)) l) (setq total (+ total x)))
  (list s (fib 20) total))
)";

const char* const kScheme = R"(
(define (fib n) (if (< n 2) n (+ (fib (- n 1)) (fib (- n 2)))))
(define (work)
  (let ((i 0) (s 0) (l '()) (total 0))
    (while (< i 300000) (set! s (+ s (remainder (* i 3) 7))) (set! i (1+ i)))
    (set! i 0)
    (do ((k 0 (1+ k))) ((= k 100000)) (set! l (cons i l)) (set! i (1+ i)))
    (for-each (lambda (x) (set! total (+ total x))) (map (lambda (x) (* (remainder x 1000) 2)) l))
    (list s (fib 20) total)))
(work)
(define r #f)
(define ms 1e9)
(do ((k 0 (1+ k))) ((= k 5))
  (let ((t0 (get-internal-run-time)))
    (set! r (work))
    (set! ms (min ms (/ (* 1000.0 (- (get-internal-run-time) t0)) internal-time-units-per-second)))))
(display (car r)) (display " ") (display (cadr r)) (display " ") (display (caddr r))
(display " ") (display ms) (newline)
)";

const char* const kPython = R"(
import sys, time
sys.setrecursionlimit(10000)
def fib(n):
    return n if n < 2 else fib(n - 1) + fib(n - 2)
def work():
    i = 0; s = 0
    while i < 300000:
        s = s + (i * 3) % 7; i = i + 1
    l = []; i = 0
    for _ in range(100000):
        l.append(i); i = i + 1
    l.reverse()  # the Lisp version conses onto the front
    total = 0
    for x in map(lambda x: (x % 1000) * 2, l):
        total = total + x
    return [s, fib(20), total]
work()
ms = 1e9
for _ in range(5):
    t0 = time.process_time()
    r = work()
    ms = min(ms, (time.process_time() - t0) * 1000)
print(r[0], r[1], r[2], ms)
)";

struct QuietHost : NUVAcad::LispHost {
    std::string out;
    void print(const CString& text) override { out += text.str(); }
    int callExternal(const NUVAcad::LispExternalFunction&, const resbuf* args, resbuf** result, CString&) override {
        // Answers with the argument list it was given, as a module echoing its input would.
        resbuf* head = acutNewRb(RTLB);
        resbuf* tail = head;
        tail->rbnext = acutCopyRb(args);
        while (tail->rbnext) tail = tail->rbnext;
        tail->rbnext = acutNewRb(RTLE);
        *result = head;
        return RSRSLT;
    }
    bool findFile(const CString&, CString&) override { return false; }
    AcDbDatabase* database() override { return nullptr; }
};

std::string LispAnswer() {
    QuietHost host;
    NUVAcad::LispInterpreter lisp(host);
    lisp.evaluate(kLisp);
    lisp.evaluateCommandLine("(work)");
    return host.out;
}

void BM_LispLoopProgram(benchmark::State& state) {
    QuietHost host;
    NUVAcad::LispInterpreter lisp(host);
    lisp.evaluate(kLisp);
    for (auto _ : state) {
        resbuf* result = nullptr;
        if (lisp.evaluate("(work)", &result) != RTNORM) state.SkipWithError("evaluation failed");
        acutRelRb(result);
    }
}
BENCHMARK(BM_LispLoopProgram)->Unit(benchmark::kMillisecond)->Repetitions(5);

// One external call with an integer, a real, a string and a point, answered with a list of them.
void BM_LispExternalCall(benchmark::State& state) {
    QuietHost host;
    NUVAcad::LispInterpreter lisp(host);
    lisp.defineExternal("echoargs", 1, nullptr);
    lisp.evaluate("(defun calls (n) (repeat n (echoargs 7 2.5 \"duct\" '(1.0 2.0 3.0))))");
    const int n = 10000;
    for (auto _ : state) {
        if (lisp.evaluate("(calls 10000)") != RTNORM) state.SkipWithError("evaluation failed");
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_LispExternalCall)->Unit(benchmark::kMillisecond);

class TimeReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // The fastest repetition: the one the rest of a shared machine disturbed least.
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            const double ms = r.GetAdjustedCPUTime();  // in the benchmark's unit
            auto [it, added] = cpuMs.emplace(r.run_name.function_name, ms);
            if (!added && ms < it->second) it->second = ms;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> cpuMs;
};

// Runs a peer on a script file and returns its one output line ("s fib total ms"), or "".
std::string RunPeer(const std::string& command, const char* script, const char* suffix) {
    char dir[] = "/tmp/nuvlispbenchXXXXXX";
    if (!mkdtemp(dir)) return "";
    const std::string path = std::string(dir) + "/work" + suffix;
    std::ofstream(path) << script;
    std::string line;
    if (FILE* p = popen((command + " " + path + " 2>/dev/null").c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, p)) line = buf;
        pclose(p);
    }
    std::remove(path.c_str());
    rmdir(dir);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

void Compare(double lispMs, const char* name, const std::string& command, const char* script, const char* suffix,
             const std::string& expected) {
    const std::string line = RunPeer(command, script, suffix);
    const std::size_t cut = line.rfind(' ');
    if (line.empty() || cut == std::string::npos) {
        std::printf("%s: not available (%s)\n", name, command.c_str());
        return;
    }
    const std::string answer = line.substr(0, cut);
    const double peerMs = std::atof(line.c_str() + cut + 1);
    std::printf("%-28s %9.1f ms CPU, fastest run  (answer %s%s)\n", name, peerMs, answer.c_str(),
                answer == expected ? "" : ", DIFFERS");
    std::printf("  AutoLISP interpreter / %s: %.2f\n", name, peerMs > 0 ? lispMs / peerMs : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // The answer "(s fib total)" as the peers print it: "s fib total".
    std::string answer = LispAnswer();
    if (answer.size() > 2) answer = answer.substr(1, answer.size() - 2);
    const double lispMs = reporter.cpuMs["BM_LispLoopProgram"];
    std::printf("\nLoop program (answer %s)\n", answer.c_str());
    std::printf("%-28s %9.1f ms CPU, fastest run\n", "AutoLISP interpreter", lispMs);
    Compare(lispMs, "guile-3.0 (interpreted)", "guile-3.0 --no-auto-compile -s", kScheme, ".scm", answer);
    Compare(lispMs, "python3", "python3", kPython, ".py", answer);
    return 0;
}
