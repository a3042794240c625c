#include "ado/Criteria.h"

#include <strings.h>

#include <cctype>
#include <cmath>
#include <cstring>

#include "ado/TextConvert.h"
#include "com/OleDateTime.h"

namespace NUVADO {

struct Criteria::Node {
    enum Kind { Or, And, Not, Compare } kind = Compare;
    enum Op { Eq, Ne, Lt, Gt, Le, Ge, Like, NotLike, IsNull, IsNotNull } op = Eq;
    std::shared_ptr<Node> a, b;
    int field = 0;
    _variant_t literal;
};

namespace {

using Node = Criteria::Node;

char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

class Parser {
public:
    Parser(const std::string& t, std::vector<std::string>& names) : s_(t), names_(names) {}

    std::shared_ptr<Node> Run(std::string& error) {
        try {
            Skip();
            if (pos_ >= s_.size()) return nullptr;
            auto n = Or();
            Skip();
            if (pos_ < s_.size()) Fail("unexpected text '" + s_.substr(pos_, 20) + "'");
            return n;
        } catch (const std::string& e) {
            error = e;
            return nullptr;
        }
    }

private:
    [[noreturn]] void Fail(const std::string& why) { throw why; }
    void Skip() {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    }
    bool Keyword(const char* k) {
        Skip();
        std::size_t n = std::strlen(k);
        if (s_.size() - pos_ >= n && strncasecmp(s_.c_str() + pos_, k, n) == 0 &&
            (pos_ + n == s_.size() || !(std::isalnum(static_cast<unsigned char>(s_[pos_ + n])) || s_[pos_ + n] == '_'))) {
            pos_ += n;
            return true;
        }
        return false;
    }
    std::shared_ptr<Node> Join(Node::Kind k, std::shared_ptr<Node> a, std::shared_ptr<Node> b) {
        auto n = std::make_shared<Node>();
        n->kind = k;
        n->a = std::move(a);
        n->b = std::move(b);
        return n;
    }
    std::shared_ptr<Node> Or() {
        auto n = And();
        while (Keyword("OR")) n = Join(Node::Or, n, And());
        return n;
    }
    std::shared_ptr<Node> And() {
        auto n = Unary();
        while (Keyword("AND")) n = Join(Node::And, n, Unary());
        return n;
    }
    std::shared_ptr<Node> Unary() {
        if (++depth_ > 200) Fail("criteria nested too deeply");
        std::shared_ptr<Node> r;
        if (Keyword("NOT")) {
            r = Join(Node::Not, Unary(), nullptr);
        } else {
            Skip();
            if (pos_ < s_.size() && s_[pos_] == '(') {
                ++pos_;
                r = Or();
                Skip();
                if (pos_ >= s_.size() || s_[pos_] != ')') Fail("')' expected");
                ++pos_;
            } else {
                r = Comparison();
            }
        }
        --depth_;
        return r;
    }
    std::string Name() {
        Skip();
        if (pos_ >= s_.size()) Fail("field name expected");
        char c = s_[pos_];
        if (c == '[' || c == '`') {
            char close = c == '[' ? ']' : '`';
            std::size_t e = s_.find(close, pos_ + 1);
            if (e == std::string::npos) Fail("unclosed field name");
            std::string n = s_.substr(pos_ + 1, e - pos_ - 1);
            pos_ = e + 1;
            if (n.empty()) Fail("empty field name");
            return n;
        }
        std::size_t b = pos_;
        while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_' || s_[pos_] == '.' ||
                                    static_cast<unsigned char>(s_[pos_]) >= 0x80))
            ++pos_;
        if (pos_ == b) Fail("field name expected at '" + s_.substr(b, 20) + "'");
        return s_.substr(b, pos_ - b);
    }
    int FieldIndex(const std::string& name) {
        for (std::size_t i = 0; i < names_.size(); ++i)
            if (strcasecmp(names_[i].c_str(), name.c_str()) == 0) return static_cast<int>(i);
        names_.push_back(name);
        return static_cast<int>(names_.size() - 1);
    }
    _variant_t Literal() {
        Skip();
        if (pos_ >= s_.size()) Fail("value expected");
        char c = s_[pos_];
        if (c == '\'' || c == '"') {
            std::string v;
            ++pos_;
            for (;;) {
                if (pos_ >= s_.size()) Fail("unclosed text");
                if (s_[pos_] == c) {
                    if (pos_ + 1 < s_.size() && s_[pos_ + 1] == c) {
                        v += c;
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                v += s_[pos_++];
            }
            BSTR b = detail::AllocBstr(v);
            VARIANT raw;
            VariantInit(&raw);
            raw.vt = VT_BSTR;
            raw.bstrVal = b;
            return _variant_t(raw, false);
        }
        if (c == '#') {
            std::size_t e = s_.find('#', pos_ + 1);
            if (e == std::string::npos) Fail("unclosed date");
            std::string text = s_.substr(pos_ + 1, e - pos_ - 1);
            pos_ = e + 1;
            COleDateTime t;
            int mo, d, y, used = 0;
            // #m/d/yyyy# as the desktop engine writes dates, or ISO.
            if (std::sscanf(text.c_str(), "%d/%d/%d%n", &mo, &d, &y, &used) == 3 && y > 31) {
                std::string rest = text.substr(static_cast<std::size_t>(used));
                char iso[64];
                std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", y, mo, d);
                text = iso + rest;
            }
            if (!t.ParseDateTime(text.c_str())) Fail("not a date: #" + text + "#");
            return _variant_t(t.m_dt, VT_DATE);
        }
        if (Keyword("NULL")) {
            _variant_t v;
            v.vt = VT_NULL;
            return v;
        }
        if (Keyword("TRUE")) return _variant_t(true);
        if (Keyword("FALSE")) return _variant_t(false);
        std::size_t b = pos_;
        if (c == '-' || c == '+') ++pos_;
        while (pos_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.')) ++pos_;
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == '-' || s_[pos_] == '+')) ++pos_;
            while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
        }
        std::string num = s_.substr(b, pos_ - b);
        char* end = nullptr;
        double d = std::strtod(num.c_str(), &end);
        if (num.empty() || !end || *end || !std::isfinite(d)) Fail("value expected at '" + s_.substr(b, 20) + "'");
        if (num.find_first_of(".eE") == std::string::npos && std::fabs(d) < 2147483648.0) return _variant_t(static_cast<long>(d));
        return _variant_t(d);
    }
    std::shared_ptr<Node> Comparison() {
        auto n = std::make_shared<Node>();
        n->field = FieldIndex(Name());
        Skip();
        if (Keyword("IS")) {
            n->op = Keyword("NOT") ? Node::IsNotNull : Node::IsNull;
            if (!Keyword("NULL")) Fail("NULL expected after IS");
            return n;
        }
        if (Keyword("NOT")) {
            if (!Keyword("LIKE")) Fail("LIKE expected after NOT");
            n->op = Node::NotLike;
        } else if (Keyword("LIKE")) {
            n->op = Node::Like;
        } else {
            static const struct {
                const char* text;
                Node::Op op;
            } ops[] = {{"<>", Node::Ne}, {"!=", Node::Ne}, {"<=", Node::Le}, {">=", Node::Ge},
                       {"=", Node::Eq},  {"<", Node::Lt},  {">", Node::Gt}};
            bool found = false;
            for (const auto& o : ops)
                if (s_.compare(pos_, std::strlen(o.text), o.text) == 0) {
                    n->op = o.op;
                    pos_ += std::strlen(o.text);
                    found = true;
                    break;
                }
            if (!found) Fail("comparison operator expected after the field name");
        }
        n->literal = Literal();
        if ((n->op == Node::Like || n->op == Node::NotLike) && n->literal.vt != VT_BSTR) Fail("LIKE needs a quoted pattern");
        if (n->literal.vt == VT_NULL) {
            if (n->op == Node::Eq) n->op = Node::IsNull;
            else if (n->op == Node::Ne) n->op = Node::IsNotNull;
            else Fail("NULL can only be compared with = or <>");
        }
        return n;
    }

