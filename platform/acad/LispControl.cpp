// Evaluation control: eval, set, exit, quit, and vl-load-com (nothing to load). exit and quit
// raise "quit / exit abort", which goes through *error* like any other error.
#include "acad/LispMachine.h"

namespace NUVAcad {

namespace {

LispValue evalFn(LispMachine& m, LispArgs a) { return m.eval(a[0]); }

LispValue set(LispMachine& m, LispArgs a) {
    m.symArg(a, 0)->value = a[1];
    return a[1];
}

LispValue quit(LispMachine& m, LispArgs) { m.raise("quit / exit abort"); }

// Programs written for the host call this first to load its extensions; they are always here.
LispValue loadCom(LispMachine&, LispArgs) { return LispValue(); }

const LispBuiltin kControl[] = {
    {"eval", evalFn, 1, 1},
    {"set", set, 2, 2},
    {"exit", quit, 0, 0},
    {"quit", quit, 0, 0},
    {"vl-load-com", loadCom, 0, 0},
};

}  // namespace

std::span<const LispBuiltin> lispControlBuiltins() { return kControl; }

}  // namespace NUVAcad
