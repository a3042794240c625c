#include "ZQCAD/TextAngles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

TEST(GetRightTopAngles, TheDocumentedTable) {
    struct Row {
        double direction, rotation, side;  // degrees, typed from the table in the header
    } rows[] = {
        {0, 0, 90},       {30, 30, 120},     {89.9, 89.9, 179.9}, {90, 90, 180},   {90.1, -89.9, 0.1},
        {-30, -30, 60},   {720, 0, 90},      {180, 0, 90},        {210, 30, 120},  {-90, 90, 180},
        {270, 90, 180},   {135, -45, 45},    {-135, 45, 135},     {-360, 0, 90},   {-89.9, -89.9, 0.1},
        {-270, 90, 180},  {450, 90, 180},    {359, -1, 89},       {181, 1, 91},    {1e6, -80, 10},
    };
    for (const Row& r : rows) {
        double rotation = 99, side = 99;
        EXPECT_TRUE(ZQ::GetRightTopAngles(r.direction * kDeg, rotation, side)) << r.direction;
        EXPECT_NEAR(rotation / kDeg, r.rotation, 1e-9) << r.direction;
        EXPECT_NEAR(side / kDeg, r.side, 1e-9) << r.direction;
        // Whatever the direction, the text reads left to right or upwards.
        EXPECT_GT(rotation, -M_PI / 2) << r.direction;
        EXPECT_LE(rotation, M_PI / 2) << r.direction;
    }
}

TEST(GetRightTopAngles, VerticalWithinTheToleranceReadsUpwards) {
    for (double off : {-5e-10, 0.0, 5e-10}) {
        for (double base : {-M_PI / 2, M_PI / 2, 3 * M_PI / 2}) {
            double rotation = 0, side = 0;
            ZQ::GetRightTopAngles(base + off, rotation, side);
            EXPECT_EQ(rotation, M_PI / 2) << base << " + " << off;
            EXPECT_EQ(side, M_PI) << base << " + " << off;
        }
    }
    // Just beyond the tolerance the text turns.
    double rotation = 0, side = 0;
    ZQ::GetRightTopAngles(M_PI / 2 + 1e-6, rotation, side);
    EXPECT_NEAR(rotation, -M_PI / 2 + 1e-6, 1e-12);
}

TEST(GetRightTopAngles, NotANumber) {
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity()}) {
        double rotation = 7, side = 7;
        EXPECT_FALSE(ZQ::GetRightTopAngles(bad, rotation, side));
        EXPECT_EQ(rotation, 0);
        EXPECT_EQ(side, M_PI / 2);
    }
}

}  // namespace
