#include "acad/CurveMath.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "acad/AcGeContext.h"
#include "acad/AcGeVector2d.h"

namespace CurveMath {
namespace {

constexpr double kTwoPi = 2.0 * M_PI;
constexpr double kInf = std::numeric_limits<double>::infinity();

double wrapTwoPi(double a) {
    a = std::fmod(a, kTwoPi);
    if (a < 0.0) a += kTwoPi;
    return a >= kTwoPi ? 0.0 : a;
}

// Point tolerance for a model whose coordinates reach `size`: the global tolerance, widened in
// proportion to the coordinates so rounding in far-off drawings still compares equal.
double pointTol(double size) { return AcGeContext::gTol.equalPoint() * std::max(1.0, size); }

double magnitude(const AcGePoint3d& p) { return std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}); }

// One straight or circular piece of a curve, in world coordinates, run by f in [0, 1]:
// a segment p0 + f (p1 - p0), or an arc c + r (cos(a) u + sin(a) v) with a = a0 + f sweep
// (sweep negative for a clockwise polyline bulge).
struct Piece {
    bool arc = false;
    AcGePoint3d p0, p1;
    AcGePoint3d c;
    double r = 0.0;
    AcGeVector3d u, v;
    double a0 = 0.0, sweep = 0.0;

    AcGePoint3d atAngle(double a) const { return c + (u * std::cos(a) + v * std::sin(a)) * r; }
    AcGePoint3d at(double f) const { return arc ? atAngle(a0 + f * sweep) : p0 + (p1 - p0) * f; }
    AcGeVector3d derivF(double f) const {
        if (!arc) return p1 - p0;
        double a = a0 + f * sweep;
        return (v * std::cos(a) - u * std::sin(a)) * (r * sweep);
    }
    double len() const { return arc ? r * std::fabs(sweep) : p0.distanceTo(p1); }
    double size() const { return arc ? magnitude(c) + r : std::max(magnitude(p0), magnitude(p1)); }

    // Nearest point; extending turns an arc into its circle and lets a segment run on beyond
    // the start (extStart) or the end (extEnd). f receives the piece parameter (for an arc on
    // the extended circle, the angle offset over sweep, possibly outside [0, 1]).
    AcGePoint3d closest(const AcGePoint3d& p, bool extStart, bool extEnd, double& f) const {
        if (!arc) {
            AcGeVector3d d = p1 - p0;
            double l2 = d.lengthSqrd();
            f = l2 > 0.0 ? (p - p0).dotProduct(d) / l2 : 0.0;
            if (!extStart) f = std::max(f, 0.0);
            if (!extEnd) f = std::min(f, 1.0);
            return at(f);
        }
        AcGeVector3d w = p - c;
        double x = w.dotProduct(u), y = w.dotProduct(v);
        if (x == 0.0 && y == 0.0) {  // on the axis: every point is nearest; take the start
            f = 0.0;
            return at(0.0);
        }
        double phi = std::atan2(y, x);
        double rel = sweep >= 0.0 ? wrapTwoPi(phi - a0) : wrapTwoPi(a0 - phi);
        double sw = std::fabs(sweep);
        if (sw <= 0.0) {
            f = 0.0;
            return at(0.0);
        }
        if (extStart || extEnd || rel <= sw) {
            f = rel / sw;
            return atAngle(phi);
        }
        AcGePoint3d s = at(0.0), e = at(1.0);
        if (p.distanceTo(s) <= p.distanceTo(e)) {
            f = 0.0;
            return s;
        }
        f = 1.0;
        return e;
    }
};

// Pieces of one curve. Lines, arcs and circles have a single piece, kept inline so their
// queries allocate nothing.
class PieceList {
public:
    size_t size() const { return heap_.empty() ? count_ : heap_.size(); }
    bool empty() const { return size() == 0; }
    const Piece& operator[](size_t i) const { return heap_.empty() ? one_ : heap_[i]; }
    const Piece& front() const { return (*this)[0]; }
    const Piece& back() const { return (*this)[size() - 1]; }
    const Piece* begin() const { return heap_.empty() ? &one_ : heap_.data(); }
    const Piece* end() const { return begin() + size(); }
    void reserve(size_t n) {
        if (n > 1) heap_.reserve(n);
    }
    void push_back(const Piece& p) {
        if (count_ == 0 && heap_.capacity() == 0) {
            one_ = p;
            count_ = 1;
            return;
        }
        if (heap_.empty() && count_ == 1) heap_.push_back(one_);
        heap_.push_back(p);
    }

private:
    Piece one_;
    size_t count_ = 0;
    std::vector<Piece> heap_;
};

