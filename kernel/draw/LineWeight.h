// Line widths in millimetres (the suite's unit at every interface) to the drawing's line
// weights (hundredths of a millimetre, or -1 by layer, -2 by block, -3 default).
#pragma once

#include "acad/AcDbCore.h"

namespace NUV {

// A negative width near -1 or -2 (within 0.001) is by layer or by block, any other negative
// width the default; zero or more takes the weight of the first bound of the table that
// width x 100 lies strictly below, 211 past the last.
AcDb::LineWeight ConverLineWeight(double mm);

}  // namespace NUV
