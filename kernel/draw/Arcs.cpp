// Arc entities. The arc is made about the world origin with its angles shifted from the
// geometric arc's reference vector to the entity system's X axis, moved into the arc's plane by
// the entity-to-world matrix, and only then given its centre.
#include "draw/Arcs.h"

#include <new>

#include "draw/Coordinates.h"

namespace NUV {

AcDbArc* CreateArc(const AcGeCircArc3d& arc) {
    AcGeVector3d n = arc.normal();
    AcGeMatrix3d m;
    getEcsToWcsMatrix(n, m);
    AcGePoint3d origin;
    AcGeVector3d xAxis, yAxis, zAxis;
    m.getCoordSystem(origin, xAxis, yAxis, zAxis);

    AcGeVector3d ref = arc.refVec();
    double delta = ref.angleTo(xAxis);
    if (ref.crossProduct(xAxis).normal().isEqualTo(n.normal())) delta = -delta;

    auto* ent = new (std::nothrow) AcDbArc(origin, arc.radius(), arc.startAng() + delta, arc.endAng() + delta);
    if (!ent) return nullptr;
    ent->transformBy(m);
    ent->setCenter(arc.center());
    return ent;
}

AcDbArc* CreateArc1(AcGePoint3d start, AcGePoint3d onArc, AcGePoint3d end) {
    return CreateArc(AcGeCircArc3d(start, onArc, end));
}

AcDbArc* CreateArc2(const AcGePoint3d& center, const AcGePoint3d& start, const AcGePoint3d& end,
                    const AcGeVector3d& normal) {
    AcGeVector3d vs = start - center;
    AcGeVector3d ve = end - center;
    double sweep = vs.angleTo(ve, normal);
    return CreateArc(AcGeCircArc3d(center, normal, vs, vs.length(), 0.0, sweep));
}

}  // namespace NUV
