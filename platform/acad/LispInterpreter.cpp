// The interpreter as the host drives it: every entry point runs inside the machine's guard, so an
// error is reported and unwound there and the caller sees RTERROR.
#include "acad/LispInterpreter.h"

#include "acad/LispLoad.h"
#include "acad/LispMachine.h"
#include "acad/LispPrinter.h"
#include "acad/LispReader.h"
#include "acad/LispResBuf.h"

namespace NUVAcad {

LispInterpreter::LispInterpreter(LispHost& host) : machine_(std::make_unique<LispMachine>(host)) {}

LispInterpreter::~LispInterpreter() = default;

int LispInterpreter::finish(bool ok, const void* value, resbuf** result) {
    if (result) *result = nullptr;
    if (!ok) return RTERROR;
    if (result) *result = lispToResbuf(*static_cast<const LispValue*>(value));
    return RTNORM;
}

int LispInterpreter::evaluate(const CString& text, resbuf** result) {
    LispValue v;
    const bool ok = machine_->guarded([&] { v = lispEvalText(*machine_, text.str()); });
    return finish(ok, &v, result);
}

int LispInterpreter::evaluateCommandLine(const CString& text) {
    std::string_view s = text.str();
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    if (!s.empty() && s.front() == '!') s.remove_prefix(1);
    LispValue v;
    LispMachine& m = *machine_;
    const bool ok = m.guarded([&] { v = lispEvalText(m, s); });
    if (!ok) {
        if (!m.errorHandlerRan()) return RTERROR;
        v = m.errorHandlerValue();
    }
    if (!(v.isSymbol() && v.asSymbol() == m.symSilent())) m.print(lispPrint(v, true));
    return ok ? RTNORM : RTERROR;
}

bool LispInterpreter::isInputComplete(const CString& text) { return lispInputComplete(text.str()); }

int LispInterpreter::loadFile(const CString& name, resbuf** result) {
    LispValue v;
    const bool ok = machine_->guarded([&] { v = lispLoad(*machine_, name.str(), nullptr); });
    return finish(ok, &v, result);
}

int LispInterpreter::defineExternal(const char* name, int code, void* owner) {
    if (!name || !*name) return RTERROR;
    LispSymbol* s = machine_->intern(name);
    if (s->name == "NIL") return RTERROR;
    s->value = LispValue::adopt(new LispExternal(LispExternalFunction{CString(name), code, owner}));
    return RTNORM;
}

int LispInterpreter::undefineExternal(const char* name, int code) {
    if (!name) return RTERROR;
    LispSymbol* s = machine_->find(name);
    if (!s || s->value.type() != LispType::External || s->value.as<LispExternal>()->fn.code != code) return RTERROR;
    s->value = LispValue();
    return RTNORM;
}

void LispInterpreter::undefineExternalsOf(void* owner) {
    for (LispSymbol* s : machine_->symbolsWithExternals())
        if (s->value.as<LispExternal>()->fn.owner == owner) s->value = LispValue();
}

bool LispInterpreter::isFunction(const char* name) const {
    if (!name) return false;
    const LispSymbol* s = machine_->find(name);
    return s && machine_->isCallable(s->value);
}

int LispInterpreter::putSymbol(const char* name, const resbuf* value) {
    if (!name || !*name) return RTERROR;
    LispSymbol* s = machine_->intern(name);
    if (s->name == "NIL" || s == machine_->symSilent()) return RTERROR;
    s->value = lispFromResbuf(*machine_, value);
    return RTNORM;
}

int LispInterpreter::getSymbol(const char* name, resbuf** value) {
    *value = nullptr;
    if (!name || !*name) return RTERROR;
    const LispSymbol* s = machine_->find(name);
    bool ok = true;
    *value = lispToResbuf(s ? s->value : LispValue(), &ok);
    return ok ? RTNORM : RTERROR;
}

int LispInterpreter::invoke(const resbuf* args, resbuf** result) {
    if (result) *result = nullptr;
    if (!args || args->restype != RTSTR || !args->resval.rstring || !*args->resval.rstring) return RTERROR;
    LispMachine& m = *machine_;
    LispValue v;
    const bool ok = m.guarded([&] {
        LispSymbol* fn = m.intern(args->resval.rstring);
        LispValue list = lispItemsFromResbuf(m, args->rbnext);
        std::vector<LispValue> values;
        for (const LispValue* p = &list; p->isCons(); p = &p->as<LispCons>()->cdr) values.push_back(p->as<LispCons>()->car);
        v = m.apply(LispValue::symbol(fn), {values.data(), static_cast<int>(values.size())});
    });
    return finish(ok, &v, result);
}

void LispInterpreter::queueExpression(const CString& text) { queue_.push_back(text); }

bool LispInterpreter::hasQueuedExpressions() const { return !queue_.empty(); }

void LispInterpreter::runQueuedExpressions() {
    if (isEvaluating()) return;
    while (!queue_.empty()) {
        CString text = queue_.front();
        queue_.pop_front();
        evaluateCommandLine(text);
    }
}

bool LispInterpreter::isEvaluating() const { return machine_->isEvaluating(); }

void LispInterpreter::setStepLimit(std::uint64_t steps) { machine_->setStepLimit(steps); }

void LispInterpreter::setDepthLimit(int depth) { machine_->setDepthLimit(depth); }

void LispInterpreter::requestCancel() { machine_->requestCancel(); }

}  // namespace NUVAcad
