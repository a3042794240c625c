// Every row of every table the hydraulic library carries, against values typed here from the
// published tables (never read from the library), and every formula of the friction tables
// against values computed once outside it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "hydraulics/FluidProperties.h"
#include "hydraulics/Friction.h"
#include "hydraulics/LocalLoss.h"

namespace {

constexpr double kPi = 3.141592653589793;

// Saturation vapour pressure of water, Pa, -40 to 60 C by whole degrees.
constexpr double kVapour[101] = {
    12.85,   14.38,   16.08,   17.96,   20.05,   22.35,   24.9,    27.72,   30.82,   34.25,    // -40..-31
    38.82,   42.17,   46.73,   51.75,   57.25,   63.29,   69.91,   77.16,   85.1,    93.78,    // -30..-21
    103.26,  113.62,  124.92,  137.25,  150.68,  165.3,   181.22,  198.52,  217.32,  237.75,   // -20..-11
    259.91,  283.95,  309.99,  338.21,  368.74,  401.78,  437.48,  476.06,  517.73,  562.68,   // -10..-1
    611.17,  657.1,   706.0,   758.1,   813.5,   872.5,   935.3,   1002.0,  1072.9,  1148.1,   // 0..9
    1228.0,  1312.8,  1402.6,  1497.9,  1598.7,  1705.5,  1818.5,  1938.0,  2164.3,  2197.9,   // 10..19
    2338.9,  2487.8,  2644.8,  2810.5,  2985.2,  3169.3,  3363.3,  3567.4,  3782.3,  4008.4,   // 20..29
    4246.2,  4496.1,  4758.6,  5034.5,  5324.2,  5628.0,  5964.8,  6281.2,  6631.5,  6998.8,   // 30..39
    7383.8,  7786.6,  8208.1,  8649.5,  9111.0,  9593.5,  10098.2, 10625.0, 11175.4, 11750.2,  // 40..49
    12350.3, 12976.4, 13629.3, 14310.8, 15020.5, 15760.1, 16531.1, 17333.7, 18169.1, 19039.3,  // 50..59
    19934.9,                                                                                   // 60
};

TEST(Tables, SaturationVapourPressureEveryDegree) {
    for (int t = -40; t <= 60; ++t) {
        EXPECT_EQ(NUV::GetBhDqYl(t), kVapour[t + 40]) << t << " C";
    }
    // Half-way between neighbours: the interpolation takes the two rows around t.
    for (int t = -40; t < 60; ++t) {
        const double lo = kVapour[t + 40], hi = kVapour[t + 41];
        EXPECT_NEAR(NUV::GetBhDqYl(t + 0.5), lo + 0.5 * (hi - lo), 1e-9 * hi) << t + 0.5 << " C";
    }
}

// Water density, kg/m3, 40 to 100 C by whole degrees.
constexpr double kWaterDensity[61] = {
    992.24, 991.86, 991.47, 991.07, 990.66, 990.25, 989.82, 989.4,  988.69, 988.52,          // 40..49
    988.07, 987.62, 987.15, 986.69, 986.21, 985.73, 985.25, 984.75, 984.25, 983.75,          // 50..59
    983.24, 982.72, 982.2,  981.67, 981.13, 980.59, 980.05, 979.5,  978.94, 978.38,          // 60..69
    977.81, 977.23, 976.66, 976.07, 975.48, 974.84, 974.29, 973.68, 973.07, 972.45,          // 70..79
    971.83, 971.21, 970.57, 969.94, 969.3,  968.65, 968.0,  967.34, 966.68, 966.01,          // 80..89
    965.34, 964.67, 963.99, 963.3,  962.61, 961.92, 961.22, 960.51, 959.81, 959.09, 958.38,  // 90..100
};

TEST(Tables, WaterDensityEveryRow) {
    for (int t = 40; t <= 100; ++t) {
        EXPECT_EQ(NUV::GetWaterMD(t), kWaterDensity[t - 40]) << t << " C";
        // Rounded half up to the row: no interpolation above 40 C.
        if (t < 100) {
            EXPECT_EQ(NUV::GetWaterMD(t + 0.49), kWaterDensity[t - 40]) << t + 0.49 << " C";
        }
    }
    // The points below 40 C, and 4 C.
    const struct {
        double t, want;
    } anchors[] = {{0, 999.3}, {4, 1000.0}, {10, 999.73}, {20, 998.23}, {30, 995.67}};
    for (const auto& a : anchors) EXPECT_EQ(NUV::GetWaterMD(a.t), a.want) << a.t << " C";
    // Half-way between the ten-degree points (typed: the mean of the two rows).
    const struct {
        double t, want;
    } middles[] = {{15, 998.98}, {25, 996.95}, {35, 993.955}};
    for (const auto& m : middles) EXPECT_NEAR(NUV::GetWaterMD(m.t), m.want, 1e-9) << m.t << " C";
}

TEST(Tables, WaterViscosityEveryRow) {
    const struct {
        double t, want;
    } rows[] = {{0, 1.792}, {5, 1.52},  {10, 1.307}, {15, 1.139}, {20, 1.004},
                {30, 0.801}, {40, 0.658}, {60, 0.475}, {80, 0.365}};
    for (const auto& r : rows) EXPECT_NEAR(NUV::GetWaterND(r.t), r.want, 1e-12) << r.t << " C";
}

// Humid air at the ends of the vapour table: both ends use the formula, not 352/T.
TEST(Tables, AirDensityAtTheTableEnds) {
    // (B*0.003484)/T - ((Pq*phi)*0.00134)/T, computed once in Python.
    EXPECT_NEAR(NUV::GetDensity(60, 0.5, 101325), 1.0195404982740508, 1e-13);
    EXPECT_NEAR(NUV::GetDensity(-40, 0.5, 101325), 1.5140797362213168, 1e-13);
    EXPECT_EQ(NUV::GetDensity(60.5, 0.5, 101325), 352 / (60.5 + 273.15));
}

TEST(Tables, ElbowAngleFactorEveryRow) {
    // With R/D = 1 the base coefficient is 0.22.
    const struct {
        double degrees, factor;
    } rows[] = {{0, 0},    {20, 0.31},  {30, 0.45},  {45, 0.6},   {60, 0.78}, {75, 0.9},
                {90, 1.0}, {110, 1.13}, {130, 1.2},  {150, 1.28}, {180, 1.4}};
    for (const auto& r : rows) {
        EXPECT_NEAR(NUV::GetSyphonDragLocalIndexCircle(r.degrees / 180 * kPi, 1.0), r.factor * 0.22, 1e-12)
            << r.degrees << " deg";
    }
}

TEST(Tables, RoundElbowBaseCoefficientEveryRow) {
    const struct {
        double radius, zeta;
    } rows[] = {{0.5, 0.75}, {0.75, 0.33}, {1.0, 0.22}, {1.5, 0.15}, {2.0, 0.13}, {2.5, 0.12}};
    for (const auto& r : rows) {
        EXPECT_NEAR(NUV::GetSyphonDragLocalIndexCircle(kPi / 2, r.radius), r.zeta, 1e-12) << "R/D " << r.radius;
    }
}

TEST(Tables, RectangularElbowReynoldsFactorEveryRow) {
    // h/b = 5 makes the shape coefficient 1 and 90 degrees the angle factor 1.
    const double re[9] = {1, 2, 3, 4, 6, 8, 10, 14, 20};
    const double table05[9] = {1.4, 1.26, 1.19, 1.4, 1.09, 1.06, 1.04, 1.0, 1.0};
    const double table075[9] = {2.0, 1.77, 1.64, 1.56, 1.46, 1.38, 1.3, 1.15, 1.0};
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(NUV::GetSyphonDragLocalIndexSquare(kPi / 2, 0.5, re[i] * 10000, 5, 1), table05[i], 1e-12)
            << "r 0.5, Re/10000 " << re[i];
        EXPECT_NEAR(NUV::GetSyphonDragLocalIndexSquare(kPi / 2, 1.0, re[i] * 10000, 5, 1), table075[i], 1e-12)
            << "r 1.0, Re/10000 " << re[i];
    }
}

