#include "acad/AcDbCurve.h"

#include <cmath>

#include "acad/AcDbDatabase.h"
#include "acad/DbInternal.h"

using NUVAcad::DxfIn;
using NUVAcad::DxfOut;
using NUVAcad::DxfTag;

namespace {
constexpr double kRadToDeg = 180.0 / M_PI;
constexpr double kDegToRad = M_PI / 180.0;

bool isWorldZ(const AcGeVector3d& n) { return n.isEqualTo(AcGeVector3d::kZAxis); }

double normAngle(double a) {
    a = std::fmod(a, 2 * M_PI);
    return a < 0 ? a + 2 * M_PI : a;
}

// Angle of a world point about a centre, in the entity coordinate system of the normal.
double ecsAngle(const AcGePoint3d& p, const AcGePoint3d& c, const AcGeVector3d& n) {
    AcGeVector3d v = p - c;
    v.transformBy(CurveMath::ecsToWorld(n).inverse());
    return normAngle(std::atan2(v.y, v.x));
}

// Uniform scale of a matrix (length of the transformed X axis).
double matrixScale(const AcGeMatrix3d& m) {
    return AcGeVector3d(m.entry[0][0], m.entry[1][0], m.entry[2][0]).length();
}

}  // namespace

namespace NUVAcad {
AcGePoint3d wcsToOcs(const AcGePoint3d& p, const AcGeVector3d& n) {
    if (isWorldZ(n)) return p;
    return AcGePoint3d(p).transformBy(CurveMath::ecsToWorld(n).inverse());
}
AcGePoint3d ocsToWcs(const AcGePoint3d& p, const AcGeVector3d& n) {
    if (isWorldZ(n)) return p;
    return AcGePoint3d(p).transformBy(CurveMath::ecsToWorld(n));
}
}  // namespace NUVAcad

using NUVAcad::ocsToWcs;
using NUVAcad::wcsToOcs;

// ---- Generic curve queries ----

#define NUV_SHAPE_OR_FAIL                           \
    CurveMath::Shape shape;                         \
    if (!curveShape(shape)) return Acad::eDegenerateGeometry