// A curve as pieces plus the mapping from piece parameters to the curve's own parameter:
// a single piece maps f to base + f * scale; a polyline maps piece i, f to i + f.
struct Path {
    PieceList pieces;
    bool poly = false;
    bool closed = false;
    double base = 0.0, scale = 1.0;

    double startParam() const { return poly ? 0.0 : base; }
    double endParam() const { return poly ? static_cast<double>(pieces.size()) : base + scale; }
    double toParam(size_t i, double f) const { return poly ? static_cast<double>(i) + f : base + f * scale; }
    double size() const {
        double s = 0.0;
        for (const Piece& p : pieces) s = std::max(s, p.size());
        return s;
    }
    double paramTol() const { return 1.0e-10 * std::max(1.0, std::fabs(endParam()) + std::fabs(startParam())); }

    // Locates a parameter (within a small tolerance of the ends) as piece and fraction.
    bool locate(double param, size_t& i, double& f) const {
        if (pieces.empty()) return false;
        double s = startParam(), e = endParam(), tol = paramTol();
        if (param < s - tol || param > e + tol) return false;
        param = std::clamp(param, s, e);
        if (!poly) {
            i = 0;
            f = scale != 0.0 ? (param - base) / scale : 0.0;
            return true;
        }
        double k = std::floor(param);
        i = static_cast<size_t>(std::max(0.0, k));
        if (i >= pieces.size()) i = pieces.size() - 1;
        f = param - static_cast<double>(i);
        return true;
    }

    double length() const {
        double l = 0.0;
        for (const Piece& p : pieces) l += p.len();
        return l;
    }

    bool pointAtParam(double param, AcGePoint3d& out) const {
        size_t i;
        double f;
        if (!locate(param, i, f)) return false;
        out = pieces[i].at(f);
        return true;
    }
    bool derivAtParam(double param, AcGeVector3d& out) const {
        size_t i;
        double f;
        if (!locate(param, i, f)) return false;
        AcGeVector3d d = pieces[i].derivF(f);
        double dParamDf = poly ? 1.0 : scale;
        out = dParamDf != 0.0 ? d / dParamDf : AcGeVector3d::kIdentity;
        return true;
    }
    bool distAtParam(double param, double& out) const {
        size_t i;
        double f;
        if (!locate(param, i, f)) return false;
        double d = 0.0;
        for (size_t k = 0; k < i; ++k) d += pieces[k].len();
        out = d + f * pieces[i].len();
        return true;
    }
    bool paramAtDist(double dist, double& out) const {
        if (pieces.empty()) return false;
        double total = length();
        double tol = pointTol(size());
        if (dist < -tol || dist > total + tol) return false;
        dist = std::clamp(dist, 0.0, total);
        for (size_t i = 0; i < pieces.size(); ++i) {
            double l = pieces[i].len();
            if (dist <= l || i + 1 == pieces.size()) {
                double f = l > 0.0 ? std::min(dist / l, 1.0) : 0.0;
                out = toParam(i, f);
                return true;
            }
            dist -= l;
        }
        return false;
    }
    bool paramAtPoint(const AcGePoint3d& p, double& out) const {
        double tol = pointTol(std::max(size(), magnitude(p)));
        for (size_t i = 0; i < pieces.size(); ++i) {
            double f;
            AcGePoint3d q = pieces[i].closest(p, false, false, f);
            if (q.distanceTo(p) <= tol) {
                out = toParam(i, f);
                return true;
            }
        }
        return false;
    }
    // Which ends of piece i run on when the curve is extended.
    void extension(size_t i, bool extend, bool& extStart, bool& extEnd) const {
        extStart = extEnd = false;
        if (!extend || (poly && closed)) return;
        extStart = i == 0;
        extEnd = i + 1 == pieces.size();
    }
    AcGePoint3d closestPoint(const AcGePoint3d& p, bool extend) const {
        AcGePoint3d best;
        double bestD = kInf;
        for (size_t i = 0; i < pieces.size(); ++i) {
            bool es, ee;
            extension(i, extend, es, ee);
            double f;
            AcGePoint3d q = pieces[i].closest(p, es, ee, f);
            double d = q.distanceTo(p);
            if (d < bestD) {
                bestD = d;
                best = q;
            }
        }
        return best;
    }
};

