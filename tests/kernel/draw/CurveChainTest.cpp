// Chaining curves from a start point: nearest end first, continue from the other end, never
// reverse; ties to the earlier curve and to the start point; ids keep their order and every
// curve opened is closed.
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "DrawFixture.h"
#include "draw/CurveChain.h"

namespace {

// Lines named by letters, for readable expectations.
struct Named {
    char name;
    AcGePoint3d from, to;
};

std::string Order(const AcArray<AcDbCurve*>& chain, const std::vector<AcDbLine*>& lines, const std::vector<Named>& spec) {
    std::string s;
    for (int i = 0; i < chain.length(); ++i)
        for (size_t j = 0; j < lines.size(); ++j)
            if (chain[i] == lines[j]) s += spec[j].name;
    return s;
}

struct ChainCase {
    const char* why;
    std::vector<Named> lines;
    AcGePoint3d start;
    std::string order;
};

}  // namespace

TEST(SortCurve, ChainsFromTheStartPoint) {
    const ChainCase cases[] = {
        {"shuffled run, all drawn forwards",
         {{'c', {20, 0, 0}, {30, 0, 0}}, {'a', {0, 0, 0}, {10, 0, 0}}, {'b', {10, 0, 0}, {20, 0, 0}}},
         {0, 0, 0},
         "abc"},
        {"reached by its end point: the chain goes on from its start point",
         {{'a', {0, 0, 0}, {10, 0, 0}}, {'b', {20, 5, 0}, {10, 0, 0}}, {'c', {20, 5, 0}, {30, 5, 0}}},
         {0, 0, 0},
         "abc"},
        {"start point near the far end",
         {{'a', {0, 0, 0}, {10, 0, 0}}, {'b', {10, 0, 0}, {10, 10, 0}}},
         {10, 11, 0},
         "ba"},
        {"equal distances: the earlier curve wins",
         {{'x', {1, 0, 0}, {50, 0, 0}}, {'y', {-1, 0, 0}, {-50, 0, 0}}},
         {0, 0, 0},
         "xy"},
        {"equal distances, other order",
         {{'y', {-1, 0, 0}, {-50, 0, 0}}, {'x', {1, 0, 0}, {50, 0, 0}}},
         {0, 0, 0},
         "yx"},
        {"3-D distances count",
         {{'f', {0, 0, 5}, {1, 0, 5}}, {'n', {3, 0, 0}, {4, 0, 0}}},
         {0, 0, 0},
         "nf"},
        {"farther than the first threshold: still placed, in order",
         {{'p', {5e9, 0, 0}, {6e9, 0, 0}}, {'q', {-5e9, 0, 0}, {-6e9, 0, 0}}},
         {0, 0, 0},
         "pq"},
    };
    for (const ChainCase& c : cases) {
        std::vector<AcDbLine*> lines;
        AcArray<AcDbCurve*> in;
        for (const Named& n : c.lines) {
            lines.push_back(new AcDbLine(n.from, n.to));
            in.append(lines.back());
        }
        AcArray<AcDbCurve*> out;
        out.append(nullptr);  // cleared first
        EXPECT_TRUE(NUV::SortCurve(in, c.start, out)) << c.why;
        EXPECT_EQ(Order(out, lines, c.lines), c.order) << c.why;
        EXPECT_EQ(out.length(), in.length()) << c.why;
        for (size_t i = 0; i < lines.size(); ++i) {
            // Never reversed or changed.
            EXPECT_TRUE(lines[i]->startPoint().isEqualTo(c.lines[i].from)) << c.why;
            delete lines[i];
        }
    }
}

TEST(SortCurve, OneCurveStartPointWinsATie) {
    // a's start and end are equally far from the start point: reached by its start, the chain
    // goes on from its end (0, -1), so b comes before c.
    AcDbLine a({0, 1, 0}, {0, -1, 0});
    AcDbLine b({0, -1.5, 0}, {5, -9, 0});   // near a's end
    AcDbLine c({0, 1.5, 0}, {5, 9, 0});     // near a's start
    AcArray<AcDbCurve*> in, out;
    in.append(&c);
    in.append(&a);
    in.append(&b);
    ASSERT_TRUE(NUV::SortCurve(in, AcGePoint3d(0, 0, 0), out));
    ASSERT_EQ(out.length(), 3);
    EXPECT_EQ(out[0], &a);
    EXPECT_EQ(out[1], &b) << "a was reached by its start point, so the chain continues from its end";
    EXPECT_EQ(out[2], &c);
}

TEST(SortCurve, EmptyInputAndUnreadableCurve) {
    AcArray<AcDbCurve*> in, out;
    out.append(nullptr);
    EXPECT_TRUE(NUV::SortCurve(in, AcGePoint3d(1, 2, 3), out));
    EXPECT_EQ(out.length(), 0);

    AcDbLine line({0, 0, 0}, {1, 0, 0});
    AcDbPolyline empty;  // no vertices: no start point
    in.append(&line);
    in.append(&empty);
    EXPECT_FALSE(NUV::SortCurve(in, AcGePoint3d(0, 0, 0), out));
}