Acad::ErrorStatus AcDbCurve::getStartParam(double& param) const {
    NUV_SHAPE_OR_FAIL;
    param = CurveMath::startParam(shape);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbCurve::getEndParam(double& param) const {
    NUV_SHAPE_OR_FAIL;
    param = CurveMath::endParam(shape);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbCurve::getStartPoint(AcGePoint3d& point) const {
    NUV_SHAPE_OR_FAIL;
    point = CurveMath::startPoint(shape);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbCurve::getEndPoint(AcGePoint3d& point) const {
    NUV_SHAPE_OR_FAIL;
    point = CurveMath::endPoint(shape);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbCurve::getPointAtParam(double param, AcGePoint3d& point) const {
    NUV_SHAPE_OR_FAIL;
    return CurveMath::pointAtParam(shape, param, point) ? Acad::eOk : Acad::eInvalidInput;
}
Acad::ErrorStatus AcDbCurve::getParamAtPoint(const AcGePoint3d& point, double& param) const {
    NUV_SHAPE_OR_FAIL;
    return CurveMath::paramAtPoint(shape, point, param) ? Acad::eOk : Acad::eInvalidInput;
}
Acad::ErrorStatus AcDbCurve::getDistAtParam(double param, double& dist) const {
    NUV_SHAPE_OR_FAIL;
    return CurveMath::distAtParam(shape, param, dist) ? Acad::eOk : Acad::eInvalidInput;
}
Acad::ErrorStatus AcDbCurve::getParamAtDist(double dist, double& param) const {
    NUV_SHAPE_OR_FAIL;
    return CurveMath::paramAtDist(shape, dist, param) ? Acad::eOk : Acad::eInvalidInput;
}
Acad::ErrorStatus AcDbCurve::getDistAtPoint(const AcGePoint3d& point, double& dist) const {
    NUV_SHAPE_OR_FAIL;
    return CurveMath::distAtPoint(shape, point, dist) ? Acad::eOk : Acad::eInvalidInput;
}
Acad::ErrorStatus AcDbCurve::getPointAtDist(double dist, AcGePoint3d& point) const {
    NUV_SHAPE_OR_FAIL;
    return CurveMath::pointAtDist(shape, dist, point) ? Acad::eOk : Acad::eInvalidInput;
}
Acad::ErrorStatus AcDbCurve::getFirstDeriv(double param, AcGeVector3d& deriv) const {
    NUV_SHAPE_OR_FAIL;
    return CurveMath::firstDeriv(shape, param, deriv) ? Acad::eOk : Acad::eInvalidInput;
}
Acad::ErrorStatus AcDbCurve::getFirstDeriv(const AcGePoint3d& point, AcGeVector3d& deriv) const {
    NUV_SHAPE_OR_FAIL;
    return CurveMath::firstDerivAtPoint(shape, point, deriv) ? Acad::eOk : Acad::eInvalidInput;
}
Acad::ErrorStatus AcDbCurve::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& onCurve, bool extend) const {
    NUV_SHAPE_OR_FAIL;
    onCurve = CurveMath::closestPoint(shape, given, extend);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getArea(double& area) const {
    NUV_SHAPE_OR_FAIL;
    // Shoelace over a fine sampling of the closed outline, in the curve's own plane.
    double a = CurveMath::startParam(shape), b = CurveMath::endParam(shape);
    const int n = 2048;
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    if (auto* c = std::get_if<CurveMath::Circle>(&shape)) normal = c->normal;
    if (auto* c = std::get_if<CurveMath::Arc>(&shape)) normal = c->normal;
    if (auto* c = std::get_if<CurveMath::Polyline>(&shape)) normal = c->normal;
    AcGeMatrix3d toPlane = CurveMath::ecsToWorld(normal).inverse();
    double sum = 0;
    AcGePoint3d prev;
    CurveMath::pointAtParam(shape, a, prev);
    prev.transformBy(toPlane);
    AcGePoint3d first = prev;
    for (int k = 1; k <= n + 1; ++k) {
        AcGePoint3d p = first;
        if (k <= n) {
            CurveMath::pointAtParam(shape, a + (b - a) * k / n, p);
            p.transformBy(toPlane);
        }
        sum += prev.x * p.y - p.x * prev.y;
        prev = p;
    }
    area = std::fabs(sum) / 2;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::intersectWith(const AcDbEntity* other, AcDb::Intersect type, AcGePoint3dArray& points,
                                           intptr_t, intptr_t) const {
    auto* curve = AcDbCurve::cast(other);
    if (!curve) return Acad::eNotApplicable;
    CurveMath::Shape a, b;
    if (!curveShape(a) || !curve->curveShape(b)) return Acad::eDegenerateGeometry;
    if (other == this) {
        if (auto* pl = std::get_if<CurveMath::Polyline>(&a)) CurveMath::selfIntersections(*pl, points);
        return Acad::eOk;
    }
    CurveMath::intersectWith(a, b, static_cast<CurveMath::ExtendMode>(type), points);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::intersectWith(const AcDbEntity* other, AcDb::Intersect type, const AcGePlane&,
                                           AcGePoint3dArray& points, intptr_t a, intptr_t b) const {
    return intersectWith(other, type, points, a, b);
}

Acad::ErrorStatus AcDbCurve::getGeomExtents(AcDbExtents& extents) const {
    NUV_SHAPE_OR_FAIL;
    AcGePoint3d lo, hi;
    if (!CurveMath::extents(shape, lo, hi)) return Acad::eInvalidExtents;
    extents = AcDbExtents(lo, hi);
    return Acad::eOk;
}

// ---- Line ----

Acad::ErrorStatus AcDbLine::setStartPoint(const AcGePoint3d& p) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    start_ = p;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::setEndPoint(const AcGePoint3d& p) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    end_ = p;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::setThickness(double t) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    thickness_ = t;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::setNormal(const AcGeVector3d& n) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (n.isZeroLength()) return Acad::eInvalidInput;
    normal_ = n.normal();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::transformBy(const AcGeMatrix3d& m) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    start_.transformBy(m);
    end_.transformBy(m);
    AcGeVector3d n = normal_;
    n.transformBy(m);
    double len = n.length();
    if (len > 0) {
        thickness_ *= len;
        normal_ = n / len;
    }
    return Acad::eOk;
}

bool AcDbLine::curveShape(CurveMath::Shape& shape) const {
    shape = CurveMath::Line{start_, end_};
    return true;
}

void AcDbLine::dxfOutFields(DxfOut& out) const {
    AcDbCurve::dxfOutFields(out);
    out.subclass("AcDbLine");
    if (thickness_ != 0) out.real(39, thickness_);
    out.point(10, start_);
    out.point(11, end_);
    if (!isWorldZ(normal_)) out.vec(210, normal_);
}

Acad::ErrorStatus AcDbLine::dxfInFields(DxfIn& in) {
    AcDbCurve::dxfInFields(in);
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 39: thickness_ = t.real(); break;
        case 10: start_ = t.point(); break;
        case 11: end_ = t.point(); break;
        case 210:
            if (!t.vector().isZeroLength()) normal_ = t.vector().normal();
            break;
        default: break;
        }
    }
    return Acad::eOk;
}

// ---- Circle ----

Acad::ErrorStatus AcDbCircle::setCenter(const AcGePoint3d& c) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    center_ = c;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::setRadius(double r) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!(r > 0)) return Acad::eInvalidInput;
    radius_ = r;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::setNormal(const AcGeVector3d& n) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (n.isZeroLength()) return Acad::eInvalidInput;
    normal_ = n.normal();
    return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::setThickness(double t) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    thickness_ = t;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::transformBy(const AcGeMatrix3d& m) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!m.isUniScaledOrtho()) return Acad::eCannotScaleNonUniformly;
    center_.transformBy(m);
    radius_ *= matrixScale(m);
    AcGeVector3d n = normal_;
    n.transformBy(m);
    normal_ = n.normal();
    return Acad::eOk;
}

