// The evaluator: symbol table, forms, function application with dynamic binding, external
// functions, errors and the depth and step limits.
#include "acad/LispMachine.h"

#include <cmath>
#include <cstring>
#include <new>

#include <pthread.h>

#include "acad/LispInterpreter.h"
#include "acad/LispPrinter.h"
#include "acad/LispResBuf.h"
#include "acad/LispText.h"

namespace NUVAcad {

namespace {

// Strings beyond this are refused, so one runaway strcat cannot take the host's memory.
constexpr std::size_t kMaxString = std::size_t(64) << 20;
// C stack left unused at the deepest evaluation (three quarters of it open to the error handler,
// so that "internal stack limit reached" can still run the user's *error*).
constexpr std::uintptr_t kStackReserve = std::uintptr_t(1) << 20;
// Without known stack bounds: what one evaluation may use from its entry.
constexpr std::uintptr_t kFallbackBudget = std::uintptr_t(4) << 20;
constexpr int kHandlerDepth = 200;

// Evaluated arguments: a few inline (constructed only as they arrive), more on the heap.
class ArgBuffer {
public:
    ArgBuffer() = default;
    ArgBuffer(const ArgBuffer&) = delete;
    ArgBuffer& operator=(const ArgBuffer&) = delete;
    ~ArgBuffer() {
        if (n_ <= kInline)
            for (int i = 0; i < n_; ++i) slot(i)->~LispValue();
    }
    void push(LispValue v) {
        if (n_ < kInline) {
            new (slot(n_)) LispValue(std::move(v));
        } else {
            if (n_ == kInline) {
                more_.reserve(16);
                for (int i = 0; i < kInline; ++i) {
                    more_.push_back(std::move(*slot(i)));
                    slot(i)->~LispValue();
                }
            }
            more_.push_back(std::move(v));
        }
        ++n_;
    }
    LispArgs args() { return {n_ <= kInline ? slot(0) : more_.data(), n_}; }

private:
    static constexpr int kInline = 6;
    LispValue* slot(int i) { return reinterpret_cast<LispValue*>(storage_) + i; }
    alignas(LispValue) unsigned char storage_[kInline * sizeof(LispValue)];
    std::vector<LispValue> more_;
    int n_ = 0;
};

// The lowest address of the calling thread's stack, or 0 when the system does not say.
std::uintptr_t threadStackLow() {
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
    void* addr = nullptr;
    std::size_t size = 0;
    const int rc = pthread_attr_getstack(&attr, &addr, &size);
    pthread_attr_destroy(&attr);
    return rc == 0 ? reinterpret_cast<std::uintptr_t>(addr) : 0;
}

}  // namespace

LispMachine::LispMachine(LispHost& host)
    : host_(host), depthLimit_(LispInterpreter::kMaxDepth), maxDepth_(LispInterpreter::kMaxDepth) {
    symT_ = intern("T");
    symT_->value = LispValue::symbol(symT_);
    symQuote_ = intern("QUOTE");
    symLambda_ = intern("LAMBDA");
    symSlash_ = intern("/");
    symSilent_ = intern("");
    symError_ = intern("*ERROR*");
    intern("PI")->value = LispValue::real(3.14159265358979323846);
    // In command input a backslash waits for the user: (command "LINE" pause pause "").
    intern("PAUSE")->value = lispString("\\");
    for (auto family : {lispSpecialForms(), lispMathBuiltins(), lispListBuiltins(), lispTypeBuiltins(), lispControlBuiltins(),
                        lispStringBuiltins(), lispUnitBuiltins(), lispOutputBuiltins(), lispHostBuiltins(),
                        lispEntityBuiltins(), lispInputBuiltins(), lispGeometryBuiltins()})
        for (const LispBuiltin& b : family) intern(b.name)->value = LispValue::subr(&b);
}

LispMachine::~LispMachine() {
    // Values may hold selection sets the host must hear about: drop them while all is alive.
    for (LispSymbol& s : symbols_) s.value = LispValue();
    handlerValue_ = LispValue();
}

LispSymbol* LispMachine::intern(std::string_view name) {
    std::string key = lispToUpper(name);
    auto it = byName_.find(key);
    if (it != byName_.end()) return it->second;
    symbols_.push_back(LispSymbol{key, LispValue()});
    LispSymbol* s = &symbols_.back();
    byName_.emplace(std::move(key), s);
    return s;
}

LispSymbol* LispMachine::find(std::string_view name) const {
    auto it = byName_.find(lispToUpper(name));
    return it == byName_.end() ? nullptr : it->second;
}

LispValue LispMachine::evalBody(const LispValue& forms) {
    LispValue result;
    for (const LispValue* p = &forms; p->isCons();) {
        const auto* c = p->as<LispCons>();
        result = eval(c->car);
        p = &c->cdr;
    }
    return result;
}

LispValue LispMachine::evalForm(const LispValue& form) {
    LispDepthGuard guard(*this);
    step();
    const auto* c = form.as<LispCons>();
    LispValue fn;
    if (c->car.isSymbol()) {
        fn = c->car.asSymbol()->value;
        if (fn.isNil()) raise("no function definition: " + c->car.asSymbol()->name);
    } else {
        fn = eval(c->car);
    }
    if (fn.type() == LispType::Subr && fn.asSubr()->special) return fn.asSubr()->special(*this, c->cdr);
    ArgBuffer args;
    const LispValue* p = &c->cdr;
    for (; p->isCons(); p = &p->as<LispCons>()->cdr) args.push(eval(p->as<LispCons>()->car));
    if (!p->isNil()) badType("listp", c->cdr);
    return apply(fn, args.args());
}

bool LispMachine::isCallable(const LispValue& v) const {
    switch (v.type()) {
    case LispType::Subr: return v.asSubr()->special == nullptr;
    case LispType::USubr:
    case LispType::External: return true;
    case LispType::Cons: return v.as<LispCons>()->car.isSymbol() && v.as<LispCons>()->car.asSymbol() == symLambda_;
    case LispType::Symbol: {
        const LispValue& f = v.asSymbol()->value;
        return !f.isSymbol() && isCallable(f);
    }
    default: return false;
    }
}

LispValue LispMachine::resolveFunction(const LispValue& fn) {
    if (fn.isCons() && isCallable(fn)) {
        const LispValue& rest = fn.as<LispCons>()->cdr;
        if (rest.isCons()) return makeFunction(rest.as<LispCons>()->car, rest.as<LispCons>()->cdr, nullptr);
    }
    if (fn.isSymbol() && isCallable(fn)) return fn.asSymbol()->value;
    return fn;
}

LispValue LispMachine::apply(const LispValue& fn, LispArgs args) {
    switch (fn.type()) {
    case LispType::Subr: {
        const LispBuiltin* b = fn.asSubr();
        if (b->special) break;
        if (args.n < b->minArgs) tooFew();
        if (b->maxArgs >= 0 && args.n > b->maxArgs) tooMany();
        return b->fn(*this, args);
    }
    case LispType::USubr: return applyUSubr(fn.as<LispUSubr>(), args);
    case LispType::External: return callExternal(fn.as<LispExternal>(), args);
    case LispType::Cons:
        if (isCallable(fn)) return applyLambdaList(fn, args);
        break;
    case LispType::Symbol: {
        LispValue f = fn.asSymbol()->value;
        if (f.isNil()) raise("no function definition: " + fn.asSymbol()->name);
        if (!f.isSymbol()) return apply(f, args);
        break;
    }
    default: break;
    }
    raise("bad function: " + lispPrint(fn, true));
}

LispValue LispMachine::makeFunction(const LispValue& params, const LispValue& body, LispSymbol* name) {
    auto* u = new LispUSubr;
    LispValue holder = LispValue::adopt(u);
    bool locals = false;
    const LispValue* p = &params;
    for (; p->isCons(); p = &p->as<LispCons>()->cdr) {
        const LispValue& item = p->as<LispCons>()->car;
        if (!item.isSymbol()) badType("symbolp", item);
        LispSymbol* s = item.asSymbol();
        if (s == symSlash_ && !locals) {
            locals = true;
            continue;
        }
        (locals ? u->locals : u->params).push_back(s);
    }
    if (!p->isNil()) badType("listp", params);
    u->body = body;
    u->name = name;
    return holder;
}

LispValue LispMachine::applyUSubr(const LispUSubr* u, LispArgs args) {
    const int wanted = static_cast<int>(u->params.size());
    if (args.n < wanted) tooFew();
    if (args.n > wanted) tooMany();
    Binding binding;
    for (int i = 0; i < wanted; ++i) binding.bind(u->params[static_cast<std::size_t>(i)], args[i]);
    for (LispSymbol* s : u->locals) binding.bind(s, LispValue());
    return evalBody(u->body);
}

LispValue LispMachine::applyLambdaList(const LispValue& list, LispArgs args) {
    const LispValue& rest = list.as<LispCons>()->cdr;
    if (!rest.isCons()) tooFew();
    LispValue fn = makeFunction(rest.as<LispCons>()->car, rest.as<LispCons>()->cdr, nullptr);
    return applyUSubr(fn.as<LispUSubr>(), args);
}

LispValue LispMachine::callExternal(const LispExternal* e, LispArgs args) {
    bool ok = true;
    resbuf* in = lispItemsToResbuf(args, &ok);
    if (!ok) {
        acutRelRb(in);
        for (int i = 0; i < args.n; ++i) {
            bool one = true;
            acutRelRb(lispToResbuf(args[i], &one));
            if (!one) raise("bad argument type: " + lispPrint(args[i], true));
        }
    }
    resbuf* out = nullptr;
    CString error;
    // The external function may re-enter the interpreter (acedInvoke, acedPutSym).
    const int status = host_.callExternal(e->fn, in, &out, error);
    acutRelRb(in);
    if (status != RSRSLT) {
        acutRelRb(out);
        raise(error.IsEmpty() ? std::string("ADS request error") : error.str());
    }
    LispValue result;
    if (out && out->restype == RTVOID) result = LispValue::symbol(symSilent_);
    else result = lispFromResbuf(*this, out);
    acutRelRb(out);
    return result;
}

LispMachine::Binding::~Binding() {
    for (auto it = more_.rbegin(); it != more_.rend(); ++it) it->sym->value = std::move(it->old);
    for (int i = used_ - 1; i >= 0; --i) inline_[i].sym->value = std::move(inline_[i].old);
}

void LispMachine::Binding::bind(LispSymbol* s, LispValue v) {
    Saved saved{s, std::move(s->value)};
    s->value = std::move(v);
    if (used_ < 6) inline_[used_++] = std::move(saved);
    else more_.push_back(std::move(saved));
}

// --- Limits and errors ---

void LispMachine::stepLimitReached() {
    if (cancel_.exchange(false, std::memory_order_relaxed)) raise("Function cancelled");
    raise("evaluation step limit reached");
}

void LispMachine::stackLimitReached() {
    --depth_;  // the guard that called this never finishes construction
    raise("internal stack limit reached (simulated)");
}

void LispMachine::print(const std::string& text) {
    if (text.empty()) return;
    host_.print(CString(text));
    atLineStart_ = text.back() == '\n';
}

void LispMachine::report(const std::string& message) {
    print(std::string(atLineStart_ ? "" : "\n") + "; error: " + message);
}

void LispMachine::raise(const std::string& message) {
    LispValue handler = symError_->value;
    if (!inHandler_ && isCallable(handler)) {
        // The handler runs where the error happened (it sees the failing function's locals),
        // with fresh room to work in.
        inHandler_ = true;
        const int savedDepth = depthLimit_;
        const std::uint64_t savedBudget = stepBudget_.load(std::memory_order_relaxed);
        depthLimit_ = depth_ + kHandlerDepth;
        stepBudget_.store(stepLimit_ ? steps_ + stepLimit_ : UINT64_MAX, std::memory_order_relaxed);
        cancel_.store(false, std::memory_order_relaxed);
        handlerRan_ = true;
        try {
            LispValue text = makeString(message);
            handlerValue_ = apply(handler, {&text, 1});
        } catch (const LispUnwind&) {
            handlerValue_ = LispValue::symbol(symSilent_);
        }
        depthLimit_ = savedDepth;
        stepBudget_.store(savedBudget, std::memory_order_relaxed);
        inHandler_ = false;
        throw LispUnwind{};
    }
    report(message);
    throw LispUnwind{};
}

void LispMachine::badType(const char* predicate, const LispValue& v) {
    const bool numeric = std::strcmp(predicate, "numberp") == 0 || std::strcmp(predicate, "fixnump") == 0 ||
                         std::strcmp(predicate, "2D/3D point") == 0;
    raise(std::string("bad argument type: ") + predicate + (numeric ? ": " : " ") + lispPrint(v, true));
}

bool LispMachine::enter() {
    const bool outermost = entries_ == 0;
    if (outermost) {
        steps_ = 0;
        cancel_.store(false, std::memory_order_relaxed);
        stepBudget_.store(stepLimit_ ? stepLimit_ : UINT64_MAX, std::memory_order_relaxed);
        depth_ = 0;
        depthLimit_ = maxDepth_;
        findStackGuards();
        inHandler_ = false;
        handlerRan_ = false;
        handlerValue_ = LispValue();
        atLineStart_ = true;
    }
    ++entries_;
    return outermost;
}

void LispMachine::leave(bool outermost) {
    --entries_;
    if (outermost) depth_ = 0;
}

void LispMachine::findStackGuards() {
    // Stacks grow downwards here. The bounds are looked up once per thread.
    const auto self = std::this_thread::get_id();
    if (!stackKnown_ || stackThread_ != self) {
        stackThread_ = self;
        stackLow_ = threadStackLow();
        stackKnown_ = true;
    }
    const std::uintptr_t here = stackPosition();
    if (stackLow_ != 0 && stackLow_ < here) {
        // Keep 1 MB free, or a quarter of what is left on a small stack.
        const std::uintptr_t left = here - stackLow_;
        const std::uintptr_t reserve = left / 4 < kStackReserve ? left / 4 : kStackReserve;
        stackGuard_ = stackLow_ + reserve;
        handlerGuard_ = stackLow_ + reserve / 4;
    } else {
        stackGuard_ = here > kFallbackBudget ? here - kFallbackBudget : 0;
        handlerGuard_ = stackGuard_ > kStackReserve ? stackGuard_ - kStackReserve / 2 : 0;
    }
}

void LispMachine::setDepthLimit(int depth) {
    maxDepth_ = depth < 1 ? 1 : depth > LispInterpreter::kMaxDepth ? LispInterpreter::kMaxDepth : depth;
}

// --- Argument helpers ---

std::int32_t LispMachine::intArg(LispArgs a, int i) {
    if (!a[i].isInt()) badType("fixnump", a[i]);
    return a[i].asInt();
}

double LispMachine::numArg(LispArgs a, int i) {
    if (!a[i].isNumber()) badType("numberp", a[i]);
    return a[i].number();
}

const std::string& LispMachine::strArg(LispArgs a, int i) {
    if (!a[i].isString()) badType("stringp", a[i]);
    return a[i].as<LispString>()->text;
}

LispSymbol* LispMachine::symArg(LispArgs a, int i) {
    if (!a[i].isSymbol()) badType("symbolp", a[i]);
    return a[i].asSymbol();
}

const LispValue& LispMachine::listArg(LispArgs a, int i) {
    if (!a[i].isList()) badType("listp", a[i]);
    return a[i];
}

bool LispMachine::isPoint(const LispValue& v, double p[3], int* dims) const {
    int n = 0;
    double q[3] = {0, 0, 0};
    const LispValue* c = &v;
    for (; c->isCons(); c = &c->as<LispCons>()->cdr) {
        const LispValue& x = c->as<LispCons>()->car;
        if (n == 3 || !x.isNumber()) return false;
        q[n++] = x.number();
    }
    if (!c->isNil() || n < 2) return false;
    p[0] = q[0];
    p[1] = q[1];
    p[2] = q[2];
    if (dims) *dims = n;
    return true;
}

int LispMachine::pointArg(LispArgs a, int i, double p[3]) {
    int dims = 0;
    if (!isPoint(a[i], p, &dims)) badType("2D/3D point", a[i]);
    return dims;
}

LispValue LispMachine::makePoint(const double p[3], int dims) {
    LispListBuilder b;
    for (int i = 0; i < dims; ++i) b.add(LispValue::real(p[i]));
    return b.take();
}

LispValue LispMachine::makeString(std::string text) {
    if (text.size() > kMaxString) raise("string too long");
    step(1 + text.size() / 16);
    return lispString(std::move(text));
}

// --- Selection sets ---

LispValue LispMachine::pickset(const long name[2]) {
    auto key = std::make_pair(name[0], name[1]);
    auto it = picksets_.find(key);
    if (it != picksets_.end()) {
        ++it->second->refs;
        return LispValue::adopt(it->second);
    }
    auto* p = new LispPickset(name, this);
    picksets_.emplace(key, p);
    return LispValue::adopt(p);
}

void LispMachine::picksetReleased(LispPickset* p) {
    picksets_.erase(std::make_pair(p->name[0], p->name[1]));
    host_.ssFree(p->name);
}

std::vector<LispSymbol*> LispMachine::symbolsWithExternals() const {
    std::vector<LispSymbol*> out;
    for (const LispSymbol& s : symbols_)
        if (s.value.type() == LispType::External) out.push_back(const_cast<LispSymbol*>(&s));
    return out;
}

}  // namespace NUVAcad
