// Type predicates and identity: type, null, not, atom, listp, boundp, eq, equal.
#include "acad/LispMachine.h"

namespace NUVAcad {

namespace {

LispValue typeOf(LispMachine& m, LispArgs a) {
    const char* name = nullptr;
    switch (a[0].type()) {
    case LispType::Nil: return LispValue();
    case LispType::Int: name = "INT"; break;
    case LispType::Real: name = "REAL"; break;
    case LispType::String: name = "STR"; break;
    case LispType::Symbol: name = "SYM"; break;
    case LispType::Cons: name = "LIST"; break;
    case LispType::Subr: name = "SUBR"; break;
    case LispType::USubr: name = "USUBR"; break;
    case LispType::External: name = "EXRXSUBR"; break;
    case LispType::Ename: name = "ENAME"; break;
    case LispType::Pickset: name = "PICKSET"; break;
    }
    return LispValue::symbol(m.intern(name));
}

LispValue null(LispMachine& m, LispArgs a) { return m.boolean(a[0].isNil()); }
LispValue atom(LispMachine& m, LispArgs a) { return m.boolean(!a[0].isCons()); }
LispValue listP(LispMachine& m, LispArgs a) { return m.boolean(a[0].isList()); }
LispValue consP(LispMachine& m, LispArgs a) { return m.boolean(a[0].isCons()); }

LispValue boundP(LispMachine& m, LispArgs a) {
    if (a[0].isNil()) return LispValue();
    return m.boolean(!m.symArg(a, 0)->value.isNil());
}

LispValue eq(LispMachine& m, LispArgs a) { return m.boolean(a[0].same(a[1])); }

LispValue equal(LispMachine& m, LispArgs a) {
    const double fuzz = a.n > 2 ? m.numArg(a, 2) : 0.0;
    std::uint64_t visited = 0;
    const bool same = lispEqual(a[0], a[1], fuzz, &visited);
    m.step(visited);
    return m.boolean(same);
}

const LispBuiltin kTypes[] = {
    {"type", typeOf, 1, 1},  {"null", null, 1, 1},     {"not", null, 1, 1},
    {"atom", atom, 1, 1},    {"listp", listP, 1, 1},   {"vl-consp", consP, 1, 1},
    {"boundp", boundP, 1, 1}, {"eq", eq, 2, 2},        {"equal", equal, 2, 3},
};

}  // namespace

std::span<const LispBuiltin> lispTypeBuiltins() { return kTypes; }

}  // namespace NUVAcad
