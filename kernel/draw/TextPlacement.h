// Texts beside curves: a text style's width factor, and a text turned to read along a curve
// without ever reading upside down.
#pragma once

#include "acad/AcDb.h"
#include "acad/AcGe.h"

namespace NUV {

// The width factor of a text style (the current drawing's current style for the null id); 0.7
// when there is no current drawing or the style cannot be read.
double GetWzXScale(AcDbObjectId textStyle);

// Sets the text (open for write) beside the curve at the point nearest `pt`: rotated to read
// along the curve, centred on its baseline, `offset` away on the side the text's top faces
// (outside = 0), or height + offset away on the other side. The text is neither closed nor
// appended. 1, or 0 for a null curve or text (nothing changes).
int ModifyText(const AcDbCurve* curve, const AcGePoint3d& pt, AcDbText* text, double offset, int outside);

}  // namespace NUV
