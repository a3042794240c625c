// Values to chains with an explicit stack of open lists (RTLB..RTLE), chains to values with a
// stack of list builders; group-code items become (code . value) pairs.
#include "acad/LispResBuf.h"

#include <cstdlib>
#include <cstring>

#include "acad/LispPrinter.h"

namespace NUVAcad {

namespace {

class ChainOut {
public:
    void add(resbuf* rb) {
        *tail_ = rb;
        tail_ = &rb->rbnext;
    }
    resbuf* take() {
        resbuf* h = head_;
        head_ = nullptr;
        tail_ = &head_;
        return h;
    }
    ~ChainOut() { acutRelRb(head_); }

private:
    resbuf* head_ = nullptr;
    resbuf** tail_ = &head_;
};

resbuf* newString(int type, const std::string& s) {
    resbuf* rb = acutNewRb(type);
    rb->resval.rstring = acutNewString(s.c_str());
    return rb;
}

resbuf* newInteger(std::int32_t i) {
    if (i >= -32768 && i <= 32767) {
        resbuf* rb = acutNewRb(RTSHORT);
        rb->resval.rint = static_cast<short>(i);
        return rb;
    }
    resbuf* rb = acutNewRb(RTLONG);
    rb->resval.rlong = i;
    return rb;
}

bool pointOf(const LispValue& v, double p[3], int& dims) {
    dims = 0;
    p[0] = p[1] = p[2] = 0;
    const LispValue* c = &v;
    for (; c->isCons(); c = &c->as<LispCons>()->cdr) {
        const LispValue& x = c->as<LispCons>()->car;
        if (dims == 3 || !x.isNumber()) return false;
        p[dims++] = x.number();
    }
    return c->isNil() && dims >= 2;
}

// A value that is not a list (or a list that is a point); null when it has no buffer form.
resbuf* atomToResbuf(const LispValue& v) {
    switch (v.type()) {
    case LispType::Nil: return acutNewRb(RTNIL);
    case LispType::Int: return newInteger(v.asInt());
    case LispType::Real: {
        resbuf* rb = acutNewRb(RTREAL);
        rb->resval.rreal = v.asReal();
        return rb;
    }
    case LispType::String: return newString(RTSTR, v.as<LispString>()->text);
    case LispType::Symbol: {
        const std::string& name = v.asSymbol()->name;
        if (name == "T") return acutNewRb(RTT);
        if (name.empty()) return acutNewRb(RTVOID);
        return newString(RTSTR, name);
    }
    case LispType::Ename: {
        resbuf* rb = acutNewRb(RTENAME);
        rb->resval.rlname[0] = v.as<LispEname>()->name[0];
        rb->resval.rlname[1] = v.as<LispEname>()->name[1];
        return rb;
    }
    case LispType::Pickset: {
        resbuf* rb = acutNewRb(RTPICKS);
        rb->resval.rlname[0] = v.as<LispPickset>()->name[0];
        rb->resval.rlname[1] = v.as<LispPickset>()->name[1];
        return rb;
    }
    case LispType::Cons: {
        double p[3];
        int dims = 0;
        if (!pointOf(v, p, dims)) return nullptr;
        resbuf* rb = acutNewRb(dims == 2 ? RTPOINT : RT3DPOINT);
        std::memcpy(rb->resval.rpoint, p, sizeof p);
        return rb;
    }
    default: return nullptr;
    }
}

// Appends one value, lists item by item without recursion.
bool appendValue(ChainOut& out, const LispValue& v) {
    std::vector<const LispValue*> tails;
    const LispValue* cur = &v;
    for (;;) {
        double p[3];
        int dims = 0;
        while (cur->isCons() && !pointOf(*cur, p, dims)) {
            out.add(acutNewRb(RTLB));
            tails.push_back(&cur->as<LispCons>()->cdr);
            cur = &cur->as<LispCons>()->car;
        }
        resbuf* rb = atomToResbuf(*cur);
        if (!rb) return false;
        out.add(rb);
        cur = nullptr;
        while (!tails.empty()) {
            const LispValue* tail = tails.back();
            if (tail->isCons()) {
                cur = &tail->as<LispCons>()->car;
                tails.back() = &tail->as<LispCons>()->cdr;
                break;
            }
            if (!tail->isNil()) {
                out.add(acutNewRb(RTDOTE));
                resbuf* t = atomToResbuf(*tail);
                if (!t) return false;
                out.add(t);
            }
            out.add(acutNewRb(RTLE));
            tails.pop_back();
        }
        if (!cur) return true;
    }
}

std::string hexOf(const char* bytes, int n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (int i = 0; i < n; ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

LispValue groupValue(LispMachine& m, const resbuf* rb) {
    const int code = rb->restype;
    LispValue value;
    switch (acutResValKind(code)) {
    case ResValKind::String:
    case ResValKind::Handle: value = lispString(rb->resval.rstring ? rb->resval.rstring : ""); break;
    case ResValKind::Real: value = LispValue::real(rb->resval.rreal); break;
    case ResValKind::Point: return lispCons(LispValue::integer(code), m.makePoint(rb->resval.rpoint, 3));
    case ResValKind::Short: value = LispValue::integer(rb->resval.rint); break;
    case ResValKind::Long: value = LispValue::integer(static_cast<std::int32_t>(rb->resval.rlong)); break;
    case ResValKind::Int64: {
        const std::int64_t i = rb->resval.mnInt64;
        value = i >= INT32_MIN && i <= INT32_MAX ? LispValue::integer(static_cast<std::int32_t>(i))
                                                 : LispValue::real(static_cast<double>(i));
        break;
    }
    case ResValKind::Name: value = lispEname(rb->resval.rlname); break;
    case ResValKind::Binary:
        value = lispString(hexOf(rb->resval.rbinary.buf, rb->resval.rbinary.clen));
        break;
    case ResValKind::None: break;
    }
    return lispCons(LispValue::integer(code), std::move(value));
}

bool isGroupCode(int restype) { return restype < RTNONE; }

// One item that is not RTLB/RTLE/RTDOTE.
LispValue itemValue(LispMachine& m, const resbuf* rb) {
    if (isGroupCode(rb->restype)) return groupValue(m, rb);
    switch (rb->restype) {
    case RTSHORT: return LispValue::integer(rb->resval.rint);
    case RTLONG: return LispValue::integer(static_cast<std::int32_t>(rb->resval.rlong));
    case RTREAL:
    case RTANG:
    case RTORINT: return LispValue::real(rb->resval.rreal);
    case RTSTR: return lispString(rb->resval.rstring ? rb->resval.rstring : "");
    case RTENAME: return lispEname(rb->resval.rlname);
    case RTPICKS: return m.pickset(rb->resval.rlname);
    case RTPOINT: return m.makePoint(rb->resval.rpoint, 2);
    case RT3DPOINT: return m.makePoint(rb->resval.rpoint, 3);
    case RTT: return m.t();
    case RTVOID: return LispValue::symbol(m.symSilent());
    default: return LispValue();  // RTNIL, RTNONE and anything unknown
    }
}

struct Open {
    LispListBuilder items;
    int dot = 0;
};

// Reads the value starting at rb and leaves rb after it.
LispValue readValue(LispMachine& m, const resbuf*& rb) {
    std::vector<Open> open;
    while (rb) {
        const resbuf* item = rb;
        rb = rb->rbnext;
        LispValue value;
        if (item->restype == RTLB) {
            open.emplace_back();
            continue;
        }
        if (item->restype == RTDOTE) {
            if (!open.empty() && !open.back().items.empty()) open.back().dot = 1;
            continue;
        }
        if (item->restype == RTLE) {
            if (open.empty()) continue;  // a stray end: nothing to close
            value = open.back().items.take();
            open.pop_back();
        } else {
            value = itemValue(m, item);
        }
        if (open.empty()) return value;
        Open& top = open.back();
        if (top.dot == 1) {
            top.items.finishDotted(std::move(value));
            top.dot = 2;
        } else if (top.dot == 0) {
            top.items.add(std::move(value));
        }
    }
    // A chain that ends inside lists: close them.
    LispValue value;
    bool have = false;
    while (!open.empty()) {
        Open& top = open.back();
        if (have) {
            if (top.dot == 1) top.items.finishDotted(std::move(value));
            else if (top.dot == 0) top.items.add(std::move(value));
        }
        value = top.items.take();
        have = true;
        open.pop_back();
    }
    return value;
}

// The extended data after a -3 marker: (-3 ("APP" items...) ...).
LispValue readExtendedData(LispMachine& m, const resbuf*& rb) {
    LispListBuilder apps;
    LispListBuilder current;
    bool haveApp = false;
    for (; rb; rb = rb->rbnext) {
        if (rb->restype == 1001) {
            if (haveApp) apps.add(current.take());
            current.add(lispString(rb->resval.rstring ? rb->resval.rstring : ""));
            haveApp = true;
        } else if (haveApp) {
            current.add(groupValue(m, rb));
        }
    }
    if (haveApp) apps.add(current.take());
    return lispCons(LispValue::integer(-3), apps.take());
}

[[noreturn]] void badGroup(LispMachine& m, const LispValue& v) { m.raise("bad DXF group: " + lispPrint(v, true)); }

bool hexToBytes(const std::string& hex, std::string& out) {
    if (hex.size() % 2) return false;
    auto nibble = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi << 4 | lo);
    }
    return true;
}

// One (code . value) group as a buffer of that group code.
resbuf* groupToResbuf(LispMachine& m, const LispValue& group) {
    if (!group.isCons() || !group.as<LispCons>()->car.isInt()) badGroup(m, group);
    const std::int32_t code = group.as<LispCons>()->car.asInt();
    const LispValue& v = group.as<LispCons>()->cdr;
    if (code >= RTNONE || code < -32768) badGroup(m, group);
    const ResValKind kind = acutResValKind(code);
    resbuf* rb = nullptr;
    switch (kind) {
    case ResValKind::Point: {
        double p[3];
        int dims = 0;
        if (!pointOf(v, p, dims)) badGroup(m, group);
        rb = acutNewRb(code);
        std::memcpy(rb->resval.rpoint, p, sizeof p);
        return rb;
    }
    case ResValKind::Real:
        if (!v.isNumber()) badGroup(m, group);
        rb = acutNewRb(code);
        rb->resval.rreal = v.number();
        return rb;
    case ResValKind::Short:
    case ResValKind::Long:
    case ResValKind::Int64:
        if (!v.isInt()) badGroup(m, group);
        rb = acutNewRb(code);
        if (kind == ResValKind::Short) rb->resval.rint = static_cast<short>(v.asInt());
        else if (kind == ResValKind::Long) rb->resval.rlong = v.asInt();
        else rb->resval.mnInt64 = v.asInt();
        return rb;
    case ResValKind::String:
    case ResValKind::Handle:
        if (!v.isString()) badGroup(m, group);
        return newString(code, v.as<LispString>()->text);
    case ResValKind::Name: {
        const long* name = nullptr;
        if (v.type() == LispType::Ename) name = v.as<LispEname>()->name;
        else if (v.type() == LispType::Pickset) name = v.as<LispPickset>()->name;
        else badGroup(m, group);
        rb = acutNewRb(code);
        rb->resval.rlname[0] = name[0];
        rb->resval.rlname[1] = name[1];
        return rb;
    }
    case ResValKind::Binary: {
        std::string bytes;
        if (!v.isString() || !hexToBytes(v.as<LispString>()->text, bytes) || bytes.size() > 32767) badGroup(m, group);
        rb = acutNewRb(code);
        rb->resval.rbinary.clen = static_cast<short>(bytes.size());
        rb->resval.rbinary.buf = static_cast<char*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
        std::memcpy(rb->resval.rbinary.buf, bytes.data(), bytes.size());
        return rb;
    }
    case ResValKind::None: break;
    }
    badGroup(m, group);
}

}  // namespace

resbuf* lispToResbuf(const LispValue& v, bool* ok) {
    ChainOut out;
    const bool done = appendValue(out, v);
    if (ok) *ok = done;
    return done ? out.take() : nullptr;
}

resbuf* lispItemsToResbuf(LispArgs args, bool* ok) {
    ChainOut out;
    for (int i = 0; i < args.n; ++i) {
        if (!appendValue(out, args[i])) {
            if (ok) *ok = false;
            return nullptr;
        }
    }
    if (ok) *ok = true;
    return out.take();
}

LispValue lispFromResbuf(LispMachine& m, const resbuf* rb) {
    if (!rb) return LispValue();
    return readValue(m, rb);
}

LispValue lispItemsFromResbuf(LispMachine& m, const resbuf* rb) {
    LispListBuilder items;
    while (rb) {
        if (rb->restype == -3) {
            rb = rb->rbnext;
            items.add(readExtendedData(m, rb));
            break;
        }
        items.add(readValue(m, rb));
    }
    return items.take();
}

resbuf* lispDataListToResbuf(LispMachine& m, const LispValue& list) {
    ChainOut out;
    const LispValue* p = &list;
    for (; p->isCons(); p = &p->as<LispCons>()->cdr) {
        const LispValue& group = p->as<LispCons>()->car;
        if (group.isCons() && group.as<LispCons>()->car.isInt() && group.as<LispCons>()->car.asInt() == -3) {
            out.add(acutNewRb(-3));
            const LispValue* app = &group.as<LispCons>()->cdr;
            for (; app->isCons(); app = &app->as<LispCons>()->cdr) {
                const LispValue& entry = app->as<LispCons>()->car;
                if (!entry.isCons() || !entry.as<LispCons>()->car.isString()) badGroup(m, group);
                out.add(newString(1001, entry.as<LispCons>()->car.as<LispString>()->text));
                const LispValue* item = &entry.as<LispCons>()->cdr;
                for (; item->isCons(); item = &item->as<LispCons>()->cdr) out.add(groupToResbuf(m, item->as<LispCons>()->car));
                if (!item->isNil()) badGroup(m, group);
            }
            if (!app->isNil()) badGroup(m, group);
            continue;
        }
        out.add(groupToResbuf(m, group));
    }
    if (!p->isNil()) m.badType("listp", list);
    return out.take();
}

}  // namespace NUVAcad
