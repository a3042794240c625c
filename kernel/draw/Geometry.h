// Small geometric questions on drawing entities: are two lines parallel, where do two entities
// cross. Stateless.
#pragma once

#include "acad/AcDb.h"
#include "acad/AcGe.h"

namespace NUV {

// The lines a1-a2 and b1-b2, seen on the XY plane, are parallel (same or opposite direction)
// within `tol` radians, ends included.
bool IsLinesPX(AcGePoint3d a1, AcGePoint3d a2, AcGePoint3d b1, AcGePoint3d b2, double tol);

// Appends to `points` the crossings of e1 and e2 projected on the world XY plane, less the
// crossings each entity has with itself, and returns how many points `points` then holds. Both
// entities must be open for read; they are closed here (the caller must not close them again),
// except when either is not open for read: then 0 and both are left as they are.
int GetEntIntersect(AcDbEntity* e1, AcDbEntity* e2, AcGePoint3dArray& points);

}  // namespace NUV
