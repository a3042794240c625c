// Segment tests use exact orientation signs, so touching counts as meeting; a window polygon
// also refuses an entity whose segment leaves and re-enters it between two inside vertices.
#include "acad/SelectionRegion.h"

#include <algorithm>

namespace NUVAcad {

namespace {

double cross(const AcGePoint2d& o, const AcGePoint2d& a, const AcGePoint2d& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}
int sign(double v) { return (v > 0) - (v < 0); }

bool onSegment(const AcGePoint2d& p, const AcGePoint2d& a, const AcGePoint2d& b) {
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

// Any common point, touching included.
bool segmentsMeet(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& c, const AcGePoint2d& d) {
    int d1 = sign(cross(c, d, a)), d2 = sign(cross(c, d, b));
    int d3 = sign(cross(a, b, c)), d4 = sign(cross(a, b, d));
    if (d1 * d2 < 0 && d3 * d4 < 0) return true;
    return (d1 == 0 && onSegment(a, c, d)) || (d2 == 0 && onSegment(b, c, d)) || (d3 == 0 && onSegment(c, a, b)) ||
           (d4 == 0 && onSegment(d, a, b));
}

// Crossing through each other's interiors.
bool segmentsCross(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& c, const AcGePoint2d& d) {
    return sign(cross(c, d, a)) * sign(cross(c, d, b)) < 0 && sign(cross(a, b, c)) * sign(cross(a, b, d)) < 0;
}

template <class Fn>
void forEachSegment(const std::vector<AcGePoint2d>& pts, bool closed, Fn fn) {
    size_t n = pts.size();
    if (n == 1) fn(pts[0], pts[0]);
    for (size_t i = 0; i + 1 < n; ++i) fn(pts[i], pts[i + 1]);
    if (closed && n > 2) fn(pts[n - 1], pts[0]);
}

}  // namespace

void ForEachChain(const std::vector<OutlinePart>& outline,
                  const std::function<void(const std::vector<AcGePoint2d>&, bool)>& fn) {
    for (const OutlinePart& p : outline) {
        switch (p.kind) {
        case OutlinePart::Polyline: fn(p.points, p.closed); break;
        case OutlinePart::Fill:
            for (const auto& loop : p.loops) fn(loop, true);
            break;
        case OutlinePart::Text: {
            AcGePoint2d c[4];
            TextBox(p.text, c);
            fn({c[0], c[1], c[2], c[3]}, true);
            break;
        }
        }
    }
}

SelectionRegion SelectionRegion::rectangle(const AcGePoint2d& a, const AcGePoint2d& b, bool crossing) {
    SelectionRegion r;
    r.kind_ = crossing ? Crossing : Window;
    double x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x), y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
    r.pts_ = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    return r;
}

SelectionRegion SelectionRegion::polygon(std::vector<AcGePoint2d> points, bool crossing) {
    SelectionRegion r;
    r.kind_ = crossing ? CrossingPolygon : WindowPolygon;
    r.pts_ = std::move(points);
    return r;
}

SelectionRegion SelectionRegion::fence(std::vector<AcGePoint2d> points) {
    SelectionRegion r;
    r.kind_ = Fence;
    r.pts_ = std::move(points);
    return r;
}

bool SelectionRegion::inside(const AcGePoint2d& p) const {
    if (kind_ == Window || kind_ == Crossing)
        return pts_[0].x <= p.x && p.x <= pts_[2].x && pts_[0].y <= p.y && p.y <= pts_[2].y;
    if (kind_ == Fence) return false;
    bool in = false;
    size_t n = pts_.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const AcGePoint2d &a = pts_[i], &b = pts_[j];
        if (sign(cross(a, b, p)) == 0 && onSegment(p, a, b)) return true;  // on the border
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
}

bool SelectionRegion::cuts(const AcGePoint2d& a, const AcGePoint2d& b) const {
    bool found = false;
    forEachSegment(pts_, kind_ != Fence, [&](const AcGePoint2d& c, const AcGePoint2d& d) {
        if (!found && segmentsMeet(a, b, c, d)) found = true;
    });
    return found;
}

bool SelectionRegion::selects(const std::vector<OutlinePart>& outline) const {
    if (pts_.empty()) return false;
    bool any = false, all = true, meets = false, leaves = false;
    ForEachChain(outline, [&](const std::vector<AcGePoint2d>& pts, bool closed) {
        for (const AcGePoint2d& p : pts) {
            any = true;
            if (kind_ != Fence) {
                if (inside(p)) meets = true;
                else all = false;
            }
        }
        forEachSegment(pts, closed, [&](const AcGePoint2d& a, const AcGePoint2d& b) {
            if (kind_ == WindowPolygon && !leaves)
                forEachSegment(pts_, true, [&](const AcGePoint2d& c, const AcGePoint2d& d) {
                    if (segmentsCross(a, b, c, d)) leaves = true;
                });
            if ((kind_ == Crossing || kind_ == CrossingPolygon || kind_ == Fence) && !meets && cuts(a, b)) meets = true;
        });
    });
    if (!any) return false;
    switch (kind_) {
    case Window: return all;
    case WindowPolygon: return all && !leaves;
    default: return meets;
    }
}

}  // namespace NUVAcad