bool AcDbCircle::curveShape(CurveMath::Shape& shape) const {
    shape = CurveMath::Circle{center_, radius_, normal_};
    return true;
}

void AcDbCircle::dxfOutFields(DxfOut& out) const {
    AcDbCurve::dxfOutFields(out);
    out.subclass("AcDbCircle");
    if (thickness_ != 0) out.real(39, thickness_);
    out.point(10, wcsToOcs(center_, normal_));
    out.real(40, radius_);
    if (!isWorldZ(normal_)) out.vec(210, normal_);
}

Acad::ErrorStatus AcDbCircle::dxfInFields(DxfIn& in) {
    AcDbCurve::dxfInFields(in);
    AcGePoint3d c;
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 39: thickness_ = t.real(); break;
        case 10: c = t.point(); break;
        case 40: radius_ = t.real(); break;
        case 210:
            if (!t.vector().isZeroLength()) normal_ = t.vector().normal();
            break;
        default: break;
        }
    }
    center_ = ocsToWcs(c, normal_);
    return Acad::eOk;
}

// ---- Arc ----

Acad::ErrorStatus AcDbArc::setCenter(const AcGePoint3d& c) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    center_ = c;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setRadius(double r) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!(r > 0)) return Acad::eInvalidInput;
    radius_ = r;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setStartAngle(double a) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    start_ = a;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setEndAngle(double a) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    end_ = a;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setNormal(const AcGeVector3d& n) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (n.isZeroLength()) return Acad::eInvalidInput;
    normal_ = n.normal();
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setThickness(double t) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    thickness_ = t;
    return Acad::eOk;
}
double AcDbArc::totalAngle() const {
    CurveMath::Arc a{center_, radius_, normal_, start_, end_};
    return CurveMath::arcSweep(a);
}

Acad::ErrorStatus AcDbArc::setFromGeArc(const AcGeCircArc3d& arc) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    CurveMath::Arc a = CurveMath::arcFromGeArc(arc);
    center_ = a.center;
    radius_ = a.radius;
    normal_ = a.normal;
    start_ = a.startAngle;
    end_ = a.endAngle;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::transformBy(const AcGeMatrix3d& m) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!m.isUniScaledOrtho()) return Acad::eCannotScaleNonUniformly;
    CurveMath::Arc a{center_, radius_, normal_, start_, end_};
    AcGePoint3d sp = CurveMath::startPoint(a).transformBy(m);
    AcGePoint3d ep = CurveMath::endPoint(a).transformBy(m);
    center_.transformBy(m);
    radius_ *= matrixScale(m);
    AcGeVector3d n = normal_;
    n.transformBy(m);
    normal_ = n.normal();
    if (m.det() < 0) std::swap(sp, ep);  // a mirror turns the arc's direction
    start_ = ecsAngle(sp, center_, normal_);
    end_ = ecsAngle(ep, center_, normal_);
    return Acad::eOk;
}

bool AcDbArc::curveShape(CurveMath::Shape& shape) const {
    shape = CurveMath::Arc{center_, radius_, normal_, start_, end_};
    return true;
}

