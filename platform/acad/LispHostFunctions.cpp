// Functions that ask the host: load, command and vl-cmdf, getvar and setvar, findfile.
#include "acad/LispLoad.h"
#include "acad/LispMachine.h"
#include "acad/LispPrinter.h"
#include "acad/LispResBuf.h"

namespace NUVAcad {

namespace {

LispValue load(LispMachine& m, LispArgs a) {
    const std::string name = m.strArg(a, 0);
    return lispLoad(m, name, a.n > 1 ? &a[1] : nullptr);
}

// Sends the arguments as command input; the host's status.
int runCommand(LispMachine& m, LispArgs a) {
    bool ok = true;
    resbuf* in = lispItemsToResbuf(a, &ok);
    if (!ok) {
        for (int i = 0; i < a.n; ++i) {
            bool one = true;
            acutRelRb(lispToResbuf(a[i], &one));
            if (!one) m.raise("bad argument type: " + lispPrint(a[i], true));
        }
    }
    const int status = m.host().command(in);
    acutRelRb(in);
    if (status == RTCAN) m.raise("Function cancelled");
    return status;
}

LispValue command(LispMachine& m, LispArgs a) {
    runCommand(m, a);
    return LispValue();
}

LispValue cmdf(LispMachine& m, LispArgs a) { return m.boolean(runCommand(m, a) == RTNORM); }

LispValue getvar(LispMachine& m, LispArgs a) {
    const std::string& name = m.strArg(a, 0);
    resbuf* rb = nullptr;
    const int status = m.host().getVar(name.c_str(), &rb);
    LispValue v = status == RTNORM ? lispFromResbuf(m, rb) : LispValue();
    acutRelRb(rb);
    return v;
}

LispValue setvar(LispMachine& m, LispArgs a) {
    const std::string& name = m.strArg(a, 0);
    bool ok = true;
    resbuf* rb = lispToResbuf(a[1], &ok);
    if (!ok) m.raise("bad argument type: " + lispPrint(a[1], true));
    CString error;
    const int status = m.host().setVar(name.c_str(), rb, error);
    acutRelRb(rb);
    if (status != RTNORM)
        m.raise(error.IsEmpty() ? "variable setting rejected: \"" + name + "\" " + lispPrint(a[1], true) : error.str());
    return a[1];
}

LispValue findfile(LispMachine& m, LispArgs a) {
    CString found;
    if (!m.host().findFile(CString(m.strArg(a, 0)), found)) return LispValue();
    return m.makeString(found.str());
}

const LispBuiltin kHost[] = {
    {"load", load, 1, 2},       {"command", command, 0, -1}, {"vl-cmdf", cmdf, 0, -1},
    {"getvar", getvar, 1, 1},   {"setvar", setvar, 2, 2},    {"findfile", findfile, 1, 1},
};

}  // namespace

std::span<const LispBuiltin> lispHostBuiltins() { return kHost; }

}  // namespace NUVAcad
