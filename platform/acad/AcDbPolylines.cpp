#include "acad/AcDbPolylines.h"

#include <algorithm>
#include <cmath>

#include "acad/AcDbDatabase.h"
#include "acad/DbInternal.h"

using NUVAcad::DbAccess;
using NUVAcad::DxfIn;
using NUVAcad::DxfOut;
using NUVAcad::DxfTag;
using NUVAcad::SubentList;

#define NUV_WRITE_CHECK \
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es

AcDbObjectIterator::AcDbObjectIterator(const SubentList& list) : items_(list.items()) {}
AcDbObjectId AcDbObjectIterator::objectId() const {
    AcDbEntity* e = entity();
    return e ? e->objectId() : AcDbObjectId();
}

namespace {
void eraseAll(const SubentList& list, bool erasing) { list.setErased(erasing); }
void extentsOf(const SubentList& list, AcDbExtents& e) {
    for (AcDbEntity* v : list.items())
        if (auto* vx = AcDbVertex::cast(v); vx && !AcDbFaceRecord::cast(v)) e.addPoint(vx->position());
}
void transformAll(const SubentList& list, const AcGeMatrix3d& m) {
    list.forEachForWrite([&](AcDbEntity* v) {
        if (auto* vx = AcDbVertex::cast(v)) vx->transformBy(m);
    });
}
}  // namespace

// ---- Vertices ----

Acad::ErrorStatus AcDbVertex::setPosition(const AcGePoint3d& p) { NUV_WRITE_CHECK; position_ = p; return Acad::eOk; }
Acad::ErrorStatus AcDbVertex::transformBy(const AcGeMatrix3d& m) { NUV_WRITE_CHECK; position_.transformBy(m); return Acad::eOk; }
Acad::ErrorStatus AcDbVertex::getGeomExtents(AcDbExtents& e) const { e = AcDbExtents(position_, position_); return Acad::eOk; }

Acad::ErrorStatus AcDb2dVertex::setBulge(double b) { NUV_WRITE_CHECK; bulge_ = b; return Acad::eOk; }
Acad::ErrorStatus AcDb2dVertex::setStartWidth(double w) { NUV_WRITE_CHECK; startWidth_ = w; return Acad::eOk; }
Acad::ErrorStatus AcDb2dVertex::setEndWidth(double w) { NUV_WRITE_CHECK; endWidth_ = w; return Acad::eOk; }
AcDb::Vertex2dType AcDb2dVertex::vertexType() const {
    if (flags_ & 16) return AcDb::k2dSplineCtlVertex;
    if (flags_ & 8) return AcDb::k2dSplineFitVertex;
    if (flags_ & 1) return AcDb::k2dCurveFitVertex;
    return AcDb::k2dVertex;
}

void AcDb2dVertex::dxfOutFields(DxfOut& out) const {
    AcDbEntity::dxfOutFields(out);
    out.subclass("AcDbVertex");
    out.subclass("AcDb2dVertex");
    out.point(10, position_);
    if (startWidth_ != 0) out.real(40, startWidth_);
    if (endWidth_ != 0) out.real(41, endWidth_);
    if (bulge_ != 0) out.real(42, bulge_);
    out.i(70, flags_);
}
Acad::ErrorStatus AcDb2dVertex::dxfInFields(DxfIn& in) {
    AcDbEntity::dxfInFields(in);
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 10: position_ = t.point(); break;
        case 40: startWidth_ = t.real(); break;
        case 41: endWidth_ = t.real(); break;
        case 42: bulge_ = t.real(); break;
        case 70: flags_ = static_cast<int>(t.i); break;
        default: break;
        }
    }
    return Acad::eOk;
}

