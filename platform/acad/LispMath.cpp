// Arithmetic and comparison. Integers are 32-bit and wrap around (computed unsigned, so the wrap
// is defined); an expression turns real from the first real operand on, left to right.
#include <cmath>
#include <cstdint>

#include "acad/LispMachine.h"
#include "acad/LispPrinter.h"

namespace NUVAcad {

namespace {

std::int32_t wrap(std::uint32_t u) { return static_cast<std::int32_t>(u); }
std::int32_t addW(std::int32_t a, std::int32_t b) { return wrap(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b)); }
std::int32_t subW(std::int32_t a, std::int32_t b) { return wrap(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b)); }
std::int32_t mulW(std::int32_t a, std::int32_t b) { return wrap(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b)); }

[[noreturn]] void undefinedFor(LispMachine& m, const LispValue& v) {
    m.raise("function undefined for argument: " + lispPrint(v, true));
}

// A running result: integer until a real shows up.
struct Acc {
    bool real = false;
    std::int32_t i = 0;
    double r = 0;
    void set(const LispValue& v) {
        real = v.isReal();
        i = v.isInt() ? v.asInt() : 0;
        r = v.number();
    }
    LispValue value() const { return real ? LispValue::real(r) : LispValue::integer(i); }
};

template <class IntOp, class RealOp>
LispValue fold(LispMachine& m, LispArgs a, IntOp iop, RealOp rop) {
    Acc acc;
    if (a.n == 0) return LispValue::integer(0);
    m.numArg(a, 0);
    acc.set(a[0]);
    for (int k = 1; k < a.n; ++k) {
        const double d = m.numArg(a, k);
        if (acc.real || a[k].isReal()) {
            if (!acc.real) acc.r = acc.i;
            acc.real = true;
            acc.r = rop(acc.r, d, a[k]);
        } else {
            acc.i = iop(acc.i, a[k].asInt());
        }
    }
    return acc.value();
}

LispValue plus(LispMachine& m, LispArgs a) {
    return fold(m, a, addW, [](double x, double y, const LispValue&) { return x + y; });
}

LispValue minus(LispMachine& m, LispArgs a) {
    if (a.n == 1) {
        m.numArg(a, 0);
        return a[0].isInt() ? LispValue::integer(subW(0, a[0].asInt())) : LispValue::real(-a[0].asReal());
    }
    return fold(m, a, subW, [](double x, double y, const LispValue&) { return x - y; });
}

LispValue times(LispMachine& m, LispArgs a) {
    return fold(m, a, mulW, [](double x, double y, const LispValue&) { return x * y; });
}

LispValue divide(LispMachine& m, LispArgs a) {
    return fold(
        m, a,
        [&m](std::int32_t x, std::int32_t y) {
            if (y == 0) m.raise("divide by zero");
            if (y == -1) return subW(0, x);  // INT_MIN / -1 wraps instead of trapping
            return x / y;
        },
        [&m](double x, double y, const LispValue&) {
            if (y == 0) m.raise("divide by zero");
            return x / y;
        });
}

LispValue remainder(LispMachine& m, LispArgs a) {
    return fold(
        m, a,
        [&m](std::int32_t x, std::int32_t y) {
            if (y == 0) m.raise("divide by zero");
            if (y == -1) return 0;
            return x % y;
        },
        [&m](double x, double y, const LispValue&) {
            if (y == 0) m.raise("divide by zero");
            return std::fmod(x, y);
        });
}

LispValue onePlus(LispMachine& m, LispArgs a) {
    m.numArg(a, 0);
    return a[0].isInt() ? LispValue::integer(addW(a[0].asInt(), 1)) : LispValue::real(a[0].asReal() + 1);
}

LispValue oneMinus(LispMachine& m, LispArgs a) {
    m.numArg(a, 0);
    return a[0].isInt() ? LispValue::integer(subW(a[0].asInt(), 1)) : LispValue::real(a[0].asReal() - 1);
}

LispValue absolute(LispMachine& m, LispArgs a) {
    m.numArg(a, 0);
    if (a[0].isInt()) return LispValue::integer(a[0].asInt() < 0 ? subW(0, a[0].asInt()) : a[0].asInt());
    return LispValue::real(std::fabs(a[0].asReal()));
}

