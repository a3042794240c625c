// LispMachine: the evaluator and everything one interpreter owns (symbol table, host, depth and
// step counters, the error state). Scoping is dynamic, as in AutoLISP: a symbol has one value
// slot; calling a function saves the slots of its parameters and locals and restores them when
// the call ends, normally or by an error.
//
// Errors: raise() runs the error handler at the point of the error (the user's *error*, which
// still sees the failing function's locals, or the "; error: " line), then throws LispUnwind to
// unwind to the entry point, which reports RTERROR. Nothing else may catch LispUnwind.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "acad/LispHost.h"
#include "acad/LispValue.h"

namespace NUVAcad {

// The arguments of a built-in, already evaluated.
struct LispArgs {
    const LispValue* v;
    int n;
    const LispValue& operator[](int i) const { return v[i]; }
    bool has(int i) const { return i < n; }
};

using LispBuiltinFn = LispValue (*)(LispMachine&, LispArgs);
// A special form receives its unevaluated argument list.
using LispSpecialFn = LispValue (*)(LispMachine&, const LispValue& forms);

struct LispBuiltin {
    const char* name;
    LispBuiltinFn fn;
    int minArgs;
    int maxArgs;  // -1: any number
    LispSpecialFn special = nullptr;
};

// Thrown after an error was reported, to unwind to the entry point.
struct LispUnwind {};

// Each family of built-ins lists its functions.
std::span<const LispBuiltin> lispSpecialForms();
std::span<const LispBuiltin> lispMathBuiltins();
std::span<const LispBuiltin> lispListBuiltins();
std::span<const LispBuiltin> lispTypeBuiltins();
std::span<const LispBuiltin> lispControlBuiltins();
std::span<const LispBuiltin> lispStringBuiltins();
std::span<const LispBuiltin> lispUnitBuiltins();
std::span<const LispBuiltin> lispOutputBuiltins();
std::span<const LispBuiltin> lispHostBuiltins();
std::span<const LispBuiltin> lispEntityBuiltins();
std::span<const LispBuiltin> lispInputBuiltins();
std::span<const LispBuiltin> lispGeometryBuiltins();

class LispMachine {
public:
    explicit LispMachine(LispHost& host);
    ~LispMachine();

    LispHost& host() { return host_; }

    // --- Symbols ---
    LispSymbol* intern(std::string_view name);       // folds to upper case
    LispSymbol* find(std::string_view name) const;   // null when never interned
    LispValue t() const { return LispValue::symbol(symT_); }
    LispValue boolean(bool b) const { return b ? t() : LispValue(); }
    LispSymbol* symQuote() const { return symQuote_; }
    LispSymbol* symLambda() const { return symLambda_; }
    LispSymbol* symSlash() const { return symSlash_; }
    // The nameless symbol (princ) returns: it prints as nothing, so the echo stays silent.
    LispSymbol* symSilent() const { return symSilent_; }

    // --- Evaluation ---
    LispValue eval(const LispValue& x) {
        switch (x.type()) {
        case LispType::Symbol: return x.asSymbol()->value;
        case LispType::Cons: return evalForm(x);
        default: return x;
        }
    }
    // Evaluates a body (a list of forms): the last value, nil for none.
    LispValue evalBody(const LispValue& forms);
    // Calls a function value (a built-in, a user function, an external function, a symbol
    // naming one, or a lambda list) with evaluated arguments.
    LispValue apply(const LispValue& fn, LispArgs args);
    bool isCallable(const LispValue& v) const;
    // The function a designator stands for, ready for repeated calls: a lambda list made into a
    // function once, a symbol's function value; anything else as it is (apply reports it).
    LispValue resolveFunction(const LispValue& fn);
    // A user function from a parameter list ("/" separates the locals) and a body.
    LispValue makeFunction(const LispValue& params, const LispValue& body, LispSymbol* name);

    // Binds symbols for the extent of a call and restores them afterwards, also on unwinding.
    class Binding {
    public:
        Binding() = default;
        ~Binding();
        void bind(LispSymbol* s, LispValue v);
        Binding(const Binding&) = delete;
        Binding& operator=(const Binding&) = delete;

    private:
        struct Saved {
            LispSymbol* sym;
            LispValue old;
        };
        Saved inline_[6];
        int used_ = 0;
        std::vector<Saved> more_;
    };

    // --- Limits ---
    // One evaluation step; also charged for bulk work (list elements made, string bytes / 16).
    void step(std::uint64_t n = 1) {
        steps_ += n;
        if (steps_ > stepBudget_.load(std::memory_order_relaxed)) stepLimitReached();
    }
    void setStepLimit(std::uint64_t steps) { stepLimit_ = steps; }
    void setDepthLimit(int depth);
    // Async-signal-safe: only lock-free atomic stores.
    void requestCancel() {
        cancel_.store(true, std::memory_order_relaxed);
        stepBudget_.store(0, std::memory_order_relaxed);
    }
    bool isEvaluating() const { return entries_ > 0; }

