// Lightweight polylines drawn straight into model space of the working drawing.
#pragma once

#include "acad/AcDb.h"
#include "acad/AcGe.h"

namespace NUV {

// A polyline through the points (z dropped) with constant width `width`, colour index `color`,
// linetype `linetype` (null: the default; a linetype the drawing lacks is loaded from the default
// linetype file with the host's Linetype command) at scale `linetypeScale`, appended to model
// space; `id` receives its id. With `closed` set a closing vertex equal to the first point is
// added unless the last point lies within 0.01 of it (the closed flag itself stays off). 1 done;
// 0 failed, with a message on the command line.
int CreatePline(AcGePoint3dArray points, AcDbObjectId& id, int closed, const char* linetype, double linetypeScale,
                double width, short color);

}  // namespace NUV
