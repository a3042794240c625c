// Texts set beside lines and arcs, reading along them, and text-style width factors.
#include <cmath>

#include "DrawFixture.h"
#include "draw/TextPlacement.h"

namespace {

struct PlaceCase {
    const char* why;
    AcDbCurve* curve;
    AcGePoint3d near;
    int outside;
    double rotationDeg;  // from the readable-angle table: direction 0 -> 0, 90 -> 90, 135 -> -45 ...
    AcGePoint3d at;      // worked out by hand: nearest point moved along rotation + 90 degrees
};

}  // namespace

class TextPlacementTest : public DrawTest {};

TEST_F(TextPlacementTest, BesideLinesAndArcs) {
    const double r = std::sqrt(0.5);
    AcDbLine east({0, 0, 0}, {10, 0, 0}), west({10, 0, 0}, {0, 0, 0});
    AcDbLine north({0, 0, 0}, {0, 10, 0}), south({0, 10, 0}, {0, 0, 0});
    AcDbArc upper({0, 0, 0}, 10, 0, M_PI);  // counter-clockwise: heads west at the top
    const PlaceCase cases[] = {
        {"east, above", &east, {5, 3, 0}, 0, 0, {5, 1, 0}},
        {"east, outside goes below by height + offset", &east, {5, 3, 0}, 1, 0, {5, -3.5, 0}},
        {"west reads the same way as east", &west, {5, -3, 0}, 0, 0, {5, 1, 0}},
        {"north: vertical text, set to the left", &north, {2, 5, 0}, 0, 90, {-1, 5, 0}},
        {"south: still reads upwards", &south, {2, 5, 0}, 0, 90, {-1, 5, 0}},
        {"arc top", &upper, {0, 20, 0}, 0, 0, {0, 11, 0}},
        {"arc top, outside", &upper, {0, 20, 0}, 1, 0, {0, 6.5, 0}},
        {"arc at 45 degrees: tangent 135", &upper, {20, 20, 0}, 0, -45, {10 * r + r, 10 * r + r, 0}},
        {"point beyond the line's end: nearest is the end", &east, {15, -2, 0}, 0, 0, {10, 1, 0}},
    };
    for (const PlaceCase& c : cases) {
        AcDbText text({0, 0, 0}, "DN100", AcDbObjectId(), 2.5, 0.3);
        ASSERT_EQ(NUV::ModifyText(c.curve, c.near, &text, 1.0, c.outside), 1) << c.why;
        EXPECT_NEAR(text.rotation(), c.rotationDeg * M_PI / 180, 1e-9) << c.why;
        EXPECT_EQ(text.horizontalMode(), AcDb::kTextCenter) << c.why;
        EXPECT_EQ(text.verticalMode(), AcDb::kTextBase) << c.why;
        EXPECT_TRUE(text.position().isEqualTo(c.at, AcGeTol())) << c.why << ": " << text.position().x << ","
                                                                 << text.position().y;
        EXPECT_TRUE(text.alignmentPoint().isEqualTo(c.at, AcGeTol())) << c.why;
        EXPECT_FALSE(text.isDatabaseResident());
    }
}

TEST_F(TextPlacementTest, NullCurveOrTextChangesNothing) {
    AcDbLine line({0, 0, 0}, {10, 0, 0});
    AcDbText text({1, 2, 0}, "T", AcDbObjectId(), 2.5, 0.5);
    EXPECT_EQ(NUV::ModifyText(nullptr, {0, 0, 0}, &text, 1, 0), 0);
    EXPECT_EQ(NUV::ModifyText(&line, {0, 0, 0}, nullptr, 1, 0), 0);
    EXPECT_TRUE(text.position().isEqualTo({1, 2, 0}));
    EXPECT_DOUBLE_EQ(text.rotation(), 0.5);
    EXPECT_EQ(text.horizontalMode(), AcDb::kTextLeft);
}

TEST_F(TextPlacementTest, WidthFactorOfStyles) {
    AcDbTextStyleTable* table = nullptr;
    ASSERT_EQ(db.getTextStyleTable(table, AcDb::kForWrite), Acad::eOk);
    auto* narrow = new AcDbTextStyleTableRecord;
    narrow->setName("NARROW");
    narrow->setXScale(0.8);
    AcDbObjectId narrowId;
    ASSERT_EQ(table->add(narrowId, narrow), Acad::eOk);
    narrow->close();
    table->close();

    EXPECT_DOUBLE_EQ(NUV::GetWzXScale(narrowId), 0.8);
    EXPECT_DOUBLE_EQ(NUV::GetWzXScale(AcDbObjectId()), 1.0) << "the default drawing's Standard style";
    ASSERT_EQ(db.setTextstyle(narrowId), Acad::eOk);
    EXPECT_DOUBLE_EQ(NUV::GetWzXScale(AcDbObjectId()), 0.8) << "the current style";
    EXPECT_DOUBLE_EQ(NUV::GetWzXScale(db.layerTableId()), 0.7) << "not a text style";
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    EXPECT_DOUBLE_EQ(NUV::GetWzXScale(narrowId), 0.7) << "no current drawing";
    acdbHostApplicationServices()->setWorkingDatabase(&db);
}