Piece arcPiece(const AcGePoint3d& c, double r, const AcGeVector3d& normal, double a0, double sweep) {
    AcGeMatrix3d e = ecsToWorld(normal);
    Piece p;
    p.arc = true;
    p.c = c;
    p.r = r;
    p.u = e.getCsXAxis();
    p.v = e.getCsYAxis();
    p.a0 = a0;
    p.sweep = sweep;
    return p;
}

Path makePath(const Line& l) {
    Path path;
    Piece p;
    p.p0 = l.start;
    p.p1 = l.end;
    path.pieces.push_back(p);
    path.scale = l.start.distanceTo(l.end);
    return path;
}

Path makePath(const Arc& a) {
    Path path;
    double sw = arcSweep(a);
    path.pieces.push_back(arcPiece(a.center, a.radius, a.normal, a.startAngle, sw));
    path.base = a.startAngle;
    path.scale = sw;
    return path;
}

Path makePath(const Circle& c) {
    Path path;
    path.pieces.push_back(arcPiece(c.center, c.radius, c.normal, 0.0, kTwoPi));
    path.scale = kTwoPi;
    return path;
}

Path makePath(const Polyline& pl) {
    Path path;
    path.poly = true;
    path.closed = pl.closed;
    int n = segmentCount(pl);
    size_t nv = pl.points.size();
    path.pieces.reserve(static_cast<size_t>(n));
    AcGeMatrix3d e = ecsToWorld(pl.normal);
    AcGeVector3d ex = e.getCsXAxis(), ey = e.getCsYAxis(), ez = e.getCsZAxis();
    auto toWorld = [&](double x, double y) { return AcGePoint3d::kOrigin + ex * x + ey * y + ez * pl.elevation; };
    for (int k = 0; k < n; ++k) {
        size_t i = static_cast<size_t>(k);
        const AcGePoint2d& a = pl.points[i];
        const AcGePoint2d& b = pl.points[(i + 1) % nv];
        double bulge = i < pl.bulges.size() ? pl.bulges[i] : 0.0;
        Piece p;
        p.p0 = toWorld(a.x, a.y);
        p.p1 = toWorld(b.x, b.y);
        double chord = a.distanceTo(b);
        if (bulge != 0.0 && chord > 0.0) {
            // Sweep 4 atan(bulge); the centre sits off the chord's midpoint along its left
            // normal by chord (1 - bulge^2) / (4 bulge).
            double sweep = 4.0 * std::atan(bulge);
            AcGeVector2d d = (b - a) / chord;
            AcGePoint2d mid((a.x + b.x) / 2.0, (a.y + b.y) / 2.0);
            AcGePoint2d c2 = mid + d.perpVector() * (chord * (1.0 - bulge * bulge) / (4.0 * bulge));
            p.arc = true;
            p.c = toWorld(c2.x, c2.y);
            p.r = c2.distanceTo(a);
            p.u = ex;
            p.v = ey;
            p.a0 = std::atan2(a.y - c2.y, a.x - c2.x);
            p.sweep = sweep;
        }
        path.pieces.push_back(p);
    }
    return path;
}

Path makePath(const Shape& s) {
    return std::visit([](const auto& c) { return makePath(c); }, s);
}

// ---- Intersections on the XY projection -------------------------------------------------------

// A piece projected on XY: a segment q0 + t d, or a conic (circle or ellipse, or a flat ellipse
// when the arc stands upright) c + a cos(th) + b sin(th).
struct Flat {
    bool conic = false;
    AcGeVector2d q0, d;        // segment
    double tlo = 0.0, thi = 1.0;
    AcGeVector2d c, a, b;      // conic
    double lo = 0.0, span = kTwoPi;  // accepted angles: lo .. lo + span (mod 2pi)
    bool full = false;
    bool degenerate = false;   // conic seen edge-on, or a segment seen end-on
    bool circle = false;       // a true circle (|a| = |b|, a perpendicular to b)
    double radius = 0.0;
    const Piece* src = nullptr;
};

AcGeVector2d xy(const AcGePoint3d& p) { return {p.x, p.y}; }
AcGeVector2d xy(const AcGeVector3d& v) { return {v.x, v.y}; }