void AcDbArc::dxfOutFields(DxfOut& out) const {
    AcDbCurve::dxfOutFields(out);
    out.subclass("AcDbCircle");
    if (thickness_ != 0) out.real(39, thickness_);
    out.point(10, wcsToOcs(center_, normal_));
    out.real(40, radius_);
    if (!isWorldZ(normal_)) out.vec(210, normal_);
    out.subclass("AcDbArc");
    out.real(50, start_ * kRadToDeg);
    out.real(51, end_ * kRadToDeg);
}

Acad::ErrorStatus AcDbArc::dxfInFields(DxfIn& in) {
    AcDbCurve::dxfInFields(in);
    AcGePoint3d c;
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 39: thickness_ = t.real(); break;
        case 10: c = t.point(); break;
        case 40: radius_ = t.real(); break;
        case 50: start_ = t.real() * kDegToRad; break;
        case 51: end_ = t.real() * kDegToRad; break;
        case 210:
            if (!t.vector().isZeroLength()) normal_ = t.vector().normal();
            break;
        default: break;
        }
    }
    center_ = ocsToWcs(c, normal_);
    return Acad::eOk;
}

// ---- Lightweight polyline ----

Acad::ErrorStatus AcDbPolyline::addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge, double startWidth,
                                            double endWidth) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (index > points_.size()) return Acad::eInvalidIndex;
    long i = static_cast<long>(index);
    points_.insert(points_.begin() + i, pt);
    bulges_.insert(bulges_.begin() + i, bulge);
    startWidths_.insert(startWidths_.begin() + i, startWidth < 0 ? constantWidth_ : startWidth);
    endWidths_.insert(endWidths_.begin() + i, endWidth < 0 ? constantWidth_ : endWidth);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::removeVertexAt(unsigned int index) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (index >= points_.size()) return Acad::eInvalidIndex;
    long i = static_cast<long>(index);
    points_.erase(points_.begin() + i);
    bulges_.erase(bulges_.begin() + i);
    startWidths_.erase(startWidths_.begin() + i);
    endWidths_.erase(endWidths_.begin() + i);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint2d& pt) const {
    if (index >= points_.size()) return Acad::eInvalidIndex;
    pt = points_[index];
    return Acad::eOk;
}
Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint3d& pt) const {
    if (index >= points_.size()) return Acad::eInvalidIndex;
    pt = ocsToWcs(AcGePoint3d(points_[index].x, points_[index].y, elevation_), normal_);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbPolyline::setPointAt(unsigned int index, const AcGePoint2d& pt) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (index >= points_.size()) return Acad::eInvalidIndex;
    points_[index] = pt;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbPolyline::getBulgeAt(unsigned int index, double& bulge) const {
    if (index >= points_.size()) return Acad::eInvalidIndex;
    bulge = bulges_[index];
    return Acad::eOk;
}
Acad::ErrorStatus AcDbPolyline::setBulgeAt(unsigned int index, double bulge) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (index >= points_.size()) return Acad::eInvalidIndex;
    bulges_[index] = bulge;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbPolyline::getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const {
    if (index >= points_.size()) return Acad::eInvalidIndex;
    startWidth = startWidths_[index];
    endWidth = endWidths_[index];
    return Acad::eOk;
}
Acad::ErrorStatus AcDbPolyline::setWidthsAt(unsigned int index, double startWidth, double endWidth) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (index >= points_.size()) return Acad::eInvalidIndex;
    if (startWidth < 0 || endWidth < 0) return Acad::eInvalidInput;
    startWidths_[index] = startWidth;
    endWidths_[index] = endWidth;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getConstantWidth(double& width) const {
    double w = points_.empty() ? constantWidth_ : startWidths_[0];
    for (size_t k = 0; k < points_.size(); ++k)
        if (startWidths_[k] != w || endWidths_[k] != w) return Acad::eNotApplicable;
    width = w;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setConstantWidth(double width) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (width < 0) return Acad::eInvalidInput;
    constantWidth_ = width;
    std::fill(startWidths_.begin(), startWidths_.end(), width);
    std::fill(endWidths_.begin(), endWidths_.end(), width);
    return Acad::eOk;
}

void AcDbPolyline::setClosed(bool closed) {
    if (isWriteEnabled()) closed_ = closed;
}
void AcDbPolyline::setElevation(double e) {
    if (isWriteEnabled()) elevation_ = e;
}
void AcDbPolyline::setNormal(const AcGeVector3d& n) {
    if (isWriteEnabled() && !n.isZeroLength()) normal_ = n.normal();
}
Acad::ErrorStatus AcDbPolyline::setThickness(double t) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    thickness_ = t;
    return Acad::eOk;
}
bool AcDbPolyline::isOnlyLines() const {
    for (double b : bulges_)
        if (b != 0) return false;
    return true;
}
void AcDbPolyline::reset(bool reuse, unsigned int numVerts) {
    if (!isWriteEnabled()) return;
    size_t n = reuse ? std::min<size_t>(numVerts, points_.size()) : 0;
    points_.resize(n);
    bulges_.resize(n);
    startWidths_.resize(n);
    endWidths_.resize(n);
}

