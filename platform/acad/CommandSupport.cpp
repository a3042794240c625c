// Helpers of the editor's built-in commands; see CommandSupport.h.
#include "acad/CommandSupport.h"

#include <cmath>
#include <cstdio>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcEdPrompts.h"
#include "acad/AcEdSelectionSet.h"
#include "acad/AcGeMatrix3d.h"
#include "acad/AdsName.h"
#include "acad/EditorState.h"
#include "acad/HostInternal.h"
#include "acad/UndoLog.h"

namespace NUVAcad {

AcDbDatabase* CommandDb() { return acdbHostApplicationServices()->workingDatabase(); }

AcGePoint3d UcsPointToWorld(const ads_point p) { return UcsToWorld(AcGePoint3d(p[0], p[1], p[2])); }

AcGeVector3d UcsNormal() {
    AcGeMatrix3d ucs;
    acedGetCurrentUCS(ucs);
    AcGePoint3d o;
    AcGeVector3d x, y, z;
    ucs.getCoordSystem(o, x, y, z);
    return x.crossProduct(y).normal();
}

AcGePoint3d WorldToEcs(const AcGePoint3d& p, const AcGeVector3d& normal) {
    return AcGeMatrix3d::planeToWorld(normal).inverse() * p;
}

double UcsAngleToEcs(double ucsAngle, const AcGeVector3d& normal) {
    AcGeMatrix3d ucs;
    acedGetCurrentUCS(ucs);
    AcGePoint3d o;
    AcGeVector3d x, y, z;
    ucs.getCoordSystem(o, x, y, z);
    AcGeVector3d dir = x.normal() * std::cos(ucsAngle) + y.normal() * std::sin(ucsAngle);
    AcGeVector3d e = AcGeMatrix3d::planeToWorld(normal).inverse() * dir;
    double a = std::atan2(e.y, e.x);
    if (a < 0) a += 2 * M_PI;
    return a >= 2 * M_PI - 1e-12 ? 0 : a;  // a hair below zero is zero, not a full turn
}

AcDbObjectId AppendToModelSpace(AcDbEntity* ent) {
    AcDbDatabase* db = CommandDb();
    AcDbBlockTableRecord* ms = nullptr;
    AcDbObjectId id;
    if (!db || acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) {
        delete ent;
        return id;
    }
    if (ent->linetypeId().isNull() && !db->celtype().isNull()) ent->setLinetype(db->celtype());
    if (ms->appendAcDbEntity(id, ent) != Acad::eOk) {
        delete ent;
        ms->close();
        return AcDbObjectId();
    }
    ent->close();
    ms->close();
    return id;
}

void EraseObject(AcDbObjectId id) {
    AcDbObject* o = nullptr;
    if (acdbOpenObject(o, id, AcDb::kForWrite) == Acad::eOk) {
        o->erase();
        o->close();
    }
}

int SelectObjects(std::vector<AcDbObjectId>& ids) {
    ads_name ss;
    int st = acedSSGet(nullptr, nullptr, nullptr, nullptr, ss);
    if (st != RTNORM) return st == RTERROR ? RTNONE : st;
    long n = 0;
    acedSSLength(ss, &n);
    for (long i = 0; i < n; ++i) {
        ads_name e;
        AcDbObjectId id;
        if (acedSSName(ss, i, e) == RTNORM && acdbGetObjectId(id, e) == Acad::eOk) ids.push_back(id);
    }
    acedSSFree(ss);
    return ids.empty() ? RTNONE : RTNORM;
}

int EndedStatus(int st) { return st == RTNONE || st == RTNORM ? RTNORM : st; }

std::string FormatLength(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", std::fabs(v) < 5e-5 ? 0.0 : v);
    return buf;
}

std::string FormatAngle(double radians) {
    char buf[64];
    double deg = radians * 180.0 / M_PI;
    std::snprintf(buf, sizeof buf, "%.4f", std::fabs(deg) < 5e-5 ? 0.0 : deg);
    std::string s = buf;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

bool ValidSymbolName(const std::string& name) {
    if (name.empty() || name.size() > 255) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c >= 0x81 && c <= 0xFE) {
            if (++i >= name.size()) return false;
            continue;
        }
        if (c < 0x20 || std::string("<>/\\\":;?*|,=`").find(static_cast<char>(c)) != std::string::npos) return false;
    }
    return true;
}

std::string RecordName(AcDbObjectId id) {
    AcDbSymbolTableRecord* rec = nullptr;
    if (acdbOpenObject(rec, id, AcDb::kForRead) != Acad::eOk) return std::string();
    std::string name = rec->name();
    rec->close();
    return name;
}

namespace {
// Sets a current setting through `set`, recording how to put `before` back and make `after` again.
template <typename T, typename Set>
Acad::ErrorStatus SetRecorded(AcDbDatabase* db, T before, T after, Set set) {
    if (!db) return Acad::eNoDatabase;
    Acad::ErrorStatus es = set(db, after);
    if (es == Acad::eOk && !(before == after))
        undoLogOf(db).recordCustom([db, before, set] { set(db, before); }, [db, after, set] { set(db, after); });
    return es;
}
}  // namespace

Acad::ErrorStatus SetCurrentLayer(AcDbObjectId layer) {
    AcDbDatabase* db = CommandDb();
    return SetRecorded(db, db ? db->clayer() : AcDbObjectId(), layer,
                       [](AcDbDatabase* d, AcDbObjectId v) { return d->setClayer(v); });
}

Acad::ErrorStatus SetCurrentLinetype(AcDbObjectId linetype) {
    AcDbDatabase* db = CommandDb();
    return SetRecorded(db, db ? db->celtype() : AcDbObjectId(), linetype,
                       [](AcDbDatabase* d, AcDbObjectId v) { return d->setCeltype(v); });
}

Acad::ErrorStatus SetCurrentTextStyle(AcDbObjectId style) {
    AcDbDatabase* db = CommandDb();
    return SetRecorded(db, db ? db->textstyle() : AcDbObjectId(), style,
                       [](AcDbDatabase* d, AcDbObjectId v) { return d->setTextstyle(v); });
}

Acad::ErrorStatus SetCurrentTextSize(double height) {
    AcDbDatabase* db = CommandDb();
    return SetRecorded(db, db ? db->textsize() : 0.0, height, [](AcDbDatabase* d, double v) { return d->setTextsize(v); });
}

int AskYesNo(const std::string& question, bool defaultYes, bool& yes) {
    acedInitGet(0, "Yes No");
    char kw[133];
    std::string prompt = question + " [Yes/No] <" + (defaultYes ? "Y" : "N") + ">: ";
    int st = acedGetKword(prompt.c_str(), kw);
    if (st == RTCAN) return st;
    yes = st == RTNORM ? std::string(kw) == "Yes" : defaultYes;
    return RTNORM;
}

}  // namespace NUVAcad
