// Entities are traced in 3-D (curves as chords within the tolerance), carried through the
// transforms of the block references they sit in, and flattened onto the XY plane at the end.
// Properties follow the host's rules: colour 256 and line weight -1 are the layer's, colour 0 and
// line weight -2 the enclosing block reference's, and an entity on layer 0 inside a block takes
// the reference's layer.
#include "acad/EntityOutline.h"

#include <algorithm>
#include <cmath>

#include "acad/AcDbBlockReference.h"
#include "acad/AcDbCurve.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcDbHatch.h"
#include "acad/AcDbPolylines.h"
#include "acad/AcDbRasterImage.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcDbText.h"
#include "acad/DbInternal.h"

namespace NUVAcad {

namespace {

constexpr int kDefaultLineWeight = 25;  // the host's default line weight, 0.25 mm
constexpr int kMaxNesting = 16;         // block references inside block references

// What an entity inherits from the block reference it is drawn through.
struct Context {
    AcGeMatrix3d xform;             // block to world
    double scale = 1.0;             // of xform, for curve tolerances
    int color = 7;                  // resolved colour of the reference (for by-block)
    int lineWeight = kDefaultLineWeight;
    AcDbObjectId linetype;          // resolved linetype of the reference
    AcDbObjectId layer;             // the reference's layer (for entities on layer 0)
    int depth = 0;
};

const AcDbLayerTableRecord* layerOf(AcDbObjectId id) { return DbAccess::peekAs<AcDbLayerTableRecord>(id); }

bool isContinuous(AcDbObjectId lt) {
    auto* rec = DbAccess::peekAs<AcDbLinetypeTableRecord>(lt);
    return !rec || rec->numDashes() == 0;
}

struct Resolved {
    int color;
    int lineWeight;
    AcDbObjectId linetype;
    AcDbObjectId layer;
    bool hidden;
};

Resolved resolve(const AcDbEntity* e, const Context& ctx, bool topLevel) {
    Resolved r{};
    r.layer = e->layerId();
    const AcDbLayerTableRecord* layer = layerOf(r.layer);
    if (!topLevel && layer && layer->name() == "0") {
        r.layer = ctx.layer;
        layer = layerOf(r.layer);
    }
    r.hidden = e->visibility() != AcDb::kVisible || (layer && (layer->isOff() || layer->isFrozen()));
    int layerColor = layer ? std::abs(layer->colorIndex()) : 7;
    int c = e->colorIndex();
    r.color = c == AcDb::kByLayerColor ? layerColor : c == AcDb::kByBlockColor ? (topLevel ? 7 : ctx.color) : c;
    if (r.color < 1 || r.color > 255) r.color = 7;
    int lw = e->lineWeight();
    if (lw == AcDb::kLnWtByLayer) lw = layer ? layer->lineWeight() : AcDb::kLnWtByLwDefault;
    if (lw == AcDb::kLnWtByBlock) lw = topLevel ? AcDb::kLnWtByLwDefault : ctx.lineWeight;
    r.lineWeight = lw < 0 ? kDefaultLineWeight : lw;
    AcDbObjectId lt = e->linetypeId();
    if (AcDbDatabase* db = e->database()) {
        if (lt == db->byLayerLinetype()) lt = layer ? layer->linetypeObjectId() : AcDbObjectId();
        else if (lt == db->byBlockLinetype()) lt = topLevel ? AcDbObjectId() : ctx.linetype;
    }
    r.linetype = isContinuous(lt) ? AcDbObjectId() : lt;
    return r;
}

AcGePoint2d flat(const AcGePoint3d& p) { return {p.x, p.y}; }

// Chords for `sweep` radians of a circle of radius r within the tolerance.
int chordCount(double sweep, double r, double tol, int minimum);

// Chords for segment k of a polyline shape (1 for a straight one).
int segmentChords(const CurveMath::Polyline& pl, int k, double tol) {
    double b = pl.bulges.empty() ? 0.0 : pl.bulges[static_cast<size_t>(k)];
    if (b == 0.0) return 1;
    size_t nv = pl.points.size();
    double chord = pl.points[static_cast<size_t>(k)].distanceTo(pl.points[(static_cast<size_t>(k) + 1) % nv]);
    double sweep = 4 * std::atan(std::fabs(b));
    return chordCount(sweep, chord / (2 * std::sin(sweep / 2)), tol, 2);
}

int chordCount(double sweep, double r, double tol, int minimum) {
    if (!(r > 0) || !(sweep > 0)) return minimum;
    double half = tol >= r ? M_PI / 2 : std::acos(1.0 - tol / r);
    int n = static_cast<int>(std::ceil(sweep / (2.0 * half)));
    return std::clamp(n, minimum, 720);
}

class Tracer {
public:
    Tracer(const OutlineOptions& opt, std::vector<OutlinePart>& out) : opt_(opt), out_(out) {}

