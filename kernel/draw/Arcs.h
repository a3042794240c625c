// Arc entities from geometric arcs. Each function returns a new AcDbArc that is in no database
// and belongs to the caller, who appends it somewhere or deletes it.
#pragma once

#include "acad/AcDb.h"
#include "acad/AcGe.h"

namespace NUV {

// The arc entity of a geometric arc: its normal, centre, radius and its angles measured from the
// entity system's X axis of that normal. Null only when allocation fails.
AcDbArc* CreateArc(const AcGeCircArc3d& arc);
// Through a start point, a point on the arc and an end point.
AcDbArc* CreateArc1(AcGePoint3d start, AcGePoint3d onArc, AcGePoint3d end);
// Counter-clockwise about `normal` from `start` to the direction of `end`; the radius is the
// distance of `start` from the centre (the end point gives only the direction).
AcDbArc* CreateArc2(const AcGePoint3d& center, const AcGePoint3d& start, const AcGePoint3d& end,
                    const AcGeVector3d& normal);

}  // namespace NUV