Flat flatten(const Piece& p, bool extStart, bool extEnd, double eps) {
    Flat f;
    f.src = &p;
    if (!p.arc) {
        f.q0 = xy(p.p0);
        f.d = xy(p.p1) - f.q0;
        f.tlo = extStart ? -kInf : 0.0;
        f.thi = extEnd ? kInf : 1.0;
        f.degenerate = f.d.length() <= eps;
        return f;
    }
    f.conic = true;
    f.c = xy(p.c);
    f.a = xy(p.u * p.r);
    f.b = xy(p.v * p.r);
    double la = f.a.length(), lb = f.b.length();
    f.degenerate = std::fabs(f.a.crossProduct(f.b)) <= eps * std::max(la, lb) || p.r <= eps;
    f.circle = !f.degenerate && std::fabs(la - lb) <= 1.0e-12 * std::max(la, lb) &&
               std::fabs(f.a.dotProduct(f.b)) <= 1.0e-12 * la * lb;
    f.radius = la;
    f.full = extStart || extEnd || std::fabs(p.sweep) >= kTwoPi;
    f.lo = p.sweep >= 0.0 ? p.a0 : p.a0 + p.sweep;
    f.span = std::fabs(p.sweep);
    return f;
}

AcGeVector2d conicAt(const Flat& f, double th) { return f.c + f.a * std::cos(th) + f.b * std::sin(th); }

// Angle of a point of a non-degenerate conic (coordinates in the conic's own a, b frame).
double conicAngleOf(const Flat& f, const AcGeVector2d& x) {
    AcGeVector2d w = x - f.c;
    double det = f.a.crossProduct(f.b);
    return std::atan2(f.a.crossProduct(w) / det, w.crossProduct(f.b) / det);
}

bool angleAccepted(const Flat& f, double th, double eps) {
    if (f.full) return true;
    double angTol = eps / std::max(f.a.length(), f.b.length());
    double rel = wrapTwoPi(th - f.lo);
    return rel <= f.span + angTol || rel >= kTwoPi - angTol;
}

bool segAccepted(const Flat& f, double t, double eps) {
    double tol = eps / f.d.length();
    return t >= f.tlo - tol && t <= f.thi + tol;
}

// A crossing: the piece parameter on each side (t for a segment, the angle for a conic).
struct Hit {
    double pa, pb;
};

// Solutions of A cos(th) + B sin(th) = D.
int solveTrig(double A, double B, double D, double relTol, double out[2]) {
    double R = std::hypot(A, B);
    if (R <= 0.0) return 0;
    double phi = std::atan2(B, A), q = D / R;
    if (std::fabs(q) > 1.0 + relTol) return 0;
    if (std::fabs(std::fabs(q) - 1.0) <= relTol) {
        out[0] = q > 0 ? phi : phi + M_PI;
        return 1;
    }
    double w = std::acos(q);
    out[0] = phi + w;
    out[1] = phi - w;
    return 2;
}

void segSeg(const Flat& s, const Flat& o, double eps, std::vector<Hit>& hits) {
    double cr = s.d.crossProduct(o.d);
    if (std::fabs(cr) <= 1.0e-12 * s.d.length() * o.d.length()) return;  // parallel or collinear
    AcGeVector2d w = o.q0 - s.q0;
    double t = w.crossProduct(o.d) / cr, u = w.crossProduct(s.d) / cr;
    if (segAccepted(s, t, eps) && segAccepted(o, u, eps)) hits.push_back({t, u});
}

