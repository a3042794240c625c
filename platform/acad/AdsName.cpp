#include "acad/AdsName.h"

#include <cstring>

#include "acad/AcDbBlockReference.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbPolylines.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/DbInternal.h"
#include "acad/ResBuf.h"

using NUVAcad::DbAccess;
using NUVAcad::DxfTag;
using NUVAcad::TagList;

// A name carries the database's serial and the handle, so a stale or foreign name is recognised
// instead of being dereferenced.
Acad::ErrorStatus acdbGetAdsName(ads_name name, AcDbObjectId id) {
    if (id.isNull() || !id.database()) {
        name[0] = name[1] = 0;
        return Acad::eNullObjectId;
    }
    name[0] = static_cast<long>(DbAccess::serialOf(id.database()));
    name[1] = static_cast<long>(id.handle().value());
    return Acad::eOk;
}

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name) {
    id = AcDbObjectId();
    if (!name || (name[0] == 0 && name[1] == 0)) return Acad::eNullEntityName;
    AcDbDatabase* db = DbAccess::databaseWithSerial(static_cast<uint64_t>(name[0]));
    if (!db) return Acad::eInvalidAdsName;
    NUVAcad::ObjectStub* s = DbAccess::stubFor(db, static_cast<uint64_t>(name[1]), false);
    if (!s) return Acad::eInvalidAdsName;
    id = AcDbObjectId(s);
    return Acad::eOk;
}

namespace {
const char* typeNameOf(const AcDbObject* o) {
    if (auto* p = AcDbProxyEntity::cast(o)) return p->typeName().c_str();
    return o->isA()->dxfName();
}

// The data list of an object: header, own fields, then the requested extended data.
resbuf* entityList(const AcDbObject* o, const resbuf* apps) {
    TagList tags;
    tags.push_back(DxfTag::ofId(-1, o->objectId()));
    tags.emplace_back(0, typeNameOf(o));
    tags.push_back(DxfTag::ofId(330, o->ownerId()));
    tags.emplace_back(5, o->handle().asString());
    if (!o->persistentReactorIds().empty()) {
        tags.emplace_back(102, "{ACAD_REACTORS");
        for (AcDbObjectId r : o->persistentReactorIds()) tags.push_back(DxfTag::ofId(330, r));
        tags.emplace_back(102, "}");
    }
    if (!o->extensionDictionary().isNull()) {
        tags.emplace_back(102, "{ACAD_XDICTIONARY");
        tags.push_back(DxfTag::ofId(360, o->extensionDictionary()));
        tags.emplace_back(102, "}");
    }
    NUVAcad::DxfOut out(tags, o->database());
    o->dxfOutFields(out);
    resbuf* head = NUVAcad::tagsToResbuf(tags);
    if (apps) {
        TagList x;
        DbAccess::xdataTags(o, x);
        TagList chosen;
        bool keep = false;
        for (const DxfTag& t : x) {
            if (t.code == 1001) {
                keep = false;
                for (const resbuf* a = apps; a; a = a->rbnext)
                    if (a->restype == RTSTR && a->resval.rstring &&
                        (std::strcmp(a->resval.rstring, "*") == 0 || NUVAcad::namesEqual(a->resval.rstring, t.str)))
                        keep = true;
            }
            if (keep) chosen.push_back(t);
        }
        if (!chosen.empty()) {
            resbuf* tail = head;
            while (tail && tail->rbnext) tail = tail->rbnext;
            resbuf* marker = acutNewRb(-3);
            marker->rbnext = NUVAcad::tagsToResbuf(chosen);
            if (tail) tail->rbnext = marker;
            else head = marker;
        }
    }
    return head;
}
}  // namespace

resbuf* acdbEntGetX(const ads_name name, const resbuf* apps) {
    AcDbObjectId id;
    if (acdbGetObjectId(id, name) != Acad::eOk) return nullptr;
    AcDbObject* o = DbAccess::peek(id);
    if (!o || o->isErased()) return nullptr;
    return entityList(o, apps);
}

resbuf* acdbEntGet(const ads_name name) { return acdbEntGetX(name, nullptr); }

