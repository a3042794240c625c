// Freeing values. A cons releases its cdr in a loop and its car through a worklist, so freeing
// a long list or a deeply nested one uses constant C stack.
#include "acad/LispValue.h"

#include "acad/LispMachine.h"

namespace NUVAcad {

bool LispValue::same(const LispValue& v) const {
    if (type_ != v.type_) return false;
    switch (type_) {
    case LispType::Nil: return true;
    case LispType::Int: return u_.i == v.u_.i;
    case LispType::Real: return u_.r == v.u_.r;
    case LispType::Symbol: return u_.sym == v.u_.sym;
    case LispType::Subr: return u_.subr == v.u_.subr;
    // Entity names are made afresh on every reading, yet name the same entity.
    case LispType::Ename: {
        const long* a = as<LispEname>()->name;
        const long* b = v.as<LispEname>()->name;
        return a[0] == b[0] && a[1] == b[1];
    }
    default: return u_.obj == v.u_.obj;
    }
}

namespace {

// Detaches a value's object when this was its last reference: returned for the caller to free.
LispObject* detachLast(LispValue& v) {
    if (v.type() < LispType::String) return nullptr;
    LispObject* o = v.object();
    if (o->refs > 1) return nullptr;
    // Keep the object alive past the handle's release, then hand it over.
    ++o->refs;
    v = LispValue();
    --o->refs;
    return o;
}

}  // namespace

void lispDestroy(LispObject* first) {
    std::vector<LispObject*> pending;
    LispObject* o = first;
    for (;;) {
        while (o) {
            LispObject* next = nullptr;
            switch (o->type) {
            case LispType::Cons: {
                auto* c = static_cast<LispCons*>(o);
                if (LispObject* car = detachLast(c->car)) pending.push_back(car);
                next = detachLast(c->cdr);
                delete c;
                break;
            }
            case LispType::USubr: {
                auto* u = static_cast<LispUSubr*>(o);
                next = detachLast(u->body);
                delete u;
                break;
            }
            case LispType::String: delete static_cast<LispString*>(o); break;
            case LispType::External: delete static_cast<LispExternal*>(o); break;
            case LispType::Ename: delete static_cast<LispEname*>(o); break;
            case LispType::Pickset: {
                auto* p = static_cast<LispPickset*>(o);
                p->machine->picksetReleased(p);
                delete p;
                break;
            }
            default: break;
            }
            o = next;
        }
        if (pending.empty()) return;
        o = pending.back();
        pending.pop_back();
    }
}

}  // namespace NUVAcad

namespace NUVAcad {

bool lispEqual(const LispValue& a, const LispValue& b, double fuzz, std::uint64_t* visited) {
    std::vector<std::pair<const LispValue*, const LispValue*>> todo{{&a, &b}};
    while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        // Walk the cdr chain here and leave the cars to the worklist.
        for (;;) {
            if (visited) ++*visited;
            if (x->isNumber() && y->isNumber()) {
                const double d = x->number() - y->number();
                if (!(d <= fuzz && -d <= fuzz)) return false;
                break;
            }
            if (x->type() != y->type()) return false;
            if (x->isString()) {
                if (x->as<LispString>()->text != y->as<LispString>()->text) return false;
                break;
            }
            if (x->type() == LispType::Ename) {
                if (x->as<LispEname>()->name[0] != y->as<LispEname>()->name[0] ||
                    x->as<LispEname>()->name[1] != y->as<LispEname>()->name[1])
                    return false;
                break;
            }
            if (!x->isCons()) {
                if (!x->same(*y)) return false;
                break;
            }
            todo.emplace_back(&x->as<LispCons>()->car, &y->as<LispCons>()->car);
            x = &x->as<LispCons>()->cdr;
            y = &y->as<LispCons>()->cdr;
        }
    }
    return true;
}

}  // namespace NUVAcad
