// The current drawing, appending to its model space, erasing.
#include "ZQCAD/CurrentDrawing.h"

namespace ZQ {

AcDbDatabase* GetCurDWGPtr() { return acdbHostApplicationServices()->workingDatabase(); }

Acad::ErrorStatus Append(AcDbEntity* entity, AcDbObjectId& id) {
    if (!entity) return Acad::eNullEntityPointer;
    if (entity->isDatabaseResident()) return Acad::eAlreadyInDb;
    AcDbDatabase* db = GetCurDWGPtr();
    if (!db) return Acad::eNoDatabase;
    AcDbBlockTableRecord* model = nullptr;
    if (Acad::ErrorStatus es = acdbOpenObject(model, db->modelSpaceId(), AcDb::kForWrite); es != Acad::eOk) return es;
    AcDbObjectId appended;
    Acad::ErrorStatus es = model->appendAcDbEntity(appended, entity);
    model->close();
    if (es == Acad::eOk) id = appended;
    return es;
}

Acad::ErrorStatus Append(AcDbEntity* entity) {
    AcDbObjectId id;
    return Append(entity, id);
}

bool Erase(AcDbObjectId id) {
    if (id.isNull()) return false;
    AcDbObject* obj = nullptr;
    if (acdbOpenObject(obj, id, AcDb::kForWrite) != Acad::eOk) return false;
    Acad::ErrorStatus es = obj->erase();
    obj->close();
    return es == Acad::eOk;
}

int Erase(const AcDbObjectIdArray& ids) {
    int erased = 0;
    for (int i = 0; i < ids.length(); ++i)
        if (Erase(ids[i])) ++erased;
    return erased;
}

}  // namespace ZQ
