// World points go to screen dots through the view: the view's width spans dots 0 to highX and
// its height 0 to highY. Vectors are clipped to that rectangle before rounding (Liang-Barsky);
// fills are clipped (Sutherland-Hodgman) and cut into trapezoids between the heights of their
// vertices, paired left to right by the even-odd rule, so holes stay open.
#include "acad/SlideMaker.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/DbInternal.h"
#include "acad/Display.h"
#include "acad/EntityOutline.h"
#include "win/CString.h"
#include "win/FileSystem.h"

namespace NUVAcad {

namespace {

struct Pt {
    double x, y;
};

class Maker {
public:
    Maker(const DisplayView& v, Slide& s) : s_(s) {
        kx_ = s.highX / v.width();
        ky_ = s.highY / v.height;
        ll_ = v.lowerLeft();
    }

    void part(const OutlinePart& p) {
        switch (p.kind) {
        case OutlinePart::Polyline: chain(p.points, p.closed, p.color); break;
        case OutlinePart::Text:
            for (const auto& stroke : StrokeText(p.text)) chain(stroke, false, p.color);
            break;
        case OutlinePart::Fill: fill(p.loops, p.color); break;
        }
    }

private:
    Pt dot(const AcGePoint2d& w) const { return {(w.x - ll_.x) * kx_, (w.y - ll_.y) * ky_}; }
    static int round(double v) { return static_cast<int>(std::lround(v)); }

    void chain(const std::vector<AcGePoint2d>& pts, bool closed, int color) {
        size_t n = pts.size();
        if (n == 1) segment(dot(pts[0]), dot(pts[0]), color);
        for (size_t i = 0; i + 1 < n; ++i) segment(dot(pts[i]), dot(pts[i + 1]), color);
        if (closed && n > 2) segment(dot(pts[n - 1]), dot(pts[0]), color);
    }

    void segment(Pt a, Pt b, int color) {
        // Liang-Barsky against [0, highX] x [0, highY].
        double t0 = 0, t1 = 1, dx = b.x - a.x, dy = b.y - a.y;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {a.x, s_.highX - a.x, a.y, s_.highY - a.y};
        for (int k = 0; k < 4; ++k) {
            if (p[k] == 0) {
                if (q[k] < 0) return;
                continue;
            }
            double r = q[k] / p[k];
            if (p[k] < 0) t0 = std::max(t0, r);
            else t1 = std::min(t1, r);
            if (t0 > t1) return;
        }
        SlideDot from{round(a.x + t0 * dx), round(a.y + t0 * dy)};
        SlideDot to{round(a.x + t1 * dx), round(a.y + t1 * dy)};
        s_.items.push_back({SlideItem::Vector, color, {from, to}});
    }

    std::vector<Pt> clip(std::vector<Pt> poly) const {
        auto edge = [&](auto inside, auto cut) {
            std::vector<Pt> out;
            for (size_t i = 0; i < poly.size(); ++i) {
                Pt a = poly[i], b = poly[(i + 1) % poly.size()];
                bool ia = inside(a), ib = inside(b);
                if (ia) out.push_back(a);
                if (ia != ib) out.push_back(cut(a, b));
            }
            poly = std::move(out);
        };
        auto atX = [](Pt a, Pt b, double x) { return Pt{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)}; };
        auto atY = [](Pt a, Pt b, double y) { return Pt{a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y}; };
        double hx = s_.highX, hy = s_.highY;
        edge([](Pt p) { return p.x >= 0; }, [&](Pt a, Pt b) { return atX(a, b, 0); });
        edge([&](Pt p) { return p.x <= hx; }, [&](Pt a, Pt b) { return atX(a, b, hx); });
        edge([](Pt p) { return p.y >= 0; }, [&](Pt a, Pt b) { return atY(a, b, 0); });
        edge([&](Pt p) { return p.y <= hy; }, [&](Pt a, Pt b) { return atY(a, b, hy); });
        return poly;
    }

