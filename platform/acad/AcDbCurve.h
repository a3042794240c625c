// Curves: the line, circle, arc and lightweight polyline, with the host's curve queries
// (parameters, distances, derivatives, closest points) and intersections on the XY projection.
#pragma once

#include <vector>

#include "acad/AcDbEntity.h"
#include "acad/AcGeCircArc3d.h"
#include "acad/AcGePoint2d.h"
#include "acad/AcGeVector3d.h"
#include "acad/CurveMath.h"

class AcDbCurve : public AcDbEntity {
    NUV_DB_DECLARE(AcDbCurve, AcDbEntity, "")
public:
    AcDbCurve() = default;
    AcDbCurve(const AcDbCurve&) = default;

    virtual bool isClosed() const { return false; }
    virtual bool isPeriodic() const { return false; }
    Acad::ErrorStatus getStartParam(double& param) const;
    Acad::ErrorStatus getEndParam(double& param) const;
    Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const;
    Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const;
    Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const;
    Acad::ErrorStatus getDistAtParam(double param, double& dist) const;
    Acad::ErrorStatus getParamAtDist(double dist, double& param) const;
    Acad::ErrorStatus getDistAtPoint(const AcGePoint3d& point, double& dist) const;
    Acad::ErrorStatus getPointAtDist(double dist, AcGePoint3d& point) const;
    Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& deriv) const;
    Acad::ErrorStatus getFirstDeriv(const AcGePoint3d& point, AcGeVector3d& deriv) const;
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& onCurve, bool extend = false) const;
    Acad::ErrorStatus getArea(double& area) const;

    Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type, AcGePoint3dArray& points,
                                    intptr_t thisGsMarker = 0, intptr_t otherGsMarker = 0) const override;
    Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type, const AcGePlane& projPlane,
                                    AcGePoint3dArray& points, intptr_t thisGsMarker = 0,
                                    intptr_t otherGsMarker = 0) const override;

    // The curve's geometry for the shared curve algorithms; false when it has none (too few
    // vertices). Polyline views point into the entity and live as long as it does.
    virtual bool curveShape(CurveMath::Shape& shape) const = 0;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
};

class AcDbLine : public AcDbCurve {
    NUV_DB_DECLARE(AcDbLine, AcDbCurve, "LINE")
public:
    AcDbLine() = default;
    AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : start_(start), end_(end) {}
    AcDbLine(const AcDbLine&) = default;
    NUV_DB_CLONE(AcDbLine)

    AcGePoint3d startPoint() const { return start_; }
    Acad::ErrorStatus setStartPoint(const AcGePoint3d& p);
    AcGePoint3d endPoint() const { return end_; }
    Acad::ErrorStatus setEndPoint(const AcGePoint3d& p);
    double thickness() const { return thickness_; }
    Acad::ErrorStatus setThickness(double t);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& n);

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    bool curveShape(CurveMath::Shape& shape) const override;
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    AcGePoint3d start_, end_;
    double thickness_ = 0.0;
    AcGeVector3d normal_{0, 0, 1};
};

class AcDbCircle : public AcDbCurve {
    NUV_DB_DECLARE(AcDbCircle, AcDbCurve, "CIRCLE")
public:
    AcDbCircle() = default;
    AcDbCircle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius)
        : center_(center), normal_(normal.normal()), radius_(radius) {}
    AcDbCircle(const AcDbCircle&) = default;
    NUV_DB_CLONE(AcDbCircle)

    AcGePoint3d center() const { return center_; }
    Acad::ErrorStatus setCenter(const AcGePoint3d& c);
    double radius() const { return radius_; }
    Acad::ErrorStatus setRadius(double r);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& n);
    double thickness() const { return thickness_; }
    Acad::ErrorStatus setThickness(double t);
    bool isClosed() const override { return true; }
    bool isPeriodic() const override { return true; }

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    bool curveShape(CurveMath::Shape& shape) const override;
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

protected:
    AcGePoint3d center_;
    AcGeVector3d normal_{0, 0, 1};
    double radius_ = 0.0;
    double thickness_ = 0.0;
};

