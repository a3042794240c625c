// A set's name is {the registry's tag, a serial number}, which no entity name can equal (those
// start with their drawing), so a freed or made-up set name is recognised. Members are kept as
// entity names, which stay safe to hold after their drawing is gone.
#include "acad/AcEdSelectionSet.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/DbInternal.h"
#include "acad/Display.h"
#include "acad/EntityOutline.h"
#include "acad/ResBuf.h"
#include "acad/SelectionFilter.h"
#include "acad/SelectionRegion.h"

using NUVAcad::DbAccess;
using NUVAcad::SelectionFilter;
using NUVAcad::SelectionRegion;

namespace {

using Name = std::pair<long, long>;

struct SelSet {
    std::vector<Name> order;
    std::set<Name> members;
};

struct Registry {
    std::map<long, SelSet> sets;
    long nextSerial = 1;
    NUVAcad::SelectionInput input;
};

Registry& registry() {
    static Registry r;
    return r;
}

long tag() { return static_cast<long>(reinterpret_cast<intptr_t>(&registry())); }

SelSet* findSet(const ads_name ss) {
    if (!ss || ss[0] != tag()) return nullptr;
    auto it = registry().sets.find(ss[1]);
    return it == registry().sets.end() ? nullptr : &it->second;
}

bool newSet(ads_name ss, SelSet** out) {
    Registry& r = registry();
    if (static_cast<int>(r.sets.size()) >= NUVAcad::kMaxSelectionSets) return false;
    long serial = r.nextSerial++;
    *out = &r.sets[serial];
    ss[0] = tag();
    ss[1] = serial;
    return true;
}

bool add(SelSet& s, const Name& n) {
    if (!s.members.insert(n).second) return false;
    s.order.push_back(n);
    return true;
}

// An entity name that names a live entity (not erased).
bool liveEntity(const ads_name n) {
    AcDbObjectId id;
    if (!n || acdbGetObjectId(id, n) != Acad::eOk) return false;
    auto* e = DbAccess::peekAs<AcDbEntity>(id);
    return e && !e->isErased();
}

const AcDbLayerTableRecord* layerOf(const AcDbEntity* e) {
    return DbAccess::peekAs<AcDbLayerTableRecord>(e->layerId());
}
bool isShown(const AcDbEntity* e) {
    if (e->visibility() != AcDb::kVisible) return false;
    const AcDbLayerTableRecord* l = layerOf(e);
    return !l || (!l->isOff() && !l->isFrozen());
}

// Entities of a space, newest first.
template <class Fn>
void forEachEntity(AcDbObjectId space, Fn fn) {
    auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(space);
    if (!btr) return;
    const auto& ids = btr->entityIds();
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        auto* e = DbAccess::peekAs<AcDbEntity>(*it);
        if (e && !e->isErased()) fn(*it, e);
    }
}

AcGePoint2d ucsToWorldXY(const double* p) {
    ads_point w;
    acdbUcs2Wcs(p, w, 0);
    return {w[0], w[1]};
}

bool pointList(const void* pt1, size_t minimum, std::vector<AcGePoint2d>& out) {
    for (auto* rb = static_cast<const resbuf*>(pt1); rb; rb = rb->rbnext) {
        if (rb->restype != RTPOINT && rb->restype != RT3DPOINT) return false;
        double p[3] = {rb->resval.rpoint[0], rb->resval.rpoint[1], rb->restype == RT3DPOINT ? rb->resval.rpoint[2] : 0.0};
        out.push_back(ucsToWorldXY(p));
    }
    return out.size() >= minimum;
}

int finish(AcDbDatabase* db, const std::vector<AcDbObjectId>& ids, ads_name ss) {
    if (ids.empty()) return RTERROR;
    if (NUVAcad::MakeSelectionSet(ids, ss) != RTNORM) return RTERROR;
    NUVAcad::displayOf(db).setPreviousSelection(ids);
    return RTNORM;
}

}  // namespace

namespace NUVAcad {

int OpenSelectionSetCount() { return static_cast<int>(registry().sets.size()); }

void SetSelectionInput(SelectionInput input) { registry().input = std::move(input); }

int MakeSelectionSet(const std::vector<AcDbObjectId>& ids, ads_name ss) {
    SelSet* s = nullptr;
    if (!newSet(ss, &s)) return RTERROR;
    for (AcDbObjectId id : ids) {
        ads_name n;
        if (acdbGetAdsName(n, id) == Acad::eOk) add(*s, {n[0], n[1]});
    }
    return RTNORM;
}

void SelectInRegion(AcDbDatabase* db, const SelectionRegion& region, const SelectionFilter& filter,
                    std::vector<AcDbObjectId>& out) {
    const DisplayView& view = displayOf(db).view();
    SelectionRegion screen = SelectionRegion::rectangle(view.lowerLeft(), view.upperRight(), true);
    OutlineOptions opt;
    opt.tolerance = 0.5 / view.pixelsPerUnit();  // half a pixel, as fine as the screen shows
    std::vector<OutlinePart> outline;
    forEachEntity(db->modelSpaceId(), [&](AcDbObjectId id, const AcDbEntity* e) {
        if (!isShown(e) || !filter.matches(e)) return;
        outline.clear();
        AppendOutline(e, opt, outline);
        if (screen.selects(outline) && region.selects(outline)) out.push_back(id);
    });
}

}  // namespace NUVAcad