LispValue extreme(LispMachine& m, LispArgs a, bool wantMax) {
    if (a.n == 0) return LispValue::integer(0);
    bool real = false;
    int best = 0;
    for (int k = 0; k < a.n; ++k) {
        const double d = m.numArg(a, k);
        real = real || a[k].isReal();
        const double b = a[best].number();
        if (wantMax ? d > b : d < b) best = k;
    }
    return real ? LispValue::real(a[best].number()) : a[best];
}

LispValue maximum(LispMachine& m, LispArgs a) { return extreme(m, a, true); }
LispValue minimum(LispMachine& m, LispArgs a) { return extreme(m, a, false); }

LispValue gcd(LispMachine& m, LispArgs a) {
    std::uint32_t x = static_cast<std::uint32_t>(std::abs(static_cast<std::int64_t>(m.intArg(a, 0))));
    std::uint32_t y = static_cast<std::uint32_t>(std::abs(static_cast<std::int64_t>(m.intArg(a, 1))));
    while (y) {
        const std::uint32_t t = x % y;
        x = y;
        y = t;
    }
    return LispValue::integer(wrap(x));
}

LispValue fix(LispMachine& m, LispArgs a) {
    m.numArg(a, 0);
    if (a[0].isInt()) return a[0];
    const double t = std::trunc(a[0].asReal());
    // Beyond 32 bits the truncated value stays real, as the language documents.
    if (t >= -2147483648.0 && t <= 2147483647.0) return LispValue::integer(static_cast<std::int32_t>(t));
    return LispValue::real(t);
}

LispValue toFloat(LispMachine& m, LispArgs a) { return LispValue::real(m.numArg(a, 0)); }

LispValue squareRoot(LispMachine& m, LispArgs a) {
    const double x = m.numArg(a, 0);
    if (x < 0) undefinedFor(m, a[0]);
    return LispValue::real(std::sqrt(x));
}

LispValue power(LispMachine& m, LispArgs a) {
    const double base = m.numArg(a, 0);
    const double exponent = m.numArg(a, 1);
    if (a[0].isInt() && a[1].isInt()) {
        std::int32_t e = a[1].asInt();
        std::int32_t b = a[0].asInt();
        if (e < 0) {
            if (b == 0) m.raise("divide by zero");
            // Only 1 and -1 have integer inverses; everything else truncates to 0.
            if (b == 1) return LispValue::integer(1);
            if (b == -1) return LispValue::integer(e % 2 ? -1 : 1);
            return LispValue::integer(0);
        }
        std::int32_t result = 1;
        while (e) {
            if (e & 1) result = mulW(result, b);
            b = mulW(b, b);
            e >>= 1;
        }
        return LispValue::integer(result);
    }
    if (base == 0 && exponent < 0) m.raise("divide by zero");
    const double r = std::pow(base, exponent);
    if (std::isnan(r)) undefinedFor(m, a[0]);
    return LispValue::real(r);
}

LispValue exponential(LispMachine& m, LispArgs a) { return LispValue::real(std::exp(m.numArg(a, 0))); }

LispValue logarithm(LispMachine& m, LispArgs a) {
    const double x = m.numArg(a, 0);
    if (x <= 0) undefinedFor(m, a[0]);
    return LispValue::real(std::log(x));
}

LispValue sine(LispMachine& m, LispArgs a) { return LispValue::real(std::sin(m.numArg(a, 0))); }
LispValue cosine(LispMachine& m, LispArgs a) { return LispValue::real(std::cos(m.numArg(a, 0))); }

LispValue arcTangent(LispMachine& m, LispArgs a) {
    const double y = m.numArg(a, 0);
    if (a.n == 1) return LispValue::real(std::atan(y));
    return LispValue::real(std::atan2(y, m.numArg(a, 1)));
}

