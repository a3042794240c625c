// Output to the command line: princ (raw), prin1 (readable), print (readable on a new line,
// then a space), prompt, terpri and alert. princ and prin1 without arguments return the silent
// symbol, so a function that ends with (princ) echoes nothing.
#include "acad/LispMachine.h"
#include "acad/LispPrinter.h"

namespace NUVAcad {

namespace {

// There are no file values here: a file argument can only be nil.
void checkNoFile(LispMachine& m, LispArgs a) {
    if (a.n > 1 && !a[1].isNil()) m.badType("filep", a[1]);
}

void out(LispMachine& m, const std::string& text) {
    m.step(1 + text.size() / 16);
    m.print(text);
}

LispValue princ(LispMachine& m, LispArgs a) {
    if (a.n == 0) return LispValue::symbol(m.symSilent());
    checkNoFile(m, a);
    out(m, lispPrint(a[0], false));
    return a[0];
}

LispValue prin1(LispMachine& m, LispArgs a) {
    if (a.n == 0) return LispValue::symbol(m.symSilent());
    checkNoFile(m, a);
    out(m, lispPrint(a[0], true));
    return a[0];
}

LispValue print(LispMachine& m, LispArgs a) {
    if (a.n == 0) return LispValue::symbol(m.symSilent());
    checkNoFile(m, a);
    out(m, "\n" + lispPrint(a[0], true) + " ");
    return a[0];
}

LispValue prompt(LispMachine& m, LispArgs a) {
    out(m, m.strArg(a, 0));
    return LispValue();
}

LispValue terpri(LispMachine& m, LispArgs) {
    m.print("\n");
    return LispValue();
}

LispValue alert(LispMachine& m, LispArgs a) {
    m.host().alert(CString(m.strArg(a, 0)));
    return LispValue();
}

const LispBuiltin kOutput[] = {
    {"princ", princ, 0, 2},   {"prin1", prin1, 0, 2},   {"print", print, 0, 2},
    {"prompt", prompt, 1, 1}, {"terpri", terpri, 0, 0}, {"alert", alert, 1, 1},
};

}  // namespace

std::span<const LispBuiltin> lispOutputBuiltins() { return kOutput; }

}  // namespace NUVAcad
