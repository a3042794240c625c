// Regions as y-bands of rectangles. Every operation works band by band in one pass over both
// operands, so a union of n and m rectangles costs O(n + m), and appending below a region (the
// common way of building one row by row) only touches the rows that meet.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "win/Gdi.h"
#include "win/GdiObjects.h"

using namespace NUVWin::gdi;

namespace {

using Rects = std::vector<RECT>;

constexpr LONG kMaxLong = INT32_MAX;
constexpr LONG kMinLong = INT32_MIN;

struct Span {
    LONG left;
    LONG right;
};

// Builds banded rectangle lists; each band is appended whole and merged into the band above it
// when they touch and have the same spans.
class Builder {
public:
    explicit Builder(Rects& out) : out_(out) {
        // A band already at the end of out can still merge with the first appended one.
        if (!out_.empty()) {
            LONG top = out_.back().top;
            std::size_t i = out_.size();
            while (i > 0 && out_[i - 1].top == top) --i;
            lastBand_ = i;
        }
    }

    void AddBand(LONG top, LONG bottom, const std::vector<Span>& spans) {
        if (spans.empty() || bottom <= top) return;
        std::size_t n = out_.size() - lastBand_;
        if (n == spans.size() && n > 0 && out_[lastBand_].bottom == top) {
            bool same = true;
            for (std::size_t i = 0; i < n && same; ++i)
                same = out_[lastBand_ + i].left == spans[i].left && out_[lastBand_ + i].right == spans[i].right;
            if (same) {
                for (std::size_t i = lastBand_; i < out_.size(); ++i) out_[i].bottom = bottom;
                return;
            }
        }
        lastBand_ = out_.size();
        for (const Span& s : spans) out_.push_back(RECT{s.left, top, s.right, bottom});
    }

    // Appends bands that are already banded and start at or below the current end.
    void AddBanded(const RECT* r, std::size_t n) {
        std::vector<Span> spans;
        std::size_t i = 0;
        // Only the first band can merge with what is there; the rest is copied.
        if (i < n) {
            std::size_t j = i;
            while (j < n && r[j].top == r[i].top) ++j;
            for (std::size_t k = i; k < j; ++k) spans.push_back(Span{r[k].left, r[k].right});
            AddBand(r[i].top, r[i].bottom, spans);
            i = j;
        }
        if (i < n) {
            lastBand_ = out_.size();
            out_.insert(out_.end(), r + i, r + n);
            LONG top = out_.back().top;
            while (lastBand_ < out_.size() && out_[lastBand_].top != top) ++lastBand_;
        }
    }

private:
    Rects& out_;
    std::size_t lastBand_ = 0;
};

// Start of each band plus a final end marker.
std::vector<std::size_t> BandStarts(const RECT* r, std::size_t n) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < n; ++i)
        if (i == 0 || r[i].top != r[i - 1].top) starts.push_back(i);
    starts.push_back(n);
    return starts;
}

// Combines two sorted, disjoint span lists with the operation's truth table.
void CombineSpans(const RECT* a, std::size_t na, const RECT* b, std::size_t nb, int mode, std::vector<Span>& out) {
    out.clear();
    auto keep = [mode](bool inA, bool inB) {
        switch (mode) {
            case RGN_AND: return inA && inB;
            case RGN_OR: return inA || inB;
            case RGN_XOR: return inA != inB;
            default: return inA && !inB;  // RGN_DIFF
        }
    };
    // Walk the boundaries of both lists in x order, tracking inside/outside for each.
    std::size_t ia = 0, ib = 0;
    bool inA = false, inB = false, inside = false;
    LONG start = 0;
    while (ia < 2 * na || ib < 2 * nb) {
        LONG xa = ia < 2 * na ? (ia % 2 ? a[ia / 2].right : a[ia / 2].left) : kMaxLong;
        LONG xb = ib < 2 * nb ? (ib % 2 ? b[ib / 2].right : b[ib / 2].left) : kMaxLong;
        LONG x = std::min(xa, xb);
        if (xa == x) { inA = !(ia % 2); ++ia; }
        if (xb == x) { inB = !(ib % 2); ++ib; }
        bool now = keep(inA, inB);
        if (now && !inside) {
            start = x;
        } else if (!now && inside) {
            if (!out.empty() && out.back().right == start)
                out.back().right = x;
            else if (x > start)
                out.push_back(Span{start, x});
        }
        inside = now;
    }
}