// Segment s against conic k; hits are (t on s, angle on k).
void segConic(const Flat& s, const Flat& k, double eps, std::vector<Hit>& hits) {
    double ts[2], ths[2];
    int n = 0;
    if (!k.degenerate) {
        // In the conic's frame the conic is the unit circle: solve |Q0 + t D| = 1.
        double det = k.a.crossProduct(k.b);
        auto frame = [&](const AcGeVector2d& w) {
            return AcGeVector2d(w.crossProduct(k.b) / det, k.a.crossProduct(w) / det);
        };
        AcGeVector2d Q0 = frame(s.q0 - k.c), D = frame(s.d);
        double A = D.lengthSqrd(), B = Q0.dotProduct(D);
        double h = std::fabs(Q0.crossProduct(D)) / std::sqrt(A);  // distance of the line from the centre
        double frameTol = eps / std::min(k.a.length(), k.b.length());
        if (h > 1.0 + frameTol) return;
        if (std::fabs(h - 1.0) <= frameTol) {
            ts[n++] = -B / A;
        } else {
            double root = std::sqrt(std::max(0.0, 1.0 - h * h) / A);
            ts[n++] = -B / A - root;
            ts[n++] = -B / A + root;
        }
        for (int i = 0; i < n; ++i) {
            AcGeVector2d q = Q0 + D * ts[i];
            ths[i] = std::atan2(q.y, q.x);
        }
    } else {
        // Conic seen edge-on: solve n . (conic(th) - q0) = 0 with n normal to the segment.
        AcGeVector2d nrm = s.d.perpVector().normal();
        double sol[2];
        double scale = std::max(k.a.length(), k.b.length());
        int m = solveTrig(nrm.dotProduct(k.a), nrm.dotProduct(k.b), -nrm.dotProduct(k.c - s.q0),
                          eps / scale, sol);
        for (int i = 0; i < m; ++i) {
            AcGeVector2d x = conicAt(k, sol[i]);
            ths[n] = sol[i];
            ts[n++] = (x - s.q0).dotProduct(s.d) / s.d.lengthSqrd();
        }
    }
    for (int i = 0; i < n; ++i)
        if (segAccepted(s, ts[i], eps) && angleAccepted(k, ths[i], eps)) hits.push_back({ts[i], ths[i]});
}

// Roots of g over a full turn: sign changes refined by bisection, and touching minima of |g|
// (tangency) refined by golden-section search and accepted within gTol.
template <class G>
void trigRoots(G g, double gTol, std::vector<double>& roots) {
    const int N = 720;
    double step = kTwoPi / N;
    std::vector<double> val(N + 1);
    for (int i = 0; i <= N; ++i) val[i] = g(i * step);
    auto add = [&](double th) {
        for (double r : roots)
            if (std::fabs(wrapTwoPi(th - r + M_PI) - M_PI) < 1.0e-9) return;
        roots.push_back(th);
    };
    for (int i = 0; i < N; ++i) {
        double x0 = i * step, x1 = x0 + step, g0 = val[i], g1 = val[i + 1];
        if (g0 == 0.0) {
            add(x0);
            continue;
        }
        if ((g0 < 0.0) != (g1 < 0.0) && g1 != 0.0) {
            for (int it = 0; it < 80; ++it) {
                double xm = 0.5 * (x0 + x1), gm = g(xm);
                if ((gm < 0.0) == (g0 < 0.0)) {
                    x0 = xm;
                    g0 = gm;
                } else {
                    x1 = xm;
                }
            }
            add(0.5 * (x0 + x1));
        }
    }
    for (int i = 0; i < N; ++i) {
        double gp = val[(i + N - 1) % N], g0 = val[i], gn = val[i + 1];
        if (std::fabs(g0) > std::fabs(gp) || std::fabs(g0) > std::fabs(gn)) continue;
        if ((gp < 0.0) != (g0 < 0.0) || (gn < 0.0) != (g0 < 0.0)) continue;  // a crossing, handled above
        double sgn = g0 < 0.0 ? -1.0 : 1.0;
        double lo = (i - 1) * step, hi = (i + 1) * step;
        const double phi = 0.5 * (std::sqrt(5.0) - 1.0);
        for (int it = 0; it < 100; ++it) {
            double m1 = hi - phi * (hi - lo), m2 = lo + phi * (hi - lo);
            if (sgn * g(m1) < sgn * g(m2)) hi = m2;
            else lo = m1;
        }
        double th = 0.5 * (lo + hi);
        if (std::fabs(g(th)) <= gTol) add(wrapTwoPi(th));
    }
}

