// The special forms: they receive their arguments unevaluated and decide what to evaluate.
// and/or answer T or nil (not the deciding value), as the language does.
#include "acad/LispMachine.h"

namespace NUVAcad {

namespace {

// The forms as an array of pointers into the (live) form list; raises for a dotted form list.
// Most forms have few arguments: those stay inline.
class Forms {
public:
    Forms(LispMachine& m, const LispValue& list) {
        const LispValue* p = &list;
        for (; p->isCons(); p = &p->as<LispCons>()->cdr) {
            const LispValue* item = &p->as<LispCons>()->car;
            if (n_ < kInline) inline_[n_] = item;
            else {
                if (more_.empty()) more_.assign(inline_, inline_ + kInline);
                more_.push_back(item);
            }
            ++n_;
        }
        if (!p->isNil()) m.badType("listp", list);
    }
    int size() const { return n_; }
    const LispValue& operator[](int i) const { return n_ <= kInline ? *inline_[i] : *more_[static_cast<std::size_t>(i)]; }

private:
    static constexpr int kInline = 8;
    const LispValue* inline_[kInline];
    std::vector<const LispValue*> more_;
    int n_ = 0;
};

const LispValue& first(const LispValue& list) { return list.as<LispCons>()->car; }
const LispValue& rest(const LispValue& list) { return list.as<LispCons>()->cdr; }

LispValue formQuote(LispMachine& m, const LispValue& forms) {
    if (!forms.isCons()) m.tooFew();
    if (!rest(forms).isNil()) m.tooMany();
    return first(forms);
}

LispValue formFunction(LispMachine& m, const LispValue& forms) {
    if (!forms.isCons()) m.tooFew();
    if (!rest(forms).isNil()) m.tooMany();
    const LispValue& f = first(forms);
    if (m.isCallable(f) && f.isCons()) return m.makeFunction(first(rest(f)), rest(rest(f)), nullptr);
    return f;
}

LispValue formSetq(LispMachine& m, const LispValue& forms) {
    if (!forms.isCons()) m.tooFew();
    LispValue value;
    for (const LispValue* p = &forms; !p->isNil();) {
        if (!p->isCons()) m.badType("listp", forms);
        const LispValue& target = first(*p);
        const LispValue& next = rest(*p);
        if (!next.isCons()) m.tooFew();
        if (!target.isSymbol()) m.badType("symbolp", target);
        value = m.eval(first(next));
        target.asSymbol()->value = value;
        p = &rest(next);
    }
    return value;
}

LispValue formLambda(LispMachine& m, const LispValue& forms) {
    if (!forms.isCons()) m.tooFew();
    return m.makeFunction(first(forms), rest(forms), nullptr);
}

LispValue formDefun(LispMachine& m, const LispValue& forms) {
    Forms f(m, forms);
    if (f.size() < 2) m.tooFew();
    if (!f[0].isSymbol()) m.badType("symbolp", f[0]);
    LispSymbol* name = f[0].asSymbol();
    name->value = m.makeFunction(f[1], rest(rest(forms)), name);
    return f[0];
}

LispValue formIf(LispMachine& m, const LispValue& forms) {
    // (if test then [else]) with the arity checked before anything is evaluated.
    const LispValue* parts[3] = {nullptr, nullptr, nullptr};
    int n = 0;
    const LispValue* p = &forms;
    for (; p->isCons(); p = &rest(*p)) {
        if (n == 3) m.tooMany();
        parts[n++] = &first(*p);
    }
    if (!p->isNil()) m.badType("listp", forms);
    if (n < 2) m.tooFew();
    if (!m.eval(*parts[0]).isNil()) return m.eval(*parts[1]);
    return n == 3 ? m.eval(*parts[2]) : LispValue();
}

LispValue formCond(LispMachine& m, const LispValue& forms) {
    Forms clauses(m, forms);
    for (int i = 0; i < clauses.size(); ++i) {
        const LispValue& clause = clauses[i];
        if (!clause.isCons()) m.badType("consp", clause);
        LispValue test = m.eval(first(clause));
        if (test.isNil()) continue;
        if (rest(clause).isNil()) return test;
        return m.evalBody(rest(clause));
    }
    return LispValue();
}

LispValue formProgn(LispMachine& m, const LispValue& forms) { return m.evalBody(forms); }

LispValue formWhile(LispMachine& m, const LispValue& forms) {
    if (!forms.isCons()) m.tooFew();
    LispValue result;
    while (!m.eval(first(forms)).isNil()) {
        m.step();
        result = m.evalBody(rest(forms));
    }
    return result;
}

LispValue formRepeat(LispMachine& m, const LispValue& forms) {
    if (!forms.isCons()) m.tooFew();
    LispValue count = m.eval(first(forms));
    if (!count.isInt()) m.badType("fixnump", count);
    LispValue result;
    for (std::int32_t i = 0; i < count.asInt(); ++i) {
        m.step();
        result = m.evalBody(rest(forms));
    }
    return result;
}

LispValue formForeach(LispMachine& m, const LispValue& forms) {
    Forms f(m, forms);
    if (f.size() < 2) m.tooFew();
    if (!f[0].isSymbol()) m.badType("symbolp", f[0]);
    LispValue list = m.eval(f[1]);
    if (!list.isList()) m.badType("listp", list);
    LispMachine::Binding binding;
    binding.bind(f[0].asSymbol(), LispValue());
    LispValue result;
    const LispValue body = rest(rest(forms));
    const LispValue* p = &list;
    for (; p->isCons(); p = &p->as<LispCons>()->cdr) {
        m.step();
        f[0].asSymbol()->value = p->as<LispCons>()->car;
        result = m.evalBody(body);
    }
    if (!p->isNil()) m.badType("listp", list);
    return result;
}

LispValue formAnd(LispMachine& m, const LispValue& forms) {
    for (const LispValue* p = &forms; p->isCons(); p = &rest(*p))
        if (m.eval(first(*p)).isNil()) return LispValue();
    return m.t();
}

LispValue formOr(LispMachine& m, const LispValue& forms) {
    for (const LispValue* p = &forms; p->isCons(); p = &rest(*p))
        if (!m.eval(first(*p)).isNil()) return m.t();
    return LispValue();
}

const LispBuiltin kForms[] = {
    {"quote", nullptr, 0, -1, formQuote},
    {"function", nullptr, 0, -1, formFunction},
    {"setq", nullptr, 0, -1, formSetq},
    {"lambda", nullptr, 0, -1, formLambda},
    {"defun", nullptr, 0, -1, formDefun},
    {"if", nullptr, 0, -1, formIf},
    {"cond", nullptr, 0, -1, formCond},
    {"progn", nullptr, 0, -1, formProgn},
    {"while", nullptr, 0, -1, formWhile},
    {"repeat", nullptr, 0, -1, formRepeat},
    {"foreach", nullptr, 0, -1, formForeach},
    {"and", nullptr, 0, -1, formAnd},
    {"or", nullptr, 0, -1, formOr},
};

}  // namespace

std::span<const LispBuiltin> lispSpecialForms() { return kForms; }

}  // namespace NUVAcad