int acedSSGet(const char* str, const void* pt1, const void* pt2, const resbuf* filterList, ads_name ss) {
    if (!ss) return RTERROR;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return RTERROR;
    SelectionFilter filter(filterList);
    if (!filter.ok()) return RTERROR;

    std::string mode = NUVAcad::upperName(str ? str : "");
    if (!mode.empty() && mode[0] == '_') mode.erase(0, 1);
    size_t colon = mode.find(':');
    std::string flags = colon == std::string::npos ? std::string() : mode.substr(colon);
    mode = mode.substr(0, colon);

    std::vector<AcDbObjectId> ids;
    if (mode.empty()) {
        Registry& r = registry();
        if (!r.input) return RTCAN;
        int rc = r.input(NUVAcad::SelectionRequest{flags, filterList}, ids);
        if (rc != RTNORM) return rc;
        return finish(db, ids, ss);
    }
    if (mode == "X") {
        for (AcDbObjectId space : {db->modelSpaceId(), db->paperSpaceId()})
            forEachEntity(space, [&](AcDbObjectId id, const AcDbEntity* e) {
                if (filter.matches(e)) ids.push_back(id);
            });
    } else if (mode == "A" || mode == "ALL") {
        forEachEntity(db->modelSpaceId(), [&](AcDbObjectId id, const AcDbEntity* e) {
            const AcDbLayerTableRecord* l = layerOf(e);
            if ((!l || !l->isFrozen()) && filter.matches(e)) ids.push_back(id);
        });
    } else if (mode == "W" || mode == "C") {
        if (!pt1 || !pt2) return RTERROR;
        auto region = SelectionRegion::rectangle(ucsToWorldXY(static_cast<const double*>(pt1)),
                                                 ucsToWorldXY(static_cast<const double*>(pt2)), mode == "C");
        NUVAcad::SelectInRegion(db, region, filter, ids);
    } else if (mode == "WP" || mode == "CP" || mode == "F") {
        std::vector<AcGePoint2d> pts;
        if (!pointList(pt1, mode == "F" ? 2 : 3, pts)) return RTERROR;
        auto region = mode == "F" ? SelectionRegion::fence(std::move(pts))
                                  : SelectionRegion::polygon(std::move(pts), mode == "CP");
        NUVAcad::SelectInRegion(db, region, filter, ids);
    } else if (mode == "L") {
        bool found = false;
        forEachEntity(db->modelSpaceId(), [&](AcDbObjectId id, const AcDbEntity* e) {
            if (found || !isShown(e)) return;
            found = true;
            if (filter.matches(e)) ids.push_back(id);
        });
    } else if (mode == "P") {
        for (AcDbObjectId id : NUVAcad::displayOf(db).previousSelection()) {
            auto* e = DbAccess::peekAs<AcDbEntity>(id);
            if (e && !e->isErased() && filter.matches(e)) ids.push_back(id);
        }
    } else {
        return RTERROR;  // "I" (nothing is ever pre-selected here) and unknown modes
    }
    return finish(db, ids, ss);
}

int acedSSLength(const ads_name ss, long* len) {
    SelSet* s = findSet(ss);
    if (!s || !len) return RTERROR;
    *len = static_cast<long>(s->order.size());
    return RTNORM;
}

int acedSSName(const ads_name ss, long i, ads_name entres) {
    SelSet* s = findSet(ss);
    if (!s || !entres || i < 0 || i >= static_cast<long>(s->order.size())) return RTERROR;
    entres[0] = s->order[static_cast<size_t>(i)].first;
    entres[1] = s->order[static_cast<size_t>(i)].second;
    return RTNORM;
}

int acedSSAdd(const ads_name ename, const ads_name sname, ads_name result) {
    if (!result) return RTERROR;
    bool haveEnt = ename && !ads_name_nil(ename);
    bool haveSet = sname && !ads_name_nil(sname);
    if (haveEnt && !liveEntity(ename)) return RTERROR;
    if (!haveSet) {
        SelSet* s = nullptr;
        ads_name made;
        if (!newSet(made, &s)) return RTERROR;
        if (haveEnt) add(*s, {ename[0], ename[1]});
        ads_name_set(made, result);
        return RTNORM;
    }
    SelSet* s = findSet(sname);
    if (!s) return RTERROR;
    if (haveEnt) add(*s, {ename[0], ename[1]});
    ads_name_set(sname, result);
    return RTNORM;
}

int acedSSDel(const ads_name ename, const ads_name ss) {
    SelSet* s = findSet(ss);
    if (!s || !ename) return RTERROR;
    Name n{ename[0], ename[1]};
    if (!s->members.erase(n)) return RTERROR;
    s->order.erase(std::find(s->order.begin(), s->order.end(), n));
    return RTNORM;
}

int acedSSMemb(const ads_name ename, const ads_name ss) {
    SelSet* s = findSet(ss);
    if (!s || !ename) return RTERROR;
    return s->members.count({ename[0], ename[1]}) ? RTNORM : RTERROR;
}

int acedSSFree(const ads_name sname) {
    if (!findSet(sname)) return RTERROR;
    registry().sets.erase(sname[1]);
    return RTNORM;
}