    void entity(const AcDbEntity* e, const Context& ctx, bool topLevel) {
        Resolved r = resolve(e, ctx, topLevel);
        if (r.hidden) return;
        cur_ = r;
        ltscale_ = e->linetypeScale() * (e->database() ? e->database()->ltscale() : 1.0);
        tol_ = opt_.tolerance / (ctx.scale > 0 ? ctx.scale : 1.0);
        xform_ = &ctx.xform;

        if (auto* ref = AcDbBlockReference::cast(e)) return blockReference(ref, ctx, r);
        if (auto* text = AcDbText::cast(e)) return textPart(text);
        if (auto* hatch = AcDbHatch::cast(e)) return hatchParts(hatch);
        if (auto* image = AcDbRasterImage::cast(e)) return imageFrame(image);
        if (auto* p3 = AcDb3dPolyline::cast(e)) return vertexChain(p3->subentList(), p3->isClosed());
        if (auto* mesh = AcDbPolyFaceMesh::cast(e)) return meshEdges(mesh);
        if (auto* curve = AcDbCurve::cast(e)) return curvePart(curve);
    }

private:
    OutlinePart& part(OutlinePart::Kind kind) {
        out_.emplace_back();
        OutlinePart& p = out_.back();
        p.kind = kind;
        p.color = cur_.color;
        p.lineWeight = cur_.lineWeight;
        p.linetype = cur_.linetype;
        p.linetypeScale = ltscale_;
        return p;
    }
    AcGePoint2d place(const AcGePoint3d& p) const { return flat(AcGePoint3d(p).transformBy(*xform_)); }

    void polyline(const std::vector<AcGePoint3d>& pts, bool closed) {
        if (pts.empty()) return;
        OutlinePart& p = part(OutlinePart::Polyline);
        p.closed = closed;
        p.points.reserve(pts.size());
        for (const AcGePoint3d& q : pts) p.points.push_back(place(q));
    }

    // Points along a curve shape: vertices kept, arcs and bulged segments split into chords.
    static void sampleRange(const CurveMath::Shape& s, double t0, double t1, int n, std::vector<AcGePoint3d>& pts) {
        for (int i = 0; i <= n; ++i) {
            AcGePoint3d q;
            if (CurveMath::pointAtParam(s, t0 + (t1 - t0) * i / n, q)) pts.push_back(q);
        }
    }

    void curvePart(const AcDbCurve* c) {
        CurveMath::Shape s;
        if (!c->curveShape(s)) return;
        std::vector<AcGePoint3d> pts;
        bool closed = false;
        if (auto* l = std::get_if<CurveMath::Line>(&s)) {
            pts = {l->start, l->end};
        } else if (auto* a = std::get_if<CurveMath::Arc>(&s)) {
            double sweep = CurveMath::arcSweep(*a);
            sampleRange(s, CurveMath::startParam(s), CurveMath::endParam(s), chordCount(sweep, a->radius, tol_, 2), pts);
        } else if (auto* ci = std::get_if<CurveMath::Circle>(&s)) {
            int n = chordCount(2 * M_PI, ci->radius, tol_, 8);
            sampleRange(s, 0, 2 * M_PI * (n - 1) / n, n - 1, pts);
            closed = true;
        } else if (auto* pl = std::get_if<CurveMath::Polyline>(&s)) {
            int segs = CurveMath::segmentCount(*pl);
            size_t nv = pl->points.size();
            if (segs == 0) {
                if (nv == 1) {
                    AcGePoint3d q;
                    if (CurveMath::pointAtParam(s, 0, q)) pts.push_back(q);
                }
            }
            for (int k = 0; k < segs; ++k) {
                std::vector<AcGePoint3d> seg;
                sampleRange(s, k, k + 1, segmentChords(*pl, k, tol_), seg);
                if (!pts.empty() && !seg.empty()) seg.erase(seg.begin());
                pts.insert(pts.end(), seg.begin(), seg.end());
            }
            if (pl->closed && pts.size() > 1) {
                pts.pop_back();  // the last chord ends where the first began
                closed = true;
            }
            widthFills(c);
        }
        polyline(pts, closed);
    }