void conicConic(const Flat& s, const Flat& o, double eps, std::vector<Hit>& hits) {
    std::vector<Hit> cand;
    if (s.circle && o.circle) {
        AcGeVector2d dc = o.c - s.c;
        double d = dc.length(), r1 = s.radius, r2 = o.radius;
        if (d <= eps) return;  // concentric
        if (d > r1 + r2 + eps || d < std::fabs(r1 - r2) - eps) return;
        double x = (d * d + r1 * r1 - r2 * r2) / (2.0 * d);
        bool tangent = std::fabs(d - (r1 + r2)) <= eps || std::fabs(d - std::fabs(r1 - r2)) <= eps;
        double h = tangent ? 0.0 : std::sqrt(std::max(0.0, r1 * r1 - x * x));
        AcGeVector2d ux = dc / d, uy = ux.perpVector();
        AcGeVector2d pts[2] = {s.c + ux * x + uy * h, s.c + ux * x - uy * h};
        for (int i = 0; i < (tangent ? 1 : 2); ++i) cand.push_back({conicAngleOf(s, pts[i]), conicAngleOf(o, pts[i])});
    } else if (!s.degenerate || !o.degenerate) {
        // Solve on the parametric side against the implicit equation of a non-degenerate one.
        bool swap = s.degenerate;
        const Flat& k = swap ? o : s;  // implicit
        const Flat& p = swap ? s : o;  // parametric
        double det = k.a.crossProduct(k.b);
        auto g = [&](double th) {
            AcGeVector2d w = conicAt(p, th) - k.c;
            AcGeVector2d q(w.crossProduct(k.b) / det, k.a.crossProduct(w) / det);
            return q.lengthSqrd() - 1.0;
        };
        std::vector<double> roots;
        trigRoots(g, 2.0 * eps / std::min(k.a.length(), k.b.length()), roots);
        for (double th : roots) {
            double tk = conicAngleOf(k, conicAt(p, th));
            cand.push_back(swap ? Hit{th, tk} : Hit{tk, th});
        }
    } else {
        // Both seen edge-on: meet their supporting lines, then find the angles on each.
        AcGeVector2d es = (s.a.length() >= s.b.length() ? s.a : s.b).normal();
        AcGeVector2d eo = (o.a.length() >= o.b.length() ? o.a : o.b).normal();
        double cr = es.crossProduct(eo);
        if (std::fabs(cr) <= 1.0e-12) return;
        double t = (o.c - s.c).crossProduct(eo) / cr;
        AcGeVector2d x = s.c + es * t;
        double as[2], ao[2];
        int ns = solveTrig(es.dotProduct(s.a), es.dotProduct(s.b), es.dotProduct(x - s.c), 1e-9, as);
        int no = solveTrig(eo.dotProduct(o.a), eo.dotProduct(o.b), eo.dotProduct(x - o.c), 1e-9, ao);
        for (int i = 0; i < ns; ++i)
            for (int j = 0; j < no; ++j) cand.push_back({as[i], ao[j]});
    }
    for (const Hit& h : cand)
        if (angleAccepted(s, h.pa, eps) && angleAccepted(o, h.pb, eps)) hits.push_back(h);
}

// Box around a flattened piece (the whole ellipse for a conic; unbounded for a segment that
// runs on), for a cheap rejection before solving.
struct Box {
    double x0, y0, x1, y1;
};

Box boxOf(const Flat& f) {
    if (f.conic) {
        double hx = std::hypot(f.a.x, f.b.x), hy = std::hypot(f.a.y, f.b.y);
        return {f.c.x - hx, f.c.y - hy, f.c.x + hx, f.c.y + hy};
    }
    if (std::isinf(f.tlo) || std::isinf(f.thi)) return {-kInf, -kInf, kInf, kInf};
    AcGeVector2d p = f.q0, q = f.q0 + f.d;
    return {std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)};
}

bool boxesApart(const Box& a, const Box& b, double eps) {
    return a.x1 + eps < b.x0 || b.x1 + eps < a.x0 || a.y1 + eps < b.y0 || b.y1 + eps < a.y0;
}

void intersectFlat(const Flat& s, const Flat& o, double eps, std::vector<Hit>& hits) {
    if (!s.conic && s.degenerate) return;
    if (!o.conic && o.degenerate) return;
    if (boxesApart(boxOf(s), boxOf(o), eps)) return;
    if (!s.conic && !o.conic) {
        segSeg(s, o, eps, hits);
    } else if (!s.conic) {
        segConic(s, o, eps, hits);
    } else if (!o.conic) {
        std::vector<Hit> tmp;
        segConic(o, s, eps, tmp);
        for (const Hit& h : tmp) hits.push_back({h.pb, h.pa});
    } else {
        conicConic(s, o, eps, hits);
    }
}

AcGePoint3d pointOf(const Flat& f, double param) {
    return f.conic ? f.src->atAngle(param) : f.src->at(param);
}

