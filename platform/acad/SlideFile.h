// Slide files: a picture of a view as screen vectors and solid fills in colour indices, in the
// host's binary format. The 31-byte header ("AutoCAD Slide" CR LF ^Z NUL, type 86, level 2, the
// screen's highest X and Y dot, the aspect ratio x 10,000,000 (always low byte first), hardware
// fill, test number 0x1234 in the writer's byte order)
// is followed by 16-bit records: a vector (four words, the first below 0x8000), an offset vector
// (0xFB), a common-endpoint vector (0xFE), a solid fill (0xFD), a new colour (0xFF) and the end
// (0xFC00). Dots count from the lower left corner.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace NUVAcad {

struct SlideDot {
    int x = 0;
    int y = 0;
    bool operator==(const SlideDot& o) const { return x == o.x && y == o.y; }
};

struct SlideItem {
    enum Kind : uint8_t { Vector, Fill };
    Kind kind = Vector;
    int color = 7;
    std::vector<SlideDot> dots;  // Vector: from and to; Fill: the polygon's vertices (3 to 10)
};

struct Slide {
    int highX = 1023;               // the screen's highest dot, X and Y
    int highY = 767;
    uint32_t aspect = 13333333;     // width / height of the screen x 10,000,000
    int hardwareFill = 0;           // 0 or 2
    std::vector<SlideItem> items;   // in drawing order

    double aspectRatio() const { return aspect / 1e7; }
};

// The most vertices one solid-fill record may hold.
inline constexpr int kSlideFillMaxVertices = 10;

// The file's bytes (little-endian words). Vectors are written whole (from and to), so any
// reader's idea of the "last point" agrees; colours are written when they change.
std::string WriteSlide(const Slide& slide);

// Reads a slide file of either byte order. False with a message naming the byte offset when the
// bytes are not a slide (wrong header or level, a record cut short, an unknown record, a fill
// without its end, no end mark).
bool ReadSlide(std::string_view bytes, Slide& slide, std::string& error);

}  // namespace NUVAcad
