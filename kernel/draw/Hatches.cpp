// The hatch builder: straight boundary segments only (every bulge 0).
#include "draw/Hatches.h"

#include <new>

namespace NUV {

AcDbHatch* CreateHatch(const AcGePoint2dArray& points, const char* pattern) {
    auto* hatch = new (std::nothrow) AcDbHatch;
    if (!hatch) return nullptr;
    hatch->setPattern(AcDbHatch::kPreDefined, pattern);
    hatch->setHatchStyle(AcDbHatch::kNormal);
    AcGeDoubleArray bulges;
    for (int i = 0; i < points.length(); ++i) bulges.append(0.0);
    hatch->appendLoop(AcDbHatch::kExternal, points, bulges);
    hatch->evaluateHatch(false);
    return hatch;
}

}  // namespace NUV
