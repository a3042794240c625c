// The printer: atoms by type, lists by an explicit stack of pending tails.
#include "acad/LispPrinter.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "acad/LispMachine.h"
#include "acad/LispText.h"

namespace NUVAcad {

std::string lispFormatReal(double r) {
    // The host's runtime spells the special values this way.
    if (std::isnan(r)) return "-1.#IND";
    if (std::isinf(r)) return r > 0 ? "1.#INF" : "-1.#INF";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.6g", r);
    std::string s(buf);
    const std::size_t e = s.find('e');
    if (s.find('.') == std::string::npos) s.insert(e == std::string::npos ? s.size() : e, ".0");
    return s;
}

namespace {

void appendEscaped(std::string& out, const std::string& text) {
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = lispCharLength(text, i);
        if (n == 2) {
            out.append(text, i, 2);
            i += 2;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[i++]);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case 27: out += "\\e"; break;
        default:
            if (c < 32 || c == 127) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\%03o", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

void appendAtom(std::string& out, const LispValue& v, bool escape) {
    char buf[64];
    switch (v.type()) {
    case LispType::Nil: out += "nil"; break;
    case LispType::Int: out += std::to_string(v.asInt()); break;
    case LispType::Real: out += lispFormatReal(v.asReal()); break;
    case LispType::Symbol: out += v.asSymbol()->name; break;
    case LispType::String:
        if (escape) appendEscaped(out, v.as<LispString>()->text);
        else out += v.as<LispString>()->text;
        break;
    case LispType::Subr:
        std::snprintf(buf, sizeof buf, "#<SUBR @%p ", static_cast<const void*>(v.asSubr()));
        out += buf;
        out += lispToUpper(v.asSubr()->name);
        out += '>';
        break;
    case LispType::USubr: {
        const auto* u = v.as<LispUSubr>();
        std::snprintf(buf, sizeof buf, "#<USUBR @%p ", static_cast<const void*>(u));
        out += buf;
        out += u->name ? u->name->name : std::string("-lambda-");
        out += '>';
        break;
    }
    case LispType::External:
        std::snprintf(buf, sizeof buf, "#<EXRXSUBR @%p ", static_cast<const void*>(v.object()));
        out += buf;
        out += lispToUpper(v.as<LispExternal>()->fn.name.str());
        out += '>';
        break;
    case LispType::Ename:
        std::snprintf(buf, sizeof buf, "<Entity name: %lx>", static_cast<unsigned long>(v.as<LispEname>()->name[1]));
        out += buf;
        break;
    case LispType::Pickset:
        std::snprintf(buf, sizeof buf, "<Selection set: %lx>", static_cast<unsigned long>(v.as<LispPickset>()->name[1]));
        out += buf;
        break;
    case LispType::Cons: break;  // lists are walked by the caller
    }
}

}  // namespace

std::string lispPrint(const LispValue& v, bool escape) {
    std::string out;
    std::vector<const LispValue*> tails;  // the rest of each open list
    const LispValue* cur = &v;
    for (;;) {
        while (cur->isCons()) {
            out += '(';
            const auto* c = cur->as<LispCons>();
            tails.push_back(&c->cdr);
            cur = &c->car;
        }
        appendAtom(out, *cur, escape);
        cur = nullptr;
        while (!tails.empty()) {
            const LispValue* tail = tails.back();
            if (tail->isCons()) {
                out += ' ';
                const auto* c = tail->as<LispCons>();
                tails.back() = &c->cdr;
                cur = &c->car;
                break;
            }
            if (!tail->isNil()) {
                out += " . ";
                appendAtom(out, *tail, escape);
            }
            out += ')';
            tails.pop_back();
        }
        if (!cur) return out;
    }
}

}  // namespace NUVAcad
