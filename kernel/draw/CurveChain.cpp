// Curve chaining. The rule: the next curve is the remaining one with an end nearest to where the
// chain has reached, strictly nearer than 4294967295.0 (else the first remaining curve); on equal
// distances the earlier curve in `in` wins, and on one curve its start point. That is the
// lexicographic minimum of (distance, position in `in`, start before end): keep it exact.
//
// Finding that minimum: the ends lie in a uniform grid of about as many cells as ends, searched in
// rings of cells around the reference point until no unsearched cell can hold an end as near as
// the best found (with two rings to spare for rounding at cell borders). A chain's next curve is
// usually a cell or two away, so a pass costs about a constant and the whole chain grows about
// linearly with the number of curves. A pass whose rings would visit more cells than there are
// curves left (a long jump across empty space) scans the remaining curves instead, which is
// exact by construction; so is the grid, since it only decides which ends are compared.
//
// The ends are read once up front; a curve whose ends cannot be read would fail the very first
// pass (every curve is compared there), so failing before placing anything is the same result.
#include "draw/CurveChain.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace NUV {
namespace {

constexpr double kFirstThreshold = 4294967295.0;

// The best end so far; `found` once an end beats the first threshold.
struct Best {
    double d = kFirstThreshold;
    size_t curve = 0;
    bool byEnd = false;
    bool found = false;

    void consider(double dist, size_t i, bool end) {
        bool better = found ? (dist < d || (dist == d && (i < curve || (i == curve && !end && byEnd))))
                            : dist < kFirstThreshold;
        if (better) {
            d = dist;
            curve = i;
            byEnd = end;
            found = true;
        }
    }
};

class EndGrid {
public:
    explicit EndGrid(const std::vector<AcGePoint3d>& ends) : ends_(ends), cellOf_(ends.size(), -1) {
        double lo[3], hi[3];
        for (int a = 0; a < 3; ++a) lo[a] = std::numeric_limits<double>::infinity(), hi[a] = -lo[a];
        size_t inGrid = 0;
        for (const AcGePoint3d& p : ends) {
            if (!Usable(p)) continue;
            ++inGrid;
            for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], p[a]), hi[a] = std::max(hi[a], p[a]);
        }
        if (inGrid == 0) {
            for (int a = 0; a < 3; ++a) origin_[a] = 0, n_[a] = 1;
        } else {
            double extent[3];
            for (int a = 0; a < 3; ++a) origin_[a] = lo[a], extent[a] = hi[a] - lo[a];
            h_ = CellSize(extent, 2.0 * static_cast<double>(inGrid));
            for (int a = 0; a < 3; ++a) n_[a] = static_cast<int64_t>(std::floor(extent[a] / h_)) + 1;
        }
        cells_.resize(static_cast<size_t>(n_[0] * n_[1] * n_[2]));
        for (size_t e = 0; e < ends.size(); ++e) {
            if (!Usable(ends[e])) {
                outside_.push_back(static_cast<uint32_t>(e));
                continue;
            }
            int64_t c[3];
            for (int a = 0; a < 3; ++a)
                c[a] = std::clamp<int64_t>(static_cast<int64_t>(std::floor((ends[e][a] - origin_[a]) / h_)), 0, n_[a] - 1);
            cellOf_[e] = Index(c);
            cells_[static_cast<size_t>(cellOf_[e])].push_back(static_cast<uint32_t>(e));
        }
    }

    void remove(size_t e) {
        std::vector<uint32_t>& list = cellOf_[e] < 0 ? outside_ : cells_[static_cast<size_t>(cellOf_[e])];
        auto it = std::find(list.begin(), list.end(), static_cast<uint32_t>(e));
        *it = list.back();
        list.pop_back();
    }

    // The best end near `ref`, or false when the rings would cost more than `budget` cells.
    bool nearest(const AcGePoint3d& ref, size_t budget, Best& best) const {
        for (uint32_t e : outside_) best.consider(ref.distanceTo(ends_[e]), e / 2, e % 2);
        int64_t c[3];
        for (int a = 0; a < 3; ++a) {
            double v = std::floor((ref[a] - origin_[a]) / h_);
            if (!(std::fabs(v) < 1e12)) return false;  // not finite, or far outside: scan instead
            c[a] = static_cast<int64_t>(v);
        }
        size_t visited = 0;
        for (int64_t r = 0;; ++r) {
            int64_t lo[3], hi[3];
            bool covers = true;
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::max<int64_t>(c[a] - r, 0);
                hi[a] = std::min<int64_t>(c[a] + r, n_[a] - 1);
                covers = covers && c[a] - r <= 0 && c[a] + r >= n_[a] - 1;
            }
            if (lo[0] <= hi[0] && lo[1] <= hi[1] && lo[2] <= hi[2]) {
                // Only the shell at Chebyshev distance r; inner cells were searched before.
                const bool zFaces = (c[2] - r >= 0) || (c[2] + r <= n_[2] - 1);
                for (int64_t x = lo[0]; x <= hi[0]; ++x) {
                    const bool xEdge = x == c[0] - r || x == c[0] + r;
                    for (int64_t y = lo[1]; y <= hi[1]; ++y) {
                        const bool yEdge = y == c[1] - r || y == c[1] + r;
                        if (!xEdge && !yEdge && !zFaces) {
                            y = std::max(y, c[1] + r - 1);  // jump to the far y edge
                            continue;
                        }
                        for (int64_t z = lo[2]; z <= hi[2]; ++z) {
                            if (!xEdge && !yEdge && z != c[2] - r && z != c[2] + r) continue;
                            const int64_t cell[3] = {x, y, z};
                            for (uint32_t e : cells_[static_cast<size_t>(Index(cell))])
                                best.consider(ref.distanceTo(ends_[e]), e / 2, e % 2);
                            if (++visited > budget) return false;
                        }
                    }
                }
            }
            if (covers) return true;
            // Every end not yet searched is more than r cells away from the reference's cell, so
            // farther than r - 2 cell edges even if rounding put it, and the reference, one cell off.
            const double reach = static_cast<double>(r - 2) * h_;
            if (best.found ? best.d < reach : kFirstThreshold <= reach) return true;
            if (++visited > budget) return false;
        }
    }

