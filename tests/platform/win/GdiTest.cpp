#include <gtest/gtest.h>

#include <vector>

#include "win/Gdi.h"

namespace {

struct ScreenDepth {
    explicit ScreenDepth(int bits) : old(NUVWin::GetScreenBitsPerPixel()) { NUVWin::SetScreenBitsPerPixel(bits); }
    ~ScreenDepth() { NUVWin::SetScreenBitsPerPixel(old); }
    int old;
};

TEST(Gdi, BitmapDescriptionsFollowTheirKind) {
    // Device-dependent rows are word aligned, DIB rows double-word aligned.
    struct Row {
        int width, bpp, ddbStride, dibStride;
    } rows[] = {{1, 1, 2, 4}, {17, 1, 4, 4}, {33, 1, 6, 8}, {3, 4, 2, 4}, {5, 8, 6, 8}, {3, 24, 10, 12}, {3, 32, 12, 12}};
    for (const Row& r : rows) {
        HBITMAP ddb = CreateBitmap(r.width, 2, 1, r.bpp, nullptr);
        BITMAP bm{};
        ASSERT_EQ(GetObject(ddb, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
        EXPECT_EQ(bm.bmWidth, r.width);
        EXPECT_EQ(bm.bmHeight, 2);
        EXPECT_EQ(bm.bmBitsPixel, r.bpp);
        EXPECT_EQ(bm.bmPlanes, 1);
        EXPECT_EQ(bm.bmWidthBytes, r.ddbStride) << r.width << "x" << r.bpp;
        EXPECT_EQ(bm.bmBits, nullptr);

        struct {
            BITMAPINFO bi;
            RGBQUAD more[255];
        } info{};  // room for the colour table of up to 8 bits
        info.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), r.width, -2, 1, static_cast<WORD>(r.bpp), BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(nullptr, &info.bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(dib, nullptr);
        DIBSECTION ds{};
        ASSERT_EQ(GetObject(dib, sizeof ds, &ds), static_cast<int>(sizeof(DIBSECTION)));
        EXPECT_EQ(ds.dsBm.bmWidthBytes, r.dibStride) << r.width << "x" << r.bpp;
        EXPECT_EQ(ds.dsBm.bmBits, bits);
        EXPECT_EQ(ds.dsBmih.biHeight, -2);
        EXPECT_TRUE(DeleteObject(ddb));
        EXPECT_TRUE(DeleteObject(dib));
    }
    EXPECT_EQ(CreateBitmap(0, 5, 1, 32, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(5, 5, 1, 7, nullptr), nullptr);
}

TEST(Gdi, PixelsAtEveryDepthMapToTheSystemColours) {
    // Expected colours are the system palette's own entries, written out independently.
    struct Row {
        int bpp;
        COLORREF in, out;
    } rows[] = {
        {1, RGB(200, 200, 200), RGB(255, 255, 255)}, {1, RGB(60, 10, 90), RGB(0, 0, 0)},
        {4, RGB(250, 5, 5), RGB(255, 0, 0)},         {4, RGB(120, 120, 130), RGB(128, 128, 128)},
        {4, RGB(0, 0, 140), RGB(0, 0, 128)},         {8, RGB(166, 202, 240), RGB(166, 202, 240)},
        {8, RGB(50, 100, 150), RGB(51, 102, 153)},   {16, RGB(0x12, 0x34, 0x56), RGB(0x10, 0x31, 0x52)},
        {24, RGB(1, 2, 3), RGB(1, 2, 3)},            {32, RGB(250, 128, 7), RGB(250, 128, 7)},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    for (const Row& r : rows) {
        HBITMAP bmp = CreateBitmap(9, 3, 1, r.bpp, nullptr);
        HGDIOBJ old = SelectObject(dc, bmp);
        ASSERT_NE(old, nullptr);
        EXPECT_EQ(SetPixel(dc, 7, 2, r.in), r.out) << r.bpp;
        EXPECT_EQ(GetPixel(dc, 7, 2), r.out) << r.bpp;
        EXPECT_EQ(GetPixel(dc, 6, 2), RGB(0, 0, 0)) << "new bitmaps start black";
        EXPECT_EQ(GetPixel(dc, 9, 0), CLR_INVALID);
        SelectObject(dc, old);
        DeleteObject(bmp);
    }
    DeleteDC(dc);
}

TEST(Gdi, ContextsAndSelectionRules) {
    int before = NUVWin::LiveGdiObjectCount();
    {
        ScreenDepth depth(8);
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 8);
        EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
        HDC mem = CreateCompatibleDC(screen);
        EXPECT_EQ(GetObjectType(mem), static_cast<DWORD>(OBJ_MEMDC));
        // A new memory context holds a 1x1 monochrome bitmap, so "compatible" means monochrome.
        HBITMAP mono = CreateCompatibleBitmap(mem, 4, 4);
        BITMAP bm{};
        GetObject(mono, sizeof bm, &bm);
        EXPECT_EQ(bm.bmBitsPixel, 1);
        HBITMAP colour = CreateCompatibleBitmap(screen, 4, 4);
        GetObject(colour, sizeof bm, &bm);
        EXPECT_EQ(bm.bmBitsPixel, 8);

        HGDIOBJ stock = SelectObject(mem, colour);
        ASSERT_NE(stock, nullptr);
        HDC other = CreateCompatibleDC(nullptr);
        EXPECT_EQ(SelectObject(other, colour), nullptr) << "a bitmap is in one context at a time";
        EXPECT_FALSE(DeleteObject(colour)) << "a selected bitmap cannot be deleted";
        EXPECT_EQ(SelectObject(mem, stock), colour);
        EXPECT_TRUE(DeleteObject(colour));

        HGDIOBJ pal = GetStockObject(DEFAULT_PALETTE);
        WORD entries = 0;
        EXPECT_EQ(GetObject(pal, sizeof entries, &entries), 2);
        EXPECT_EQ(entries, 20);
        HPALETTE prev = SelectPalette(screen, static_cast<HPALETTE>(pal), FALSE);
        EXPECT_NE(prev, nullptr);
        EXPECT_TRUE(DeleteObject(pal)) << "stock objects survive deletion";
        EXPECT_EQ(GetStockObject(DEFAULT_PALETTE), pal);

        DeleteObject(mono);
        DeleteDC(other);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
    }
    EXPECT_EQ(NUVWin::GetScreenBitsPerPixel(), 32);
    EXPECT_FALSE(NUVWin::SetScreenBitsPerPixel(12));
    EXPECT_EQ(NUVWin::LiveGdiObjectCount(), before);
}

TEST(Gdi, BitBltConvertsBetweenMonochromeAndColour) {
    HDC src = CreateCompatibleDC(nullptr), dst = CreateCompatibleDC(nullptr);
    HBITMAP colour = CreateBitmap(4, 1, 1, 32, nullptr), mono = CreateBitmap(4, 1, 1, 1, nullptr);
    SelectObject(src, colour);
    SelectObject(dst, mono);
    SetPixel(src, 0, 0, RGB(255, 0, 255));
    SetPixel(src, 1, 0, RGB(10, 20, 30));
    SetPixel(src, 2, 0, RGB(255, 0, 255));
    SetPixel(src, 3, 0, RGB(255, 255, 255));
    // Colour to monochrome: white exactly where the source matches its background colour.
    SetBkColor(src, RGB(255, 0, 255));
    ASSERT_TRUE(BitBlt(dst, 0, 0, 4, 1, src, 0, 0, SRCCOPY));
    const COLORREF W = RGB(255, 255, 255), K = RGB(0, 0, 0);
    EXPECT_EQ(GetPixel(dst, 0, 0), W);
    EXPECT_EQ(GetPixel(dst, 1, 0), K);
    EXPECT_EQ(GetPixel(dst, 2, 0), W);
    EXPECT_EQ(GetPixel(dst, 3, 0), K);
    // Monochrome to colour: 0 takes the text colour, 1 the background colour of the target.
    SetTextColor(src, RGB(1, 2, 3));
    SetBkColor(src, RGB(4, 5, 6));
    ASSERT_TRUE(BitBlt(src, 0, 0, 4, 1, dst, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(src, 0, 0), RGB(4, 5, 6));
    EXPECT_EQ(GetPixel(src, 1, 0), RGB(1, 2, 3));
    EXPECT_FALSE(BitBlt(src, 0, 0, 4, 1, dst, 0, 0, 0x00EE0086)) << "only SRCCOPY";
    // Clipped at the edges rather than written out of bounds.
    EXPECT_TRUE(BitBlt(src, 2, 0, 10, 5, dst, -1, 0, SRCCOPY));
    DeleteDC(src);
    DeleteDC(dst);
    DeleteObject(colour);
    DeleteObject(mono);
}

TEST(Gdi, GetDIBitsWritesBottomUpRowsAndTheColourTable) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateBitmap(3, 2, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    SetPixel(dc, 0, 0, RGB(255, 0, 0));      // top left
    SetPixel(dc, 2, 1, RGB(0, 0, 255));      // bottom right
    SetPixel(dc, 1, 1, RGB(192, 192, 192));
    SelectObject(dc, old);

    struct {
        BITMAPINFO bi;
        RGBQUAD more[255];
    } info{};
    info.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetDIBits(dc, bmp, 0, 0, nullptr, &info.bi, DIB_RGB_COLORS));
    EXPECT_EQ(info.bi.bmiHeader.biWidth, 3);
    EXPECT_EQ(info.bi.bmiHeader.biHeight, 2);
    EXPECT_EQ(info.bi.bmiHeader.biBitCount, 32);

    // 24 bits: rows padded to 12 bytes, the bottom row first.
    info.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<unsigned char> px(24, 0xEE);
    ASSERT_EQ(GetDIBits(dc, bmp, 0, 2, px.data(), &info.bi, DIB_RGB_COLORS), 2);
    const unsigned char bottom[12] = {0, 0, 0, 192, 192, 192, 255, 0, 0, 0, 0, 0};
    const unsigned char top[12] = {0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(px.data(), bottom, 12));
    EXPECT_EQ(0, std::memcmp(px.data() + 12, top, 12));

    // 4 bits: the VGA colours in their fixed order; red is index 9, silver 7, blue 12.
    info.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 4, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<unsigned char> p4(8, 0xEE);
    ASSERT_EQ(GetDIBits(dc, bmp, 0, 2, p4.data(), &info.bi, DIB_RGB_COLORS), 2);
    EXPECT_EQ(p4[0], 0x07);
    EXPECT_EQ(p4[1], 0xC0);
    EXPECT_EQ(p4[4], 0x90);
    const RGBQUAD* t = info.bi.bmiColors;
    EXPECT_EQ((std::vector<int>{t[9].rgbRed, t[9].rgbGreen, t[9].rgbBlue}), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ((std::vector<int>{t[3].rgbRed, t[3].rgbGreen, t[3].rgbBlue}), (std::vector<int>{128, 128, 0}));

    // 8 bits: the static colours sit at 0-9 and 246-255.
    info.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<unsigned char> p8(8, 0xEE);
    ASSERT_EQ(GetDIBits(dc, bmp, 0, 2, p8.data(), &info.bi, DIB_RGB_COLORS), 2);
    EXPECT_EQ((std::vector<int>{p8[0], p8[1], p8[2], p8[4], p8[5], p8[6]}), (std::vector<int>{0, 7, 252, 249, 0, 0}));
    EXPECT_EQ((std::vector<int>{t[8].rgbRed, t[8].rgbGreen, t[8].rgbBlue}), (std::vector<int>{192, 220, 192}));
    EXPECT_EQ((std::vector<int>{t[246].rgbRed, t[246].rgbGreen, t[246].rgbBlue}), (std::vector<int>{255, 251, 240}));
    EXPECT_EQ((std::vector<int>{t[255].rgbRed, t[255].rgbGreen, t[255].rgbBlue}), (std::vector<int>{255, 255, 255}));

    // One scan line from the middle of a top-down request.
    info.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<unsigned char> p32(12, 0xEE);
    ASSERT_EQ(GetDIBits(dc, bmp, 1, 5, p32.data(), &info.bi, DIB_RGB_COLORS), 1);
    const unsigned char row1[12] = {0, 0, 0, 0, 192, 192, 192, 0, 255, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(p32.data(), row1, 12));
    DeleteObject(bmp);
    DeleteDC(dc);
}

}  // namespace
