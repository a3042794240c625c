// Text placement. The reading angles come from the suite's one rule (ZQ::GetRightTopAngles), so
// texts set here agree with every other text the suite sets beside a line.
#include "draw/TextPlacement.h"

#include "ZQCAD/ZQCAD.h"
#include "acad/AcutGeom.h"

namespace NUV {

double GetWzXScale(AcDbObjectId textStyle) {
    constexpr double kDefaultWidthFactor = 0.7;
    AcDbDatabase* db = ZQ::GetCurDWGPtr();
    if (!db) return kDefaultWidthFactor;
    if (textStyle.isNull()) textStyle = db->textstyle();
    AcDbTextStyleTableRecord* style = nullptr;
    if (acdbOpenObject(style, textStyle, AcDb::kForRead) != Acad::eOk) return kDefaultWidthFactor;
    double w = style->xScale();
    style->close();
    return w;
}

int ModifyText(const AcDbCurve* curve, const AcGePoint3d& pt, AcDbText* text, double offset, int outside) {
    if (!curve || !text) return 0;
    AcGePoint3d on;
    curve->getClosestPointTo(pt, on, false);
    AcGeVector3d tangent;
    curve->getFirstDeriv(on, tangent);
    double alpha = tangent.angleOnPlane(AcGePlane::kXYPlane);
    double rotation = 0.0, side = 0.0;
    ZQ::GetRightTopAngles(alpha, rotation, side);

    ads_point p = {on.x, on.y, on.z};
    acutPolar(p, side, outside ? -(text->height() + offset) : offset, p);
    AcGePoint3d at(p[X], p[Y], p[Z]);
    text->setRotation(rotation);
    text->setHorizontalMode(AcDb::kTextCenter);
    text->setVerticalMode(AcDb::kTextBase);
    text->setPosition(at);
    text->setAlignmentPoint(at);
    return 1;
}

}  // namespace NUV