// One pass over the bands of both operands.
void Combine(const RECT* a, std::size_t na, const RECT* b, std::size_t nb, int mode, Rects& out) {
    Builder build(out);
    std::vector<std::size_t> ba = BandStarts(a, na), bb = BandStarts(b, nb);
    std::size_t ia = 0, ib = 0;  // current band of each
    std::size_t bandsA = ba.size() - 1, bandsB = bb.size() - 1;
    std::vector<Span> spans;
    LONG y = kMinLong;
    while (ia < bandsA || ib < bandsB) {
        const RECT* A = ia < bandsA ? &a[ba[ia]] : nullptr;
        const RECT* B = ib < bandsB ? &b[bb[ib]] : nullptr;
        LONG nextTop = std::min(A ? A->top : kMaxLong, B ? B->top : kMaxLong);
        if (y < nextTop) y = nextTop;
        bool activeA = A && A->top <= y;
        bool activeB = B && B->top <= y;
        LONG end = kMaxLong;
        if (A) end = std::min(end, activeA ? A->bottom : A->top);
        if (B) end = std::min(end, activeB ? B->bottom : B->top);
        std::size_t na1 = activeA ? ba[ia + 1] - ba[ia] : 0;
        std::size_t nb1 = activeB ? bb[ib + 1] - bb[ib] : 0;
        CombineSpans(A, na1, B, nb1, mode, spans);
        build.AddBand(y, end, spans);
        y = end;
        if (A && A->bottom <= y) ++ia;
        if (B && B->bottom <= y) ++ib;
    }
}