    // Wide lightweight polyline segments fill the band their widths span.
    void widthFills(const AcDbCurve* c) {
        auto* pl = AcDbPolyline::cast(c);
        if (!pl) return;
        unsigned int n = pl->numVerts();
        unsigned int segs = pl->isClosed() ? n : (n > 0 ? n - 1 : 0);
        for (unsigned int k = 0; k < segs; ++k) {
            double w0 = 0, w1 = 0, bulge = 0;
            pl->getWidthsAt(k, w0, w1);
            pl->getBulgeAt(k, bulge);
            if (w0 <= 0 && w1 <= 0) continue;
            if (bulge != 0.0) continue;  // wide arc segments are drawn as their centre line
            AcGePoint3d a, b;
            pl->getPointAt(k, a);
            pl->getPointAt((k + 1) % n, b);
            AcGeVector3d d = b - a;
            if (d.isZeroLength()) continue;
            AcGeVector3d nrm = pl->normal().crossProduct(d).normal();
            std::vector<AcGePoint2d> loop = {place(a + nrm * (w0 / 2)), place(b + nrm * (w1 / 2)),
                                             place(b - nrm * (w1 / 2)), place(a - nrm * (w0 / 2))};
            part(OutlinePart::Fill).loops.push_back(std::move(loop));
        }
    }

    void vertexChain(const SubentList* list, bool closed) {
        if (!list) return;
        std::vector<AcGePoint3d> pts;
        for (AcDbEntity* v : list->items())
            if (auto* vx = AcDbVertex::cast(v)) pts.push_back(vx->position());
        polyline(pts, closed);
    }

    void meshEdges(const AcDbPolyFaceMesh* mesh) {
        const SubentList* list = mesh->subentList();
        if (!list) return;
        std::vector<AcGePoint3d> verts;
        std::vector<const AcDbFaceRecord*> faces;
        for (AcDbEntity* v : list->items()) {
            if (auto* f = AcDbFaceRecord::cast(v)) faces.push_back(f);
            else if (auto* vx = AcDbVertex::cast(v)) verts.push_back(vx->position());
        }
        for (const AcDbFaceRecord* f : faces) {
            short idx[4];
            int count = 0;
            for (int k = 0; k < 4; ++k) {
                f->getVertexAt(k, idx[k]);
                if (idx[k] != 0) count = k + 1;
            }
            for (int k = 0; k < count; ++k) {
                short a = idx[k], b = idx[(k + 1) % count];
                if (a <= 0 || b == 0) continue;  // a negative number hides the edge it starts
                size_t ia = static_cast<size_t>(a - 1), ib = static_cast<size_t>(std::abs(b) - 1);
                if (ia < verts.size() && ib < verts.size()) polyline({verts[ia], verts[ib]}, false);
            }
        }
    }

    void textPart(const AcDbText* t) {
        AcGeMatrix3d ecs = CurveMath::ecsToWorld(t->normal());
        AcGeVector3d dir = AcGeVector3d(std::cos(t->rotation()), std::sin(t->rotation()), 0).transformBy(ecs);
        AcGeVector3d up = AcGeVector3d(-std::sin(t->rotation()), std::cos(t->rotation()), 0).transformBy(ecs);
        AcGePoint3d pos = t->position();
        AcGePoint3d posW = AcGePoint3d(pos).transformBy(*xform_);
        AcGeVector3d dirW = AcGeVector3d(dir).transformBy(*xform_);
        AcGeVector3d upW = AcGeVector3d(up).transformBy(*xform_);
        OutlinePart& p = part(OutlinePart::Text);
        p.text.text = t->textStringConst();
        p.text.position = flat(posW);
        p.text.height = t->height() * upW.length();
        p.text.rotation = std::atan2(dirW.y, dirW.x);
        p.text.widthFactor = t->widthFactor() * (upW.length() > 0 ? dirW.length() / upW.length() : 1.0);
        p.text.oblique = t->oblique();
        if (auto* style = DbAccess::peekAs<AcDbTextStyleTableRecord>(t->textStyle())) {
            const char* f = nullptr;
            style->fileName(f);
            p.text.font = f ? f : "";
        }
    }

