// Orders curves into a chain from a start point: each next curve is the remaining one with an
// end nearest to where the chain has reached, and the chain then continues from that curve's
// other end. Curves are never reversed, copied or changed.
#pragma once

#include "acad/AcArray.h"
#include "acad/AcDb.h"
#include "acad/AcGe.h"

namespace NUV {

// `out` is cleared first and receives the curves of `in` (open, owned by the caller) in chain
// order. Ties go to the curve earlier in `in`, and on one curve to its start point. True when
// every curve is placed; false when a curve cannot give its start or end point.
bool SortCurve(const AcArray<AcDbCurve*>& in, const AcGePoint3d& start, AcArray<AcDbCurve*>& out);
// The same on ids: ids that do not open as curves are left out; the chain's ids are appended to
// `out` (not cleared). Every curve opened here is closed here.
bool SortCurve(const AcDbObjectIdArray& in, const AcGePoint3d& start, AcDbObjectIdArray& out);

}  // namespace NUV