// One row per formula of the friction tables. Values computed once with Python from the
// published formulas in their written order (math.pow, math.log, math.log10, math.sqrt).
TEST(Tables, FrictionFormulasEveryRow) {
    const struct {
        const char* what;
        double got, want;
    } rows[] = {
        {"D", NUV::D(0.0375), 0.15},
        {"Rs", NUV::Rs(0.08, 1.2), 0.06666666666666667},
        {"D_V", NUV::D_V(0.4, 0.25), 0.3076923076923077},
        {"D_F", NUV::D_F(0.4, 0.25), 0.34425744751041937},
        {"D_A", NUV::D_A(0.4, 0.25), 0.3568248232305542},
        {"D_Circle", NUV::D_Circle(0.1), 0.3568248232305542},
        {"L", NUV::L(0.1, 4.5), 0.45},
        {"L_Square", NUV::L_Square(0.4, 0.25, 4.5), 0.45},
        {"L_Circle", NUV::L_Circle(0.3, 4.5), 0.3180862561759666},
        {"V", NUV::V(0.45, 0.1), 4.5},
        {"V_Square", NUV::V_Square(0.45, 0.4, 0.25), 4.5},
        {"V_Circle", NUV::V_Circle(0.45, 0.3), 6.366197723675813},
        {"Re", NUV::Re(4.5, 0.3, 1.5e-5), 90000.0},
        {"x_LF", NUV::x_LF(1500), 0.042666666666666665},
        {"x_TF_B", NUV::x_TF_B(50000), 0.02115894324945399},
        {"x_TF_SJ", NUV::x_TF_SJ(200000, 0.0002), 0.017474249666294652},
        {"x_TF_A", NUV::x_TF_A(200000, 0.0002), 0.01676838068910229},
        {"x_TF_M", NUV::x_TF_M(200000, 0.0002), 0.015400419115259521},
        {"x_TF_KN", NUV::x_TF_KN(0.0002), 0.01371809487491067},
        {"x_TF_X", NUV::x_TF_X(0.0002), 0.013081278265029932},
        {"Pl", NUV::Pl(12, 0.021, 0.075, 4.5, 1.2), 10.206000000000001},
        {"Pl_Circle", NUV::Pl_Circle(12, 0.021, 0.3, 4.5, 1.2), 10.206000000000001},
        {"Pl_Square", NUV::Pl_Square(12, 0.021, 0.4, 0.25, 4.5, 1.2), 9.950849999999999},
        {"Rm", NUV::Rm(0.021, 0.075, 4.5, 1.2), 0.8505000000000001},
        {"Rm_Circle", NUV::Rm_Circle(0.021, 0.3, 4.5, 1.2), 0.8505000000000001},
        {"Rm_Square", NUV::Rm_Square(0.021, 0.4, 0.25, 4.5, 1.2), 0.8292375000000001},
    };
    for (const auto& r : rows) EXPECT_NEAR(r.got, r.want, 1e-14 * std::fabs(r.want)) << r.what;
}

}  // namespace