    const std::string& s_;
    std::vector<std::string>& names_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

bool IsNumeric(VARTYPE vt) {
    switch (vt) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8:
    case VT_INT: case VT_UINT: case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL: case VT_BOOL: case VT_DATE:
        return true;
    default:
        return false;
    }
}

double AsDouble(const VARIANT& v) {
    VARIANT t;
    VariantInit(&t);
    if (FAILED(VariantChangeType(&t, &v, 0, VT_R8))) return 0;
    return t.dblVal;
}

int CompareText(BSTR a, BSTR b) {
    std::uint32_t na = SysStringLen(a), nb = SysStringLen(b);
    for (std::uint32_t i = 0; i < na && i < nb; ++i) {
        char16_t x = Fold(a[i]), y = Fold(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return na == nb ? 0 : (na < nb ? -1 : 1);
}

}  // namespace

int CompareValues(const VARIANT& a, const VARIANT& b) {
    bool an = a.vt == VT_NULL || a.vt == VT_EMPTY, bn = b.vt == VT_NULL || b.vt == VT_EMPTY;
    if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
    if (a.vt == VT_BSTR && b.vt == VT_BSTR) return CompareText(a.bstrVal, b.bstrVal);
    if (IsNumeric(a.vt) && IsNumeric(b.vt)) {
        double x = AsDouble(a), y = AsDouble(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    // Mixed kinds: the text side is read as the other side's type when it can be.
    const VARIANT& num = a.vt == VT_BSTR ? b : a;
    const VARIANT& txt = a.vt == VT_BSTR ? a : b;
    if (IsNumeric(num.vt) && txt.vt == VT_BSTR) {
        VARIANT t;
        VariantInit(&t);
        if (SUCCEEDED(VariantChangeType(&t, &txt, 0, num.vt == VT_DATE ? VT_DATE : VT_R8))) {
            double x = AsDouble(num), y = t.dblVal;
            int r = x < y ? -1 : (x > y ? 1 : 0);
            return a.vt == VT_BSTR ? -r : r;
        }
    }
    _bstr_t sa = static_cast<_bstr_t>(_variant_t(a)), sb = static_cast<_bstr_t>(_variant_t(b));
    return CompareText(sa.GetBSTR(), sb.GetBSTR());
}

bool LikeMatch(std::u16string_view t, std::u16string_view p) {
    std::size_t ti = 0, pi = 0, star = std::u16string_view::npos, mark = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == u'*' || p[pi] == u'%')) {
            star = pi++;
            mark = ti;
        } else if (pi < p.size() && (p[pi] == u'_' || p[pi] == u'?' || Fold(p[pi]) == Fold(t[ti]))) {
            ++pi;
            ++ti;
        } else if (star != std::u16string_view::npos) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && (p[pi] == u'*' || p[pi] == u'%')) ++pi;
    return pi == p.size();
}