// Normalises any list of rectangles (overlapping, unordered, empty ones) into bands.
Rects FromRects(const RECT* r, std::size_t n) {
    std::vector<RECT> in;
    in.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        if (r[i].left < r[i].right && r[i].top < r[i].bottom) in.push_back(r[i]);
    std::sort(in.begin(), in.end(), [](const RECT& p, const RECT& q) { return p.top != q.top ? p.top < q.top : p.left < q.left; });
    std::vector<LONG> ys;
    ys.reserve(in.size() * 2);
    for (const RECT& q : in) {
        ys.push_back(q.top);
        ys.push_back(q.bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

    Rects out;
    Builder build(out);
    std::vector<const RECT*> active;
    std::vector<Span> spans;
    std::size_t next = 0;
    for (std::size_t k = 0; k + 1 < ys.size(); ++k) {
        LONG y0 = ys[k], y1 = ys[k + 1];
        active.erase(std::remove_if(active.begin(), active.end(), [y0](const RECT* q) { return q->bottom <= y0; }), active.end());
        while (next < in.size() && in[next].top == y0) active.push_back(&in[next++]);
        if (active.empty()) continue;
        std::sort(active.begin(), active.end(), [](const RECT* p, const RECT* q) { return p->left < q->left; });
        spans.clear();
        for (const RECT* q : active) {
            if (!spans.empty() && q->left <= spans.back().right)
                spans.back().right = std::max(spans.back().right, q->right);
            else
                spans.push_back(Span{q->left, q->right});
        }
        build.AddBand(y0, y1, spans);
    }
    return out;
}

RECT BoundsOf(const Rects& r) {
    if (r.empty()) return RECT{0, 0, 0, 0};
    RECT b{kMaxLong, r.front().top, kMinLong, r.back().bottom};
    for (const RECT& q : r) {
        b.left = std::min(b.left, q.left);
        b.right = std::max(b.right, q.right);
    }
    return b;
}

// Bounds of a union from the operands' bounds; firstEmpty when the first operand had nothing.
RECT UnionBounds(const RECT& a, const RECT& b, bool firstEmpty) {
    if (firstEmpty) return b;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

int TypeOf(const Region& r) { return r.rects.empty() ? NULLREGION : r.rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION; }

HRGN NewRegion(Rects rects) {
    auto* r = new Region;
    r->rects = std::move(rects);
    r->bounds = BoundsOf(r->rects);
    Track(r);
    return reinterpret_cast<HRGN>(static_cast<Object*>(r));
}

Region* Get(HRGN h) { return As<Region>(h, Kind::Region); }

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    RECT r{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    return NewRegion(FromRects(&r, 1));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
    Region* r = Get(region);
    if (!r) return FALSE;
    RECT q{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    r->rects = FromRects(&q, 1);
    r->bounds = BoundsOf(r->rects);
    return TRUE;
}

HRGN ExtCreateRegion(const XFORM* transform, DWORD count, const RGNDATA* data) {
    if (!data || count < sizeof(RGNDATAHEADER)) return nullptr;
    const RGNDATAHEADER& h = data->rdh;
    if (h.dwSize < sizeof(RGNDATAHEADER) || h.iType != RDH_RECTANGLES) return nullptr;
    if (static_cast<std::size_t>(count) < h.dwSize + static_cast<std::size_t>(h.nCount) * sizeof(RECT)) return nullptr;
    std::vector<RECT> rects(h.nCount);
    if (!rects.empty()) std::memcpy(rects.data(), reinterpret_cast<const char*>(data) + h.dwSize, rects.size() * sizeof(RECT));
    if (transform) {
        const XFORM& x = *transform;
        if (x.eM12 != 0 || x.eM21 != 0) return nullptr;
        for (RECT& r : rects) {
            LONG l = std::lround(r.left * x.eM11 + x.eDx), rt = std::lround(r.right * x.eM11 + x.eDx);
            LONG t = std::lround(r.top * x.eM22 + x.eDy), b = std::lround(r.bottom * x.eM22 + x.eDy);
            r = RECT{std::min(l, rt), std::min(t, b), std::max(l, rt), std::max(t, b)};
        }
    }
    return NewRegion(FromRects(rects.data(), rects.size()));
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
    Region* d = Get(dest);
    Region* a = Get(src1);
    if (!d || !a || mode < RGN_AND || mode > RGN_COPY) return RGN_ERROR;
    if (mode == RGN_COPY) {
        if (d != a) {
            d->rects = a->rects;
            d->bounds = a->bounds;
        }
        return TypeOf(*d);
    }
    Region* b = Get(src2);
    if (!b) return RGN_ERROR;

    if (d == a && d != b && mode != RGN_AND && !b->rects.empty()) {
        // Bands of the destination that end above the other operand stay as they are; only the
        // rest is recombined. Bottoms grow from band to band, so the split is a binary search.
        LONG top = b->rects.front().top;
        auto split = std::upper_bound(d->rects.begin(), d->rects.end(), top, [](LONG y, const RECT& r) { return y < r.bottom; });
        std::size_t k = static_cast<std::size_t>(split - d->rects.begin());
        Rects tail(d->rects.begin() + static_cast<std::ptrdiff_t>(k), d->rects.end());
        d->rects.resize(k);
        Rects merged;
        Combine(tail.data(), tail.size(), b->rects.data(), b->rects.size(), mode, merged);
        Builder(d->rects).AddBanded(merged.data(), merged.size());
        d->bounds = mode == RGN_OR ? UnionBounds(d->bounds, b->bounds, k == 0 && tail.empty()) : BoundsOf(d->rects);
        return TypeOf(*d);
    }
    Rects out;
    Combine(a->rects.data(), a->rects.size(), b->rects.data(), b->rects.size(), mode, out);
    d->rects = std::move(out);
    d->bounds = BoundsOf(d->rects);
    return TypeOf(*d);
}

DWORD GetRegionData(HRGN region, DWORD size, LPRGNDATA data) {
    Region* r = Get(region);
    if (!r) return 0;
    // A region whose description would not fit the 32-bit size cannot be described at all.
    const std::size_t bytes = sizeof(RGNDATAHEADER) + r->rects.size() * sizeof(RECT);
    if (bytes > 0xFFFFFFFFu) return 0;
    DWORD needed = static_cast<DWORD>(bytes);
    if (!data) return needed;
    if (size < needed) return 0;
    data->rdh = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(r->rects.size()),
                              static_cast<DWORD>(r->rects.size() * sizeof(RECT)), r->bounds};
    if (!r->rects.empty())
        std::memcpy(reinterpret_cast<char*>(data) + sizeof(RGNDATAHEADER), r->rects.data(), r->rects.size() * sizeof(RECT));
    return size;
}

int GetRgnBox(HRGN region, LPRECT box) {
    Region* r = Get(region);
    if (!r || !box) return RGN_ERROR;
    *box = r->bounds;
    return TypeOf(*r);
}

BOOL PtInRegion(HRGN region, int x, int y) {
    Region* r = Get(region);
    if (!r) return FALSE;
    auto band = std::upper_bound(r->rects.begin(), r->rects.end(), y, [](int v, const RECT& q) { return v < q.bottom; });
    if (band == r->rects.end() || band->top > y) return FALSE;
    LONG top = band->top;
    auto bandEnd = std::upper_bound(band, r->rects.end(), top, [](LONG t, const RECT& q) { return t < q.top; });
    auto hit = std::upper_bound(band, bandEnd, x, [](int v, const RECT& q) { return v < q.right; });
    return hit != bandEnd && hit->left <= x;
}

BOOL EqualRgn(HRGN a, HRGN b) {
    Region* ra = Get(a);
    Region* rb = Get(b);
    if (!ra || !rb) return RGN_ERROR;
    return ra->rects.size() == rb->rects.size() &&
           std::equal(ra->rects.begin(), ra->rects.end(), rb->rects.begin(), [](const RECT& p, const RECT& q) { return p == q; });
}

int OffsetRgn(HRGN region, int dx, int dy) {
    Region* r = Get(region);
    if (!r) return RGN_ERROR;
    for (RECT& q : r->rects) q = RECT{q.left + dx, q.top + dy, q.right + dx, q.bottom + dy};
    r->bounds = BoundsOf(r->rects);
    return TypeOf(*r);
}
