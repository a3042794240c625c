// What the user sees of the current drawing: highlighting an entity and flushing pending
// graphics to the screen.
#pragma once

#include "acad/AcDb.h"
#include "acad/AcDbFullSubentPath.h"

namespace ZQ {

// Shows the entity highlighted / normal again (the path and the last argument are the host's;
// callers pass an empty path and 0). eOk, or the status of opening the entity.
Acad::ErrorStatus Highlight(AcDbObjectId id, const AcDbFullSubentPath& path = AcDbFullSubentPath(), int all = 0);
Acad::ErrorStatus Unhighlight(AcDbObjectId id, const AcDbFullSubentPath& path = AcDbFullSubentPath(), int all = 0);

// The screen shows every pending change.
void FlushAcadGraphicsQueue();

}  // namespace ZQ