    void fill(const std::vector<std::vector<AcGePoint2d>>& loops, int color) {
        struct Edge {
            Pt lo, hi;  // lo.y < hi.y
        };
        std::vector<Edge> edges;
        std::vector<double> ys;
        for (const auto& loop : loops) {
            std::vector<Pt> poly;
            for (const AcGePoint2d& p : loop) poly.push_back(dot(p));
            poly = clip(std::move(poly));
            for (size_t i = 0; i < poly.size(); ++i) {
                Pt a = poly[i], b = poly[(i + 1) % poly.size()];
                ys.push_back(std::round(a.y));
                if (std::round(a.y) == std::round(b.y)) continue;
                edges.push_back(a.y < b.y ? Edge{a, b} : Edge{b, a});
            }
        }
        std::sort(ys.begin(), ys.end());
        ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
        for (size_t k = 0; k + 1 < ys.size(); ++k) {
            double y0 = ys[k], y1 = ys[k + 1], mid = (y0 + y1) / 2;
            struct Cut {
                double x0, x1, xm;
            };
            std::vector<Cut> cuts;
            for (const Edge& e : edges) {
                if (!(e.lo.y <= mid && mid < e.hi.y)) continue;
                auto xAt = [&](double y) { return e.lo.x + (e.hi.x - e.lo.x) * (y - e.lo.y) / (e.hi.y - e.lo.y); };
                cuts.push_back({xAt(y0), xAt(y1), xAt(mid)});
            }
            std::sort(cuts.begin(), cuts.end(), [](const Cut& a, const Cut& b) { return a.xm < b.xm; });
            for (size_t i = 0; i + 1 < cuts.size(); i += 2) {
                const Cut &a = cuts[i], &b = cuts[i + 1];
                SlideItem it{SlideItem::Fill, color, {}};
                it.dots = {{round(a.x0), round(y0)}, {round(b.x0), round(y0)}, {round(b.x1), round(y1)}, {round(a.x1), round(y1)}};
                s_.items.push_back(std::move(it));
            }
        }
    }

    Slide& s_;
    double kx_, ky_;
    AcGePoint2d ll_;
};

}  // namespace

Slide MakeSlide(AcDbDatabase* db) {
    Display& d = displayOf(db);
    const DisplayView& v = d.view();
    Slide s;
    s.highX = v.screenWidth - 1;
    s.highY = v.screenHeight - 1;
    s.aspect = static_cast<uint32_t>(std::lround(v.ratio() * 1e7));
    s.hardwareFill = 0;
    Maker maker(v, s);
    OutlineOptions opt;
    opt.tolerance = 0.5 / v.pixelsPerUnit();
    auto* ms = DbAccess::peekAs<AcDbBlockTableRecord>(db->modelSpaceId());
    if (!ms) return s;
    std::vector<OutlinePart> parts;
    for (AcDbObjectId id : ms->entityIds()) {
        auto* e = DbAccess::peekAs<AcDbEntity>(id);
        if (!e || e->isErased() || d.isBlanked(id)) continue;
        parts.clear();
        AppendOutline(e, opt, parts);
        for (const OutlinePart& p : parts) maker.part(p);
    }
    return s;
}

Acad::ErrorStatus SaveSlide(AcDbDatabase* db, const char* path, std::string& error) {
    error.clear();
    if (!db || !path || !*path) {
        error = "no drawing or no file name";
        return Acad::eInvalidInput;
    }
    if (!NUVWin::WriteFileAtomic(CString(path), WriteSlide(MakeSlide(db)))) {
        error = std::string("cannot write the slide file ") + path;
        return Acad::eFileAccessErr;
    }
    return Acad::eOk;
}

Acad::ErrorStatus ShowSlide(AcDbDatabase* db, const char* path, std::string& error) {
    error.clear();
    std::string bytes;
    if (!db || !path || !NUVWin::ReadFileBytes(CString(path), bytes)) {
        error = std::string("cannot read the slide file ") + (path ? path : "");
        return Acad::eFileNotFound;
    }
    auto slide = std::make_shared<Slide>();
    if (!ReadSlide(bytes, *slide, error)) {
        error = std::string(path) + ": " + error;
        return Acad::eBadDwgHeader;
    }
    displayOf(db).showSlide(std::move(slide));
    return Acad::eOk;
}

}  // namespace NUVAcad
