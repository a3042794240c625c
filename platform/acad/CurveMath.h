#pragma once
// Curve queries and planar intersections for the host's curve entities (line, arc, circle,
// lightweight polyline), on plain geometry so the entities only forward to them.
//
// Parameterisations follow the host:
//   line      0 .. length, the distance from the start point;
//   arc       the angle, startAngle .. endAngle (end taken above start), counter-clockwise about
//             the normal, measured from the X axis of the normal's entity coordinate system;
//   circle    the angle, 0 .. 2pi, measured the same way;
//   polyline  vertex index + fraction along the segment; the end parameter is the number of
//             segments (vertices - 1, or vertices when closed).
// Derivatives are d point / d parameter in those parameterisations.
//
// Functions returning bool fail (false, outputs untouched) for a parameter or distance outside
// the curve, or a point not on it.
#include <span>
#include <variant>

#include "acad/AcGeCircArc3d.h"
#include "acad/AcGeMatrix3d.h"
#include "acad/AcGePoint2d.h"
#include "acad/AcGePoint3d.h"
#include "acad/AcGePoint3dArray.h"
#include "acad/AcGeVector3d.h"

namespace CurveMath {

struct Line {
    AcGePoint3d start;
    AcGePoint3d end;
};

// Angles in radians in the entity coordinate system of the normal (see ecsToWorld); centre in
// world coordinates.
struct Arc {
    AcGePoint3d center;
    double radius = 1.0;
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    double startAngle = 0.0;
    double endAngle = 0.0;
};

struct Circle {
    AcGePoint3d center;
    double radius = 1.0;
    AcGeVector3d normal = AcGeVector3d::kZAxis;
};

// A lightweight polyline: vertices in its entity coordinate system at the given elevation.
// bulges may be empty (all straight) or hold one bulge per vertex: tan(sweep / 4) of the segment
// starting at that vertex, positive counter-clockwise. The views must outlive the queries.
struct Polyline {
    std::span<const AcGePoint2d> points;
    std::span<const double> bulges;
    bool closed = false;
    double elevation = 0.0;
    AcGeVector3d normal = AcGeVector3d::kZAxis;
};

using Shape = std::variant<Line, Arc, Circle, Polyline>;

// Entity coordinate system of a normal (arbitrary-axis rule) to world; no translation.
AcGeMatrix3d ecsToWorld(const AcGeVector3d& normal);
// An arc entity's data from a geometric arc (angles re-expressed in the normal's entity system).
Arc arcFromGeArc(const AcGeCircArc3d& arc);
// Sweep of an arc entity in (0, 2pi]; equal angles give a full turn.
double arcSweep(const Arc& arc);

// Number of segments of a polyline (0 for fewer than two vertices, unless closed with one).
int segmentCount(const Polyline& pl);

#define CURVEMATH_QUERIES(S)                                                                  \
    AcGePoint3d startPoint(const S& c);                                                      \
    AcGePoint3d endPoint(const S& c);                                                        \
    double startParam(const S& c);                                                           \
    double endParam(const S& c);                                                             \
    double length(const S& c);                                                               \
    bool pointAtParam(const S& c, double param, AcGePoint3d& point);                         \
    bool paramAtPoint(const S& c, const AcGePoint3d& point, double& param);                  \
    bool distAtParam(const S& c, double param, double& dist);                                \
    bool paramAtDist(const S& c, double dist, double& param);                                \
    bool pointAtDist(const S& c, double dist, AcGePoint3d& point);                           \
    bool distAtPoint(const S& c, const AcGePoint3d& point, double& dist);                    \
    bool firstDeriv(const S& c, double param, AcGeVector3d& deriv);                          \
    bool firstDerivAtPoint(const S& c, const AcGePoint3d& point, AcGeVector3d& deriv);       \
    /* Nearest point of the curve in space. Extended: a line becomes infinite, an arc its     \
       full circle, a polyline's first and last segments run on beyond its ends. */           \
    AcGePoint3d closestPoint(const S& c, const AcGePoint3d& point, bool extend = false);

CURVEMATH_QUERIES(Line)
CURVEMATH_QUERIES(Arc)
CURVEMATH_QUERIES(Circle)
CURVEMATH_QUERIES(Polyline)
#undef CURVEMATH_QUERIES

// The same queries on any shape.
AcGePoint3d startPoint(const Shape& c);
AcGePoint3d endPoint(const Shape& c);
double startParam(const Shape& c);
double endParam(const Shape& c);
double length(const Shape& c);
bool pointAtParam(const Shape& c, double param, AcGePoint3d& point);
bool paramAtPoint(const Shape& c, const AcGePoint3d& point, double& param);
bool distAtParam(const Shape& c, double param, double& dist);
bool paramAtDist(const Shape& c, double dist, double& param);
bool pointAtDist(const Shape& c, double dist, AcGePoint3d& point);
bool distAtPoint(const Shape& c, const AcGePoint3d& point, double& dist);
bool firstDeriv(const Shape& c, double param, AcGeVector3d& deriv);
bool firstDerivAtPoint(const Shape& c, const AcGePoint3d& point, AcGeVector3d& deriv);
AcGePoint3d closestPoint(const Shape& c, const AcGePoint3d& point, bool extend = false);

// Bounding box in world coordinates, exact for arcs and bulges. False for a polyline without
// vertices; a single vertex gives that point.
bool extents(const Shape& c, AcGePoint3d& minPoint, AcGePoint3d& maxPoint);

// Which operands of an intersection may be extended (same values as the host's intersect
// modes): extended as for closestPoint.
enum ExtendMode { kOnBothOperands = 0, kExtendThis = 1, kExtendArg = 2, kExtendBoth = 3 };

// Crossings of the two curves projected on the world XY plane, appended to points. Each point is
// the point of `self` above (or below) the crossing, so it keeps self's elevation. Tangent
// contacts count once; points closer than the global point tolerance are reported once;
// overlapping collinear or concentric pieces contribute no points. Returns the number appended.
int intersectWith(const Shape& self, const Shape& other, ExtendMode mode, AcGePoint3dArray& points);

// Crossings of a polyline with itself on the XY projection, appended to points: every
// point where two segments meet other than the vertex two consecutive segments share.
int selfIntersections(const Polyline& pl, AcGePoint3dArray& points);

}  // namespace CurveMath