namespace {
// The sequence being made by acdbEntMake: a POLYLINE header waiting for its vertices.
struct PendingSequence {
    AcDbEntity* complex = nullptr;
    AcDbDatabase* db = nullptr;
    void drop() {
        delete complex;
        complex = nullptr;
    }
};
PendingSequence& pending() {
    static PendingSequence p;
    return p;
}

// Splits a made list into fields and extended data and builds the object it describes.
AcDbEntity* buildEntity(const TagList& tags, AcDbDatabase* db, std::string& type) {
    TagList body, xdata;
    bool inXdata = false;
    for (const DxfTag& t : tags) {
        if (t.code == 0) {
            type = t.str;
            continue;
        }
        if (t.code == -3) {
            inXdata = true;
            continue;
        }
        if (t.code < 0 || t.code == 5 || t.code == 330 || t.code == 102) continue;
        (inXdata || t.code >= 1000 ? xdata : body).push_back(t);
    }
    AcDbObject* o = nullptr;
    if (type == "POLYLINE" || type == "VERTEX") {
        int64_t flags = 0;
        for (const DxfTag& t : body)
            if (t.code == 70) flags = t.i;
        if (type == "POLYLINE")
            o = (flags & 64) ? static_cast<AcDbObject*>(new AcDbPolyFaceMesh)
                : (flags & 8) ? static_cast<AcDbObject*>(new AcDb3dPolyline)
                              : static_cast<AcDbObject*>(new AcDb2dPolyline);
        else
            o = ((flags & 128) && !(flags & 64)) ? static_cast<AcDbObject*>(new AcDbFaceRecord)
                : (flags & 64) ? static_cast<AcDbObject*>(new AcDbPolyFaceMeshVertex)
                : (flags & 32) ? static_cast<AcDbObject*>(new AcDb3dPolylineVertex)
                               : static_cast<AcDbObject*>(new AcDb2dVertex);
    } else {
        o = NUVAcad::newObjectForType(type);
    }
    auto* e = AcDbEntity::cast(o);
    if (!e) {
        delete o;
        return nullptr;
    }
    NUVAcad::DxfIn in(body, db);
    if (e->dxfInFields(in) != Acad::eOk) {
        delete e;
        return nullptr;
    }
    // Extended data of unregistered applications is refused, as for setXData.
    if (!xdata.empty()) {
        resbuf* rb = NUVAcad::tagsToResbuf(xdata);
        Acad::ErrorStatus es = Acad::eOk;
        // A new entity checks applications against the database it will join.
        auto* apps = DbAccess::peekAs<AcDbRegAppTable>(db->regAppTableId());
        for (const DxfTag& t : xdata)
            if (t.code == 1001 && (!apps || !apps->has(t.str.c_str()))) es = Acad::eRegappIdNotFound;
        if (es == Acad::eOk) es = e->setXData(rb);
        acutRelRb(rb);
        if (es != Acad::eOk) {
            delete e;
            return nullptr;
        }
    }
    return e;
}

int appendToModelSpace(AcDbDatabase* db, AcDbEntity* e) {
    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) {
        delete e;
        return RTERROR;
    }
    AcDbObjectId id;
    // Made entities keep the layer their list named; appendAcDbEntity only fills in a missing one.
    Acad::ErrorStatus es = ms->appendAcDbEntity(id, e);
    ms->close();
    if (es != Acad::eOk) {
        delete e;
        return RTERROR;
    }
    e->close();
    return RTNORM;
}
}  // namespace

int acdbEntMake(const resbuf* list) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    PendingSequence& seq = pending();
    if (!db || !list) {
        seq.drop();
        return RTERROR;
    }
    TagList tags;
    if (!NUVAcad::resbufToTags(list, tags)) {
        seq.drop();
        return RTERROR;
    }
    std::string type;
    for (const DxfTag& t : tags)
        if (t.code == 0) type = t.str;
    if (type == "SEQEND") {
        if (!seq.complex || seq.db != db) {
            seq.drop();
            return RTREJ;
        }
        AcDbEntity* complex = seq.complex;
        seq.complex = nullptr;
        return appendToModelSpace(db, complex);
    }
    if (type == "VERTEX") {
        if (!seq.complex || seq.db != db) return RTREJ;
        AcDbEntity* v = buildEntity(tags, db, type);
        if (!v) {
            seq.drop();
            return RTREJ;
        }
        Acad::ErrorStatus es = Acad::eOk;
        if (auto* pf = AcDbPolyFaceMesh::cast(seq.complex)) {
            if (auto* f = AcDbFaceRecord::cast(v)) es = pf->appendFaceRecord(f);
            else if (auto* pv = AcDbPolyFaceMeshVertex::cast(v)) es = pf->appendVertex(pv);
            else es = Acad::eWrongObjectType;
        } else if (auto* p2 = AcDb2dPolyline::cast(seq.complex)) {
            auto* v2 = AcDb2dVertex::cast(v);
            es = v2 ? p2->appendVertex(v2) : Acad::eWrongObjectType;
        } else if (auto* p3 = AcDb3dPolyline::cast(seq.complex)) {
            auto* v3 = AcDb3dPolylineVertex::cast(v);
            es = v3 ? p3->appendVertex(v3) : Acad::eWrongObjectType;
        }
        if (es != Acad::eOk) {
            delete v;
            seq.drop();
            return RTREJ;
        }
        return RTNORM;
    }
    // Any other list abandons an unfinished sequence.
    seq.drop();
    AcDbEntity* e = buildEntity(tags, db, type);
    if (!e) return RTREJ;
    if (e->subentList()) {
        seq.complex = e;
        seq.db = db;
        return RTNORM;
    }
    return appendToModelSpace(db, e);
}

