// The wheel: index 10 + 10 * h + k has hue 15 * h degrees; k / 2 picks the brightness (100, 80,
// 60, 50, 30 %) and an odd k halves the saturation.
#include "acad/AciColor.h"

#include <cmath>

namespace NUVAcad {

namespace {

uint32_t rgb(int r, int g, int b) { return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b; }

uint32_t hsv(double hue, double sat, double val) {
    double c = val * sat, x = c * (1 - std::fabs(std::fmod(hue / 60.0, 2.0) - 1)), m = val - c;
    double r = 0, g = 0, b = 0;
    int sector = static_cast<int>(hue / 60.0) % 6;
    switch (sector) {
    case 0: r = c, g = x; break;
    case 1: r = x, g = c; break;
    case 2: g = c, b = x; break;
    case 3: g = x, b = c; break;
    case 4: r = x, b = c; break;
    default: r = c, b = x; break;
    }
    auto ch = [&](double v) { return static_cast<int>(std::floor((v + m) * 255.0 + 1e-9)); };
    return rgb(ch(r), ch(g), ch(b));
}

}  // namespace

uint32_t AciToRgb(int i) {
    static const uint32_t basic[10] = {0xFFFFFF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF,
                                       0x0000FF, 0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0};
    if (i < 1 || i > 255) return 0xFFFFFF;
    if (i < 10) return basic[i];
    if (i >= 250) {
        static const int greys[6] = {51, 91, 132, 173, 214, 255};
        int g = greys[i - 250];
        return rgb(g, g, g);
    }
    static const double values[5] = {1.0, 0.8, 0.6, 0.5, 0.3};
    int k = i % 10;
    return hsv(15.0 * (i / 10 - 1), k % 2 ? 0.5 : 1.0, values[k / 2]);
}

}  // namespace NUVAcad