class AcDbArc : public AcDbCurve {
    NUV_DB_DECLARE(AcDbArc, AcDbCurve, "ARC")
public:
    AcDbArc() = default;
    AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle)
        : center_(center), radius_(radius), start_(startAngle), end_(endAngle) {}
    AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle, double endAngle)
        : center_(center), normal_(normal.normal()), radius_(radius), start_(startAngle), end_(endAngle) {}
    AcDbArc(const AcDbArc&) = default;
    NUV_DB_CLONE(AcDbArc)

    AcGePoint3d center() const { return center_; }
    Acad::ErrorStatus setCenter(const AcGePoint3d& c);
    double radius() const { return radius_; }
    Acad::ErrorStatus setRadius(double r);
    // Angles in radians, measured in the entity coordinate system of the normal.
    double startAngle() const { return start_; }
    Acad::ErrorStatus setStartAngle(double a);
    double endAngle() const { return end_; }
    Acad::ErrorStatus setEndAngle(double a);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& n);
    double thickness() const { return thickness_; }
    Acad::ErrorStatus setThickness(double t);
    double totalAngle() const;
    // Takes centre, radius, normal and angles from a geometric arc.
    Acad::ErrorStatus setFromGeArc(const AcGeCircArc3d& arc);

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    bool curveShape(CurveMath::Shape& shape) const override;
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    AcGePoint3d center_;
    AcGeVector3d normal_{0, 0, 1};
    double radius_ = 0.0, start_ = 0.0, end_ = 0.0, thickness_ = 0.0;
};

// The lightweight polyline: 2-D vertices with bulges and widths in its own plane.
class AcDbPolyline : public AcDbCurve {
    NUV_DB_DECLARE(AcDbPolyline, AcDbCurve, "LWPOLYLINE")
public:
    AcDbPolyline() = default;
    explicit AcDbPolyline(unsigned int numVerts) { points_.reserve(numVerts); }
    AcDbPolyline(const AcDbPolyline&) = default;
    NUV_DB_CLONE(AcDbPolyline)

    unsigned int numVerts() const { return static_cast<unsigned int>(points_.size()); }
    // Inserts a vertex before index (index = numVerts appends). A negative width takes the
    // polyline's constant width.
    Acad::ErrorStatus addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge = 0.0,
                                  double startWidth = -1.0, double endWidth = -1.0);
    Acad::ErrorStatus removeVertexAt(unsigned int index);
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint2d& pt) const;
    // The vertex in world coordinates (elevation and normal applied).
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint3d& pt) const;
    Acad::ErrorStatus setPointAt(unsigned int index, const AcGePoint2d& pt);
    Acad::ErrorStatus getBulgeAt(unsigned int index, double& bulge) const;
    Acad::ErrorStatus setBulgeAt(unsigned int index, double bulge);
    Acad::ErrorStatus getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const;
    Acad::ErrorStatus setWidthsAt(unsigned int index, double startWidth, double endWidth);
    // eOk and the width when every segment has the same constant width; eNotApplicable else.
    Acad::ErrorStatus getConstantWidth(double& width) const;
    Acad::ErrorStatus setConstantWidth(double width);
    bool isClosed() const override { return closed_; }
    void setClosed(bool closed);
    double elevation() const { return elevation_; }
    void setElevation(double e);
    AcGeVector3d normal() const { return normal_; }
    void setNormal(const AcGeVector3d& n);
    double thickness() const { return thickness_; }
    Acad::ErrorStatus setThickness(double t);
    bool isOnlyLines() const;
    void reset(bool reuse, unsigned int numVerts);

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    bool curveShape(CurveMath::Shape& shape) const override;
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    std::vector<AcGePoint2d> points_;
    std::vector<double> bulges_, startWidths_, endWidths_;
    bool closed_ = false, plinegen_ = false;
    double constantWidth_ = 0.0, elevation_ = 0.0, thickness_ = 0.0;
    AcGeVector3d normal_{0, 0, 1};
};
