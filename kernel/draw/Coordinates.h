// Conversions between the drawing's coordinate systems: the current user system, world, a model
// matrix (row-major 4x4, columns 0..2 the axes and column 3 the origin, in world coordinates, as
// AcGeMatrix3d lays out its entries) and the entity system of a normal (the arbitrary-axis rule).
// Callers hand over block transforms as model matrices, so the layout must not change.
#pragma once

#include "acad/AcDb.h"
#include "acad/AcGe.h"

namespace NUV {

AcGePoint3d Ucs2Wcs(const AcGePoint3d& pt);
AcGeVector3d Ucs2Wcs(const AcGeVector3d& vec);  // rotation only, no translation
AcGePoint3d Wcs2Ucs(const AcGePoint3d& pt);
AcGeVector3d Wcs2Ucs(const AcGeVector3d& vec);

// out = m * in; the translation column is added only when isPoint is nonzero. Row 3 is never
// read. `out` is cleared before `in` is read, so they must be different arrays.
void McsToWcs(double (*m)[4], double* in, double* out, int isPoint);
// The world point in model coordinates (the inverse of the point form of McsToWcs); a null
// matrix copies the point.
void WCsToMcs(double* in, double* out, double (*m)[4]);

// The entity-to-world matrix of a normal (used as given, not normalised): identity for +Z;
// otherwise axes from the world Y axis as helper when |x| and |y| are both below 1/64, else from
// the world Z axis.
void getEcsToWcsMatrix(const AcGeVector3d& normal, AcGeMatrix3d& out);

// A point in the coordinates of a block reference's definition, in world coordinates. 1 and
// `out` set, or 0 when the id does not open as a block reference.
int GetWcsPtOfBlock(AcDbObjectId blockRef, AcGePoint3d ptInBlock, AcGePoint3d& out);

}  // namespace NUV
