// Parallel lines and entity crossings. Angles are folded into [0, 2pi] by whole turns and then
// compared modulo pi, so opposite directions count as parallel.
#include "draw/Geometry.h"

#include <cmath>

#include "acad/AcutGeom.h"

namespace NUV {

namespace {

double FoldIntoTurn(double a) {
    constexpr double kTurn = 2.0 * M_PI;
    while (a < 0.0) a += kTurn;
    while (a > kTurn) a -= kTurn;
    return a;
}

double LineAngle(const AcGePoint3d& from, const AcGePoint3d& to) {
    ads_point p = {from.x, from.y, from.z};
    ads_point q = {to.x, to.y, to.z};
    return acutAngle(p, q);
}

// Removes from `points`, for each self-crossing in order, the first point equal to it.
void RemoveSelfCrossings(const AcDbEntity* e, AcGePoint3dArray& points) {
    AcGePoint3dArray self;
    e->intersectWith(e, AcDb::kOnBothOperands, AcGePlane::kXYPlane, self, 0, 0);
    for (int i = 0; i < self.length(); ++i) {
        for (int j = 0; j < points.length(); ++j) {
            if (points[j].isEqualTo(self[i])) {
                points.removeAt(j);
                break;
            }
        }
    }
}

}  // namespace

bool IsLinesPX(AcGePoint3d a1, AcGePoint3d a2, AcGePoint3d b1, AcGePoint3d b2, double tol) {
    double a = FoldIntoTurn(LineAngle(a1, a2));
    double b = FoldIntoTurn(LineAngle(b1, b2));
    double d = std::fabs(std::fmod(a, M_PI) - std::fmod(b, M_PI));
    return d <= tol || std::fabs(d - M_PI) <= tol;
}

int GetEntIntersect(AcDbEntity* e1, AcDbEntity* e2, AcGePoint3dArray& points) {
    if (!e1 || !e2 || !e1->isReadEnabled() || !e2->isReadEnabled()) return 0;
    Acad::ErrorStatus es = e1->intersectWith(e2, AcDb::kOnBothOperands, AcGePlane::kXYPlane, points, 0, 0);
    if (es == Acad::eOk) {
        RemoveSelfCrossings(e1, points);
        RemoveSelfCrossings(e2, points);
    }
    e1->close();
    e2->close();
    return points.length();
}

}  // namespace NUV
