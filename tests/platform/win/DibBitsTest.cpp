#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "win/Gdi.h"

namespace {

struct ScreenDepth {
    explicit ScreenDepth(int bits) : old(NUVWin::GetScreenBitsPerPixel()) { NUVWin::SetScreenBitsPerPixel(bits); }
    ~ScreenDepth() { NUVWin::SetScreenBitsPerPixel(old); }
    int old;
};

// A header with room for a full colour table behind it.
struct Info {
    BITMAPINFO bi;
    RGBQUAD more[255];
};

// 3x2 picture, top row first. Every colour is an entry of the 8-bit system palette, so the
// picture survives a pass through an 8-bit bitmap unchanged.
const COLORREF kPicture[2][3] = {{RGB(255, 0, 0), RGB(0, 0, 128), RGB(51, 102, 153)},
                                 {RGB(166, 202, 240), RGB(255, 255, 255), RGB(0, 0, 0)}};

// The picture as a bottom-up DIB of 8 bits (own 6-entry colour table) or 32 bits.
std::vector<std::uint8_t> PictureDib(int bpp, Info& info) {
    info = Info{};
    info.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 2, 1, static_cast<WORD>(bpp), BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> bits(bpp == 8 ? 8 : 24, 0);
    RGBQUAD* table = &info.bi.bmiColors[0];
    for (int y = 0; y < 2; ++y) {
        std::uint8_t* row = bits.data() + (1 - y) * (bpp == 8 ? 4 : 12);  // bottom row first
        for (int x = 0; x < 3; ++x) {
            COLORREF c = kPicture[y][x];
            RGBQUAD q{GetBValue(c), GetGValue(c), GetRValue(c), 0};
            if (bpp == 8) {
                int index = 5 - (y * 3 + x);  // table order differs from the system's
                table[index] = q;
                row[x] = static_cast<std::uint8_t>(index);
            } else {
                std::memcpy(row + 4 * x, &q, 4);
            }
        }
    }
    if (bpp == 8) info.bi.bmiHeader.biClrUsed = 6;
    return bits;
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

TEST(DibBits, RoundTripThroughDeviceBitmapsAt8And32Bits) {
    struct Row {
        int dibBpp, ddbBpp;
    } rows[] = {{8, 8}, {32, 32}, {8, 32}, {32, 8}};
    HDC screen = GetDC(nullptr);
    for (const Row& r : rows) {
        Info in;
        std::vector<std::uint8_t> bits = PictureDib(r.dibBpp, in);
        HBITMAP bmp = CreateBitmap(3, 2, 1, r.ddbBpp, nullptr);
        ASSERT_EQ(SetDIBits(screen, bmp, 0, 2, bits.data(), &in.bi, DIB_RGB_COLORS), 2) << r.dibBpp << "->" << r.ddbBpp;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(PixelOf(bmp, x, y), kPicture[y][x]) << r.dibBpp << "->" << r.ddbBpp << " at " << x << "," << y;

        // Back out in the format it came in: same colours, same orientation.
        Info out{};
        out.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 2, 1, static_cast<WORD>(r.dibBpp), BI_RGB, 0, 0, 0, 0, 0};
        std::vector<std::uint8_t> back(bits.size(), 0xEE);
        ASSERT_EQ(GetDIBits(screen, bmp, 0, 2, back.data(), &out.bi, DIB_RGB_COLORS), 2);
        const RGBQUAD* table = &out.bi.bmiColors[0];
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                const std::uint8_t* row = back.data() + (1 - y) * (r.dibBpp == 8 ? 4 : 12);
                RGBQUAD q = r.dibBpp == 8 ? table[row[x]] : RGBQUAD{row[4 * x], row[4 * x + 1], row[4 * x + 2], 0};
                EXPECT_EQ(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), kPicture[y][x]) << r.dibBpp << "->" << r.ddbBpp;
            }
        DeleteObject(bmp);
    }
    ReleaseDC(nullptr, screen);
}

TEST(DibBits, ScanLinesCountFromTheDibsFirstStoredRow) {
    // One 32-bit row per call: scan 1 of a bottom-up DIB is the second row from the bottom,
    // scan 1 of a top-down DIB the second from the top.
    struct Row {
        LONG height;
        int expectedY;
    } rows[] = {{3, 1}, {-3, 1}, {4, 2}, {-4, 1}};
    for (const Row& r : rows) {
        LONG h = r.height < 0 ? -r.height : r.height;
        HBITMAP bmp = CreateBitmap(2, h, 1, 32, nullptr);
        Info in{};
        in.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, r.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        const std::uint8_t line[8] = {10, 20, 30, 0, 40, 50, 60, 0};
        EXPECT_EQ(SetDIBits(nullptr, bmp, 1, 1, line, &in.bi, DIB_RGB_COLORS), 1) << r.height;
        for (int y = 0; y < h; ++y) {
            bool written = y == r.expectedY;
            EXPECT_EQ(PixelOf(bmp, 0, y), written ? RGB(30, 20, 10) : RGB(0, 0, 0)) << r.height << " row " << y;
            EXPECT_EQ(PixelOf(bmp, 1, y), written ? RGB(60, 50, 40) : RGB(0, 0, 0)) << r.height << " row " << y;
        }
        // Lines past the DIB's end are not read.
        EXPECT_EQ(SetDIBits(nullptr, bmp, static_cast<UINT>(h) - 1, 5, line, &in.bi, DIB_RGB_COLORS), 1);
        DeleteObject(bmp);
    }
}

