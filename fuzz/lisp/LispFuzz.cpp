// Arbitrary text through the AutoLISP reader and evaluator, under a step limit, on a host that
// echoes external-function arguments back and keeps a real drawing database. Besides the
// sanitizers' checks it traps on broken promises: an evaluation ends with RTNORM or RTERROR and
// leaves no evaluation running, and a value converted to a resbuf chain and back converts to the
// same chain from then on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "acad/AcDb.h"
#include "acad/LispInterpreter.h"

extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

struct FuzzHost : NUVAcad::LispHost {
    AcDbDatabase db;
    std::size_t printed = 0;
    void print(const CString& text) override { printed += static_cast<std::size_t>(text.GetLength()); }
    int callExternal(const NUVAcad::LispExternalFunction& fn, const resbuf* args, resbuf** result,
                     CString& error) override {
        if (fn.code == 2) {
            error = "refused";
            return RSERR;
        }
        // A list of the arguments, or the first one alone.
        if (fn.code == 1 || !args) {
            *result = acutNewRb(RTLB);
            resbuf* tail = *result;
            tail->rbnext = acutCopyRb(args);
            while (tail->rbnext) tail = tail->rbnext;
            tail->rbnext = acutNewRb(RTLE);
        } else {
            *result = acutCopyRb(args);
        }
        return RSRSLT;
    }
    int command(const resbuf*) override { return RTNORM; }
    int getVar(const char* name, resbuf** value) override {
        *value = acutBuildList(RTSTR, name, 0);
        return RTNORM;
    }
    int setVar(const char*, const resbuf*, CString&) override { return RTNORM; }
    bool findFile(const CString&, CString&) override { return false; }
    AcDbDatabase* database() override { return &db; }
};

bool SameReal(double x, double y) { return x == y || (x != x && y != y); }

bool SameChain(const resbuf* a, const resbuf* b) {
    for (; a && b; a = a->rbnext, b = b->rbnext) {
        if (a->restype != b->restype) return false;
        const ads_u_val& x = a->resval;
        const ads_u_val& y = b->resval;
        switch (acutResValKind(a->restype)) {
        case ResValKind::Real:
            if (!SameReal(x.rreal, y.rreal)) return false;
            break;
        case ResValKind::Point:
            for (int i = 0; i < 3; ++i)
                if (!SameReal(x.rpoint[i], y.rpoint[i])) return false;
            break;
        case ResValKind::Short:
            if (x.rint != y.rint) return false;
            break;
        case ResValKind::Long:
            if (x.rlong != y.rlong) return false;
            break;
        case ResValKind::Name:
            if (x.rlname[0] != y.rlname[0] || x.rlname[1] != y.rlname[1]) return false;
            break;
        case ResValKind::String:
            if (std::string(x.rstring ? x.rstring : "") != (y.rstring ? y.rstring : "")) return false;
            break;
        default: break;
        }
    }
    return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 8192) return 0;
    const CString text(std::string(reinterpret_cast<const char*>(data), size));
    FuzzHost host;
    acdbHostApplicationServices()->setWorkingDatabase(&host.db);
    {
        NUVAcad::LispInterpreter lisp(host);
        lisp.setStepLimit(20000);
        lisp.defineExternal("ext-list", 1, nullptr);
        lisp.defineExternal("ext-first", 3, nullptr);
        lisp.defineExternal("ext-fail", 2, nullptr);
        (void)NUVAcad::LispInterpreter::isInputComplete(text);

        resbuf* result = nullptr;
        const int status = lisp.evaluate(text, &result);
        Require(status == RTNORM || status == RTERROR);
        Require(!lisp.isEvaluating());
        if (result) {
            // Through a symbol and back twice: the second round must change nothing.
            resbuf* once = nullptr;
            resbuf* twice = nullptr;
            Require(lisp.putSymbol("fuzz-value", result) == RTNORM);
            if (lisp.getSymbol("fuzz-value", &once) == RTNORM && once) {
                Require(lisp.putSymbol("fuzz-value", once) == RTNORM);
                Require(lisp.getSymbol("fuzz-value", &twice) == RTNORM);
                Require(SameChain(once, twice));
            }
            acutRelRb(once);
            acutRelRb(twice);
        }
        acutRelRb(result);
        const int echoed = lisp.evaluateCommandLine(text);
        Require(echoed == RTNORM || echoed == RTERROR);
    }
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    return 0;
}
