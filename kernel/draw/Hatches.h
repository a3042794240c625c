// A hatch of a predefined pattern inside one boundary of straight segments.
#pragma once

#include "acad/AcDb.h"
#include "acad/AcGe.h"

namespace NUV {

// A new hatch (in no database, owned by the caller): predefined pattern `pattern`, normal
// style, one external loop through `points` (closed back to the first), not associative, with
// the default scale, angle, elevation and normal, evaluated. Null only when allocation fails.
AcDbHatch* CreateHatch(const AcGePoint2dArray& points, const char* pattern);

}  // namespace NUV
