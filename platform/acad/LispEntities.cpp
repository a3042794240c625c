// Entity data and selection sets: entget, entmake, entmod, entdel, entnext, entlast, handent
// through the database's entity-name functions (run with the document's database as the working
// one), redraw through the host's display, and ssget, ssadd, ssdel, sslength, ssname, ssmemb through the host's selection sets.
#include <cctype>
#include <cmath>
#include <cstring>

#include "acad/AcDbDatabase.h"
#include "acad/AdsName.h"
#include "acad/LispMachine.h"
#include "acad/LispResBuf.h"

namespace NUVAcad {

namespace {

// The document's database is the working one for the extent of a call.
class WorkingDatabase {
public:
    explicit WorkingDatabase(LispMachine& m) : saved_(acdbHostApplicationServices()->workingDatabase()) {
        if (AcDbDatabase* db = m.host().database()) acdbHostApplicationServices()->setWorkingDatabase(db);
    }
    ~WorkingDatabase() { acdbHostApplicationServices()->setWorkingDatabase(saved_); }
    WorkingDatabase(const WorkingDatabase&) = delete;
    WorkingDatabase& operator=(const WorkingDatabase&) = delete;

private:
    AcDbDatabase* saved_;
};

const long* enameArg(LispMachine& m, LispArgs a, int i) {
    if (a[i].type() != LispType::Ename) m.badType("lentityp", a[i]);
    return a[i].as<LispEname>()->name;
}

const long* picksetArg(LispMachine& m, LispArgs a, int i) {
    if (a[i].type() != LispType::Pickset) m.badType("lselsetp", a[i]);
    return a[i].as<LispPickset>()->name;
}

LispValue nameOrNil(int status, const ads_name name) { return status == RTNORM ? lispEname(name) : LispValue(); }

LispValue entget(LispMachine& m, LispArgs a) {
    const long* name = enameArg(m, a, 0);
    resbuf* apps = nullptr;
    if (a.n > 1) {
        const LispValue* p = &m.listArg(a, 1);
        resbuf** tail = &apps;
        for (; p->isCons(); p = &p->as<LispCons>()->cdr) {
            const LispValue& app = p->as<LispCons>()->car;
            if (!app.isString()) {
                acutRelRb(apps);
                m.badType("stringp", app);
            }
            *tail = acutNewRb(RTSTR);
            (*tail)->resval.rstring = acutNewString(app.as<LispString>()->text.c_str());
            tail = &(*tail)->rbnext;
        }
    }
    WorkingDatabase working(m);
    resbuf* data = apps ? acdbEntGetX(name, apps) : acdbEntGet(name);
    acutRelRb(apps);
    LispValue list = lispItemsFromResbuf(m, data);
    acutRelRb(data);
    return list;
}

template <int (*Op)(const resbuf*)> LispValue makeOrModify(LispMachine& m, LispArgs a) {
    if (a.n == 0) return LispValue();
    resbuf* data = lispDataListToResbuf(m, m.listArg(a, 0));
    WorkingDatabase working(m);
    const int status = Op(data);
    acutRelRb(data);
    return status == RTNORM ? a[0] : LispValue();
}

LispValue entdel(LispMachine& m, LispArgs a) {
    const long* name = enameArg(m, a, 0);
    WorkingDatabase working(m);
    return acdbEntDel(name) == RTNORM ? a[0] : LispValue();
}

LispValue entnext(LispMachine& m, LispArgs a) {
    ads_name none = {0, 0};
    const long* from = a.n > 0 && !a[0].isNil() ? enameArg(m, a, 0) : none;
    ads_name next;
    WorkingDatabase working(m);
    return nameOrNil(acdbEntNext(from, next), next);
}

LispValue entlast(LispMachine& m, LispArgs) {
    ads_name last;
    WorkingDatabase working(m);
    return nameOrNil(acdbEntLast(last), last);
}

LispValue handent(LispMachine& m, LispArgs a) {
    const std::string& handle = m.strArg(a, 0);
    ads_name name;
    WorkingDatabase working(m);
    return nameOrNil(acdbHandEnt(handle.c_str(), name), name);
}

// --- Selection sets ---

bool isFilterList(const LispValue& v) { return v.isCons() && v.as<LispCons>()->car.isCons(); }

// "F", "WP", "CP" (with the "_" and ":" prefixes the host allows) take a list of points.
bool takesPointList(const std::string& mode) {
    std::string m;
    for (char c : mode)
        if (c != '_' && c != ':') m += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return m == "F" || m == "WP" || m == "CP";
}

struct ChainHolder {
    resbuf* rb = nullptr;
    ~ChainHolder() { acutRelRb(rb); }
};

LispValue ssget(LispMachine& m, LispArgs a) {
    int i = 0;
    const char* mode = nullptr;
    if (a.has(i) && a[i].isString()) mode = a[i++].as<LispString>()->text.c_str();
    double p1[3], p2[3];
    const void* pt1 = nullptr;
    const void* pt2 = nullptr;
    ChainHolder points, filter;
    if (mode && takesPointList(mode) && a.has(i)) {
        const LispValue& list = m.listArg(a, i++);
        resbuf** tail = &points.rb;
        for (const LispValue* p = &list; p->isCons(); p = &p->as<LispCons>()->cdr) {
            double q[3];
            if (!m.isPoint(p->as<LispCons>()->car, q)) m.badType("2D/3D point", p->as<LispCons>()->car);
            *tail = acutNewRb(RT3DPOINT);
            std::memcpy((*tail)->resval.rpoint, q, sizeof q);
            tail = &(*tail)->rbnext;
        }
        pt1 = points.rb;
    } else {
        if (a.has(i) && !isFilterList(a[i]) && !a[i].isNil()) {
            m.pointArg(a, i++, p1);
            pt1 = p1;
        }
        if (pt1 && a.has(i) && !isFilterList(a[i]) && !a[i].isNil()) {
            m.pointArg(a, i++, p2);
            pt2 = p2;
        }
    }
    if (a.has(i)) {
        if (!a[i].isList()) m.badType("listp", a[i]);
        filter.rb = lispDataListToResbuf(m, a[i++]);
    }
    if (a.has(i)) m.tooMany();
    ads_name ss;
    const int status = m.host().ssGet(mode, pt1, pt2, filter.rb, ss);
    if (status == RTCAN) m.raise("Function cancelled");
    return status == RTNORM ? m.pickset(ss) : LispValue();
}

// (redraw): the whole view; (redraw ename [mode]): the entity drawn (mode 1, the default),
// blanked (2), highlighted (3) or drawn normally again (4). Always nil, as on the host, even for
// a mode it does not know.
LispValue redraw(LispMachine& m, LispArgs a) {
    if (a.n == 0) {
        WorkingDatabase working(m);
        m.host().redraw(nullptr, 0);
        return LispValue();
    }
    const long* entity = enameArg(m, a, 0);
    const int mode = a.n > 1 ? m.intArg(a, 1) : 1;
    m.host().redraw(entity, mode);
    return LispValue();
}

LispValue ssadd(LispMachine& m, LispArgs a) {
    const long* entity = a.n > 0 ? enameArg(m, a, 0) : nullptr;
    const long* set = a.n > 1 ? picksetArg(m, a, 1) : nullptr;
    ads_name result;
    if (m.host().ssAdd(entity, set, result) != RTNORM) return LispValue();
    return set ? a[1] : m.pickset(result);
}

LispValue ssdel(LispMachine& m, LispArgs a) {
    const long* entity = enameArg(m, a, 0);
    const long* set = picksetArg(m, a, 1);
    return m.host().ssDel(entity, set) == RTNORM ? a[1] : LispValue();
}

LispValue sslength(LispMachine& m, LispArgs a) {
    long n = 0;
    if (m.host().ssLength(picksetArg(m, a, 0), &n) != RTNORM) return LispValue();
    return LispValue::integer(static_cast<std::int32_t>(n));
}

LispValue ssname(LispMachine& m, LispArgs a) {
    const long* set = picksetArg(m, a, 0);
    const double index = m.numArg(a, 1);
    if (index < 0 || index > 2147483647.0) return LispValue();
    ads_name entity;
    return nameOrNil(m.host().ssName(set, static_cast<long>(std::trunc(index)), entity), entity);
}

LispValue ssmemb(LispMachine& m, LispArgs a) {
    const long* entity = enameArg(m, a, 0);
    return m.host().ssMemb(entity, picksetArg(m, a, 1)) == RTNORM ? a[0] : LispValue();
}

const LispBuiltin kEntities[] = {
    {"entget", entget, 1, 2},
    {"entmake", makeOrModify<acdbEntMake>, 0, 1},
    {"entmod", makeOrModify<acdbEntMod>, 1, 1},
    {"entdel", entdel, 1, 1},
    {"entnext", entnext, 0, 1},
    {"entlast", entlast, 0, 0},
    {"handent", handent, 1, 1},
    {"redraw", redraw, 0, 2},
    {"ssget", ssget, 0, 5},
    {"ssadd", ssadd, 0, 2},
    {"ssdel", ssdel, 2, 2},
    {"sslength", sslength, 1, 1},
    {"ssname", ssname, 2, 2},
    {"ssmemb", ssmemb, 2, 2},
};

}  // namespace

std::span<const LispBuiltin> lispEntityBuiltins() { return kEntities; }

}  // namespace NUVAcad