TEST(DibBits, PaletteIndicesComeFromTheContextsPalette) {
    HDC screen = GetDC(nullptr);
    Info in{};
    in.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, -1, 1, 8, BI_RGB, 0, 0, 0, 0, 2};
    WORD* indices = reinterpret_cast<WORD*>(in.bi.bmiColors);
    indices[0] = 13;  // default palette: red
    indices[1] = 4;   // dark blue
    const std::uint8_t line[4] = {1, 0, 0, 0};
    HBITMAP bmp = CreateBitmap(2, 1, 1, 24, nullptr);
    EXPECT_EQ(SetDIBits(screen, bmp, 0, 1, line, &in.bi, DIB_PAL_COLORS), 1);
    EXPECT_EQ(PixelOf(bmp, 0, 0), RGB(0, 0, 128));
    EXPECT_EQ(PixelOf(bmp, 1, 0), RGB(255, 0, 0));
    // Without a context there is no palette to look in.
    EXPECT_EQ(SetDIBits(nullptr, bmp, 0, 1, line, &in.bi, DIB_PAL_COLORS), 0);
    DeleteObject(bmp);
    ReleaseDC(nullptr, screen);
}

TEST(DibBits, SetDIBitsRefusals) {
    HBITMAP bmp = CreateBitmap(2, 2, 1, 32, nullptr);
    HBITMAP other = CreateBitmap(2, 2, 1, 32, nullptr);
    DeleteObject(other);  // a stale handle
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP selected = CreateBitmap(2, 2, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, selected);
    const std::uint8_t bits[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};
    Info good{};
    good.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    Info odd = good;
    odd.bi.bmiHeader.biBitCount = 7;
    Info packed = good;
    packed.bi.bmiHeader.biCompression = BI_BITFIELDS;
    Info empty = good;
    empty.bi.bmiHeader.biHeight = 0;
    struct Row {
        const char* what;
        HBITMAP target;
        UINT start;
        const void* bits;
        const BITMAPINFO* info;
    } rows[] = {
        {"stale handle", other, 0, bits, &good.bi},          {"selected into a context", selected, 0, bits, &good.bi},
        {"no bits", bmp, 0, nullptr, &good.bi},               {"no header", bmp, 0, bits, nullptr},
        {"bit count", bmp, 0, bits, &odd.bi},                 {"compression", bmp, 0, bits, &packed.bi},
        {"no rows", bmp, 0, bits, &empty.bi},                 {"start past the end", bmp, 2, bits, &good.bi},
    };
    for (const Row& r : rows) EXPECT_EQ(SetDIBits(nullptr, r.target, r.start, 2, r.bits, r.info, DIB_RGB_COLORS), 0) << r.what;
    EXPECT_EQ(PixelOf(bmp, 0, 0), RGB(0, 0, 0)) << "a refused call writes nothing";
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(selected);
    DeleteObject(bmp);
}

TEST(DibBits, CreateDIBitmapTakesTheContextsFormat) {
    int before = NUVWin::LiveGdiObjectCount();
    Info in;
    std::vector<std::uint8_t> bits = PictureDib(8, in);
    for (int depth : {8, 32, 24}) {
        ScreenDepth display(depth);
        HDC screen = GetDC(nullptr);
        HBITMAP made = CreateDIBitmap(screen, &in.bi.bmiHeader, CBM_INIT, bits.data(), &in.bi, DIB_RGB_COLORS);
        ASSERT_NE(made, nullptr) << depth;
        BITMAP bm{};
        GetObject(made, sizeof bm, &bm);
        EXPECT_EQ(bm.bmBitsPixel, depth);
        EXPECT_EQ(bm.bmBits, nullptr) << "device-dependent";
        EXPECT_TRUE(bm.bmWidth == 3 && bm.bmHeight == 2);
        EXPECT_EQ(PixelOf(made, 0, 0), kPicture[0][0]) << depth;
        EXPECT_EQ(PixelOf(made, 2, 1), kPicture[1][2]) << depth;
        EXPECT_EQ(PixelOf(made, 0, 1), kPicture[1][0]) << depth;
        DeleteObject(made);

        // Without CBM_INIT the bits are ignored and the bitmap starts black.
        HBITMAP blank = CreateDIBitmap(screen, &in.bi.bmiHeader, 0, bits.data(), &in.bi, DIB_RGB_COLORS);
        ASSERT_NE(blank, nullptr);
        EXPECT_EQ(PixelOf(blank, 0, 0), RGB(0, 0, 0));
        DeleteObject(blank);
        ReleaseDC(nullptr, screen);
    }
    // A memory context's format is that of the bitmap selected into it.
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP sel = CreateBitmap(1, 1, 1, 4, nullptr);
    HGDIOBJ old = SelectObject(mem, sel);
    HBITMAP four = CreateDIBitmap(mem, &in.bi.bmiHeader, CBM_INIT, bits.data(), &in.bi, DIB_RGB_COLORS);
    BITMAP bm{};
    GetObject(four, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 4);
    EXPECT_EQ(PixelOf(four, 0, 0), RGB(255, 0, 0));
    DeleteObject(four);
    SelectObject(mem, old);
    DeleteObject(sel);
    DeleteDC(mem);

    // Pixels that cannot be set leave no half-made bitmap behind.
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(CreateDIBitmap(screen, &in.bi.bmiHeader, CBM_INIT, nullptr, &in.bi, DIB_RGB_COLORS), nullptr);
    EXPECT_EQ(CreateDIBitmap(nullptr, &in.bi.bmiHeader, 0, nullptr, nullptr, DIB_RGB_COLORS), nullptr);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(NUVWin::LiveGdiObjectCount(), before);
}

}  // namespace
