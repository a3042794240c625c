#include "acad/AcDbHatch.h"

#include <algorithm>
#include <cmath>

#include "acad/AcDbDatabase.h"
#include "acad/CurveMath.h"
#include "acad/DbInternal.h"

using NUVAcad::DxfIn;
using NUVAcad::DxfOut;
using NUVAcad::DxfTag;

#define NUV_WRITE_CHECK \
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es

namespace {
constexpr double kDeg = M_PI / 180.0;

struct PatLine {
    double angleDeg, x, y, dx, dy;
};
struct Pattern {
    const char* name;
    std::vector<PatLine> lines;
};

// Line families of the predefined patterns in millimetres: angle, origin, offset in the line's
// own frame. A name not listed hatches with a single 45-degree family.
const std::vector<Pattern>& patterns() {
    static const std::vector<Pattern> p = {
        {"ANSI31", {{45, 0, 0, 0, 3.175}}},
        {"ANSI32", {{45, 0, 0, 0, 9.525}, {45, 4.49013, 0, 0, 9.525}}},
        {"ANSI37", {{45, 0, 0, 0, 3.175}, {135, 0, 0, 0, 3.175}}},
        {"LINE", {{0, 0, 0, 0, 3.175}}},
        {"NET", {{0, 0, 0, 0, 3.175}, {90, 0, 0, 0, 3.175}}},
        {"NET3", {{0, 0, 0, 0, 3.175}, {60, 0, 0, 0, 3.175}, {120, 0, 0, 0, 3.175}}},
    };
    return p;
}

void tessellate(const std::vector<AcGePoint2d>& pts, const std::vector<double>& bulges, std::vector<AcGePoint2d>& out) {
    size_t n = pts.size();
    for (size_t k = 0; k < n; ++k) {
        const AcGePoint2d& a = pts[k];
        const AcGePoint2d& b = pts[(k + 1) % n];
        double bulge = k < bulges.size() ? bulges[k] : 0.0;
        out.push_back(a);
        if (bulge == 0) continue;
        double sweep = 4 * std::atan(bulge);
        double chord = std::hypot(b.x - a.x, b.y - a.y);
        if (chord == 0) continue;
        // The centre lies on the chord's left for a counter-clockwise (positive) bulge.
        double d = chord / 2 * (1 - bulge * bulge) / (2 * bulge);
        double r = chord / 2 * (1 + bulge * bulge) / (2 * std::fabs(bulge));
        double ux = (b.x - a.x) / chord, uy = (b.y - a.y) / chord;
        double cx = (a.x + b.x) / 2 - uy * d, cy = (a.y + b.y) / 2 + ux * d;
        double a0 = std::atan2(a.y - cy, a.x - cx);
        int steps = std::max(2, static_cast<int>(std::ceil(std::fabs(sweep) / (M_PI / 32))));
        for (int s = 1; s < steps; ++s) {
            double t = a0 + sweep * s / steps;
            out.emplace_back(cx + r * std::cos(t), cy + r * std::sin(t));
        }
    }
}

double signedArea(const std::vector<AcGePoint2d>& p) {
    double s = 0;
    for (size_t k = 0; k < p.size(); ++k) {
        const AcGePoint2d& a = p[k];
        const AcGePoint2d& b = p[(k + 1) % p.size()];
        s += a.x * b.y - b.x * a.y;
    }
    return s / 2;
}

bool inside(const std::vector<AcGePoint2d>& poly, const AcGePoint2d& q) {
    bool in = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const AcGePoint2d& a = poly[i];
        const AcGePoint2d& b = poly[j];
        if ((a.y > q.y) != (b.y > q.y) && q.x < (b.x - a.x) * (q.y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
}
}  // namespace

Acad::ErrorStatus AcDbHatch::setPattern(HatchPatternType type, const char* name) {
    NUV_WRITE_CHECK;
    if (!name || !*name) return Acad::eInvalidInput;
    patternType_ = type;
    pattern_ = name;
    definePattern();
    return Acad::eOk;
}
bool AcDbHatch::isSolidFill() const { return NUVAcad::namesEqual(pattern_, "SOLID"); }
Acad::ErrorStatus AcDbHatch::setHatchStyle(HatchStyle s) { NUV_WRITE_CHECK; style_ = s; return Acad::eOk; }
Acad::ErrorStatus AcDbHatch::setPatternAngle(double a) { NUV_WRITE_CHECK; angle_ = a; definePattern(); return Acad::eOk; }
Acad::ErrorStatus AcDbHatch::setPatternScale(double s) {
    NUV_WRITE_CHECK;
    if (!(s > 0)) return Acad::eInvalidInput;
    scale_ = s;
    definePattern();
    return Acad::eOk;
}
Acad::ErrorStatus AcDbHatch::setPatternSpace(double s) {
    NUV_WRITE_CHECK;
    if (!(s > 0)) return Acad::eInvalidInput;
    space_ = s;
    definePattern();
    return Acad::eOk;
}
Acad::ErrorStatus AcDbHatch::setAssociative(bool b) { NUV_WRITE_CHECK; associative_ = b; return Acad::eOk; }
Acad::ErrorStatus AcDbHatch::setElevation(double e) { NUV_WRITE_CHECK; elevation_ = e; return Acad::eOk; }
Acad::ErrorStatus AcDbHatch::setNormal(const AcGeVector3d& n) {
    NUV_WRITE_CHECK;
    if (n.isZeroLength()) return Acad::eInvalidInput;
    normal_ = n.normal();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::appendLoop(int loopType, const AcGePoint2dArray& vertices, const AcGeDoubleArray& bulges) {
    NUV_WRITE_CHECK;
    if (vertices.length() < 2) return Acad::eInvalidInput;
    Loop l;
    l.type = loopType | kPolyline;
    for (int k = 0; k < vertices.length(); ++k) {
        l.points.push_back(vertices[k]);
        l.bulges.push_back(k < bulges.length() ? bulges[k] : 0.0);
    }
    // A closing vertex equal to the first one is implied by the loop.
    if (l.points.size() > 2 && l.points.front().isEqualTo(l.points.back())) {
        l.points.pop_back();
        l.bulges.pop_back();
    }
    loops_.push_back(std::move(l));
    return Acad::eOk;
}

int AcDbHatch::loopTypeAt(int index) const {
    return index >= 0 && index < numLoops() ? loops_[static_cast<size_t>(index)].type : 0;
}

Acad::ErrorStatus AcDbHatch::getLoopAt(int index, int& loopType, AcGePoint2dArray& vertices, AcGeDoubleArray& bulges) const {
    if (index < 0 || index >= numLoops()) return Acad::eInvalidIndex;
    const Loop& l = loops_[static_cast<size_t>(index)];
    if (!(l.type & kPolyline)) return Acad::eNotApplicable;
    loopType = l.type;
    vertices.removeAll();
    bulges.removeAll();
    for (size_t k = 0; k < l.points.size(); ++k) {
        vertices.append(l.points[k]);
        bulges.append(l.bulges[k]);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::removeLoopAt(int index) {
    NUV_WRITE_CHECK;
    if (index < 0 || index >= numLoops()) return Acad::eInvalidIndex;
    loops_.erase(loops_.begin() + index);
    return Acad::eOk;
}

void AcDbHatch::definePattern() {
    defs_.clear();
    if (isSolidFill()) return;
    std::vector<PatLine> lines = {{45, 0, 0, 0, 3.175}};
    if (patternType_ == kUserDefined) {
        lines = {{0, 0, 0, 0, space_ / scale_}};
        if (doubled_) lines.push_back({90, 0, 0, 0, space_ / scale_});
    } else {
        std::string up = NUVAcad::upperName(pattern_);
        for (const Pattern& p : patterns())
            if (up == p.name) lines = p.lines;
    }
    for (const PatLine& pl : lines) {
        PatternLine d;
        double a = pl.angleDeg * kDeg + angle_;
        d.angle = a;
        // Origin and offset are rotated by the pattern angle and scaled; the offset is in the
        // line's own frame.
        double ca = std::cos(angle_), sa = std::sin(angle_);
        d.baseX = (pl.x * ca - pl.y * sa) * scale_;
        d.baseY = (pl.x * sa + pl.y * ca) * scale_;
        double cl = std::cos(a), sl = std::sin(a);
        d.offsetX = (pl.dx * cl - pl.dy * sl) * scale_;
        d.offsetY = (pl.dx * sl + pl.dy * cl) * scale_;
        defs_.push_back(d);
    }
}

std::vector<std::vector<AcGePoint2d>> AcDbHatch::outlines() const {
    std::vector<std::vector<AcGePoint2d>> result;
    for (const Loop& l : loops_) {
        std::vector<AcGePoint2d> out;
        if (l.type & kPolyline) {
            tessellate(l.points, l.bulges, out);
        } else {
            // Edge loops: lines and circular arcs make the outline.
            for (size_t k = 0; k < l.edges.size(); ++k) {
                const DxfTag& t = l.edges[k];
                if (t.code != 72) continue;
                if (t.i == 1 && k + 2 < l.edges.size()) {
                    out.push_back(l.edges[k + 1].point2d());
                } else if (t.i == 2 && k + 5 < l.edges.size()) {
                    AcGePoint2d c = l.edges[k + 1].point2d();
                    double r = l.edges[k + 2].real(), a0 = l.edges[k + 3].real() * kDeg, a1 = l.edges[k + 4].real() * kDeg;
                    bool ccw = l.edges[k + 5].i != 0;
                    if (!ccw) {
                        a0 = -a0;
                        a1 = -a1;
                    }
                    if (a1 < a0) a1 += 2 * M_PI;
                    for (int s = 0; s < 32; ++s) {
                        double a = a0 + (a1 - a0) * s / 32;
                        out.emplace_back(c.x + r * std::cos(a), c.y + r * std::sin(a));
                    }
                }
            }
        }
        if (out.size() >= 3) result.push_back(std::move(out));
    }
    return result;
}

Acad::ErrorStatus AcDbHatch::evaluateHatch(bool underEstimateNumLines) {
    NUV_WRITE_CHECK;
    lines_.clear();
    if (loops_.empty()) return Acad::eInvalidInput;
    auto polys = outlines();
    if (polys.size() != loops_.size()) return Acad::eInvalidInput;
    for (const auto& p : polys)
        if (std::fabs(signedArea(p)) <= 1e-12) return Acad::eInvalidInput;
    definePattern();
    const size_t limit = underEstimateNumLines ? 10000 : 100000;
    for (const PatternLine& d : defs_) {
        double dx = std::cos(d.angle), dy = std::sin(d.angle);
        double nx = -dy, ny = dx;
        double step = d.offsetX * nx + d.offsetY * ny;  // distance between neighbouring lines
        if (std::fabs(step) < 1e-9) continue;
        double lo = 1e300, hi = -1e300;
        for (const auto& p : polys)
            for (const AcGePoint2d& q : p) {
                double s = (q.x - d.baseX) * nx + (q.y - d.baseY) * ny;
                lo = std::min(lo, s);
                hi = std::max(hi, s);
            }
        // Too many lines for the area: the pattern is too dense to evaluate.
        double span = std::fabs(step);
        if (!((hi - lo) / span < 1e7 && std::fabs(lo) / span < 1e15 && std::fabs(hi) / span < 1e15))
            return Acad::eInvalidInput;
        long k0 = static_cast<long>(std::floor(std::min(lo, hi) / std::fabs(step))) - 1;
        long k1 = static_cast<long>(std::ceil(std::max(lo, hi) / std::fabs(step))) + 1;
        double sign = step > 0 ? 1 : -1;
        for (long k = k0; k <= k1 && lines_.size() / 2 < limit; ++k) {
            double ox = d.baseX + d.offsetX * k * sign, oy = d.baseY + d.offsetY * k * sign;
            std::vector<double> ts;
            for (const auto& p : polys)
                for (size_t i = 0; i < p.size(); ++i) {
                    const AcGePoint2d& a = p[i];
                    const AcGePoint2d& b = p[(i + 1) % p.size()];
                    double sa = (a.x - ox) * nx + (a.y - oy) * ny, sb = (b.x - ox) * nx + (b.y - oy) * ny;
                    if ((sa > 0) == (sb > 0)) continue;  // the edge does not cross this line
                    double f = sa / (sa - sb);
                    double x = a.x + (b.x - a.x) * f, y = a.y + (b.y - a.y) * f;
                    ts.push_back((x - ox) * dx + (y - oy) * dy);
                }
            std::sort(ts.begin(), ts.end());
            for (size_t i = 0; i + 1 < ts.size(); i += 2) {
                lines_.emplace_back(ox + dx * ts[i], oy + dy * ts[i]);
                lines_.emplace_back(ox + dx * ts[i + 1], oy + dy * ts[i + 1]);
            }
        }
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getPatternDefinitionAt(int index, double& angle, double& baseX, double& baseY,
                                                    double& offsetX, double& offsetY, AcGeDoubleArray& dashes) const {
    if (index < 0 || index >= numPatternDefinitions()) return Acad::eInvalidIndex;
    const PatternLine& d = defs_[static_cast<size_t>(index)];
    angle = d.angle;
    baseX = d.baseX;
    baseY = d.baseY;
    offsetX = d.offsetX;
    offsetY = d.offsetY;
    dashes.removeAll();
    for (double v : d.dashes) dashes.append(v);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getHatchLineDataAt(int index, AcGePoint2d& start, AcGePoint2d& end) const {
    if (index < 0 || index >= numHatchLines()) return Acad::eInvalidIndex;
    start = lines_[static_cast<size_t>(2 * index)];
    end = lines_[static_cast<size_t>(2 * index + 1)];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getArea(double& area) const {
    auto polys = outlines();
    if (polys.empty()) return Acad::eInvalidInput;
    double sum = 0;
    for (size_t i = 0; i < polys.size(); ++i) {
        int depth = 0;
        for (size_t j = 0; j < polys.size(); ++j)
            if (i != j && inside(polys[j], polys[i][0])) ++depth;
        double a = std::fabs(signedArea(polys[i]));
        sum += depth % 2 ? -a : a;
    }
    area = sum;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::transformBy(const AcGeMatrix3d& m) {
    NUV_WRITE_CHECK;
    if (!m.isUniScaledOrtho()) return Acad::eCannotScaleNonUniformly;
    AcGeMatrix3d toWorld = CurveMath::ecsToWorld(normal_);
    AcGeVector3d n = normal_;
    n.transformBy(m);
    AcGeVector3d newNormal = n.normal();
    AcGeMatrix3d toPlane = CurveMath::ecsToWorld(newNormal).inverse();
    AcGeMatrix3d full = toPlane * m * toWorld;
    double newElevation = elevation_;
    bool first = true;
    bool edgeLoops = std::any_of(loops_.begin(), loops_.end(), [](const Loop& l) { return !(l.type & kPolyline); });
    // Edge arcs keep their direction flag; a mirror would have to turn them round.
    if (edgeLoops && m.det() < 0) return Acad::eNotApplicable;
    AcGeVector3d xAxis(1, 0, 0);
    xAxis.transformBy(full);
    double turnDeg = std::atan2(xAxis.y, xAxis.x) / kDeg;
    double scale = xAxis.length();
    for (Loop& l : loops_) {
        int edgeType = 0;
        for (DxfTag& t : l.edges) {
            if (t.code == 72) {
                edgeType = static_cast<int>(t.i);
                continue;
            }
            bool point = (t.code == 10) || (t.code == 11 && (edgeType == 1 || edgeType == 4));
            bool vector = (t.code == 11 && edgeType == 3) || ((t.code == 12 || t.code == 13) && edgeType == 4);
            if (point) {
                AcGePoint3d q = AcGePoint3d(t.v[0], t.v[1], elevation_).transformBy(full);
                t.v[0] = q.x;
                t.v[1] = q.y;
            } else if (vector) {
                AcGeVector3d v(t.v[0], t.v[1], 0);
                v.transformBy(full);
                t.v[0] = v.x;
                t.v[1] = v.y;
            } else if (edgeType == 2 && t.code == 40) {
                t.v[0] *= scale;
            } else if (edgeType == 2 && (t.code == 50 || t.code == 51)) {
                t.v[0] += turnDeg;
            }
        }
        for (AcGePoint2d& p : l.points) {
            AcGePoint3d q = AcGePoint3d(p.x, p.y, elevation_).transformBy(full);
            p.set(q.x, q.y);
            if (first) newElevation = q.z;
            first = false;
        }
        if (m.det() < 0)
            for (double& b : l.bulges) b = -b;
    }
    if (first) newElevation = AcGePoint3d(0, 0, elevation_).transformBy(full).z;
    AcGeVector3d x(1, 0, 0);
    x.transformBy(full);
    scale_ *= x.length();
    angle_ += std::atan2(x.y, x.x);
    normal_ = newNormal;
    elevation_ = newElevation;
    definePattern();
    if (!lines_.empty()) evaluateHatch(false);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getGeomExtents(AcDbExtents& extents) const {
    AcGeMatrix3d toWorld = CurveMath::ecsToWorld(normal_);
    AcDbExtents e;
    for (const auto& p : outlines())
        for (const AcGePoint2d& q : p) e.addPoint(AcGePoint3d(q.x, q.y, elevation_).transformBy(toWorld));
    if (!e.isValid()) return Acad::eInvalidExtents;
    extents = e;
    return Acad::eOk;
}

void AcDbHatch::dxfOutFields(DxfOut& out) const {
    AcDbEntity::dxfOutFields(out);
    out.subclass("AcDbHatch");
    out.point(10, AcGePoint3d(0, 0, elevation_));
    out.vec(210, normal_);
    out.str(2, pattern_);
    out.i(70, isSolidFill() ? 1 : 0);
    out.i(71, associative_ ? 1 : 0);
    for (const DxfTag& t : head_) out.add(t);
    out.i(91, numLoops());
    for (const Loop& l : loops_) {
        out.i(92, l.type);
        if (l.type & kPolyline) {
            bool anyBulge = std::any_of(l.bulges.begin(), l.bulges.end(), [](double b) { return b != 0; });
            out.i(72, anyBulge ? 1 : 0);
            out.i(73, l.closed ? 1 : 0);
            out.i(93, static_cast<int64_t>(l.points.size()));
            for (size_t k = 0; k < l.points.size(); ++k) {
                out.point2d(10, l.points[k].x, l.points[k].y);
                if (anyBulge) out.real(42, l.bulges[k]);
            }
        } else {
            for (const DxfTag& t : l.edges) out.add(t);
        }
        if (l.sources.empty()) out.i(97, 0);
        for (const DxfTag& t : l.sources) out.add(t);
    }
    out.i(75, style_);
    out.i(76, patternType_);
    if (!isSolidFill()) {
        out.real(52, angle_ / kDeg);
        out.real(41, scale_);
        out.i(77, doubled_ ? 1 : 0);
        out.i(78, numPatternDefinitions());
        for (const PatternLine& d : defs_) {
            out.real(53, d.angle / kDeg);
            out.real(43, d.baseX);
            out.real(44, d.baseY);
            out.real(45, d.offsetX);
            out.real(46, d.offsetY);
            out.i(79, static_cast<int64_t>(d.dashes.size()));
            for (double v : d.dashes) out.real(49, v);
        }
    }
    for (const DxfTag& t : beforeSeeds_) out.add(t);
    int seeds = 0;
    for (const DxfTag& t : seeds_) seeds += t.code == 10;
    out.i(98, seeds);
    for (const DxfTag& t : seeds_) out.add(t);
    for (const DxfTag& t : afterSeeds_) out.add(t);
}

namespace {
using TagIt = const DxfTag*;

// Copies `n` tags of code `code` (each optionally followed by one of `extra`) into `out`.
bool takeRun(TagIt& t, TagIt end, long n, int code, int extra, NUVAcad::TagList& out) {
    for (long k = 0; k < n; ++k) {
        if (t == end || t->code != code) return false;
        out.push_back(*t++);
        if (extra && t < end && t->code == extra) out.push_back(*t++);
    }
    return true;
}

// The tags of one boundary edge, from its type (72) on. A spline edge holds its own counts;
// the fit-point count (97) that later versions add must not be taken for the loop's count of
// source objects, which also has code 97 and follows the last edge.
bool readEdge(TagIt& t, TagIt end, bool lastEdge, NUVAcad::TagList& out) {
    if (t == end || t->code != 72) return false;
    int type = static_cast<int>(t->i);
    out.push_back(*t++);
    static const std::vector<int> line{10, 11}, arc{10, 40, 50, 51, 73}, ellipse{10, 11, 40, 50, 51, 73};
    const std::vector<int>* fixed = type == 1 ? &line : type == 2 ? &arc : type == 3 ? &ellipse : nullptr;
    if (fixed) {
        for (int code : *fixed) {
            if (t == end || t->code != code) return false;
            out.push_back(*t++);
        }
        return true;
    }
    if (type != 4) return false;
    long knots = 0, controls = 0;
    for (int code : {94, 73, 74, 95, 96}) {
        if (t == end || t->code != code) return false;
        if (code == 95) knots = static_cast<long>(t->i);
        if (code == 96) controls = static_cast<long>(t->i);
        out.push_back(*t++);
    }
    if (knots < 0 || controls < 0 || !takeRun(t, end, knots, 40, 0, out) || !takeRun(t, end, controls, 10, 42, out))
        return false;
    if (t == end || t->code != 97) return true;
    long fits = static_cast<long>(t->i);
    TagIt after = t + 1;
    bool isFitCount;
    if (fits > 0) {
        isFitCount = after < end && after->code == 11;
    } else {
        // "97 0": a fit count when something of the edge or another edge follows, or a second 97.
        isFitCount = after < end && (after->code == 97 || after->code == 12 || (!lastEdge && after->code == 72));
    }
    if (!isFitCount) return true;
    out.push_back(*t++);
    if (fits < 0 || !takeRun(t, end, fits, 11, 0, out)) return false;
    for (int code : {12, 13})
        if (t < end && t->code == code) out.push_back(*t++);
    return true;
}
}  // namespace

Acad::ErrorStatus AcDbHatch::dxfInFields(DxfIn& in) {
    AcDbEntity::dxfInFields(in);
    auto r = in.rest();
    const DxfTag* t = r.begin();
    const DxfTag* end = r.end();
    loops_.clear();
    defs_.clear();
    seeds_.clear();
    head_.clear();
    beforeSeeds_.clear();
    afterSeeds_.clear();
    bool solid = false;
    // Fields before the loops.
    for (; t < end && t->code != 91; ++t) {
        switch (t->code) {
        case 100: break;
        case 10: elevation_ = t->v[2]; break;
        case 210:
            if (!t->vector().isZeroLength()) normal_ = t->vector().normal();
            break;
        case 2: pattern_ = t->str; break;
        case 70: solid = t->i != 0; break;
        case 71: associative_ = t->i != 0; break;
        default: head_.push_back(*t); break;
        }
    }
    if (t == end) return Acad::eInvalidInput;
    long count = static_cast<long>(t->i);
    ++t;
    for (long n = 0; n < count && t < end; ++n) {
        if (t->code != 92) return Acad::eInvalidInput;
        Loop l;
        l.type = static_cast<int>(t->i);
        ++t;
        if (l.type & kPolyline) {
            for (; t < end && t->code != 93; ++t)
                if (t->code == 73) l.closed = t->i != 0;
            if (t == end) return Acad::eInvalidInput;
            long nv = static_cast<long>(t->i);
            ++t;
            for (long v = 0; v < nv && t < end; ++v) {
                if (t->code != 10) return Acad::eInvalidInput;
                l.points.push_back(t->point2d());
                l.bulges.push_back(0);
                ++t;
                if (t < end && t->code == 42) {
                    l.bulges.back() = t->real();
                    ++t;
                }
            }
        } else {
            if (t == end || t->code != 93) return Acad::eInvalidInput;
            long edges = static_cast<long>(t->i);
            l.edges.push_back(*t++);
            for (long e = 0; e < edges; ++e)
                if (!readEdge(t, end, e + 1 == edges, l.edges)) return Acad::eInvalidInput;
        }
        if (t < end && t->code == 97) {
            long ns = static_cast<long>(t->i);
            l.sources.push_back(*t);
            ++t;
            for (long s = 0; s < ns && t < end && t->code == 330; ++s, ++t) l.sources.push_back(*t);
        }
        loops_.push_back(std::move(l));
    }
    // Fields after the loops.
    bool inSeeds = false;
    for (; t < end; ++t) {
        if (inSeeds && t->code != 10) {
            afterSeeds_.push_back(*t);
            continue;
        }
        switch (t->code) {
        case 75: style_ = static_cast<HatchStyle>(t->i >= 0 && t->i <= 2 ? t->i : 0); break;
        case 76: patternType_ = static_cast<HatchPatternType>(t->i >= 0 && t->i <= 2 ? t->i : 1); break;
        case 52: angle_ = t->real() * kDeg; break;
        case 41: scale_ = t->real() > 0 ? t->real() : 1; break;
        case 77: doubled_ = t->i != 0; break;
        case 53: defs_.push_back({t->real() * kDeg, 0, 0, 0, 0, {}}); break;
        case 43: if (!defs_.empty()) defs_.back().baseX = t->real(); break;
        case 44: if (!defs_.empty()) defs_.back().baseY = t->real(); break;
        case 45: if (!defs_.empty()) defs_.back().offsetX = t->real(); break;
        case 46: if (!defs_.empty()) defs_.back().offsetY = t->real(); break;
        case 49: if (!defs_.empty()) defs_.back().dashes.push_back(t->real()); break;
        case 78:  // counts the model derives from what it holds
        case 79: break;
        case 98: inSeeds = true; break;
        case 10:
            if (inSeeds) seeds_.push_back(*t);
            else beforeSeeds_.push_back(*t);
            break;
        default: beforeSeeds_.push_back(*t); break;
        }
    }
    if (solid && !isSolidFill()) pattern_ = "SOLID";
    return Acad::eOk;
}