    // --- Errors ---
    [[noreturn]] void raise(const std::string& message);
    // "bad argument type: numberp: 1.5" for the numeric predicates, "bad argument type: consp 1"
    // for the others, as the language words them.
    [[noreturn]] void badType(const char* predicate, const LispValue& v);
    [[noreturn]] void tooFew() { raise("too few arguments"); }
    [[noreturn]] void tooMany() { raise("too many arguments"); }

    // Argument helpers for the built-ins: each raises the language's error for a wrong type.
    std::int32_t intArg(LispArgs a, int i);
    double numArg(LispArgs a, int i);
    const std::string& strArg(LispArgs a, int i);
    LispSymbol* symArg(LispArgs a, int i);
    // A list argument (nil included).
    const LispValue& listArg(LispArgs a, int i);
    // A point: a list of two or three numbers; z is 0 for two. Returns the count of coordinates.
    int pointArg(LispArgs a, int i, double p[3]);
    bool isPoint(const LispValue& v, double p[3], int* dims = nullptr) const;
    LispValue makePoint(const double p[3], int dims = 3);
    // A string result, refused beyond the size limit; its bytes count as steps.
    LispValue makeString(std::string text);

    // --- Top-level entry (used by LispInterpreter) ---
    // Runs fn inside an entry scope: counters reset for the outermost entry, LispUnwind and
    // resource failures turned into false. The handler's value, when *error* ran, is kept.
    template <class F> bool guarded(F&& fn);
    bool errorHandlerRan() const { return handlerRan_; }
    const LispValue& errorHandlerValue() const { return handlerValue_; }
    // Output through the host, keeping track of the line start for the "; error: " line.
    void print(const std::string& text);

    // Selection-set values: one object per set name; the host frees a set once unreferenced.
    LispValue pickset(const long name[2]);
    void picksetReleased(LispPickset* p);

    // Every symbol bound to an external function, for undefining a module's functions.
    std::vector<LispSymbol*> symbolsWithExternals() const;

private:
    LispValue evalForm(const LispValue& form);
    LispValue applyUSubr(const LispUSubr* u, LispArgs args);
    LispValue applyLambdaList(const LispValue& list, LispArgs args);
    LispValue callExternal(const LispExternal* e, LispArgs args);
    [[noreturn]] void stepLimitReached();
    [[noreturn]] void stackLimitReached();
    void report(const std::string& message);
    static std::uintptr_t stackPosition() { return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)); }
    bool stackExhausted() const { return stackPosition() < (inHandler_ ? handlerGuard_ : stackGuard_); }
    void findStackGuards();
    bool enter();
    void leave(bool outermost);

    friend class LispDepthGuard;

    LispHost& host_;
    std::deque<LispSymbol> symbols_;
    std::unordered_map<std::string, LispSymbol*> byName_;
    LispSymbol* symT_;
    LispSymbol* symQuote_;
    LispSymbol* symLambda_;
    LispSymbol* symSlash_;
    LispSymbol* symSilent_;
    LispSymbol* symError_;
    std::map<std::pair<long, long>, LispPickset*> picksets_;

    int depth_ = 0;
    int depthLimit_;
    int maxDepth_;
    std::uintptr_t stackGuard_ = 0;    // evaluation fails below this address
    std::uintptr_t handlerGuard_ = 0;  // and the error handler below this one
    bool stackKnown_ = false;
    std::thread::id stackThread_;
    std::uintptr_t stackLow_ = 0;
    std::uint64_t steps_ = 0;
    std::uint64_t stepLimit_ = 0;
    std::atomic<std::uint64_t> stepBudget_{UINT64_MAX};  // also written by requestCancel
    std::atomic<bool> cancel_{false};
    int entries_ = 0;
    bool inHandler_ = false;
    bool handlerRan_ = false;
    LispValue handlerValue_;
    bool atLineStart_ = true;
};

// Counts one nested evaluation; beyond the limit (or too close to the end of the C stack) the
// evaluation fails with "internal stack limit reached".
class LispDepthGuard {
public:
    explicit LispDepthGuard(LispMachine& m) : m_(m) {
        if (++m_.depth_ > m_.depthLimit_ || m_.stackExhausted()) m_.stackLimitReached();
    }
    ~LispDepthGuard() { --m_.depth_; }

private:
    LispMachine& m_;
};

template <class F> bool LispMachine::guarded(F&& fn) {
    const bool outermost = enter();
    bool ok = false;
    try {
        fn();
        ok = true;
    } catch (const LispUnwind&) {
    } catch (const std::bad_alloc&) {
        report("insufficient memory");
    } catch (...) {
        // Thrown by a host or module callback: the evaluation ends like any failed one.
        report("exception in a host function");
    }
    leave(outermost);
    return ok;
}

}  // namespace NUVAcad