bool Criteria::Parse(const std::string& text, std::string* error) {
    names_.clear();
    root_.reset();
    std::string why;
    Parser p(text, names_);
    root_ = p.Run(why);
    if (!why.empty()) {
        root_.reset();
        names_.clear();
        if (error) *error = why;
        return false;
    }
    return true;
}

bool Criteria::Matches(const VARIANT* const* values) const { return !root_ || EvalNode(*root_, values); }

bool Criteria::EvalNode(const Node& n, const VARIANT* const* values) const {
    switch (n.kind) {
    case Node::Or: return EvalNode(*n.a, values) || EvalNode(*n.b, values);
    case Node::And: return EvalNode(*n.a, values) && EvalNode(*n.b, values);
    case Node::Not: return !EvalNode(*n.a, values);
    case Node::Compare: break;
    }
    const VARIANT& v = *values[n.field];
    bool isNull = v.vt == VT_NULL || v.vt == VT_EMPTY;
    switch (n.op) {
    case Node::IsNull: return isNull;
    case Node::IsNotNull: return !isNull;
    case Node::Like:
    case Node::NotLike: {
        if (isNull) return false;
        _bstr_t text = v.vt == VT_BSTR ? _bstr_t(v.bstrVal, true) : static_cast<_bstr_t>(_variant_t(v));
        bool m = LikeMatch(std::u16string_view(text.wstr() ? text.wstr() : u"", text.length()),
                           std::u16string_view(n.literal.bstrVal, SysStringLen(n.literal.bstrVal)));
        return n.op == Node::Like ? m : !m;
    }
    default: break;
    }
    if (isNull) return false;  // comparisons with null are never true
    int c = CompareValues(v, n.literal);
    switch (n.op) {
    case Node::Eq: return c == 0;
    case Node::Ne: return c != 0;
    case Node::Lt: return c < 0;
    case Node::Gt: return c > 0;
    case Node::Le: return c <= 0;
    case Node::Ge: return c >= 0;
    default: return false;
    }
}

}  // namespace NUVADO
