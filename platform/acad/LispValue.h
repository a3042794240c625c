// AutoLISP values and their memory. A LispValue is a small tagged handle: nil, integers, reals,
// symbols and built-ins live in the handle; strings, conses, user functions, external functions,
// entity names and selection sets are reference-counted heap objects. AutoLISP has no way to
// mutate a cons, so no cycle can form and counting references frees everything; freeing is
// iterative, so a list of any length or nesting depth never recurses on the C stack.
// Symbols belong to their interpreter's symbol table and live as long as it does.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "acad/LispHost.h"

namespace NUVAcad {

class LispMachine;
struct LispSymbol;
struct LispBuiltin;

// Heap types come last, so `type >= String` tells a counted object.
enum class LispType : std::uint8_t {
    Nil, Int, Real, Symbol, Subr,
    String, Cons, USubr, External, Ename, Pickset,
};

struct LispObject {
    std::uint32_t refs = 1;
    LispType type;
    explicit LispObject(LispType t) : type(t) {}
};

// Frees an object whose count reached zero, and everything only it referred to.
void lispDestroy(LispObject* o);

class LispValue {
public:
    LispValue() : type_(LispType::Nil) { u_.obj = nullptr; }
    LispValue(const LispValue& v) : type_(v.type_), u_(v.u_) { retain(); }
    LispValue(LispValue&& v) noexcept : type_(v.type_), u_(v.u_) { v.type_ = LispType::Nil; }
    LispValue& operator=(const LispValue& v) {
        if (this != &v) {
            LispValue copy(v);
            swap(copy);
        }
        return *this;
    }
    LispValue& operator=(LispValue&& v) noexcept {
        if (this != &v) {
            LispValue old(std::move(*this));
            type_ = v.type_;
            u_ = v.u_;
            v.type_ = LispType::Nil;
        }
        return *this;
    }
    ~LispValue() { release(); }

    static LispValue integer(std::int32_t i) { LispValue v; v.type_ = LispType::Int; v.u_.i = i; return v; }
    static LispValue real(double r) { LispValue v; v.type_ = LispType::Real; v.u_.r = r; return v; }
    static LispValue symbol(LispSymbol* s) { LispValue v; v.type_ = LispType::Symbol; v.u_.sym = s; return v; }
    static LispValue subr(const LispBuiltin* b) { LispValue v; v.type_ = LispType::Subr; v.u_.subr = b; return v; }
    // Takes over the object's initial reference.
    static LispValue adopt(LispObject* o) { LispValue v; v.type_ = o->type; v.u_.obj = o; return v; }

    LispType type() const { return type_; }
    bool isNil() const { return type_ == LispType::Nil; }
    bool isInt() const { return type_ == LispType::Int; }
    bool isReal() const { return type_ == LispType::Real; }
    bool isNumber() const { return type_ == LispType::Int || type_ == LispType::Real; }
    bool isSymbol() const { return type_ == LispType::Symbol; }
    bool isString() const { return type_ == LispType::String; }
    bool isCons() const { return type_ == LispType::Cons; }
    bool isList() const { return type_ == LispType::Cons || type_ == LispType::Nil; }

    std::int32_t asInt() const { return u_.i; }
    double asReal() const { return u_.r; }
    double number() const { return type_ == LispType::Int ? static_cast<double>(u_.i) : u_.r; }
    LispSymbol* asSymbol() const { return u_.sym; }
    const LispBuiltin* asSubr() const { return u_.subr; }
    LispObject* object() const { return u_.obj; }
    template <class T> T* as() const { return static_cast<T*>(u_.obj); }

    void swap(LispValue& v) noexcept {
        std::swap(type_, v.type_);
        std::swap(u_, v.u_);
    }
    // Identity: the same immediate value or the same object (eq).
    bool same(const LispValue& v) const;

private:
    bool counted() const { return type_ >= LispType::String; }
    void retain() const {
        if (counted()) ++u_.obj->refs;
    }
    void release() {
        if (counted() && --u_.obj->refs == 0) lispDestroy(u_.obj);
    }

    LispType type_;
    union {
        std::int32_t i;
        double r;
        LispSymbol* sym;
        const LispBuiltin* subr;
        LispObject* obj;
    } u_;
};

struct LispString : LispObject {
    std::string text;  // GBK bytes
    explicit LispString(std::string t) : LispObject(LispType::String), text(std::move(t)) {}
};

struct LispCons : LispObject {
    LispValue car, cdr;
    LispCons(LispValue a, LispValue d) : LispObject(LispType::Cons), car(std::move(a)), cdr(std::move(d)) {}
};

// A function made by defun or lambda: parameters, locals (after "/"), and the body forms.
struct LispUSubr : LispObject {
    std::vector<LispSymbol*> params;
    std::vector<LispSymbol*> locals;
    LispValue body;             // list of forms
    LispSymbol* name = nullptr; // null for a lambda
    LispUSubr() : LispObject(LispType::USubr) {}
};

struct LispExternal : LispObject {
    LispExternalFunction fn;
    explicit LispExternal(LispExternalFunction f) : LispObject(LispType::External), fn(std::move(f)) {}
};

struct LispEname : LispObject {
    long name[2];
    explicit LispEname(const long n[2]) : LispObject(LispType::Ename), name{n[0], n[1]} {}
};

// A selection set. The interpreter keeps one object per set name and tells the host once the
// last value referring to it is gone.
struct LispPickset : LispObject {
    long name[2];
    LispMachine* machine;
    LispPickset(const long n[2], LispMachine* m) : LispObject(LispType::Pickset), name{n[0], n[1]}, machine(m) {}
};

struct LispSymbol {
    std::string name;  // upper case (GBK characters kept as they are)
    LispValue value;
};

// equal: numbers by value within fuzz (an integer equals the same real), strings by their bytes,
// lists element by element, everything else by identity. Iterative, so depth is no concern.
// `visited` (when given) is increased by the number of nodes compared, for the step count.
bool lispEqual(const LispValue& a, const LispValue& b, double fuzz = 0.0, std::uint64_t* visited = nullptr);

inline LispValue lispString(std::string text) { return LispValue::adopt(new LispString(std::move(text))); }
inline LispValue lispCons(LispValue car, LispValue cdr) {
    return LispValue::adopt(new LispCons(std::move(car), std::move(cdr)));
}
inline LispValue lispEname(const long n[2]) { return LispValue::adopt(new LispEname(n)); }

// Appends to a list under construction without walking it.
class LispListBuilder {
public:
    void add(LispValue v) {
        LispValue cell = lispCons(std::move(v), LispValue());
        LispCons* c = cell.as<LispCons>();
        if (tail_) tail_->cdr = std::move(cell);
        else head_ = std::move(cell);
        tail_ = c;
    }
    // Ends the list with a non-nil tail (a dotted list); the list must not be empty.
    void finishDotted(LispValue tail) { tail_->cdr = std::move(tail); }
    bool empty() const { return tail_ == nullptr; }
    LispValue take() {
        tail_ = nullptr;
        return std::move(head_);
    }

private:
    LispValue head_;
    LispCons* tail_ = nullptr;
};

}  // namespace NUVAcad