private:
    static bool Usable(const AcGePoint3d& p) {
        return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) &&
               std::fabs(p.x) < 1e200 && std::fabs(p.y) < 1e200 && std::fabs(p.z) < 1e200;
    }
    // The cell edge that gives at most `target` cells over the extents (at least one per axis).
    static double CellSize(const double extent[3], double target) {
        const double widest = std::max({extent[0], extent[1], extent[2]});
        if (!(widest > 0)) return 1.0;
        auto cells = [&](double h) {
            double n = 1;
            for (int a = 0; a < 3; ++a) n *= std::floor(extent[a] / h) + 1;
            return n;
        };
        double lo = widest / target, hi = widest;  // too many cells at lo; at most 8 at hi
        for (int i = 0; i < 60; ++i) {
            const double mid = std::sqrt(lo * hi);
            (cells(mid) > target ? lo : hi) = mid;
        }
        return hi;
    }
    int64_t Index(const int64_t c[3]) const { return (c[0] * n_[1] + c[1]) * n_[2] + c[2]; }

    const std::vector<AcGePoint3d>& ends_;  // curve i's start at 2i, its end at 2i + 1
    std::vector<int64_t> cellOf_;           // -1: kept in outside_
    std::vector<std::vector<uint32_t>> cells_;
    std::vector<uint32_t> outside_;         // ends too odd to place in the grid, searched always
    double origin_[3] = {0, 0, 0};
    double h_ = 1.0;
    int64_t n_[3] = {1, 1, 1};
};

}  // namespace

bool SortCurve(const AcArray<AcDbCurve*>& in, const AcGePoint3d& start, AcArray<AcDbCurve*>& out) {
    out.removeAll();
    const size_t n = static_cast<size_t>(in.length());
    std::vector<AcGePoint3d> ends(2 * n);
    for (size_t i = 0; i < n; ++i) {
        AcDbCurve* c = in[static_cast<int>(i)];
        if (!c || c->getStartPoint(ends[2 * i]) != Acad::eOk || c->getEndPoint(ends[2 * i + 1]) != Acad::eOk)
            return false;
    }
    EndGrid grid(ends);
    std::vector<bool> placed(n, false);
    size_t firstLeft = 0, left = n;
    AcGePoint3d ref = start;
    while (left > 0) {
        while (placed[firstLeft]) ++firstLeft;
        Best best;
        if (!grid.nearest(ref, 2 * left + 64, best)) {
            best = Best();
            for (size_t i = firstLeft; i < n; ++i) {
                if (placed[i]) continue;
                best.consider(ref.distanceTo(ends[2 * i]), i, false);
                best.consider(ref.distanceTo(ends[2 * i + 1]), i, true);
            }
        }
        const size_t chosen = best.found ? best.curve : firstLeft;
        const bool byEnd = best.found && best.byEnd;
        ref = byEnd ? ends[2 * chosen] : ends[2 * chosen + 1];
        out.append(in[static_cast<int>(chosen)]);
        placed[chosen] = true;
        grid.remove(2 * chosen);
        grid.remove(2 * chosen + 1);
        --left;
    }
    return true;
}

bool SortCurve(const AcDbObjectIdArray& in, const AcGePoint3d& start, AcDbObjectIdArray& out) {
    AcArray<AcDbCurve*> opened;
    for (int i = 0; i < in.length(); ++i) {
        AcDbCurve* c = nullptr;
        if (acdbOpenObject(c, in[i], AcDb::kForRead) == Acad::eOk) opened.append(c);
    }
    AcArray<AcDbCurve*> chain;
    bool ok = SortCurve(opened, start, chain);
    for (int i = 0; i < chain.length(); ++i) out.append(chain[i]->objectId());
    for (int i = 0; i < opened.length(); ++i) opened[i]->close();
    return ok;
}

}  // namespace NUV