    void hatchParts(const AcDbHatch* h) {
        AcGeMatrix3d ecs = CurveMath::ecsToWorld(h->normal());
        auto toWorld = [&](const AcGePoint2d& q) {
            return place(AcGePoint3d(q.x, q.y, h->elevation()).transformBy(ecs));
        };
        if (h->isSolidFill()) {
            OutlinePart fill;
            for (int i = 0; i < h->numLoops(); ++i) {
                int type = 0;
                AcGePoint2dArray verts;
                AcGeDoubleArray bulges;
                if (h->getLoopAt(i, type, verts, bulges) != Acad::eOk || verts.length() < 2) continue;
                std::vector<AcGePoint2d> pts2(verts.begin(), verts.end());
                std::vector<double> bs(bulges.begin(), bulges.end());
                CurveMath::Polyline pl{pts2, bs, true, h->elevation(), h->normal()};
                CurveMath::Shape s = pl;
                std::vector<AcGePoint3d> pts;
                int segs = CurveMath::segmentCount(pl);
                for (int k = 0; k < segs; ++k) {
                    std::vector<AcGePoint3d> seg;
                    sampleRange(s, k, k + 1, segmentChords(pl, k, tol_), seg);
                    if (!seg.empty()) seg.pop_back();
                    pts.insert(pts.end(), seg.begin(), seg.end());
                }
                std::vector<AcGePoint2d> loop;
                for (const AcGePoint3d& q : pts) loop.push_back(place(q));
                if (loop.size() >= 3) fill.loops.push_back(std::move(loop));
            }
            if (!fill.loops.empty()) part(OutlinePart::Fill).loops = std::move(fill.loops);
            return;
        }
        const AcDbHatch* lines = h;
        AcDbHatch evaluated(*h);
        if (h->numHatchLines() == 0 && evaluated.evaluateHatch() == Acad::eOk) lines = &evaluated;
        for (int i = 0; i < lines->numHatchLines(); ++i) {
            AcGePoint2d a, b;
            lines->getHatchLineDataAt(i, a, b);
            OutlinePart& p = part(OutlinePart::Polyline);
            p.points = {toWorld(a), toWorld(b)};
        }
    }

    void imageFrame(const AcDbRasterImage* img) {
        AcGePoint3d o;
        AcGeVector3d u, v;
        img->getOrientation(o, u, v);
        polyline({o, o + u, o + u + v, o + v}, true);
    }

    void blockReference(const AcDbBlockReference* ref, const Context& ctx, const Resolved& r) {
        if (ctx.depth >= kMaxNesting) return;
        auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(ref->blockTableRecord());
        if (!btr) return;
        Context inner;
        inner.xform = ctx.xform * ref->blockTransform();
        inner.scale = inner.xform.scale();
        inner.color = r.color;
        inner.lineWeight = r.lineWeight;
        inner.linetype = r.linetype;
        inner.layer = r.layer;
        inner.depth = ctx.depth + 1;
        for (AcDbObjectId id : btr->entityIds()) {
            auto* ent = DbAccess::peekAs<AcDbEntity>(id);
            if (ent && !ent->isErased()) entity(ent, inner, false);
        }
    }

    const OutlineOptions& opt_;
    std::vector<OutlinePart>& out_;
    Resolved cur_{};
    double ltscale_ = 1.0;
    double tol_ = 0.01;
    const AcGeMatrix3d* xform_ = nullptr;
};

TextStroker& stroker() {
    static TextStroker s;
    return s;
}

}  // namespace

void AppendOutline(const AcDbEntity* ent, const OutlineOptions& options, std::vector<OutlinePart>& out) {
    if (!ent || ent->isErased()) return;
    Context top;
    Tracer(options, out).entity(ent, top, true);
}

void TextBox(const OutlineText& t, AcGePoint2d corners[4]) {
    double cells = 0;
    for (size_t i = 0; i < t.text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(t.text[i]);
        if (c >= 0x81 && i + 1 < t.text.size()) {
            cells += 2;
            ++i;
        } else {
            cells += 1;
        }
    }
    double w = cells * t.height * t.widthFactor;
    AcGeVector2d dir(std::cos(t.rotation), std::sin(t.rotation));
    AcGeVector2d up(-dir.y, dir.x);
    corners[0] = t.position;
    corners[1] = t.position + dir * w;
    corners[2] = t.position + dir * w + up * t.height;
    corners[3] = t.position + up * t.height;
}

void SetTextStroker(TextStroker s) { stroker() = std::move(s); }

std::vector<std::vector<AcGePoint2d>> StrokeText(const OutlineText& text) {
    if (stroker()) return stroker()(text);
    AcGePoint2d c[4];
    TextBox(text, c);
    return {{c[0], c[1], c[2], c[3], c[0]}};
}

}  // namespace NUVAcad