// Comparisons work on numbers, or on strings (byte order), and chain over all arguments.
int compare(LispMachine& m, LispArgs a, int i, int j) {
    if (a[i].isString()) {
        const std::string& x = a[i].as<LispString>()->text;
        const std::string& y = m.strArg(a, j);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    const double x = m.numArg(a, i);
    if (a[j].isString() || !a[j].isNumber()) m.badType("numberp", a[j]);
    const double y = a[j].number();
    return x < y ? -1 : x > y ? 1 : 0;
}

bool equalForEquals(LispMachine& m, LispArgs a, int i, int j) {
    if ((a[i].isNumber() || a[i].isString()) && (a[j].isNumber() || a[j].isString()))
        return compare(m, a, i, j) == 0;
    return a[i].same(a[j]);
}

LispValue numEqual(LispMachine& m, LispArgs a) {
    for (int k = 1; k < a.n; ++k)
        if (!equalForEquals(m, a, 0, k)) return LispValue();
    return m.t();
}

LispValue numNotEqual(LispMachine& m, LispArgs a) {
    for (int k = 1; k < a.n; ++k)
        if (equalForEquals(m, a, k - 1, k)) return LispValue();
    return m.t();
}

template <class Test> LispValue chain(LispMachine& m, LispArgs a, Test ok) {
    if (a.n == 1 && !a[0].isString()) m.numArg(a, 0);
    for (int k = 1; k < a.n; ++k)
        if (!ok(compare(m, a, k - 1, k))) return LispValue();
    return m.t();
}

LispValue less(LispMachine& m, LispArgs a) { return chain(m, a, [](int c) { return c < 0; }); }
LispValue greater(LispMachine& m, LispArgs a) { return chain(m, a, [](int c) { return c > 0; }); }
LispValue lessEq(LispMachine& m, LispArgs a) { return chain(m, a, [](int c) { return c <= 0; }); }
LispValue greaterEq(LispMachine& m, LispArgs a) { return chain(m, a, [](int c) { return c >= 0; }); }

LispValue minusP(LispMachine& m, LispArgs a) { return m.boolean(m.numArg(a, 0) < 0); }
LispValue zeroP(LispMachine& m, LispArgs a) { return m.boolean(m.numArg(a, 0) == 0); }
LispValue numberP(LispMachine& m, LispArgs a) { return m.boolean(a[0].isNumber()); }

template <class Op> LispValue bitwise(LispMachine& m, LispArgs a, std::int32_t start, Op op) {
    std::int32_t r = start;
    for (int k = 0; k < a.n; ++k) r = op(r, m.intArg(a, k));
    return LispValue::integer(r);
}

LispValue logAnd(LispMachine& m, LispArgs a) {
    if (a.n == 0) return LispValue::integer(0);
    return bitwise(m, a, -1, [](std::int32_t x, std::int32_t y) { return x & y; });
}
LispValue logIor(LispMachine& m, LispArgs a) { return bitwise(m, a, 0, [](std::int32_t x, std::int32_t y) { return x | y; }); }

LispValue shift(LispMachine& m, LispArgs a) {
    const std::uint32_t x = a.n > 0 ? static_cast<std::uint32_t>(m.intArg(a, 0)) : 0;
    const std::int32_t n = a.n > 1 ? m.intArg(a, 1) : 0;
    if (n >= 32 || n <= -32) return LispValue::integer(0);
    return LispValue::integer(wrap(n >= 0 ? x << n : x >> -n));
}

LispValue bitNot(LispMachine& m, LispArgs a) { return LispValue::integer(~m.intArg(a, 0)); }

const LispBuiltin kMath[] = {
    {"+", plus, 0, -1},          {"-", minus, 0, -1},          {"*", times, 0, -1},
    {"/", divide, 0, -1},        {"rem", remainder, 0, -1},    {"1+", onePlus, 1, 1},
    {"1-", oneMinus, 1, 1},      {"abs", absolute, 1, 1},      {"max", maximum, 0, -1},
    {"min", minimum, 0, -1},     {"gcd", gcd, 2, 2},           {"fix", fix, 1, 1},
    {"float", toFloat, 1, 1},    {"sqrt", squareRoot, 1, 1},   {"expt", power, 2, 2},
    {"exp", exponential, 1, 1},  {"log", logarithm, 1, 1},     {"sin", sine, 1, 1},
    {"cos", cosine, 1, 1},       {"atan", arcTangent, 1, 2},   {"=", numEqual, 1, -1},
    {"/=", numNotEqual, 1, -1},  {"<", less, 1, -1},           {">", greater, 1, -1},
    {"<=", lessEq, 1, -1},       {">=", greaterEq, 1, -1},     {"minusp", minusP, 1, 1},
    {"zerop", zeroP, 1, 1},      {"numberp", numberP, 1, 1},   {"logand", logAnd, 0, -1},
    {"logior", logIor, 0, -1},   {"lsh", shift, 0, 2},         {"~", bitNot, 1, 1},
};

}  // namespace

std::span<const LispBuiltin> lispMathBuiltins() { return kMath; }

}  // namespace NUVAcad
