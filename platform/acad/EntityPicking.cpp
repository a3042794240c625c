// Entity picks: the pick box test on the entities' outlines (the same outlines selection and the
// renderer use), the descent into block references for the nested picks, and the prompts.
#include "acad/EntityPicking.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "acad/AcDbBlockReference.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcEdPrompts.h"
#include "acad/AdsName.h"
#include "acad/DbInternal.h"
#include "acad/Display.h"
#include "acad/EditorState.h"
#include "acad/EntityOutline.h"
#include "acad/InputSource.h"
#include "acad/ResBuf.h"
#include "acad/SelectionRegion.h"
#include "acad/SysVars.h"
#include "acad/TypedInput.h"

namespace NUVAcad {

namespace {

void SetErrno(int v) {
    resbuf rb;
    rb.restype = RTSHORT;
    rb.resval.rint = static_cast<short>(v);
    acedSetVar("ERRNO", &rb);
}

// Whether the entity's outline (in the coordinates the entity is defined in) crosses the square
// of half-size r around p.
bool Crosses(const AcDbEntity* e, const AcGePoint2d& p, double r) {
    std::vector<OutlinePart> outline;
    OutlineOptions opt;
    opt.tolerance = r / 4;
    AppendOutline(e, opt, outline);
    return SelectionRegion::rectangle({p.x - r, p.y - r}, {p.x + r, p.y + r}, true).selects(outline);
}

// The newest entity of a block record crossing the box; null when none.
AcDbObjectId HitIn(AcDbObjectId record, const AcGePoint2d& p, double r) {
    auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(record);
    if (!btr) return AcDbObjectId();
    const auto& ids = btr->entityIds();
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        auto* e = DbAccess::peekAs<AcDbEntity>(*it);
        if (e && !e->isErased() && Crosses(e, p, r)) return *it;
    }
    return AcDbObjectId();
}

struct NestedHit {
    AcDbObjectId entity;
    AcGeMatrix3d xform;                // the entity's coordinates to world
    std::vector<AcDbObjectId> refs;    // containing references, innermost first
};

// From a top-level entity down through block references to the innermost entity under the pick.
NestedHit Descend(AcDbObjectId top, const AcGePoint3d& world, double r) {
    NestedHit hit;
    hit.entity = top;
    for (int depth = 0; depth < 64; ++depth) {
        auto* ref = AcDbBlockReference::cast(DbAccess::peek(hit.entity));
        if (!ref) break;
        AcGeMatrix3d m = hit.xform * ref->blockTransform();
        AcGePoint3d local = m.inverse() * world;
        AcGeVector3d unit = m * AcGeVector3d(1, 0, 0);
        double scale = unit.length() > 0 ? unit.length() : 1;
        AcDbObjectId inner = HitIn(ref->blockTableRecord(), {local.x, local.y}, r / scale);
        if (inner.isNull()) break;  // nothing inside is under the pick: the reference itself
        hit.refs.insert(hit.refs.begin(), hit.entity);
        hit.xform = m;
        hit.entity = inner;
    }
    return hit;
}

enum class PickResult { Entity, Keyword, Miss, Enter, Cancel };

// Asks for one pick. `pick` receives the pick point (UCS), `id` the top-level entity.
PickResult AskPick(const char* prompt, AcDbObjectId& id, AcGePoint3d& pick) {
    InitGetSettings ig = TakeInitGet();
    KeywordList keywords(ig.keywords);
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    for (;;) {
        Input in = ReadInput(InputRequest{prompt ? prompt : "\nSelect object: ", InputRequest::Level::Prompt, false});
        switch (in.kind) {
        case Input::Kind::Cancel:
        case Input::Kind::End: return PickResult::Cancel;
        case Input::Kind::Enter: return PickResult::Enter;
        case Input::Kind::Entity: {
            AcDbObjectId e;
            pick.set(in.point[0], in.point[1], in.point[2]);
            if (acdbGetObjectId(e, in.name) != Acad::eOk || !e.isValid() || e.isErased()) return PickResult::Miss;
            id = e;
            return PickResult::Entity;
        }
        case Input::Kind::Point:
            pick.set(in.point[0], in.point[1], in.point[2]);
            id = EntityAtPoint(db, UcsToWorld(pick));
            return id.isNull() ? PickResult::Miss : PickResult::Entity;
        case Input::Kind::Text: {
            if (!in.text.empty() && in.text[0] == '#') {
                id = EntityByHandleText(db, in.text);
                if (id.isNull()) return PickResult::Miss;
                pick = WorldToUcs(CurrentEditor().lastPoint);
                return PickResult::Entity;
            }
            TypedPoint tp;
            if (ParseTypedPoint(in.text, tp)) {
                EditorState& ed = CurrentEditor();
                AcGePoint3d last = WorldToUcs(ed.lastPoint);
                double ref[3] = {last.x, last.y, last.z}, q[3];
                ResolveTypedPoint(tp, ref, ed.elevation, ed.angles(), q);
                pick.set(q[0], q[1], q[2]);
                if (tp.world) pick = WorldToUcs(pick);
                id = EntityAtPoint(db, UcsToWorld(pick));
                return id.isNull() ? PickResult::Miss : PickResult::Entity;
            }
            int k = keywords.match(in.text);
            if (k >= 0 || (ig.bits & RSG_OTHER)) {
                SetLastKeyword(k >= 0 ? keywords.result(static_cast<size_t>(k)) : in.text);
                return PickResult::Keyword;
            }
            PromptMessage(keywords.empty() ? "Invalid point." : "Point or option keyword required.");
            break;
        }
        default: PromptMessage(keywords.empty() ? "Invalid point." : "Point or option keyword required."); break;
        }
    }
}

int PickStatus(PickResult r) {
    switch (r) {
    case PickResult::Entity: return RTNORM;
    case PickResult::Keyword: return RTKWORD;
    case PickResult::Miss: SetErrno(7); return RTERROR;
    case PickResult::Enter: SetErrno(52); return RTERROR;
    case PickResult::Cancel: return RTCAN;
    }
    return RTERROR;
}

}  // namespace

