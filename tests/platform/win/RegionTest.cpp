#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "win/Gdi.h"

namespace {

// A brute-force pixel grid: the oracle the banded regions are checked against.
constexpr int kW = 48, kH = 40;
using Grid = std::vector<bool>;

Grid Paint(const std::vector<RECT>& rects) {
    Grid g(kW * kH, false);
    for (const RECT& r : rects)
        for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, kH); ++y)
            for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, kW); ++x) g[y * kW + x] = true;
    return g;
}

std::vector<unsigned char> Pack(const std::vector<RECT>& rects) {
    std::vector<unsigned char> buf(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    RGNDATAHEADER h{sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(rects.size()), 0, {0, 0, 0, 0}};
    std::memcpy(buf.data(), &h, sizeof h);
    if (!rects.empty()) std::memcpy(buf.data() + sizeof h, rects.data(), rects.size() * sizeof(RECT));
    return buf;
}

HRGN Make(const std::vector<RECT>& rects) {
    auto buf = Pack(rects);
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buf.size()), reinterpret_cast<RGNDATA*>(buf.data()));
}

std::vector<RECT> RectsOf(HRGN r) {
    DWORD n = GetRegionData(r, 0, nullptr);
    std::vector<unsigned char> buf(n);
    EXPECT_EQ(GetRegionData(r, n, reinterpret_cast<RGNDATA*>(buf.data())), n);
    const auto* h = reinterpret_cast<const RGNDATAHEADER*>(buf.data());
    std::vector<RECT> out(h->nCount);
    if (!out.empty()) std::memcpy(out.data(), buf.data() + h->dwSize, out.size() * sizeof(RECT));
    return out;
}

// The layout every region keeps: bands top to bottom, spans left to right, nothing touching
// within a band, touching bands never with equal spans.
void ExpectBanded(HRGN r) {
    std::vector<RECT> v = RectsOf(r);
    for (std::size_t i = 0; i < v.size(); ++i) {
        ASSERT_LT(v[i].left, v[i].right);
        ASSERT_LT(v[i].top, v[i].bottom);
        if (i == 0) continue;
        const RECT& p = v[i - 1];
        if (p.top == v[i].top) {
            ASSERT_EQ(p.bottom, v[i].bottom);
            ASSERT_LT(p.right, v[i].left) << "spans touch or overlap in a band";
        } else {
            ASSERT_LE(p.bottom, v[i].top) << "bands overlap";
        }
    }
    // Split into bands and compare each with the one above it.
    std::vector<std::vector<std::pair<LONG, LONG>>> spans;
    std::vector<RECT> heads;
    for (const RECT& q : v) {
        if (heads.empty() || heads.back().top != q.top) {
            heads.push_back(q);
            spans.emplace_back();
        }
        spans.back().emplace_back(q.left, q.right);
    }
    for (std::size_t b = 1; b < heads.size(); ++b) {
        if (heads[b - 1].bottom == heads[b].top) {
            ASSERT_NE(spans[b - 1], spans[b]) << "touching bands with equal spans";
        }
    }
}

void ExpectCovers(HRGN r, const Grid& g, const char* what) {
    for (int y = -1; y <= kH; ++y)
        for (int x = -1; x <= kW; ++x) {
            bool want = x >= 0 && y >= 0 && x < kW && y < kH && g[y * kW + x];
            ASSERT_EQ(PtInRegion(r, x, y) != 0, want) << what << " at " << x << "," << y;
        }
}

std::vector<RECT> RandomRects(std::mt19937& rng, int n) {
    std::uniform_int_distribution<int> X(0, kW), Y(0, kH), S(0, 12);
    std::vector<RECT> v;
    for (int i = 0; i < n; ++i) {
        int x = X(rng), y = Y(rng);
        v.push_back(RECT{x, y, std::min(kW, x + S(rng)), std::min(kH, y + S(rng))});
    }
    return v;
}

