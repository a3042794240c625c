#include "hydraulics/FluidProperties.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    double t;
    double want;
    double tol;  // 0: exact
};

TEST(FluidProperties, SaturationVapourPressure) {
    const Case cases[] = {
        {20, 2338.9, 0},     {-40, 12.85, 0},    {60, 19934.9, 0},  {-5.5, 385.26, 1e-9},
        {59.5, 19487.1, 1e-9}, {60.0001, -1, 0}, {-40.0001, -1, 0}, {0, 611.17, 0},
        {18, 2164.3, 0},  // kept as published
        {17.5, 2051.15, 1e-9}, {-0.25, 0.75 * 611.17 + 0.25 * 562.68, 1e-9},
    };
    for (const Case& c : cases) {
        if (c.tol == 0)
            EXPECT_EQ(NUV::GetBhDqYl(c.t), c.want) << c.t;
        else
            EXPECT_NEAR(NUV::GetBhDqYl(c.t), c.want, c.tol) << c.t;
    }
}

TEST(FluidProperties, HumidAirDensity) {
    EXPECT_NEAR(NUV::GetDensity(20, 0, 101325), 1.2043, 1e-4);
    EXPECT_EQ(NUV::GetDensity(70, 0.5, 101325), 352 / 343.15);
    EXPECT_EQ(NUV::GetDensity(-41, 0.5, 90000), 352 / (-41 + 273.15));
    // Moisture makes air lighter, a lower barometer too.
    EXPECT_LT(NUV::GetDensity(30, 0.9, 101325), NUV::GetDensity(30, 0.1, 101325));
    EXPECT_NEAR(NUV::GetDensity(30, 1.0, 101325),
                101325 * 0.003484 / 303.15 - 4246.2 * 0.00134 / 303.15, 1e-12);
    EXPECT_NEAR(NUV::GetDensity(20, 0.5, 85000) / NUV::GetDensity(20, 0.5, 101325), 0.84, 0.01);
}

TEST(FluidProperties, WaterDensity) {
    const Case cases[] = {
        {-1, 999.3, 0},   {4, 1000.0, 0},      {45.4, 990.25, 0}, {150, 958.38, 0},
        {25, 996.95, 1e-9}, {100, 958.38, 0},  {99.6, 958.38, 0}, {39.5, 992.24, 0},
        {40, 992.24, 0},  {0, 999.3, 0},       {2, 999.65, 1e-9}, {7, 999.865, 1e-9},
        {3.6, 1000.0 - 0.27 * -0.4 / 6, 1e-9}, {39.4, 995.67 + 9.4 * (992.24 - 995.67) * 0.1, 1e-9},
    };
    for (const Case& c : cases) {
        if (c.tol == 0)
            EXPECT_EQ(NUV::GetWaterMD(c.t), c.want) << c.t;
        else
            EXPECT_NEAR(NUV::GetWaterMD(c.t), c.want, c.tol) << c.t;
    }
}

TEST(FluidProperties, WaterViscosity) {
    const Case cases[] = {
        {20, 1.004, 1e-12},   {25.2, 0.9025, 1e-12}, {79.6, 0.365, 0}, {200, 0.365, 0},
        {79.4, 0.475 + 19 * (0.365 - 0.475) / 20, 1e-12},
        {2.6, 1.792 + 3 * (1.52 - 1.792) / 5, 1e-12},  // rounded position, not t
        {-3, 1.792 + 2 * (1.792 - 1.52) / 5, 1e-12},    // 0-5 segment extended
        {50, 0.658 + 10 * (0.475 - 0.658) / 20, 1e-12},
    };
    for (const Case& c : cases) {
        if (c.tol == 0)
            EXPECT_EQ(NUV::GetWaterND(c.t), c.want) << c.t;
        else
            EXPECT_NEAR(NUV::GetWaterND(c.t), c.want, c.tol) << c.t;
    }
}

TEST(FluidProperties, WaterFlux) {
    EXPECT_NEAR(NUV::GetWaterFlux(1163, 5), 0.0556, 1e-4);
    EXPECT_EQ(NUV::GetWaterFlux(-1163, 5), NUV::GetWaterFlux(1163, 5));
    // Bits computed outside this code base; dividing by 1.163 and 3600 instead differs.
    EXPECT_EQ(NUV::GetWaterFlux(54053.4, 11.4), 0x1.21eb2234c8fddp+0);
}

}  // namespace
