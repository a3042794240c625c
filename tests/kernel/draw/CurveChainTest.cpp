// Chaining curves from a start point: nearest end first, continue from the other end, never
// reverse; ties to the earlier curve and to the start point; ids keep their order and every
// curve opened is closed.
#include <string>

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

class SortCurveIdsTest : public DrawTest {
protected:
    AcDbObjectId Add(AcDbEntity* e) {
        AcDbBlockTableRecord* ms = nullptr;
        EXPECT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        AcDbObjectId id;
        EXPECT_EQ(ms->appendAcDbEntity(id, e), Acad::eOk);
        e->close();
        ms->close();
        return id;
    }
};

TEST_F(SortCurveIdsTest, AppendsChainSkipsWhatDoesNotOpenClosesEverything) {
    AcDbObjectId b = Add(new AcDbLine({10, 0, 0}, {20, 0, 0}));
    AcDbObjectId a = Add(new AcDbLine({0, 0, 0}, {10, 0, 0}));
    AcDbObjectId text = Add(new AcDbText({0, 0, 0}, "not a curve"));
    AcDbObjectId gone = Add(new AcDbLine({-5, 0, 0}, {0, 0, 0}));
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
