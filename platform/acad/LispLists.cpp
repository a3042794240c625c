// List functions. Lists are never changed in place: every result is new cells or a shared tail.
// Walking or building n elements counts n steps, so the step limit bounds their work as well.
#include <algorithm>

#include "acad/LispMachine.h"

namespace NUVAcad {

namespace {

const LispValue& carOf(const LispValue& v) { return v.as<LispCons>()->car; }
const LispValue& cdrOf(const LispValue& v) { return v.as<LispCons>()->cdr; }

// car/cdr of a list argument: nil for nil, "bad argument type: consp" for an atom.
const LispValue& checkedCar(LispMachine& m, const LispValue& v) {
    static const LispValue nil;
    if (v.isNil()) return nil;
    if (!v.isCons()) m.badType("consp", v);
    return carOf(v);
}

const LispValue& checkedCdr(LispMachine& m, const LispValue& v) {
    static const LispValue nil;
    if (v.isNil()) return nil;
    if (!v.isCons()) m.badType("consp", v);
    return cdrOf(v);
}

// Path: the letters between c and r, applied from the last to the first.
template <char... Ops> LispValue cxr(LispMachine& m, LispArgs a) {
    constexpr char ops[] = {Ops...};
    const LispValue* v = &a[0];
    for (int i = static_cast<int>(sizeof...(Ops)) - 1; i >= 0; --i) v = ops[i] == 'a' ? &checkedCar(m, *v) : &checkedCdr(m, *v);
    return *v;
}

// Calls f for each element of a proper list; raises listp for anything else.
template <class F> void forEach(LispMachine& m, const LispValue& list, F f) {
    if (!list.isList()) m.badType("listp", list);
    const LispValue* p = &list;
    for (; p->isCons(); p = &cdrOf(*p)) {
        m.step();
        if (!f(carOf(*p))) return;
    }
    if (!p->isNil()) m.badType("listp", list);
}

LispValue list(LispMachine& m, LispArgs a) {
    LispListBuilder b;
    for (int i = 0; i < a.n; ++i) b.add(a[i]);
    m.step(static_cast<std::uint64_t>(a.n));
    return b.take();
}

LispValue cons(LispMachine& m, LispArgs a) {
    m.step();
    return lispCons(a[0], a[1]);
}

LispValue car(LispMachine& m, LispArgs a) { return checkedCar(m, a[0]); }
LispValue cdr(LispMachine& m, LispArgs a) { return checkedCdr(m, a[0]); }

LispValue nth(LispMachine& m, LispArgs a) {
    std::int32_t n = m.intArg(a, 0);
    const LispValue& l = m.listArg(a, 1);
    if (n < 0) return LispValue();
    const LispValue* p = &l;
    for (; p->isCons() && n > 0; p = &cdrOf(*p), --n) m.step();
    return p->isCons() ? carOf(*p) : LispValue();
}

LispValue length(LispMachine& m, LispArgs a) {
    std::int32_t n = 0;
    forEach(m, a[0], [&](const LispValue&) { ++n; return true; });
    return LispValue::integer(n);
}

LispValue append(LispMachine& m, LispArgs a) {
    if (a.n == 0) return LispValue();
    LispListBuilder b;
    for (int i = 0; i + 1 < a.n; ++i)
        forEach(m, a[i], [&](const LispValue& x) { b.add(x); return true; });
    const LispValue& last = a[a.n - 1];
    if (!last.isList()) m.badType("listp", last);
    if (b.empty()) return last;
    if (!last.isNil()) b.finishDotted(last);
    return b.take();
}

LispValue reverse(LispMachine& m, LispArgs a) {
    LispValue r;
    forEach(m, a[0], [&](const LispValue& x) { r = lispCons(x, std::move(r)); return true; });
    return r;
}

LispValue last(LispMachine& m, LispArgs a) {
    LispValue r;
    forEach(m, a[0], [&](const LispValue& x) { r = x; return true; });
    return r;
}

bool equalCounted(LispMachine& m, const LispValue& x, const LispValue& y) {
    std::uint64_t visited = 0;
    const bool same = lispEqual(x, y, 0.0, &visited);
    m.step(visited);
    return same;
}

LispValue member(LispMachine& m, LispArgs a) {
    const LispValue& l = m.listArg(a, 1);
    for (const LispValue* p = &l; p->isCons(); p = &cdrOf(*p)) {
        m.step();
        if (equalCounted(m, a[0], carOf(*p))) return *p;
    }
    return LispValue();
}

LispValue assoc(LispMachine& m, LispArgs a) {
    const LispValue& l = m.listArg(a, 1);
    for (const LispValue* p = &l; p->isCons(); p = &cdrOf(*p)) {
        m.step();
        const LispValue& entry = carOf(*p);
        if (entry.isCons() && equalCounted(m, a[0], carOf(entry))) return entry;
    }
    return LispValue();
}

LispValue subst(LispMachine& m, LispArgs a) {
    const LispValue& l = m.listArg(a, 2);
    LispListBuilder b;
    forEach(m, l, [&](const LispValue& x) {
        b.add(equalCounted(m, a[1], x) ? a[0] : x);
        return true;
    });
    return b.take();
}

LispValue position(LispMachine& m, LispArgs a) {
    std::int32_t i = 0;
    bool found = false;
    forEach(m, m.listArg(a, 1), [&](const LispValue& x) {
        if (equalCounted(m, a[0], x)) return !(found = true);
        ++i;
        return true;
    });
    return found ? LispValue::integer(i) : LispValue();
}

LispValue remove(LispMachine& m, LispArgs a) {
    LispListBuilder b;
    forEach(m, a[1], [&](const LispValue& x) {
        if (!equalCounted(m, a[0], x)) b.add(x);
        return true;
    });
    return b.take();
}

// The elements of a proper list, for calling a function with them.
std::vector<LispValue> elements(LispMachine& m, const LispValue& l) {
    std::vector<LispValue> v;
    forEach(m, l, [&](const LispValue& x) { v.push_back(x); return true; });
    return v;
}

LispValue apply(LispMachine& m, LispArgs a) {
    std::vector<LispValue> args = elements(m, a[1]);
    return m.apply(a[0], {args.data(), static_cast<int>(args.size())});
}

LispValue mapcar(LispMachine& m, LispArgs a) {
    std::vector<const LispValue*> lists;
    for (int i = 1; i < a.n; ++i) lists.push_back(&m.listArg(a, i));
    const LispValue fn = m.resolveFunction(a[0]);
    LispListBuilder b;
    std::vector<LispValue> args(lists.size());
    for (;;) {
        for (std::size_t i = 0; i < lists.size(); ++i) {
            if (!lists[i]->isCons()) return b.take();
            args[i] = carOf(*lists[i]);
            lists[i] = &cdrOf(*lists[i]);
        }
        m.step();
        b.add(m.apply(fn, {args.data(), static_cast<int>(args.size())}));
    }
}

// Calls a predicate on one element; true for a non-nil answer.
bool holds(LispMachine& m, const LispValue& pred, const LispValue& x) { return !m.apply(pred, {&x, 1}).isNil(); }

LispValue removeIf(LispMachine& m, LispArgs a, bool keepWhen) {
    const LispValue pred = m.resolveFunction(a[0]);
    LispListBuilder b;
    forEach(m, a[1], [&](const LispValue& x) {
        if (holds(m, pred, x) == keepWhen) b.add(x);
        return true;
    });
    return b.take();
}

LispValue removeIfFn(LispMachine& m, LispArgs a) { return removeIf(m, a, false); }
LispValue removeIfNotFn(LispMachine& m, LispArgs a) { return removeIf(m, a, true); }

LispValue memberIf(LispMachine& m, LispArgs a) {
    const LispValue& l = m.listArg(a, 1);
    const LispValue pred = m.resolveFunction(a[0]);
    for (const LispValue* p = &l; p->isCons(); p = &cdrOf(*p)) {
        m.step();
        if (holds(m, pred, carOf(*p))) return *p;
    }
    return LispValue();
}

// vl-some / vl-every: the predicate over the lists side by side, up to the shortest.
template <bool Every> LispValue someOrEvery(LispMachine& m, LispArgs a) {
    std::vector<const LispValue*> lists;
    for (int i = 1; i < a.n; ++i) lists.push_back(&m.listArg(a, i));
    const LispValue fn = m.resolveFunction(a[0]);
    std::vector<LispValue> args(lists.size());
    for (;;) {
        for (std::size_t i = 0; i < lists.size(); ++i) {
            if (!lists[i]->isCons()) return Every ? m.t() : LispValue();
            args[i] = carOf(*lists[i]);
            lists[i] = &cdrOf(*lists[i]);
        }
        m.step();
        LispValue r = m.apply(fn, {args.data(), static_cast<int>(args.size())});
        if (Every && r.isNil()) return LispValue();
        if (!Every && !r.isNil()) return r;
    }
}

// A stable merge sort: equal elements keep their order (and none is dropped).
LispValue sortList(LispMachine& m, LispArgs a) {
    std::vector<LispValue> v = elements(m, a[0]);
    const LispValue less = m.resolveFunction(a[1]);
    std::vector<LispValue> tmp(v.size());
    for (std::size_t width = 1; width < v.size(); width *= 2) {
        for (std::size_t lo = 0; lo < v.size(); lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, v.size()), hi = std::min(lo + 2 * width, v.size());
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                m.step();
                LispValue pair[2] = {v[j], v[i]};
                // Take from the right only when it sorts strictly before the left.
                tmp[k++] = !m.apply(less, {pair, 2}).isNil() ? std::move(v[j++]) : std::move(v[i++]);
            }
            while (i < mid) tmp[k++] = std::move(v[i++]);
            while (j < hi) tmp[k++] = std::move(v[j++]);
        }
        v.swap(tmp);
    }
    LispListBuilder b;
    for (LispValue& x : v) b.add(std::move(x));
    return b.take();
}

