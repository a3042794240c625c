// The current drawing and the two ways the suite adds objects to it and takes them away.
#pragma once

#include "acad/AcDb.h"

namespace ZQ {

// The database of the current drawing (the one commands and AutoLISP work in); null when no
// drawing is open.
AcDbDatabase* GetCurDWGPtr();

// Appends a new entity to the model space of the current drawing. eOk with its id in `id`; the
// entity then stays open for write, and the caller goes on changing it and closes it. Otherwise
// the entity is left to the caller as it was: eNullEntityPointer, eAlreadyInDb (already in a
// drawing), eNoDatabase (no current drawing) or the status of opening the model space.
Acad::ErrorStatus Append(AcDbEntity* entity, AcDbObjectId& id);
Acad::ErrorStatus Append(AcDbEntity* entity);

// Erases an object (an entity, a group, a dictionary entry...). True when it was erased by this
// call; false for a null id, an object already erased or one that cannot be opened for write.
// An erased group no longer stands among the reactors of its members.
bool Erase(AcDbObjectId id);
// Erases each object of the array in turn; the number erased by this call.
int Erase(const AcDbObjectIdArray& ids);

}  // namespace ZQ
