// A filter list compiles into a tree of AND, OR, XOR and NOT nodes over tests. A test reads the
// entity's values for its group code: the common properties straight from the entity (a colour
// by layer is 256, a linetype by layer is "ByLayer", the paper-space flag 0 or 1), anything else
// from the entity's data list, made once per entity and only when a test needs it. A code with
// several values (a polyline's vertices) passes when any value does.
#include "acad/SelectionFilter.h"

#include <cstring>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcutWcMatch.h"
#include "acad/DbInternal.h"
#include "acad/DxfTags.h"
#include "acad/ResBuf.h"

namespace NUVAcad {

namespace {

enum class Op : uint8_t { Any, Eq, Ne, Lt, Le, Gt, Ge, BitAny, BitAll };

bool parseOp(std::string s, Op& op) {
    static const struct {
        const char* text;
        Op op;
    } table[] = {{"*", Op::Any}, {"=", Op::Eq}, {"!=", Op::Ne}, {"/=", Op::Ne}, {"<>", Op::Ne},
                 {"<", Op::Lt},  {"<=", Op::Le}, {">", Op::Gt},  {">=", Op::Ge}, {"&", Op::BitAny},
                 {"&=", Op::BitAll}};
    while (!s.empty() && s.front() == ' ') s.erase(s.begin());
    while (!s.empty() && s.back() == ' ') s.pop_back();
    for (const auto& row : table)
        if (s == row.text) {
            op = row.op;
            return true;
        }
    return false;
}

template <class T>
bool compare(Op op, T a, T b) {
    switch (op) {
    case Op::Any: return true;
    case Op::Eq: return a == b;
    case Op::Ne: return a != b;
    case Op::Lt: return a < b;
    case Op::Le: return a <= b;
    case Op::Gt: return a > b;
    case Op::Ge: return a >= b;
    default: return false;
    }
}

const char* typeNameOf(const AcDbEntity* e) {
    if (auto* p = AcDbProxyEntity::cast(e)) return p->typeName().c_str();
    return e->isA()->dxfName();
}

std::string recordName(AcDbObjectId id) {
    auto* rec = DbAccess::peekAs<AcDbSymbolTableRecord>(id);
    return rec ? rec->name() : std::string();
}

}  // namespace

struct SelectionFilter::Node {
    enum Kind : uint8_t { And, Or, Xor, Not, Test, XData };
    Kind kind = And;
    std::vector<std::unique_ptr<Node>> kids;
    // Test
    int code = 0;
    ResValKind value = ResValKind::None;
    Op ops[3] = {Op::Eq, Op::Eq, Op::Eq};
    std::string pattern;  // upper-cased
    double v[3] = {0, 0, 0};
    int64_t i = 0;
    AcDbObjectId id;
    // XData: one pattern list per (1001 . "...") item; each must match an application
    std::vector<std::string> apps;
};

namespace {

// The values an entity has for one group code, made as the tests ask for them.
class EntityValues {
public:
    explicit EntityValues(const AcDbEntity* e) : e_(e) {}