double PickAperture(AcDbDatabase* db) {
    resbuf rb;
    int pixels = acedGetVar("PICKBOX", &rb) == RTNORM ? rb.resval.rint : 3;
    if (pixels < 1) pixels = 1;
    return pixels / displayOf(db).view().pixelsPerUnit();
}

AcDbObjectId EntityAtPoint(AcDbDatabase* db, const AcGePoint3d& world) {
    if (!db) return AcDbObjectId();
    return HitIn(db->modelSpaceId(), {world.x, world.y}, PickAperture(db));
}

AcDbObjectId EntityByHandleText(AcDbDatabase* db, const std::string& text) {
    if (!db || text.size() < 2 || text[0] != '#') return AcDbObjectId();
    for (size_t i = 1; i < text.size(); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return AcDbObjectId();
    if (text.size() > 17) return AcDbObjectId();
    AcDbObjectId id;
    if (db->getAcDbObjectId(id, false, AcDbHandle(text.c_str() + 1)) != Acad::eOk || !id.isValid() || id.isErased())
        return AcDbObjectId();
    if (!AcDbEntity::cast(DbAccess::peek(id))) return AcDbObjectId();
    return id;
}

}  // namespace NUVAcad

using namespace NUVAcad;

int acedEntSel(const char* str, ads_name entres, ads_point ptres) {
    if (!entres || !ptres) return RTERROR;
    AcDbObjectId id;
    AcGePoint3d pick;
    int st = PickStatus(AskPick(str, id, pick));
    if (st != RTNORM) return st;
    acdbGetAdsName(entres, id);
    ptres[0] = pick.x;
    ptres[1] = pick.y;
    ptres[2] = pick.z;
    CurrentEditor().lastPoint = UcsToWorld(pick);
    return RTNORM;
}

namespace {
int NestedPick(const char* str, ads_name entres, ads_point ptres, int pickflag, AcGeMatrix3d& xform, resbuf** refstk) {
    if (!entres || !ptres) return RTERROR;
    if (refstk) *refstk = nullptr;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbObjectId id;
    AcGePoint3d pick;
    if (pickflag) {
        pick.set(ptres[0], ptres[1], ptres[2]);
        id = EntityAtPoint(db, UcsToWorld(pick));
        if (id.isNull()) {
            SetErrno(7);
            return RTERROR;
        }
    } else {
        int st = PickStatus(AskPick(str, id, pick));
        if (st != RTNORM) return st;
    }
    NestedHit hit = Descend(id, UcsToWorld(pick), PickAperture(db));
    acdbGetAdsName(entres, hit.entity);
    ptres[0] = pick.x;
    ptres[1] = pick.y;
    ptres[2] = pick.z;
    xform = hit.xform;
    if (refstk && !hit.refs.empty()) {
        resbuf* head = nullptr;
        resbuf* tail = nullptr;
        for (AcDbObjectId r : hit.refs) {
            resbuf* rb = acutNewRb(RTENAME);
            acdbGetAdsName(rb->resval.rlname, r);
            (tail ? tail->rbnext : head) = rb;
            tail = rb;
        }
        *refstk = head;
    }
    return RTNORM;
}
}  // namespace

int acedNEntSelP(const char* str, ads_name entres, ads_point ptres, int pickflag, ads_matrix xformres, resbuf** refstkres) {
    AcGeMatrix3d m;
    int st = NestedPick(str, entres, ptres, pickflag, m, refstkres);
    if (st == RTNORM && xformres)
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) xformres[i][j] = m(i, j);
    return st;
}

int acedNEntSel(const char* str, ads_name entres, ads_point ptres, ads_point xformres[4], resbuf** refstkres) {
    AcGeMatrix3d m;
    int st = NestedPick(str, entres, ptres, 0, m, refstkres);
    if (st == RTNORM && xformres)
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 3; ++i) xformres[j][i] = m(i, j);
    return st;
}