void appendUnique(AcGePoint3dArray& out, int firstNew, const AcGePoint3d& p, double eps) {
    for (int i = firstNew; i < out.length(); ++i)
        if (out[i].distanceTo(p) <= eps) return;
    out.append(p);
}

std::vector<Flat> flattenPath(const Path& path, bool extend, double eps) {
    std::vector<Flat> out;
    out.reserve(path.pieces.size());
    for (size_t i = 0; i < path.pieces.size(); ++i) {
        bool es, ee;
        path.extension(i, extend, es, ee);
        out.push_back(flatten(path.pieces[i], es, ee, eps));
    }
    return out;
}

}  // namespace

AcGeMatrix3d ecsToWorld(const AcGeVector3d& normal) { return AcGeMatrix3d::planeToWorld(normal); }

Arc arcFromGeArc(const AcGeCircArc3d& g) {
    Arc a;
    a.center = g.center();
    a.radius = g.radius();
    a.normal = g.normal();
    AcGeMatrix3d e = ecsToWorld(g.normal());
    double shift = e.getCsXAxis().angleTo(g.refVec(), g.normal());
    a.startAngle = wrapTwoPi(g.startAng() + shift);
    double sweep = g.endAng() - g.startAng();
    a.endAngle = sweep >= kTwoPi ? a.startAngle : wrapTwoPi(g.endAng() + shift);
    return a;
}

double arcSweep(const Arc& a) {
    double s = wrapTwoPi(a.endAngle - a.startAngle);
    return s <= 0.0 ? kTwoPi : s;
}

int segmentCount(const Polyline& pl) {
    int n = static_cast<int>(pl.points.size());
    if (n == 0) return 0;
    if (pl.closed) return n == 1 ? 0 : n;
    return n - 1;
}

namespace {
// Where a curve without pieces sits: a lone polyline vertex, else the origin.
AcGePoint3d lonePoint(const Polyline& pl) {
    if (pl.points.empty()) return AcGePoint3d::kOrigin;
    return ecsToWorld(pl.normal) * AcGePoint3d(pl.points[0].x, pl.points[0].y, pl.elevation);
}
AcGePoint3d lonePoint(const Shape& s) {
    const Polyline* pl = std::get_if<Polyline>(&s);
    return pl ? lonePoint(*pl) : AcGePoint3d::kOrigin;
}
template <class S>
AcGePoint3d lonePoint(const S&) {
    return AcGePoint3d::kOrigin;
}
}  // namespace

#define CURVEMATH_DEFINE(S)                                                                          \
    AcGePoint3d startPoint(const S& c) {                                                            \
        Path path = makePath(c);                                                                    \
        return path.pieces.empty() ? lonePoint(c) : path.pieces.front().at(0.0);                    \
    }                                                                                               \
    AcGePoint3d endPoint(const S& c) {                                                              \
        Path path = makePath(c);                                                                    \
        return path.pieces.empty() ? lonePoint(c) : path.pieces.back().at(1.0);                     \
    }                                                                                               \
    double startParam(const S& c) { return makePath(c).startParam(); }                              \
    double endParam(const S& c) { return makePath(c).endParam(); }                                  \
    double length(const S& c) { return makePath(c).length(); }                                      \
    bool pointAtParam(const S& c, double param, AcGePoint3d& point) {                               \
        return makePath(c).pointAtParam(param, point);                                              \
    }                                                                                               \
    bool paramAtPoint(const S& c, const AcGePoint3d& point, double& param) {                        \
        return makePath(c).paramAtPoint(point, param);                                              \
    }                                                                                               \
    bool distAtParam(const S& c, double param, double& dist) { return makePath(c).distAtParam(param, dist); } \
    bool paramAtDist(const S& c, double dist, double& param) { return makePath(c).paramAtDist(dist, param); } \
    bool pointAtDist(const S& c, double dist, AcGePoint3d& point) {                                 \
        Path path = makePath(c);                                                                    \
        double param;                                                                               \
        return path.paramAtDist(dist, param) && path.pointAtParam(param, point);                    \
    }                                                                                               \
    bool distAtPoint(const S& c, const AcGePoint3d& point, double& dist) {                          \
        Path path = makePath(c);                                                                    \
        double param;                                                                               \
        return path.paramAtPoint(point, param) && path.distAtParam(param, dist);                    \
    }                                                                                               \
    bool firstDeriv(const S& c, double param, AcGeVector3d& deriv) {                                \
        return makePath(c).derivAtParam(param, deriv);                                              \
    }                                                                                               \
    bool firstDerivAtPoint(const S& c, const AcGePoint3d& point, AcGeVector3d& deriv) {             \
        Path path = makePath(c);                                                                    \
        double param;                                                                               \
        return path.paramAtPoint(point, param) && path.derivAtParam(param, deriv);                  \
    }                                                                                               \
    AcGePoint3d closestPoint(const S& c, const AcGePoint3d& point, bool extend) {                   \
        return makePath(c).closestPoint(point, extend);                                             \
    }