    // Calls fn for each value of `code` until it returns true; false when none did.
    template <class Fn>
    bool any(int code, Fn fn) {
        DxfTag t;
        t.code = code;
        switch (code) {
        case 0: t.str = typeNameOf(e_); return fn(t);
        case 8: t.str = recordName(e_->layerId()); return fn(t);
        case 6: t.str = e_->linetypeId().isNull() ? std::string("ByLayer") : recordName(e_->linetypeId()); return fn(t);
        case 62: t.i = e_->colorIndex(); return fn(t);
        case 370: t.i = e_->lineWeight(); return fn(t);
        case 5: t.str = e_->handle().asString(); return fn(t);
        case -1: t.id = e_->objectId(); return fn(t);
        case 330: t.id = e_->ownerId(); return fn(t);
        case 67: {
            AcDbDatabase* db = e_->database();
            t.i = db && e_->ownerId() == db->paperSpaceId() ? 1 : 0;
            return fn(t);
        }
        default: break;
        }
        if (!made_) {
            DxfOut out(tags_, e_->database());
            e_->dxfOutFields(out);
            made_ = true;
        }
        for (const DxfTag& x : tags_)
            if (x.code == code && fn(x)) return true;
        return false;
    }
    const AcDbEntity* entity() const { return e_; }

private:
    const AcDbEntity* e_;
    TagList tags_;
    bool made_ = false;
};

bool testValue(const SelectionFilter::Node& n, const DxfTag& t) {
    switch (n.value) {
    case ResValKind::String:
    case ResValKind::Handle: {
        if (n.ops[0] == Op::Any) return true;
        bool m = acutWcMatch(upperName(t.str).c_str(), n.pattern.c_str()) == RTNORM;
        return n.ops[0] == Op::Ne ? !m : m;
    }
    case ResValKind::Short:
    case ResValKind::Long:
    case ResValKind::Int64:
        if (n.ops[0] == Op::BitAny) return (t.i & n.i) != 0;
        if (n.ops[0] == Op::BitAll) return (t.i & n.i) == n.i;
        return compare(n.ops[0], t.i, n.i);
    case ResValKind::Real: return compare(n.ops[0], t.v[0], n.v[0]);
    case ResValKind::Point: {
        int dim = t.dim == 2 ? 2 : 3;
        for (int k = 0; k < dim; ++k)
            if (!compare(n.ops[k], t.v[k], n.v[k])) return false;
        return true;
    }
    case ResValKind::Name: return n.ops[0] == Op::Ne ? t.id != n.id : t.id == n.id;
    default: return false;
    }
}

bool evaluate(const SelectionFilter::Node& n, EntityValues& ev) {
    using N = SelectionFilter::Node;
    switch (n.kind) {
    case N::And:
        for (const auto& k : n.kids)
            if (!evaluate(*k, ev)) return false;
        return true;
    case N::Or:
        for (const auto& k : n.kids)
            if (evaluate(*k, ev)) return true;
        return false;
    case N::Xor: return evaluate(*n.kids[0], ev) != evaluate(*n.kids[1], ev);
    case N::Not: return !evaluate(*n.kids[0], ev);
    case N::Test:
        // A property the entity leaves at its default still answers (ByLayer colour is 256).
        return ev.any(n.code, [&](const DxfTag& t) { return testValue(n, t); });
    case N::XData: {
        std::vector<std::string> apps = ev.entity()->xDataApps();
        for (const std::string& pattern : n.apps) {
            bool found = false;
            for (const std::string& a : apps)
                if (acutWcMatch(upperName(a).c_str(), pattern.c_str()) == RTNORM) found = true;
            if (!found) return false;
        }
        return true;
    }
    }
    return false;
}

}  // namespace

SelectionFilter::~SelectionFilter() = default;

namespace {

// Builds the tree under `root`; the reason when the list is refused, else an empty text.
std::string compile(const resbuf* list, SelectionFilter::Node* root) {
    using Node = SelectionFilter::Node;
    std::vector<Node*> stack{root};
    std::vector<std::string> names{"the list"};
    bool havePending = false;
    Op pending[3] = {Op::Eq, Op::Eq, Op::Eq};
    int index = 0;
    auto fail = [&](const std::string& what) { return "filter item " + std::to_string(index) + ": " + what; };
    for (const resbuf* rb = list; rb; rb = rb->rbnext, ++index) {
        int code = rb->restype == RTDXF0 ? 0 : rb->restype;
        if (code == -4) {
            if (!rb->resval.rstring) return fail("(-4) without a text");
            std::string s = upperName(rb->resval.rstring);
            if (s.size() > 1 && s[0] == '<' && s != "<=" && s != "<>") {
                auto kid = std::make_unique<Node>();
                std::string g = s.substr(1);
                if (g == "AND") kid->kind = Node::And;
                else if (g == "OR") kid->kind = Node::Or;
                else if (g == "XOR") kid->kind = Node::Xor;
                else if (g == "NOT") kid->kind = Node::Not;
                else return fail("unknown grouping \"" + s + "\"");
                if (havePending) return fail("operator before a grouping");
                Node* raw = kid.get();
                stack.back()->kids.push_back(std::move(kid));
                stack.push_back(raw);
                names.push_back(g);
                continue;
            }
            if (s.size() > 1 && s.back() == '>' && s != ">=" && s != "<>") {
                std::string g = s.substr(0, s.size() - 1);
                if (stack.size() < 2 || names.back() != g) return fail("\"" + s + "\" closes no open <" + g);
                if (havePending) return fail("operator without a test before \"" + s + "\"");
                Node* n = stack.back();
                size_t k = n->kids.size();
                if (n->kind == Node::Xor && k != 2) return fail("<XOR needs two operands, has " + std::to_string(k));
                if (n->kind == Node::Not && k != 1) return fail("<NOT needs one operand, has " + std::to_string(k));
                if (k == 0) return fail("<" + g + " without operands");
                stack.pop_back();
                names.pop_back();
                continue;
            }
            if (havePending) return fail("two operators in a row");
            // One operator, or one per coordinate for points.
            int count = 0;
            size_t start = 0;
            for (;;) {
                size_t comma = s.find(',', start);
                std::string part = s.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
                if (count == 3 || !parseOp(part, pending[count])) return fail("unknown operator \"" + s + "\"");
                ++count;
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
            for (int k = count; k < 3; ++k) pending[k] = pending[count - 1];
            havePending = true;
            continue;
        }
        if (code == -3) {
            if (havePending) return fail("operator before (-3)");
            auto n = std::make_unique<Node>();
            n->kind = Node::XData;
            while (rb->rbnext && rb->rbnext->restype == 1001) {
                rb = rb->rbnext;
                ++index;
                if (!rb->resval.rstring) return fail("(1001) without a name");
                n->apps.push_back(upperName(rb->resval.rstring));
            }
            if (n->apps.empty()) return fail("(-3) without (1001 . application) items");
            stack.back()->kids.push_back(std::move(n));
            continue;
        }
        auto n = std::make_unique<Node>();
        n->kind = Node::Test;
        n->code = code;
        n->value = rb->restype == RTDXF0 ? ResValKind::String : acutResValKind(code);
        if (havePending) std::copy(pending, pending + 3, n->ops);
        havePending = false;
        switch (n->value) {
        case ResValKind::String:
        case ResValKind::Handle:
            if (!rb->resval.rstring) return fail("group " + std::to_string(code) + " without a text");
            n->pattern = upperName(rb->resval.rstring);
            if (n->ops[0] != Op::Eq && n->ops[0] != Op::Ne && n->ops[0] != Op::Any)
                return fail("texts are compared only with =, != and *");
            break;
        case ResValKind::Short: n->i = rb->resval.rint; break;
        case ResValKind::Long: n->i = rb->resval.rlong; break;
        case ResValKind::Int64: n->i = rb->resval.mnInt64; break;
        case ResValKind::Real:
            n->v[0] = rb->resval.rreal;
            if (n->ops[0] == Op::BitAny || n->ops[0] == Op::BitAll) return fail("& and &= need an integer group");
            break;
        case ResValKind::Point:
            std::copy(rb->resval.rpoint, rb->resval.rpoint + 3, n->v);
            for (Op op : n->ops)
                if (op == Op::BitAny || op == Op::BitAll) return fail("& and &= need an integer group");
            break;
        case ResValKind::Name:
            if (acdbGetObjectId(n->id, rb->resval.rlname) != Acad::eOk) return fail("a name that names nothing");
            if (n->ops[0] != Op::Eq && n->ops[0] != Op::Ne) return fail("names are compared only with = and !=");
            break;
        default: return fail("group " + std::to_string(code) + " cannot be tested");
        }
        stack.back()->kids.push_back(std::move(n));
    }
    if (havePending) return fail("operator at the end without a test");
    if (stack.size() > 1) return fail("<" + names.back() + " is not closed");
    return {};
}

}  // namespace

SelectionFilter::SelectionFilter(const resbuf* list) : root_(std::make_unique<Node>()) {
    error_ = compile(list, root_.get());
}

bool SelectionFilter::matches(const AcDbEntity* ent) const {
    if (!ok() || !ent) return false;
    EntityValues ev(ent);
    return evaluate(*root_, ev);
}

}  // namespace NUVAcad
