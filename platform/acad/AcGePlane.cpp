#include "acad/AcGePlane.h"

#include "acad/AcGeMatrix3d.h"

AcGePlane& AcGePlane::set(const AcGePoint3d& origin, const AcGeVector3d& normal) {
    AcGeMatrix3d m = AcGeMatrix3d::planeToWorld(normal);
    origin_ = origin;
    u_ = m.getCsXAxis();
    v_ = m.getCsYAxis();
    normal_ = m.getCsZAxis();
    return *this;
}

AcGePlane& AcGePlane::set(const AcGePoint3d& origin, const AcGeVector3d& uAxis, const AcGeVector3d& vAxis) {
    origin_ = origin;
    u_ = uAxis.normal();
    normal_ = uAxis.crossProduct(vAxis).normal();
    v_ = normal_.crossProduct(u_).normal();
    return *this;
}
