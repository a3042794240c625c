// The host's 256 colour indices as RGB: 1 to 9 the standard colours, 10 to 249 a wheel of 24
// hues in steps of 15 degrees, each in five shades at full and half saturation, 250 to 255 greys.
#pragma once

#include <cstdint>

namespace NUVAcad {

// 0xRRGGBB for a colour index 1..255 (7 is white, drawn black on a light background by
// renderers); indices outside give white.
uint32_t AciToRgb(int index);

}  // namespace NUVAcad
