#include "DrawingFixture.h"
#include "acad/AcEdSelectionSet.h"

namespace {

using EntityBounds = DrawingTest;

TEST_F(EntityBounds, ExtentsInWorldCoordinates) {
    AcDbObjectId line = AddLine({10, -2, 0}, {-4, 6, 3});
    auto* circle = new AcDbCircle(AcGePoint3d(100, 50, 0), AcGeVector3d(0, 0, 1), 2.5);
    AcDbObjectId circleId;
    ASSERT_EQ(ZQ::Append(circle, circleId), Acad::eOk);
    circle->close();

    struct Row {
        AcDbObjectId id;
        double min[3], max[3];
    } rows[] = {
        {line, {-4, -2, 0}, {10, 6, 3}},
        {circleId, {97.5, 47.5, 0}, {102.5, 52.5, 0}},
    };
    for (const Row& r : rows) {
        ads_name name;
        ASSERT_EQ(acdbGetAdsName(name, r.id), Acad::eOk);
        ads_point mn, mx;
        ASSERT_NE(ZQ::GetEntBound(name, mn, mx), 0);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(mn[i], r.min[i], 1e-9) << i;
            EXPECT_NEAR(mx[i], r.max[i], 1e-9) << i;
        }
    }
}

TEST_F(EntityBounds, ASelectionSetGivesTheUnionOfItsEntities) {
    AddLine({10, -2, 0}, {-4, 6, 3});
    AddLine({0, 0, 0}, {20, 1, -1});
    ads_name all;
    ASSERT_EQ(RTNORM, acedSSGet("X", nullptr, nullptr, nullptr, all));
    ads_point mn, mx;
    ASSERT_NE(ZQ::GetEntBound(all, mn, mx), 0);
    const double wantMin[3] = {-4, -2, -1}, wantMax[3] = {20, 6, 3};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(mn[i], wantMin[i], 1e-9) << i;
        EXPECT_NEAR(mx[i], wantMax[i], 1e-9) << i;
    }
    acedSSFree(all);
}

TEST_F(EntityBounds, NothingWrittenWhenThereIsNothingToMeasure) {
    AcDbObjectId line = AddLine({0, 0, 0}, {1, 1, 0});
    ads_name erased;
    ASSERT_EQ(acdbGetAdsName(erased, line), Acad::eOk);
    ASSERT_TRUE(ZQ::Erase(line));
    ads_name nil = {0, 0};
    ads_name bogus = {12345, 678};
    for (const long* name : {static_cast<const long*>(erased), static_cast<const long*>(nil),
                             static_cast<const long*>(bogus)}) {
        ads_point mn = {7, 7, 7}, mx = {8, 8, 8};
        EXPECT_EQ(ZQ::GetEntBound(name, mn, mx), 0);
        EXPECT_EQ(mn[0], 7);
        EXPECT_EQ(mx[2], 8);
    }
}

}  // namespace