const LispBuiltin kLists[] = {
    {"list", list, 0, -1},
    {"cons", cons, 2, 2},
    {"car", car, 1, 1},
    {"cdr", cdr, 1, 1},
    {"caar", cxr<'a', 'a'>, 1, 1},
    {"cadr", cxr<'a', 'd'>, 1, 1},
    {"cdar", cxr<'d', 'a'>, 1, 1},
    {"cddr", cxr<'d', 'd'>, 1, 1},
    {"caaar", cxr<'a', 'a', 'a'>, 1, 1},
    {"caadr", cxr<'a', 'a', 'd'>, 1, 1},
    {"cadar", cxr<'a', 'd', 'a'>, 1, 1},
    {"caddr", cxr<'a', 'd', 'd'>, 1, 1},
    {"cdaar", cxr<'d', 'a', 'a'>, 1, 1},
    {"cdadr", cxr<'d', 'a', 'd'>, 1, 1},
    {"cddar", cxr<'d', 'd', 'a'>, 1, 1},
    {"cdddr", cxr<'d', 'd', 'd'>, 1, 1},
    {"caaaar", cxr<'a', 'a', 'a', 'a'>, 1, 1},
    {"caaadr", cxr<'a', 'a', 'a', 'd'>, 1, 1},
    {"caadar", cxr<'a', 'a', 'd', 'a'>, 1, 1},
    {"caaddr", cxr<'a', 'a', 'd', 'd'>, 1, 1},
    {"cadaar", cxr<'a', 'd', 'a', 'a'>, 1, 1},
    {"cadadr", cxr<'a', 'd', 'a', 'd'>, 1, 1},
    {"caddar", cxr<'a', 'd', 'd', 'a'>, 1, 1},
    {"cadddr", cxr<'a', 'd', 'd', 'd'>, 1, 1},
    {"cdaaar", cxr<'d', 'a', 'a', 'a'>, 1, 1},
    {"cdaadr", cxr<'d', 'a', 'a', 'd'>, 1, 1},
    {"cdadar", cxr<'d', 'a', 'd', 'a'>, 1, 1},
    {"cdaddr", cxr<'d', 'a', 'd', 'd'>, 1, 1},
    {"cddaar", cxr<'d', 'd', 'a', 'a'>, 1, 1},
    {"cddadr", cxr<'d', 'd', 'a', 'd'>, 1, 1},
    {"cdddar", cxr<'d', 'd', 'd', 'a'>, 1, 1},
    {"cddddr", cxr<'d', 'd', 'd', 'd'>, 1, 1},
    {"nth", nth, 2, 2},
    {"length", length, 1, 1},
    {"append", append, 0, -1},
    {"reverse", reverse, 1, 1},
    {"last", last, 1, 1},
    {"member", member, 2, 2},
    {"assoc", assoc, 2, 2},
    {"subst", subst, 3, 3},
    {"vl-position", position, 2, 2},
    {"vl-remove", remove, 2, 2},
    {"apply", apply, 2, 2},
    {"mapcar", mapcar, 2, -1},
    {"vl-remove-if", removeIfFn, 2, 2},
    {"vl-remove-if-not", removeIfNotFn, 2, 2},
    {"vl-member-if", memberIf, 2, 2},
    {"vl-some", someOrEvery<false>, 2, -1},
    {"vl-every", someOrEvery<true>, 2, -1},
    {"vl-sort", sortList, 2, 2},
};

}  // namespace

std::span<const LispBuiltin> lispListBuiltins() { return kLists; }

}  // namespace NUVAcad
