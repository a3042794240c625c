// Slide reading follows each record's own rule for the "last point": a whole vector leaves its
// from-point there, an offset vector its (moved) from-point, a common-endpoint vector its new
// end. A solid fill is a run of 0xFD records: the first gives the vertex count with a negative Y,
// then one record per vertex, then one with a negative Y again.
#include "acad/SlideFile.h"

#include <cstdio>
#include <cstring>

namespace NUVAcad {

namespace {

constexpr char kSignature[] = "AutoCAD Slide\r\n\x1a";  // the 17th byte is the terminating NUL
constexpr size_t kHeaderSize = 31;

void putWord(std::string& out, int v) {
    auto u = static_cast<uint16_t>(v);
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
}

class Reader {
public:
    Reader(std::string_view b, bool bigEndian) : b_(b), big_(bigEndian) {}
    size_t pos = kHeaderSize;
    bool word(uint16_t& w) {
        if (pos + 2 > b_.size()) return false;
        auto lo = static_cast<uint8_t>(b_[pos]), hi = static_cast<uint8_t>(b_[pos + 1]);
        w = big_ ? static_cast<uint16_t>(lo << 8 | hi) : static_cast<uint16_t>(hi << 8 | lo);
        pos += 2;
        return true;
    }
    bool byte(int8_t& v) {
        if (pos >= b_.size()) return false;
        v = static_cast<int8_t>(b_[pos++]);
        return true;
    }

private:
    std::string_view b_;
    bool big_;
};

}  // namespace

std::string WriteSlide(const Slide& s) {
    std::string out(kSignature, sizeof kSignature);  // 16 characters and the NUL
    out.push_back(static_cast<char>(86));
    out.push_back(static_cast<char>(2));
    putWord(out, s.highX);
    putWord(out, s.highY);
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((s.aspect >> (8 * k)) & 0xFF));
    putWord(out, s.hardwareFill);
    putWord(out, 0x1234);
    int color = -1;
    for (const SlideItem& it : s.items) {
        if (it.color != color) {
            color = it.color;
            putWord(out, 0xFF00 | (color & 0xFF));
        }
        if (it.kind == SlideItem::Vector && it.dots.size() == 2) {
            putWord(out, it.dots[0].x);
            putWord(out, it.dots[0].y);
            putWord(out, it.dots[1].x);
            putWord(out, it.dots[1].y);
        } else if (it.kind == SlideItem::Fill && it.dots.size() >= 3 &&
                   it.dots.size() <= static_cast<size_t>(kSlideFillMaxVertices)) {
            putWord(out, 0xFD00);
            putWord(out, static_cast<int>(it.dots.size()));
            putWord(out, -1);
            for (const SlideDot& d : it.dots) {
                putWord(out, 0xFD00);
                putWord(out, d.x);
                putWord(out, d.y);
            }
            putWord(out, 0xFD00);
            putWord(out, 0);
            putWord(out, -1);
        }
    }
    putWord(out, 0xFC00);
    return out;
}

bool ReadSlide(std::string_view b, Slide& s, std::string& error) {
    s = Slide();
    auto fail = [&](size_t at, const std::string& what) {
        error = "slide: " + what + " at byte " + std::to_string(at);
        return false;
    };
    if (b.size() < kHeaderSize || std::memcmp(b.data(), kSignature, sizeof kSignature) != 0)
        return fail(0, "not a slide file (no \"AutoCAD Slide\" header)");
    if (static_cast<uint8_t>(b[17]) != 86) return fail(17, "unknown type " + std::to_string(static_cast<uint8_t>(b[17])));
    if (static_cast<uint8_t>(b[18]) != 2)
        return fail(18, "level " + std::to_string(static_cast<uint8_t>(b[18])) + " is not supported (only level 2)");
    // The test number says in which order the writer put the bytes of a word.
    auto b29 = static_cast<uint8_t>(b[29]), b30 = static_cast<uint8_t>(b[30]);
    bool big;
    if (b29 == 0x34 && b30 == 0x12) big = false;
    else if (b29 == 0x12 && b30 == 0x34) big = true;
    else return fail(29, "bad test number");
    auto word = [&](size_t at) {
        auto lo = static_cast<uint8_t>(b[at]), hi = static_cast<uint8_t>(b[at + 1]);
        return big ? (lo << 8 | hi) : (hi << 8 | lo);
    };
    s.highX = word(19);
    s.highY = word(21);
    // The aspect ratio is written low byte first whatever the order of the words.
    s.aspect = 0;
    for (int k = 0; k < 4; ++k) s.aspect |= static_cast<uint32_t>(static_cast<uint8_t>(b[23 + k])) << (8 * k);
    s.hardwareFill = word(27);

    Reader r(b, big);
    SlideDot last;
    int color = 7;
    SlideItem fill;
    int fillCount = -1;  // vertices still expected; -1 outside a fill
    bool inFill = false;
    for (;;) {
        size_t at = r.pos;
        uint16_t w;
        if (!r.word(w)) return fail(at, "no end mark");
        int hi = w >> 8;
        if (inFill && hi != 0xFD) return fail(at, "solid fill without its end");
        auto vec = [&](SlideDot from, SlideDot to) {
            s.items.push_back({SlideItem::Vector, color, {from, to}});
        };
        if (hi < 0x80) {
            uint16_t fy, tx, ty;
            if (!r.word(fy) || !r.word(tx) || !r.word(ty)) return fail(at, "vector cut short");
            SlideDot from{w, fy}, to{tx, ty};
            vec(from, to);
            last = from;
        } else if (hi == 0xFB) {
            int8_t dy1, dx2, dy2;
            if (!r.byte(dy1) || !r.byte(dx2) || !r.byte(dy2)) return fail(at, "offset vector cut short");
            auto dx1 = static_cast<int8_t>(w & 0xFF);
            SlideDot from{last.x + dx1, last.y + dy1}, to{last.x + dx2, last.y + dy2};
            vec(from, to);
            last = from;
        } else if (hi == 0xFC) {
            return true;
        } else if (hi == 0xFD) {
            uint16_t x, y;
            if (!r.word(x) || !r.word(y)) return fail(at, "solid fill cut short");
            bool negative = static_cast<int16_t>(y) < 0;
            if (!inFill) {
                if (!negative) return fail(at, "solid fill vertex outside a fill");
                if (x < 1 || x > kSlideFillMaxVertices) return fail(at, "solid fill of " + std::to_string(x) + " vertices");
                inFill = true;
                fillCount = x;
                fill = SlideItem{SlideItem::Fill, color, {}};
            } else if (negative) {
                if (static_cast<int>(fill.dots.size()) != fillCount)
                    return fail(at, "solid fill ends after " + std::to_string(fill.dots.size()) + " of " +
                                        std::to_string(fillCount) + " vertices");
                s.items.push_back(std::move(fill));
                fill = SlideItem();
                inFill = false;
            } else {
                if (static_cast<int>(fill.dots.size()) >= fillCount) return fail(at, "solid fill with too many vertices");
                fill.dots.push_back({x, y});
            }
        } else if (hi == 0xFE) {
            int8_t dy;
            if (!r.byte(dy)) return fail(at, "common-endpoint vector cut short");
            auto dx = static_cast<int8_t>(w & 0xFF);
            SlideDot to{last.x + dx, last.y + dy};
            vec(last, to);
            last = to;
        } else if (hi == 0xFF) {
            color = w & 0xFF;
        } else {
            return fail(at, "unknown record 0x" + [&] {
                char h[8];
                std::snprintf(h, sizeof h, "%04X", w);
                return std::string(h);
            }());
        }
    }
}

}  // namespace NUVAcad
