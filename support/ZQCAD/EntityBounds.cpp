// Extents through the entities' own geometry.
#include "ZQCAD/EntityBounds.h"

#include "acad/AcDbEntity.h"
#include "acad/AcEdSelectionSet.h"

namespace ZQ {
namespace {

bool AddExtents(AcDbObjectId id, AcDbExtents& all) {
    AcDbEntity* ent = nullptr;
    if (acdbOpenAcDbEntity(ent, id, AcDb::kForRead) != Acad::eOk) return false;
    AcDbExtents e;
    bool ok = ent->getGeomExtents(e) == Acad::eOk && e.isValid();
    ent->close();
    if (ok) all.addExt(e);
    return ok;
}

}  // namespace

int GetEntBound(const ads_name name, ads_point min, ads_point max) {
    if (!name || !min || !max) return 0;
    AcDbExtents all;
    bool any = false;
    AcDbObjectId id;
    long count = 0;
    if (acedSSLength(name, &count) == RTNORM) {
        for (long i = 0; i < count; ++i) {
            ads_name e;
            if (acedSSName(name, i, e) == RTNORM && acdbGetObjectId(id, e) == Acad::eOk) any |= AddExtents(id, all);
        }
    } else if (acdbGetObjectId(id, name) == Acad::eOk) {
        any = AddExtents(id, all);
    }
    if (!any) return 0;
    AcGePoint3d lo = all.minPoint(), hi = all.maxPoint();
    min[0] = lo.x, min[1] = lo.y, min[2] = lo.z;
    max[0] = hi.x, max[1] = hi.y, max[2] = hi.z;
    return 1;
}

}  // namespace ZQ
