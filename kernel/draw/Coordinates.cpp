// Coordinate conversions. McsToWcs accumulates each row in the order x, y, z and only then adds
// the origin: callers compare results bit for bit with values computed the same way.
#include "draw/Coordinates.h"

#include <cmath>

#include "acad/AdsTypes.h"

namespace NUV {

namespace {

AcGePoint3d ConvertPoint(const AcGePoint3d& p, bool toWorld) {
    ads_point q = {p.x, p.y, p.z};
    if (toWorld) acdbUcs2Wcs(q, q, 0);
    else acdbWcs2Ucs(q, q, 0);
    return {q[X], q[Y], q[Z]};
}

AcGeVector3d ConvertVector(const AcGeVector3d& v, bool toWorld) {
    ads_point q = {v.x, v.y, v.z};
    if (toWorld) acdbUcs2Wcs(q, q, 1);
    else acdbWcs2Ucs(q, q, 1);
    return {q[X], q[Y], q[Z]};
}

}  // namespace

AcGePoint3d Ucs2Wcs(const AcGePoint3d& pt) { return ConvertPoint(pt, true); }
AcGeVector3d Ucs2Wcs(const AcGeVector3d& vec) { return ConvertVector(vec, true); }
AcGePoint3d Wcs2Ucs(const AcGePoint3d& pt) { return ConvertPoint(pt, false); }
AcGeVector3d Wcs2Ucs(const AcGeVector3d& vec) { return ConvertVector(vec, false); }

void McsToWcs(double (*m)[4], double* in, double* out, int isPoint) {
    out[0] = out[1] = out[2] = 0.0;
    for (int i = 0; i < 3; ++i) {
        out[i] += m[i][0] * in[0];
        out[i] += m[i][1] * in[1];
        out[i] += m[i][2] * in[2];
        if (isPoint) out[i] += m[i][3];
    }
}

void WCsToMcs(double* in, double* out, double (*m)[4]) {
    if (!m) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        return;
    }
    AcGeMatrix3d model;
    model.setCoordSystem(AcGePoint3d(m[0][3], m[1][3], m[2][3]), AcGeVector3d(m[0][0], m[1][0], m[2][0]),
                         AcGeVector3d(m[0][1], m[1][1], m[2][1]), AcGeVector3d(m[0][2], m[1][2], m[2][2]));
    AcGeMatrix3d inv = model.inverse();
    AcGePoint3d o;
    AcGeVector3d ax, ay, az;
    inv.getCoordSystem(o, ax, ay, az);
    double im[4][4] = {{ax.x, ay.x, az.x, o.x}, {ax.y, ay.y, az.y, o.y}, {ax.z, ay.z, az.z, o.z}, {0, 0, 0, 1}};
    McsToWcs(im, in, out, 1);
}

void getEcsToWcsMatrix(const AcGeVector3d& normal, AcGeMatrix3d& out) {
    if (normal.isEqualTo(AcGeVector3d::kZAxis)) {
        out.setToIdentity();
        return;
    }
    constexpr double kArbitraryAxisBound = 1.0 / 64.0;
    const AcGeVector3d& helper = (std::fabs(normal.x) < kArbitraryAxisBound && std::fabs(normal.y) < kArbitraryAxisBound)
                                     ? AcGeVector3d::kYAxis
                                     : AcGeVector3d::kZAxis;
    AcGeVector3d ax = helper.crossProduct(normal).normal();
    AcGeVector3d ay = normal.crossProduct(ax).normal();
    out.setCoordSystem(AcGePoint3d::kOrigin, ax, ay, normal);
}

int GetWcsPtOfBlock(AcDbObjectId blockRef, AcGePoint3d ptInBlock, AcGePoint3d& out) {
    AcDbBlockReference* ref = nullptr;
    if (acdbOpenObject(ref, blockRef, AcDb::kForRead) != Acad::eOk) return 0;
    AcGeMatrix3d xform = ref->blockTransform();
    double in[3] = {ptInBlock.x, ptInBlock.y, ptInBlock.z};
    double tmp[3];
    McsToWcs(xform.entry, in, tmp, 1);
    out.set(tmp[0], tmp[1], tmp[2]);
    ref->close();
    return 1;
}

}  // namespace NUV
