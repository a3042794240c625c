// Face meshes: a polyface mesh with one face built as objects, and a fanned multi-face mesh
// made through the entity-making list interface in the working drawing's model space.
#pragma once

#include "acad/AcDb.h"
#include "acad/AcGe.h"
#include "win/CString.h"

namespace NUV {

// One face through vertices 1, 2, 3 (and 4 when there are more than three points), every used
// edge visible; further points become vertices no face uses. A new mesh in no database, owned
// by the caller; null when fewer than three points are given or a vertex or the face cannot be
// appended (nothing is left behind).
AcDbPolyFaceMesh* CreatePolyFaceMesh(const AcGePoint3dArray& points);

// A polyface mesh on `layer` in the working drawing's model space: three or four points make one
// face, more points a fan from the first vertex whose inner diagonals are hidden. 1 when made,
// 0 when a list cannot be built or made, or with fewer than three points.
int Make3DFace(AcGePoint3dArray& points, CString layer);

}  // namespace NUV