// The chain on many random layouts against the rule applied the plain way, written out here
// afresh: each pass compares every remaining curve's start and end with the strict "nearer than
// the best so far" test from 4294967295.0 down, the first remaining curve when nothing is nearer.
// The layouts are chosen to make the ties and far jumps that a search structure gets wrong:
// ends on a small lattice (many equal distances, shared ends), 3-D, one long line, everything
// at one point, and curves beyond the first threshold.
namespace {

std::vector<size_t> PlainChain(const std::vector<std::pair<AcGePoint3d, AcGePoint3d>>& ends, AcGePoint3d ref) {
    std::vector<size_t> left(ends.size()), order;
    for (size_t i = 0; i < left.size(); ++i) left[i] = i;
    while (!left.empty()) {
        double best = 4294967295.0;
        size_t chosen = 0;
        bool byEnd = false;
        for (size_t k = 0; k < left.size(); ++k) {
            const double ds = ref.distanceTo(ends[left[k]].first), de = ref.distanceTo(ends[left[k]].second);
            if (ds < best) best = ds, chosen = k, byEnd = false;
            if (de < best) best = de, chosen = k, byEnd = true;
        }
        ref = byEnd ? ends[left[chosen]].first : ends[left[chosen]].second;
        order.push_back(left[chosen]);
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(chosen));
    }
    return order;
}

}  // namespace

TEST(SortCurve, AgreesWithThePlainRuleOnRandomLayouts) {
    std::mt19937 rng(20261206);
    enum Layout { Lattice, Lattice3d, Walk, OneLine, OnePoint, FarApart, Mixed };
    for (Layout layout : {Lattice, Lattice3d, Walk, OneLine, OnePoint, FarApart, Mixed}) {
        for (int n : {0, 1, 2, 3, 7, 40, 150, 400}) {
            SCOPED_TRACE(::testing::Message() << "layout " << layout << ", " << n << " curves");
            std::uniform_int_distribution<int> small(-4, 4);
            std::uniform_real_distribution<double> real(-1000.0, 1000.0);
            auto point = [&](int i) -> AcGePoint3d {
                switch (layout) {
                case Lattice: return {double(small(rng)), double(small(rng)), 0};
                case Lattice3d: return {double(small(rng)), double(small(rng)), double(small(rng))};
                case Walk: return {i * 3.0 + small(rng), small(rng) * 0.5, 0};
                case OneLine: return {double(small(rng) * 100 + i), 0, 0};
                case OnePoint: return {7, -3, 2};
                case FarApart: return {real(rng) * 1e7, real(rng) * 1e7, 0};
                case Mixed:
                    return i % 5 == 0 ? AcGePoint3d(real(rng) * 1e7, 0, 0) : AcGePoint3d(small(rng), real(rng), 0);
                }
                return {};
            };
            std::vector<std::pair<AcGePoint3d, AcGePoint3d>> ends;
            std::vector<std::unique_ptr<AcDbLine>> lines;
            AcArray<AcDbCurve*> in;
            for (int i = 0; i < n; ++i) {
                ends.emplace_back(point(i), point(i));
                lines.push_back(std::make_unique<AcDbLine>(ends.back().first, ends.back().second));
                in.append(lines.back().get());
            }
            for (const AcGePoint3d& start : {AcGePoint3d(0, 0, 0), AcGePoint3d(2.5, -1, 0), AcGePoint3d(9e9, 0, 0)}) {
                AcArray<AcDbCurve*> out;
                ASSERT_TRUE(NUV::SortCurve(in, start, out));
                const std::vector<size_t> expected = PlainChain(ends, start);
                ASSERT_EQ(out.length(), static_cast<int>(expected.size()));
                for (size_t k = 0; k < expected.size(); ++k)
                    ASSERT_EQ(out[static_cast<int>(k)], lines[expected[k]].get()) << "place " << k << " from " << start.x;
            }
        }
    }
}

class SortCurveIdsTest : public DrawTest {};

TEST_F(SortCurveIdsTest, AppendsChainSkipsWhatDoesNotOpenClosesEverything) {
    AcDbObjectId b = AddToModel(new AcDbLine({10, 0, 0}, {20, 0, 0}));
    AcDbObjectId a = AddToModel(new AcDbLine({0, 0, 0}, {10, 0, 0}));
    AcDbObjectId text = AddToModel(new AcDbText({0, 0, 0}, "not a curve"));
    AcDbObjectId gone = AddToModel(new AcDbLine({-5, 0, 0}, {0, 0, 0}));
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenObject(obj, gone, AcDb::kForWrite), Acad::eOk);
    obj->erase();
    obj->close();

    AcDbObjectIdArray in, out;
    in.append(b);
    in.append(text);
    in.append(gone);
    in.append(a);
    AcDbObjectId marker = text;
    out.append(marker);  // kept: the chain is appended
    EXPECT_TRUE(NUV::SortCurve(in, AcGePoint3d(0, 0, 0), out));
    ASSERT_EQ(out.length(), 3);
    EXPECT_EQ(out[0], marker);
    EXPECT_EQ(out[1], a);
    EXPECT_EQ(out[2], b);
    EXPECT_EQ(db.numOpenObjects(), 0);

    // A curve already open for write elsewhere cannot be opened for read: it is left out.
    AcDbObject* held = nullptr;
    ASSERT_EQ(acdbOpenObject(held, a, AcDb::kForWrite), Acad::eOk);
    AcDbObjectIdArray out2;
    EXPECT_TRUE(NUV::SortCurve(in, AcGePoint3d(0, 0, 0), out2));
    ASSERT_EQ(out2.length(), 1);
    EXPECT_EQ(out2[0], b);
    EXPECT_EQ(db.numOpenObjects(), 1);
    held->close();
}