int acdbEntMod(const resbuf* list) {
    if (!list || list->restype != -1) return RTERROR;
    AcDbObjectId id;
    if (acdbGetObjectId(id, list->resval.rlname) != Acad::eOk) return RTERROR;
    AcDbEntity* e = nullptr;
    if (acdbOpenObject(e, id, AcDb::kForWrite) != Acad::eOk) return RTERROR;
    TagList tags;
    if (!NUVAcad::resbufToTags(list, tags)) {
        e->close();
        return RTERROR;
    }
    // Start from the entity's own fields and let the list's values replace them code by code.
    TagList current;
    NUVAcad::DxfOut out(current, e->database());
    e->dxfOutFields(out);
    TagList body, xdata;
    bool inX = false;
    for (const DxfTag& t : tags) {
        if (t.code == -3) inX = true;
        if (t.code < 0 || t.code == 0 || t.code == 5 || t.code == 330 || t.code == 102) continue;
        (inX || t.code >= 1000 ? xdata : body).push_back(t);
    }
    NUVAcad::DxfIn in(body, e->database());
    Acad::ErrorStatus es = e->dxfInFields(in);
    if (es == Acad::eOk && !xdata.empty()) {
        resbuf* rb = NUVAcad::tagsToResbuf(xdata);
        es = e->setXData(rb);
        acutRelRb(rb);
    }
    if (es != Acad::eOk) {
        NUVAcad::DxfIn back(current, e->database());
        e->dxfInFields(back);
    }
    e->close();
    return es == Acad::eOk ? RTNORM : RTERROR;
}

int acdbEntDel(const ads_name name) {
    AcDbObjectId id;
    if (acdbGetObjectId(id, name) != Acad::eOk) return RTERROR;
    AcDbObject* o = nullptr;
    if (acdbOpenObject(o, id, AcDb::kForWrite, true) != Acad::eOk) return RTERROR;
    Acad::ErrorStatus es = o->erase(!o->isErased());
    o->close();
    return es == Acad::eOk ? RTNORM : RTERROR;
}

namespace {
std::vector<AcDbObjectId> liveEntities(AcDbDatabase* db) {
    std::vector<AcDbObjectId> r;
    if (auto* ms = DbAccess::peekAs<AcDbBlockTableRecord>(db->modelSpaceId()))
        for (AcDbObjectId id : ms->entityIds())
            if (!id.isErased()) r.push_back(id);
    return r;
}
}  // namespace

int acdbEntLast(ads_name result) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return RTERROR;
    auto ids = liveEntities(db);
    if (ids.empty()) return RTERROR;
    acdbGetAdsName(result, ids.back());
    return RTNORM;
}

int acdbEntNext(const ads_name name, ads_name result) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return RTERROR;
    auto ids = liveEntities(db);
    if (!name || ads_name_nil(name)) {
        if (ids.empty()) return RTERROR;
        acdbGetAdsName(result, ids.front());
        return RTNORM;
    }
    AcDbObjectId id;
    if (acdbGetObjectId(id, name) != Acad::eOk) return RTERROR;
    for (size_t k = 0; k + 1 < ids.size(); ++k)
        if (ids[k] == id) {
            acdbGetAdsName(result, ids[k + 1]);
            return RTNORM;
        }
    return RTERROR;
}

int acdbHandEnt(const char* handle, ads_name result) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db || !handle) return RTERROR;
    AcDbObjectId id;
    if (db->getAcDbObjectId(id, false, AcDbHandle(handle)) != Acad::eOk || !id.isValid() || id.isErased()) return RTERROR;
    acdbGetAdsName(result, id);
    return RTNORM;
}