Acad::ErrorStatus AcDbPolyline::transformBy(const AcGeMatrix3d& m) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!m.isUniScaledOrtho()) return Acad::eCannotScaleNonUniformly;
    AcGeVector3d n = normal_;
    n.transformBy(m);
    AcGeVector3d newNormal = n.normal();
    std::vector<AcGePoint3d> world;
    for (const AcGePoint2d& p : points_) world.push_back(ocsToWcs(AcGePoint3d(p.x, p.y, elevation_), normal_).transformBy(m));
    AcGePoint3d origin = ocsToWcs(AcGePoint3d(0, 0, elevation_), normal_).transformBy(m);
    normal_ = newNormal;
    double scale = matrixScale(m);
    for (size_t k = 0; k < world.size(); ++k) {
        AcGePoint3d q = wcsToOcs(world[k], normal_);
        points_[k].set(q.x, q.y);
    }
    elevation_ = wcsToOcs(origin, normal_).z;
    if (m.det() < 0)
        for (double& b : bulges_) b = -b;
    for (double& w : startWidths_) w *= scale;
    for (double& w : endWidths_) w *= scale;
    constantWidth_ *= scale;
    thickness_ *= scale;
    return Acad::eOk;
}

bool AcDbPolyline::curveShape(CurveMath::Shape& shape) const {
    if (points_.empty()) return false;
    CurveMath::Polyline pl;
    pl.points = std::span<const AcGePoint2d>(points_);
    pl.bulges = std::span<const double>(bulges_);
    pl.closed = closed_;
    pl.elevation = elevation_;
    pl.normal = normal_;
    shape = pl;
    return true;
}

void AcDbPolyline::dxfOutFields(DxfOut& out) const {
    AcDbCurve::dxfOutFields(out);
    out.subclass("AcDbPolyline");
    out.i(90, static_cast<int64_t>(points_.size()));
    out.i(70, (closed_ ? 1 : 0) | (plinegen_ ? 128 : 0));
    double cw = 0;
    bool constant = getConstantWidth(cw) == Acad::eOk;
    if (constant) out.real(43, cw);
    if (elevation_ != 0) out.real(38, elevation_);
    if (thickness_ != 0) out.real(39, thickness_);
    for (size_t k = 0; k < points_.size(); ++k) {
        out.point2d(10, points_[k].x, points_[k].y);
        if (!constant) {
            out.real(40, startWidths_[k]);
            out.real(41, endWidths_[k]);
        }
        if (bulges_[k] != 0) out.real(42, bulges_[k]);
    }
    if (!isWorldZ(normal_)) out.vec(210, normal_);
}

Acad::ErrorStatus AcDbPolyline::dxfInFields(DxfIn& in) {
    AcDbCurve::dxfInFields(in);
    points_.clear();
    bulges_.clear();
    startWidths_.clear();
    endWidths_.clear();
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 70:
            closed_ = (t.i & 1) != 0;
            plinegen_ = (t.i & 128) != 0;
            break;
        case 43: constantWidth_ = t.real(); break;
        case 38: elevation_ = t.real(); break;
        case 39: thickness_ = t.real(); break;
        case 10:
            points_.emplace_back(t.v[0], t.v[1]);
            bulges_.push_back(0);
            startWidths_.push_back(constantWidth_);
            endWidths_.push_back(constantWidth_);
            break;
        case 40:
            if (!points_.empty()) startWidths_.back() = t.real();
            break;
        case 41:
            if (!points_.empty()) endWidths_.back() = t.real();
            break;
        case 42:
            if (!points_.empty()) bulges_.back() = t.real();
            break;
        case 210:
            if (!t.vector().isZeroLength()) normal_ = t.vector().normal();
            break;
        default: break;
        }
    }
    return Acad::eOk;
}