CURVEMATH_DEFINE(Line)
CURVEMATH_DEFINE(Arc)
CURVEMATH_DEFINE(Circle)
CURVEMATH_DEFINE(Polyline)
CURVEMATH_DEFINE(Shape)
#undef CURVEMATH_DEFINE

bool extents(const Shape& c, AcGePoint3d& minPoint, AcGePoint3d& maxPoint) {
    Path path = makePath(c);
    AcGePoint3d lo(kInf, kInf, kInf), hi(-kInf, -kInf, -kInf);
    auto add = [&](const AcGePoint3d& p) {
        for (unsigned k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], p[k]);
            hi[k] = std::max(hi[k], p[k]);
        }
    };
    if (path.pieces.empty()) {
        const Polyline* pl = std::get_if<Polyline>(&c);
        if (pl == nullptr || pl->points.empty()) return false;
        add(lonePoint(*pl));
    }
    for (const Piece& p : path.pieces) {
        add(p.at(0.0));
        add(p.at(1.0));
        if (!p.arc) continue;
        // Coordinate k along the arc is c_k + r (u_k cos a + v_k sin a): extreme where
        // a = atan2(v_k, u_k) and half a turn further, if the arc passes there.
        double sw = std::fabs(p.sweep), from = p.sweep >= 0.0 ? p.a0 : p.a0 + p.sweep;
        for (unsigned k = 0; k < 3; ++k) {
            if (p.u[k] == 0.0 && p.v[k] == 0.0) continue;
            double a = std::atan2(p.v[k], p.u[k]);
            for (double cand : {a, a + M_PI})
                if (wrapTwoPi(cand - from) <= sw) add(p.atAngle(cand));
        }
    }
    minPoint = lo;
    maxPoint = hi;
    return true;
}

int intersectWith(const Shape& self, const Shape& other, ExtendMode mode, AcGePoint3dArray& points) {
    Path ps = makePath(self), po = makePath(other);
    double eps = pointTol(std::max(ps.size(), po.size()));
    std::vector<Flat> fs = flattenPath(ps, mode == kExtendThis || mode == kExtendBoth, eps);
    std::vector<Flat> fo = flattenPath(po, mode == kExtendArg || mode == kExtendBoth, eps);
    int first = points.length();
    std::vector<Hit> hits;
    for (const Flat& a : fs)
        for (const Flat& b : fo) {
            hits.clear();
            intersectFlat(a, b, eps, hits);
            for (const Hit& h : hits) appendUnique(points, first, pointOf(a, h.pa), eps);
        }
    return points.length() - first;
}

int selfIntersections(const Polyline& pl, AcGePoint3dArray& points) {
    Path path = makePath(pl);
    double eps = pointTol(path.size());
    std::vector<Flat> f = flattenPath(path, false, eps);
    size_t n = f.size();
    int first = points.length();
    std::vector<Hit> hits;
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j) {
            hits.clear();
            intersectFlat(f[i], f[j], eps, hits);
            // Consecutive segments share a vertex, which is not a crossing.
            bool nextTo = j == i + 1;
            bool wrapsTo = pl.closed && i == 0 && j == n - 1;
            for (const Hit& h : hits) {
                AcGePoint3d p = pointOf(f[i], h.pa);
                AcGeVector2d pxy(p.x, p.y);
                if (nextTo && (pxy - xy(path.pieces[i].at(1.0))).length() <= eps) continue;
                if (wrapsTo && (pxy - xy(path.pieces[i].at(0.0))).length() <= eps) continue;
                appendUnique(points, first, p, eps);
            }
        }
    return points.length() - first;
}

}  // namespace CurveMath