// A vertex of a polygon mesh (flag 64) is stored here too and keeps its flags.
void AcDb3dPolylineVertex::dxfOutFields(DxfOut& out) const {
    AcDbEntity::dxfOutFields(out);
    out.subclass("AcDbVertex");
    bool mesh = (flags_ & 64) != 0;
    out.subclass(mesh ? "AcDbPolygonMeshVertex" : "AcDb3dPolylineVertex");
    out.point(10, position_);
    out.i(70, mesh ? flags_ : flags_ | 32);
}
Acad::ErrorStatus AcDb3dPolylineVertex::dxfInFields(DxfIn& in) {
    AcDbEntity::dxfInFields(in);
    for (const DxfTag& t : in.rest()) {
        if (t.code == 10) position_ = t.point();
        else if (t.code == 70) flags_ = static_cast<int>(t.i) & 64 ? static_cast<int>(t.i) : static_cast<int>(t.i) & ~32;
    }
    return Acad::eOk;
}

void AcDbPolyFaceMeshVertex::dxfOutFields(DxfOut& out) const {
    AcDbEntity::dxfOutFields(out);
    out.subclass("AcDbVertex");
    out.subclass("AcDbPolyFaceMeshVertex");
    out.point(10, position_);
    out.i(70, 192);
}
Acad::ErrorStatus AcDbPolyFaceMeshVertex::dxfInFields(DxfIn& in) {
    AcDbEntity::dxfInFields(in);
    for (const DxfTag& t : in.rest())
        if (t.code == 10) position_ = t.point();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbFaceRecord::getVertexAt(int faceIndex, short& vtxIndex) const {
    if (faceIndex < 0 || faceIndex > 3) return Acad::eInvalidIndex;
    vtxIndex = static_cast<short>(std::abs(vtx_[faceIndex]));
    return Acad::eOk;
}
Acad::ErrorStatus AcDbFaceRecord::setVertexAt(int faceIndex, short vtxIndex) {
    NUV_WRITE_CHECK;
    if (faceIndex < 0 || faceIndex > 3) return Acad::eInvalidIndex;
    bool hidden = vtx_[faceIndex] < 0;
    vtx_[faceIndex] = static_cast<short>(hidden && vtxIndex > 0 ? -vtxIndex : vtxIndex);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbFaceRecord::isEdgeVisibleAt(int faceIndex, bool& visible) const {
    if (faceIndex < 0 || faceIndex > 3) return Acad::eInvalidIndex;
    visible = vtx_[faceIndex] >= 0;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbFaceRecord::makeEdgeVisibleAt(int faceIndex) {
    NUV_WRITE_CHECK;
    if (faceIndex < 0 || faceIndex > 3) return Acad::eInvalidIndex;
    vtx_[faceIndex] = static_cast<short>(std::abs(vtx_[faceIndex]));
    return Acad::eOk;
}
Acad::ErrorStatus AcDbFaceRecord::makeEdgeInvisibleAt(int faceIndex) {
    NUV_WRITE_CHECK;
    if (faceIndex < 0 || faceIndex > 3) return Acad::eInvalidIndex;
    vtx_[faceIndex] = static_cast<short>(-std::abs(vtx_[faceIndex]));
    return Acad::eOk;
}
void AcDbFaceRecord::dxfOutFields(DxfOut& out) const {
    AcDbEntity::dxfOutFields(out);
    out.subclass("AcDbFaceRecord");
    out.point(10, AcGePoint3d());
    out.i(70, 128);
    for (int k = 0; k < 4; ++k)
        if (vtx_[k] != 0) out.i(71 + k, vtx_[k]);
}
Acad::ErrorStatus AcDbFaceRecord::dxfInFields(DxfIn& in) {
    AcDbEntity::dxfInFields(in);
    for (const DxfTag& t : in.rest())
        if (t.code >= 71 && t.code <= 74) vtx_[t.code - 71] = static_cast<short>(t.i);
    return Acad::eOk;
}

// ---- 2-D polyline ----

AcDb2dPolyline::AcDb2dPolyline(AcDb::Poly2dType type, const AcGePoint3dArray& vertices, double elevation, bool closed,
                               double defStartWidth, double defEndWidth, const AcGeDoubleArray* bulges)
    : type_(type), flags_(closed ? 1 : 0), elevation_(elevation), startWidth_(defStartWidth), endWidth_(defEndWidth) {
    for (int k = 0; k < vertices.length(); ++k) {
        AcGePoint3d p = vertices[k];
        p.z = elevation;
        double b = bulges && k < bulges->length() ? (*bulges)[k] : 0.0;
        AcDbObjectId id;
        subs_.append(this, new AcDb2dVertex(p, b, defStartWidth, defEndWidth), id);
    }
}

Acad::ErrorStatus AcDb2dPolyline::appendVertex(AcDb2dVertex* v) { AcDbObjectId id; return appendVertex(id, v); }
Acad::ErrorStatus AcDb2dPolyline::appendVertex(AcDbObjectId& id, AcDb2dVertex* v) { return subs_.append(this, v, id); }
Acad::ErrorStatus AcDb2dPolyline::makeClosed() { NUV_WRITE_CHECK; flags_ |= 1; return Acad::eOk; }
Acad::ErrorStatus AcDb2dPolyline::makeOpen() { NUV_WRITE_CHECK; flags_ &= ~1; return Acad::eOk; }
Acad::ErrorStatus AcDb2dPolyline::setElevation(double e) { NUV_WRITE_CHECK; elevation_ = e; return Acad::eOk; }

Acad::ErrorStatus AcDb2dPolyline::constantWidth(double& w) const {
    auto items = subs_.items();
    if (items.empty()) {
        w = startWidth_;
        return Acad::eOk;
    }
    auto* first = AcDb2dVertex::cast(items[0]);
    double c = first ? first->startWidth() : 0;
    for (AcDbEntity* e : items)
        if (auto* v = AcDb2dVertex::cast(e); v && (v->startWidth() != c || v->endWidth() != c)) return Acad::eNotApplicable;
    w = c;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::setConstantWidth(double w) {
    NUV_WRITE_CHECK;
    startWidth_ = endWidth_ = w;
    for (AcDbEntity* e : subs_.items())
        if (auto* v = AcDb2dVertex::cast(e)) {
            bool openedHere = v->isDatabaseResident() && !v->isWriteEnabled() && DbAccess::open(v, AcDb::kForWrite) == Acad::eOk;
            v->setStartWidth(w);
            v->setEndWidth(w);
            if (openedHere) v->close();
        }
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::transformBy(const AcGeMatrix3d& m) {
    NUV_WRITE_CHECK;
    transformAll(subs_, m);
    AcGeVector3d n = normal_;
    n.transformBy(m);
    normal_ = n.normal();
    auto items = subs_.items();
    if (!items.empty())
        if (auto* v = AcDbVertex::cast(items[0])) elevation_ = v->position().z;
    if (m.det() < 0)
        for (AcDbEntity* e : items)
            if (auto* v = AcDb2dVertex::cast(e)) {
                bool openedHere = v->isDatabaseResident() && !v->isWriteEnabled() && DbAccess::open(v, AcDb::kForWrite) == Acad::eOk;
                v->setBulge(-v->bulge());
                if (openedHere) v->close();
            }
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::getGeomExtents(AcDbExtents& extents) const {
    AcDbExtents e;
    CurveMath::Shape s;
    if (curveShape(s)) return AcDbCurve::getGeomExtents(extents);
    extentsOf(subs_, e);
    if (!e.isValid()) return Acad::eInvalidExtents;
    extents = e;
    return Acad::eOk;
}

bool AcDb2dPolyline::curveShape(CurveMath::Shape& shape) const {
    cachePoints_.clear();
    cacheBulges_.clear();
    for (AcDbEntity* e : subs_.items())
        if (auto* v = AcDb2dVertex::cast(e)) {
            cachePoints_.emplace_back(v->position().x, v->position().y);
            cacheBulges_.push_back(v->bulge());
        }
    if (cachePoints_.empty()) return false;
    CurveMath::Polyline pl;
    pl.points = std::span<const AcGePoint2d>(cachePoints_);
    pl.bulges = std::span<const double>(cacheBulges_);
    pl.closed = isClosed();
    pl.elevation = elevation_;
    pl.normal = normal_;
    shape = pl;
    return true;
}

void AcDb2dPolyline::forEachSubent(const std::function<void(AcDbEntity*)>& fn) const {
    for (AcDbEntity* e : subs_.items()) fn(e);
}
void AcDb2dPolyline::subAddedToDatabase(AcDbDatabase* db) { subs_.addedToDatabase(this, db); }
void AcDb2dPolyline::subErase(bool erasing) { eraseAll(subs_, erasing); }

void AcDb2dPolyline::dxfOutFields(DxfOut& out) const {
    AcDbCurve::dxfOutFields(out);
    out.subclass("AcDb2dPolyline");
    out.i(66, 1);
    out.point(10, AcGePoint3d(0, 0, elevation_));
    if (thickness_ != 0) out.real(39, thickness_);
    out.i(70, flags_);
    if (startWidth_ != 0) out.real(40, startWidth_);
    if (endWidth_ != 0) out.real(41, endWidth_);
    if (type_ != AcDb::k2dSimplePoly) out.i(75, type_ == AcDb::k2dQuadSplinePoly ? 5 : type_ == AcDb::k2dCubicSplinePoly ? 6 : 8);
    if (!normal_.isEqualTo(AcGeVector3d::kZAxis)) out.vec(210, normal_);
}

Acad::ErrorStatus AcDb2dPolyline::dxfInFields(DxfIn& in) {
    AcDbCurve::dxfInFields(in);
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 10: elevation_ = t.v[2]; break;
        case 39: thickness_ = t.real(); break;
        case 70: flags_ = static_cast<int>(t.i); break;
        case 40: startWidth_ = t.real(); break;
        case 41: endWidth_ = t.real(); break;
        case 75: type_ = t.i == 5 ? AcDb::k2dQuadSplinePoly : t.i == 6 ? AcDb::k2dCubicSplinePoly : t.i == 8 ? AcDb::k2dFitCurvePoly : AcDb::k2dSimplePoly; break;
        case 210:
            if (!t.vector().isZeroLength()) normal_ = t.vector().normal();
            break;
        default: break;
        }
    }
    return Acad::eOk;
}

// ---- 3-D polyline ----

AcDb3dPolyline::AcDb3dPolyline(AcDb::Poly3dType, const AcGePoint3dArray& vertices, bool closed) : flags_(closed ? 9 : 8) {
    for (int k = 0; k < vertices.length(); ++k) {
        AcDbObjectId id;
        subs_.append(this, new AcDb3dPolylineVertex(vertices[k]), id);
    }
}

Acad::ErrorStatus AcDb3dPolyline::appendVertex(AcDb3dPolylineVertex* v) { AcDbObjectId id; return appendVertex(id, v); }
Acad::ErrorStatus AcDb3dPolyline::appendVertex(AcDbObjectId& id, AcDb3dPolylineVertex* v) { return subs_.append(this, v, id); }
Acad::ErrorStatus AcDb3dPolyline::makeClosed() { NUV_WRITE_CHECK; flags_ |= 1; return Acad::eOk; }
Acad::ErrorStatus AcDb3dPolyline::makeOpen() { NUV_WRITE_CHECK; flags_ &= ~1; return Acad::eOk; }
Acad::ErrorStatus AcDb3dPolyline::transformBy(const AcGeMatrix3d& m) { NUV_WRITE_CHECK; transformAll(subs_, m); return Acad::eOk; }
Acad::ErrorStatus AcDb3dPolyline::getGeomExtents(AcDbExtents& extents) const {
    AcDbExtents e;
    extentsOf(subs_, e);
    if (!e.isValid()) return Acad::eInvalidExtents;
    extents = e;
    return Acad::eOk;
}
void AcDb3dPolyline::forEachSubent(const std::function<void(AcDbEntity*)>& fn) const {
    for (AcDbEntity* e : subs_.items()) fn(e);
}
void AcDb3dPolyline::subAddedToDatabase(AcDbDatabase* db) { subs_.addedToDatabase(this, db); }
void AcDb3dPolyline::subErase(bool erasing) { eraseAll(subs_, erasing); }

void AcDb3dPolyline::dxfOutFields(DxfOut& out) const {
    AcDbCurve::dxfOutFields(out);
    out.subclass((flags_ & 16) ? "AcDbPolygonMesh" : "AcDb3dPolyline");
    out.i(66, 1);
    out.point(10, AcGePoint3d());
    out.i(70, flags_);
    for (const DxfTag& t : extra_) out.add(t);
}

Acad::ErrorStatus AcDb3dPolyline::dxfInFields(DxfIn& in) {
    AcDbCurve::dxfInFields(in);
    for (const DxfTag& t : in.rest()) {
        if (t.code == 70) flags_ = static_cast<int>(t.i);
        else if (t.code >= 71 && t.code <= 75) extra_.push_back(t);  // mesh counts and surface type
    }
    return Acad::eOk;
}

// ---- Polyface mesh ----

Acad::ErrorStatus AcDbPolyFaceMesh::appendVertex(AcDbPolyFaceMeshVertex* v) { AcDbObjectId id; return appendVertex(id, v); }
Acad::ErrorStatus AcDbPolyFaceMesh::appendVertex(AcDbObjectId& id, AcDbPolyFaceMeshVertex* v) {
    // Vertices come before every face record.
    return subs_.append(this, v, id, numVertices());
}
Acad::ErrorStatus AcDbPolyFaceMesh::appendFaceRecord(AcDbFaceRecord* f) { AcDbObjectId id; return appendFaceRecord(id, f); }
Acad::ErrorStatus AcDbPolyFaceMesh::appendFaceRecord(AcDbObjectId& id, AcDbFaceRecord* f) { return subs_.append(this, f, id); }

short AcDbPolyFaceMesh::numVertices() const {
    short n = 0;
    for (AcDbEntity* e : subs_.items())
        if (AcDbPolyFaceMeshVertex::cast(e)) ++n;
    return n;
}
short AcDbPolyFaceMesh::numFaces() const {
    short n = 0;
    for (AcDbEntity* e : subs_.items())
        if (AcDbFaceRecord::cast(e)) ++n;
    return n;
}

Acad::ErrorStatus AcDbPolyFaceMesh::transformBy(const AcGeMatrix3d& m) { NUV_WRITE_CHECK; transformAll(subs_, m); return Acad::eOk; }
Acad::ErrorStatus AcDbPolyFaceMesh::getGeomExtents(AcDbExtents& extents) const {
    AcDbExtents e;
    extentsOf(subs_, e);
    if (!e.isValid()) return Acad::eInvalidExtents;
    extents = e;
    return Acad::eOk;
}
void AcDbPolyFaceMesh::forEachSubent(const std::function<void(AcDbEntity*)>& fn) const {
    for (AcDbEntity* e : subs_.items()) fn(e);
}
void AcDbPolyFaceMesh::subAddedToDatabase(AcDbDatabase* db) { subs_.addedToDatabase(this, db); }
void AcDbPolyFaceMesh::subErase(bool erasing) { eraseAll(subs_, erasing); }

void AcDbPolyFaceMesh::dxfOutFields(DxfOut& out) const {
    AcDbEntity::dxfOutFields(out);
    out.subclass("AcDbPolyFaceMesh");
    out.i(66, 1);
    out.point(10, AcGePoint3d());
    out.i(70, 64);
    out.i(71, numVertices());
    out.i(72, numFaces());
}

Acad::ErrorStatus AcDbPolyFaceMesh::dxfInFields(DxfIn& in) {
    AcDbEntity::dxfInFields(in);
    return Acad::eOk;
}
