// Sizes computed from a header's or a caller's dimensions: computed without wrapping, and
// refused where they would not fit the 32-bit fields that report them.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "win/Gdi.h"

namespace {

// Expected sizes computed once with Python: table = 2^b * 4 for b <= 8, image =
// ((b*w + 31) // 32) * 4 * h, file = 54 + table + image, fits = file <= 0xFFFFFFFF.
TEST(BitmapSize, FileSizesUpToTheHeadersLimit) {
    const struct {
        LONG width, height;
        int bits;
        bool fits;
        DWORD table, image, offBits, file;
    } rows[] = {
        {13, 5, 1, true, 8, 20, 62, 82},
        {13, 5, 4, true, 64, 40, 118, 158},
        {13, 5, 24, true, 0, 200, 54, 254},
        {32768, 32767, 32, true, 0, 4294836224u, 54, 4294836278u},
        {1073741810, 1, 32, true, 0, 4294967240u, 54, 4294967294u},  // the largest 32-bit file
        {1073741811, 1, 32, false, 0, 0, 0, 0},                       // 4 bytes more
        {2147483108, 2, 8, true, 1024, 4294966216u, 1078, 4294967294u},
        {2147483112, 2, 8, false, 0, 0, 0, 0},
        {32768, 32768, 32, false, 0, 0, 0, 0},  // 4 GiB of pixels: 0 in 32 bits
        {65536, 16384, 32, false, 0, 0, 0, 0},
        {2147483647, 2147483647, 32, false, 0, 0, 0, 0},
        {0, 5, 32, false, 0, 0, 0, 0},
        {5, 0, 32, false, 0, 0, 0, 0},
        {5, -5, 32, false, 0, 0, 0, 0},
        {5, 5, 2, false, 0, 0, 0, 0},
    };
    for (const auto& r : rows) {
        NUVWin::BitmapFileSizes s{1, 2, 3, 4};
        const bool fits = NUVWin::GetBitmapFileSizes(r.width, r.height, r.bits, s);
        EXPECT_EQ(fits, r.fits) << r.width << "x" << r.height << "x" << r.bits;
        if (!r.fits) {
            EXPECT_TRUE(s.colorTable == 1 && s.image == 2 && s.offBits == 3 && s.file == 4) << "unchanged when refused";
            continue;
        }
        EXPECT_EQ(s.colorTable, r.table) << r.width << "x" << r.height;
        EXPECT_EQ(s.image, r.image) << r.width << "x" << r.height;
        EXPECT_EQ(s.offBits, r.offBits) << r.width << "x" << r.height;
        EXPECT_EQ(s.file, r.file) << r.width << "x" << r.height;
    }
}

TEST(BitmapSize, ImageBytesNeverWrap) {
    EXPECT_EQ(NUVWin::DibImageBytes(2147483647, 2147483647, 32), 18446744056529682436u);  // Python, as above
    EXPECT_EQ(NUVWin::DibImageBytes(3, -2147483647 - 1, 24), 12ull * 2147483648ull);  // |INT_MIN| rows
    EXPECT_EQ(NUVWin::DibImageBytes(0, 5, 32), 0u);
    EXPECT_EQ(NUVWin::DibImageBytes(5, 5, 64), 0u);
}

// A caller's width times the bit count passes 2^31 long before the bitmap is too big: 2^27
// pixels of 16 bits are a 256 MiB row (mapped lazily; only the page touched here is used).
TEST(BitmapSize, RowSizesOfWideBitmaps) {
    const int wide = 1 << 27;
    HBITMAP bmp = CreateBitmap(wide, 1, 1, 16, nullptr);
    ASSERT_NE(bmp, nullptr);
    BITMAP bm{};
    ASSERT_TRUE(GetObject(bmp, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidthBytes, 1 << 28);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    EXPECT_EQ(SetPixel(dc, wide - 1, 0, RGB(248, 0, 0)), RGB(255, 0, 0));  // 5 bits of red, widened
    EXPECT_EQ(GetPixel(dc, wide - 2, 0), RGB(0, 0, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);

    // Rows of 2^31 bytes or more cannot be reported in bmWidthBytes.
    EXPECT_EQ(CreateBitmap(1 << 29, 1, 1, 32, nullptr), nullptr);
    struct {
        BITMAPINFO bi;
        RGBQUAD more[255];
    } info{};
    info.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 1 << 29, 1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    EXPECT_EQ(CreateDIBSection(nullptr, &info.bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

// GetDIBits and SetDIBits take the caller's header: rows that cannot be described in 32 bits are
// refused before a byte of the caller's buffer is touched.
TEST(BitmapSize, DibCallsRefuseHeadersBeyondThirtyTwoBits) {
    HDC dc = GetDC(nullptr);
    HBITMAP bmp = CreateBitmap(2, 2, 1, 32, nullptr);
    std::vector<unsigned char> buffer(64, 0xEE);
    struct {
        BITMAPINFO bi;
        RGBQUAD more[255];
    } info{};
    const struct {
        LONG width, height;
    } rows[] = {
        {1 << 30, 1},   // one 4 GiB row
        {1 << 28, 4},   // 4 rows of 1 GiB: 2^32 bytes
        {1 << 28, -4},  // the same top-down
    };
    for (const auto& r : rows) {
        info.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), r.width, r.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        EXPECT_EQ(GetDIBits(dc, bmp, 0, 1, buffer.data(), &info.bi, DIB_RGB_COLORS), 0) << r.width << "x" << r.height;
        EXPECT_EQ(SetDIBits(dc, bmp, 0, 1, buffer.data(), &info.bi, DIB_RGB_COLORS), 0) << r.width << "x" << r.height;
    }
    EXPECT_EQ(buffer, std::vector<unsigned char>(64, 0xEE));
    DeleteObject(bmp);
    ReleaseDC(nullptr, dc);
}

}  // namespace
