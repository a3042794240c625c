// The old-style polylines, whose vertices are entities of their own owned by the polyline:
// 2-D polylines (vertices with bulges and widths), 3-D polylines, and polyface meshes (vertices
// plus face records that index them, a negative index hiding the edge that starts there).
#pragma once

#include <vector>

#include "acad/AcDbCurve.h"
#include "acad/AcGePoint3dArray.h"
#include "acad/AcGeDoubleArray.h"
#include "acad/SubentList.h"

// Iterates a polyline's vertices or a block reference's attributes: ids for an owner in a
// database, entities in any case.
class AcDbObjectIterator {
public:
    explicit AcDbObjectIterator(const NUVAcad::SubentList& list);
    void start(bool atEnd = false) { pos_ = atEnd ? static_cast<long>(items_.size()) - 1 : 0; }
    bool done() const { return pos_ < 0 || pos_ >= static_cast<long>(items_.size()); }
    void step(bool backwards = false) { pos_ += backwards ? -1 : 1; }
    AcDbObjectId objectId() const;
    AcDbEntity* entity() const { return done() ? nullptr : items_[static_cast<size_t>(pos_)]; }

private:
    std::vector<AcDbEntity*> items_;
    long pos_ = 0;
};

class AcDbVertex : public AcDbEntity {
    NUV_DB_DECLARE(AcDbVertex, AcDbEntity, "VERTEX")
public:
    AcDbVertex() = default;
    explicit AcDbVertex(const AcGePoint3d& p) : position_(p) {}
    AcDbVertex(const AcDbVertex&) = default;
    AcGePoint3d position() const { return position_; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& p);
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

protected:
    AcGePoint3d position_;
    int flags_ = 0;
};

class AcDb2dVertex : public AcDbVertex {
    NUV_DB_DECLARE(AcDb2dVertex, AcDbVertex, "VERTEX")
public:
    AcDb2dVertex() = default;
    explicit AcDb2dVertex(const AcGePoint3d& p, double bulge = 0, double startWidth = 0, double endWidth = 0)
        : AcDbVertex(p), bulge_(bulge), startWidth_(startWidth), endWidth_(endWidth) {}
    AcDb2dVertex(const AcDb2dVertex&) = default;
    NUV_DB_CLONE(AcDb2dVertex)
    double bulge() const { return bulge_; }
    Acad::ErrorStatus setBulge(double b);
    double startWidth() const { return startWidth_; }
    Acad::ErrorStatus setStartWidth(double w);
    double endWidth() const { return endWidth_; }
    Acad::ErrorStatus setEndWidth(double w);
    AcDb::Vertex2dType vertexType() const;
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    double bulge_ = 0, startWidth_ = 0, endWidth_ = 0;
};

class AcDb3dPolylineVertex : public AcDbVertex {
    NUV_DB_DECLARE(AcDb3dPolylineVertex, AcDbVertex, "VERTEX")
public:
    AcDb3dPolylineVertex() = default;
    explicit AcDb3dPolylineVertex(const AcGePoint3d& p) : AcDbVertex(p) {}
    AcDb3dPolylineVertex(const AcDb3dPolylineVertex&) = default;
    NUV_DB_CLONE(AcDb3dPolylineVertex)
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;
};

class AcDbPolyFaceMeshVertex : public AcDbVertex {
    NUV_DB_DECLARE(AcDbPolyFaceMeshVertex, AcDbVertex, "VERTEX")
public:
    AcDbPolyFaceMeshVertex() = default;
    explicit AcDbPolyFaceMeshVertex(const AcGePoint3d& p) : AcDbVertex(p) {}
    AcDbPolyFaceMeshVertex(const AcDbPolyFaceMeshVertex&) = default;
    NUV_DB_CLONE(AcDbPolyFaceMeshVertex)
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;
};

class AcDbFaceRecord : public AcDbVertex {
    NUV_DB_DECLARE(AcDbFaceRecord, AcDbVertex, "VERTEX")
public:
    AcDbFaceRecord(short v0 = 0, short v1 = 0, short v2 = 0, short v3 = 0) : vtx_{v0, v1, v2, v3} {}
    AcDbFaceRecord(const AcDbFaceRecord&) = default;
    NUV_DB_CLONE(AcDbFaceRecord)
    // Face position 0..3; the vertex number is 1-based, 0 unused, negative with a hidden edge.
    Acad::ErrorStatus getVertexAt(int faceIndex, short& vtxIndex) const;
    Acad::ErrorStatus setVertexAt(int faceIndex, short vtxIndex);
    Acad::ErrorStatus isEdgeVisibleAt(int faceIndex, bool& visible) const;
    Acad::ErrorStatus makeEdgeVisibleAt(int faceIndex);
    Acad::ErrorStatus makeEdgeInvisibleAt(int faceIndex);
    Acad::ErrorStatus transformBy(const AcGeMatrix3d&) override { return Acad::eOk; }
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    short vtx_[4];
};

class AcDb2dPolyline : public AcDbCurve {
    NUV_DB_DECLARE(AcDb2dPolyline, AcDbCurve, "POLYLINE")
public:
    AcDb2dPolyline() = default;
    AcDb2dPolyline(AcDb::Poly2dType type, const AcGePoint3dArray& vertices, double elevation = 0, bool closed = false,
                   double defStartWidth = 0, double defEndWidth = 0, const AcGeDoubleArray* bulges = nullptr);
    AcDb2dPolyline(const AcDb2dPolyline&) = default;
    NUV_DB_CLONE(AcDb2dPolyline)

