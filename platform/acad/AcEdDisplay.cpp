// Entity names carry their drawing, so a name redraws on its own drawing's display even when
// another drawing is the working one.
#include "acad/AcEdDisplay.h"

#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/DbInternal.h"
#include "acad/Display.h"

using NUVAcad::DbAccess;
using NUVAcad::displayOf;

namespace {
// The entity behind a name, or null when it names none (or an erased one).
const AcDbEntity* liveEntity(const ads_name ent, AcDbObjectId& id) {
    if (acdbGetObjectId(id, ent) != Acad::eOk) return nullptr;
    auto* e = DbAccess::peekAs<AcDbEntity>(id);
    return e && !e->isErased() ? e : nullptr;
}
}  // namespace

int acedRedraw(const ads_name ent, int mode) {
    if (!ent || ads_name_nil(ent)) {
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        if (!db) return RTERROR;
        displayOf(db).redrawAll();
        return RTNORM;
    }
    if (mode < 0) mode = -mode;
    if (mode < 1 || mode > 4) return RTERROR;
    AcDbObjectId id;
    if (!liveEntity(ent, id)) return RTERROR;
    displayOf(id.database()).redrawEntity(id, mode);
    return RTNORM;
}

int acdbEntUpd(const ads_name ent) {
    AcDbObjectId id;
    if (!ent || !liveEntity(ent, id)) return RTERROR;
    displayOf(id.database()).updateEntity(id);
    return RTNORM;
}

void acedUpdateDisplay() {
    if (AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase()) displayOf(db).updateDisplay();
}

int acedGrDraw(const ads_point from, const ads_point to, int color, int hl) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db || !from || !to || color < -1 || color > 255) return RTERROR;
    ads_point a, b;
    acdbUcs2Wcs(from, a, 0);
    acdbUcs2Wcs(to, b, 0);
    NUVAcad::TempVector v;
    v.from.set(a[0], a[1], a[2]);
    v.to.set(b[0], b[1], b[2]);
    v.color = color;
    v.highlighted = hl != 0;
    displayOf(db).addTempVector(v);
    return RTNORM;
}

Acad::ErrorStatus AcDbEntity::highlight(const AcDbFullSubentPath&, bool) const {
    if (!isDatabaseResident()) return Acad::eNotInDatabase;
    displayOf(database()).redrawEntity(objectId(), 3);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::unhighlight(const AcDbFullSubentPath&, bool) const {
    if (!isDatabaseResident()) return Acad::eNotInDatabase;
    displayOf(database()).redrawEntity(objectId(), 4);
    return Acad::eOk;
}
