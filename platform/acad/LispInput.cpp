// User input through the host's editor: initget, getpoint, getcorner, getdist, getangle,
// getreal, getint, getstring, getkword, entsel. Answers: a value, nil for no input (Enter) or a
// failed prompt, the keyword text after a keyword, and "Function cancelled" for a cancel.
#include "acad/LispMachine.h"

namespace NUVAcad {

namespace {

// The optional base point and prompt text of getpoint, getdist, getangle, getcorner.
struct PromptArgs {
    double base[3] = {0, 0, 0};
    bool hasBase = false;
    const char* prompt = nullptr;
};

PromptArgs promptArgs(LispMachine& m, LispArgs a, bool allowBase) {
    PromptArgs p;
    for (int i = 0; i < a.n; ++i) {
        if (a[i].isNil()) continue;
        if (a[i].isString() && !p.prompt) {
            p.prompt = a[i].as<LispString>()->text.c_str();
        } else if (allowBase && !p.hasBase && !p.prompt) {
            m.pointArg(a, i, p.base);
            p.hasBase = true;
        } else {
            m.badType("stringp", a[i]);
        }
    }
    return p;
}

// The common ending: RTNORM gives the value, RTKWORD the keyword, RTCAN an error.
template <class Make> LispValue answer(LispMachine& m, int status, Make make) {
    switch (status) {
    case RTNORM: return make();
    case RTKWORD: {
        CString keyword;
        if (m.host().getInput(keyword) != RTNORM) return LispValue();
        return m.makeString(keyword.str());
    }
    case RTCAN: m.raise("Function cancelled");
    default: return LispValue();
    }
}

LispValue initget(LispMachine& m, LispArgs a) {
    int bits = 0;
    const char* keywords = nullptr;
    for (int i = 0; i < a.n; ++i) {
        if (a[i].isInt() && i == 0) bits = a[i].asInt();
        else if (a[i].isString() && !keywords) keywords = a[i].as<LispString>()->text.c_str();
        else if (!a[i].isNil()) m.badType(i == 0 ? "fixnump" : "stringp", a[i]);
    }
    m.host().initGet(bits, keywords);
    return LispValue();
}

LispValue getpoint(LispMachine& m, LispArgs a) {
    PromptArgs p = promptArgs(m, a, true);
    double r[3] = {0, 0, 0};
    const int status = m.host().getPoint(p.hasBase ? p.base : nullptr, p.prompt, r);
    return answer(m, status, [&] { return m.makePoint(r, 3); });
}

LispValue getcorner(LispMachine& m, LispArgs a) {
    PromptArgs p = promptArgs(m, a, true);
    if (!p.hasBase) m.badType("2D/3D point", a[0]);
    double r[3] = {0, 0, 0};
    const int status = m.host().getCorner(p.base, p.prompt, r);
    return answer(m, status, [&] { return m.makePoint(r, 3); });
}

LispValue getdist(LispMachine& m, LispArgs a) {
    PromptArgs p = promptArgs(m, a, true);
    double r = 0;
    const int status = m.host().getDist(p.hasBase ? p.base : nullptr, p.prompt, &r);
    return answer(m, status, [&] { return LispValue::real(r); });
}

LispValue getangle(LispMachine& m, LispArgs a) {
    PromptArgs p = promptArgs(m, a, true);
    double r = 0;
    const int status = m.host().getAngle(p.hasBase ? p.base : nullptr, p.prompt, &r);
    return answer(m, status, [&] { return LispValue::real(r); });
}

LispValue getreal(LispMachine& m, LispArgs a) {
    PromptArgs p = promptArgs(m, a, false);
    double r = 0;
    const int status = m.host().getReal(p.prompt, &r);
    return answer(m, status, [&] { return LispValue::real(r); });
}

LispValue getint(LispMachine& m, LispArgs a) {
    PromptArgs p = promptArgs(m, a, false);
    int r = 0;
    const int status = m.host().getInt(p.prompt, &r);
    return answer(m, status, [&] { return LispValue::integer(r); });
}

LispValue getstring(LispMachine& m, LispArgs a) {
    // (getstring [cr] [msg]): a lone string argument is the prompt.
    int allowSpaces = 0;
    const char* prompt = nullptr;
    if (a.n == 2) {
        allowSpaces = a[0].isNil() ? 0 : 1;
        if (!a[1].isNil()) prompt = m.strArg(a, 1).c_str();
    } else if (a.n == 1) {
        if (a[0].isString()) prompt = a[0].as<LispString>()->text.c_str();
        else allowSpaces = a[0].isNil() ? 0 : 1;
    }
    CString r;
    const int status = m.host().getString(allowSpaces, prompt, r);
    return answer(m, status, [&] { return m.makeString(r.str()); });
}

LispValue getkword(LispMachine& m, LispArgs a) {
    PromptArgs p = promptArgs(m, a, false);
    CString r;
    const int status = m.host().getKword(p.prompt, r);
    return answer(m, status, [&] { return m.makeString(r.str()); });
}

LispValue entsel(LispMachine& m, LispArgs a) {
    PromptArgs p = promptArgs(m, a, false);
    ads_name entity;
    double picked[3] = {0, 0, 0};
    const int status = m.host().entSel(p.prompt, entity, picked);
    return answer(m, status, [&] {
        LispListBuilder b;
        b.add(lispEname(entity));
        b.add(m.makePoint(picked, 3));
        return b.take();
    });
}

const LispBuiltin kInput[] = {
    {"initget", initget, 0, 2},     {"getpoint", getpoint, 0, 2}, {"getcorner", getcorner, 1, 2},
    {"getdist", getdist, 0, 2},     {"getangle", getangle, 0, 2}, {"getreal", getreal, 0, 1},
    {"getint", getint, 0, 1},       {"getstring", getstring, 0, 2}, {"getkword", getkword, 0, 1},
    {"entsel", entsel, 0, 1},
};

}  // namespace

std::span<const LispBuiltin> lispInputBuiltins() { return kInput; }

}  // namespace NUVAcad