    Acad::ErrorStatus appendVertex(AcDb2dVertex* vertex);
    Acad::ErrorStatus appendVertex(AcDbObjectId& id, AcDb2dVertex* vertex);
    AcDbObjectIterator* vertexIterator() const { return new AcDbObjectIterator(subs_); }
    bool isClosed() const override { return (flags_ & 1) != 0; }
    Acad::ErrorStatus makeClosed();
    Acad::ErrorStatus makeOpen();
    AcDb::Poly2dType polyType() const { return type_; }
    double elevation() const { return elevation_; }
    Acad::ErrorStatus setElevation(double e);
    AcGeVector3d normal() const { return normal_; }
    double defaultStartWidth() const { return startWidth_; }
    double defaultEndWidth() const { return endWidth_; }
    Acad::ErrorStatus constantWidth(double& w) const;
    Acad::ErrorStatus setConstantWidth(double w);

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    bool curveShape(CurveMath::Shape& shape) const override;
    void forEachSubent(const std::function<void(AcDbEntity*)>& fn) const override;
    const NUVAcad::SubentList* subentList() const override { return &subs_; }
    NUVAcad::SubentList* subentList() override { return &subs_; }
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

protected:
    void subAddedToDatabase(AcDbDatabase* db) override;
    void subErase(bool erasing) override;
    AcDbObject* undoCopy() const override {
        auto* c = new AcDb2dPolyline(*this);
        c->subs_.shareIds(subs_);
        return c;
    }

private:
    NUVAcad::SubentList subs_;
    AcDb::Poly2dType type_ = AcDb::k2dSimplePoly;
    int flags_ = 0;
    double elevation_ = 0, startWidth_ = 0, endWidth_ = 0, thickness_ = 0;
    AcGeVector3d normal_{0, 0, 1};
    mutable std::vector<AcGePoint2d> cachePoints_;
    mutable std::vector<double> cacheBulges_;
};

class AcDb3dPolyline : public AcDbCurve {
    NUV_DB_DECLARE(AcDb3dPolyline, AcDbCurve, "POLYLINE")
public:
    AcDb3dPolyline() = default;
    AcDb3dPolyline(AcDb::Poly3dType type, const AcGePoint3dArray& vertices, bool closed = false);
    AcDb3dPolyline(const AcDb3dPolyline&) = default;
    NUV_DB_CLONE(AcDb3dPolyline)

    Acad::ErrorStatus appendVertex(AcDb3dPolylineVertex* vertex);
    Acad::ErrorStatus appendVertex(AcDbObjectId& id, AcDb3dPolylineVertex* vertex);
    AcDbObjectIterator* vertexIterator() const { return new AcDbObjectIterator(subs_); }
    bool isClosed() const override { return (flags_ & 1) != 0; }
    Acad::ErrorStatus makeClosed();
    Acad::ErrorStatus makeOpen();

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    bool curveShape(CurveMath::Shape&) const override { return false; }
    void forEachSubent(const std::function<void(AcDbEntity*)>& fn) const override;
    const NUVAcad::SubentList* subentList() const override { return &subs_; }
    NUVAcad::SubentList* subentList() override { return &subs_; }
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

protected:
    void subAddedToDatabase(AcDbDatabase* db) override;
    void subErase(bool erasing) override;
    AcDbObject* undoCopy() const override {
        auto* c = new AcDb3dPolyline(*this);
        c->subs_.shareIds(subs_);
        return c;
    }

private:
    NUVAcad::SubentList subs_;
    int flags_ = 8;
    NUVAcad::TagList extra_;
};

class AcDbPolyFaceMesh : public AcDbEntity {
    NUV_DB_DECLARE(AcDbPolyFaceMesh, AcDbEntity, "POLYLINE")
public:
    AcDbPolyFaceMesh() = default;
    AcDbPolyFaceMesh(const AcDbPolyFaceMesh&) = default;
    NUV_DB_CLONE(AcDbPolyFaceMesh)

    Acad::ErrorStatus appendVertex(AcDbPolyFaceMeshVertex* vertex);
    Acad::ErrorStatus appendVertex(AcDbObjectId& id, AcDbPolyFaceMeshVertex* vertex);
    Acad::ErrorStatus appendFaceRecord(AcDbFaceRecord* face);
    Acad::ErrorStatus appendFaceRecord(AcDbObjectId& id, AcDbFaceRecord* face);
    AcDbObjectIterator* vertexIterator() const { return new AcDbObjectIterator(subs_); }
    short numVertices() const;
    short numFaces() const;

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void forEachSubent(const std::function<void(AcDbEntity*)>& fn) const override;
    const NUVAcad::SubentList* subentList() const override { return &subs_; }
    NUVAcad::SubentList* subentList() override { return &subs_; }
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

protected:
    void subAddedToDatabase(AcDbDatabase* db) override;
    void subErase(bool erasing) override;
    AcDbObject* undoCopy() const override {
        auto* c = new AcDbPolyFaceMesh(*this);
        c->subs_.shareIds(subs_);
        return c;
    }

private:
    NUVAcad::SubentList subs_;
};