TEST(Region, EveryCombinationMatchesThePixelModel) {
    std::mt19937 rng(20240611);
    struct Op {
        int mode;
        bool (*f)(bool, bool);
        const char* name;
    };
    const Op ops[] = {
        {RGN_OR, [](bool a, bool b) { return a || b; }, "or"},
        {RGN_AND, [](bool a, bool b) { return a && b; }, "and"},
        {RGN_XOR, [](bool a, bool b) { return a != b; }, "xor"},
        {RGN_DIFF, [](bool a, bool b) { return a && !b; }, "diff"},
    };
    for (int round = 0; round < 25; ++round) {
        auto ra = RandomRects(rng, 1 + round % 9), rb = RandomRects(rng, 1 + round % 5);
        Grid ga = Paint(ra), gb = Paint(rb);
        for (const Op& op : ops) {
            HRGN a = Make(ra), b = Make(rb), out = CreateRectRgn(0, 0, 0, 0);
            ASSERT_NE(CombineRgn(out, a, b, op.mode), RGN_ERROR);
            Grid want(kW * kH);
            for (int i = 0; i < kW * kH; ++i) want[i] = op.f(ga[i], gb[i]);
            ExpectCovers(out, want, op.name);
            ExpectBanded(out);
            // In place, as callers accumulate: the destination is also the first operand.
            ASSERT_NE(CombineRgn(a, a, b, op.mode), RGN_ERROR);
            ASSERT_TRUE(EqualRgn(a, out)) << op.name << " in place differs";
            DeleteObject(a);
            DeleteObject(b);
            DeleteObject(out);
        }
    }
}

TEST(Region, SameAreaBuiltDifferentlyIsEqual) {
    // A 5x4 block from single pixels, from rows, from overlapping pieces and from one rectangle.
    std::vector<RECT> pixels, rows, pieces = {{2, 3, 5, 7}, {4, 3, 7, 5}, {3, 5, 7, 7}, {2, 3, 3, 4}};
    for (int y = 3; y < 7; ++y) {
        rows.push_back(RECT{2, y, 7, y + 1});
        for (int x = 2; x < 7; ++x) pixels.push_back(RECT{x, y, x + 1, y + 1});
    }
    HRGN whole = CreateRectRgn(2, 3, 7, 7);
    for (const auto* v : {&pixels, &rows, &pieces}) {
        HRGN r = Make(*v);
        EXPECT_TRUE(EqualRgn(r, whole));
        EXPECT_EQ(RectsOf(r).size(), 1u);
        RECT box;
        EXPECT_EQ(GetRgnBox(r, &box), SIMPLEREGION);
        EXPECT_EQ(box, (RECT{2, 3, 7, 7}));
        DeleteObject(r);
    }
    DeleteObject(whole);
}

TEST(Region, DataHeaderAndEdgeCases) {
    HRGN r = Make({{0, 0, 4, 2}, {6, 0, 8, 2}, {0, 2, 8, 3}, {5, 5, 5, 9}});  // last one is empty
    DWORD need = GetRegionData(r, 0, nullptr);
    EXPECT_EQ(need, sizeof(RGNDATAHEADER) + 3 * sizeof(RECT));
    std::vector<unsigned char> small(need - 1), buf(need);
    EXPECT_EQ(GetRegionData(r, need - 1, reinterpret_cast<RGNDATA*>(small.data())), 0u);
    ASSERT_EQ(GetRegionData(r, need, reinterpret_cast<RGNDATA*>(buf.data())), need);
    const auto* h = reinterpret_cast<const RGNDATAHEADER*>(buf.data());
    EXPECT_EQ(h->dwSize, 32u);
    EXPECT_EQ(h->iType, static_cast<DWORD>(RDH_RECTANGLES));
    EXPECT_EQ(h->nCount, 3u);
    EXPECT_EQ(h->nRgnSize, 3 * sizeof(RECT));
    EXPECT_EQ(h->rcBound, (RECT{0, 0, 8, 3}));
    RECT box;
    EXPECT_EQ(GetRgnBox(r, &box), COMPLEXREGION);

    HRGN empty = Make({});
    EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
    EXPECT_EQ(box, (RECT{0, 0, 0, 0}));
    EXPECT_FALSE(PtInRegion(empty, 0, 0));
    EXPECT_EQ(CombineRgn(empty, empty, r, RGN_AND), NULLREGION);

    // A truncated buffer or a wrong type is refused.
    auto packed = Pack({{0, 0, 1, 1}});
    EXPECT_EQ(ExtCreateRegion(nullptr, static_cast<DWORD>(packed.size() - 1), reinterpret_cast<RGNDATA*>(packed.data())), nullptr);
    reinterpret_cast<RGNDATAHEADER*>(packed.data())->iType = 2;
    EXPECT_EQ(ExtCreateRegion(nullptr, static_cast<DWORD>(packed.size()), reinterpret_cast<RGNDATA*>(packed.data())), nullptr);

    EXPECT_EQ(OffsetRgn(r, 10, 20), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(r, 10, 20));
    EXPECT_FALSE(PtInRegion(r, 14, 20));
    EXPECT_TRUE(DeleteObject(r));
    EXPECT_FALSE(DeleteObject(r)) << "a deleted handle must not be accepted again";
    DeleteObject(empty);
}

}  // namespace
