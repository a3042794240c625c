#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "RunCommand.h"
#include "TempDir.h"
#include "settings/BitmapHelpers.h"

namespace {

using Bytes3 = std::array<BYTE, 3>;

// A 32-bit device-dependent bitmap whose pixels are given as their first three bytes in memory.
HBITMAP MakeRaw(int w, int h, const std::function<Bytes3(int, int)>& px) {
    std::vector<BYTE> bits(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Bytes3 b = px(x, y);
            std::copy(b.begin(), b.end(), bits.begin() + (static_cast<std::size_t>(y) * w + x) * 4);
        }
    return CreateBitmap(w, h, 1, 32, bits.data());
}

// The same from colours (stored blue, green, red as the format has them).
HBITMAP MakeColour(int w, int h, const std::function<COLORREF(int, int)>& c) {
    return MakeRaw(w, h, [&](int x, int y) {
        COLORREF v = c(x, y);
        return Bytes3{GetBValue(v), GetGValue(v), GetRValue(v)};
    });
}

int RectCount(HRGN r) { return static_cast<int>((GetRegionData(r, 0, nullptr) - sizeof(RGNDATAHEADER)) / sizeof(RECT)); }

void ExpectMask(HRGN r, int w, int h, const std::function<bool(int, int)>& opaque) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(PtInRegion(r, x, y) != 0, opaque(x, y)) << x << "," << y;
    ASSERT_FALSE(PtInRegion(r, w, 0));
    ASSERT_FALSE(PtInRegion(r, 0, h));
}

const COLORREF kMagenta = RGB(255, 0, 255);

TEST(BitmapToRegion, WholeAndEmptyBitmaps) {
    int before = NUVWin::LiveGdiObjectCount();
    EXPECT_EQ(NUV::BitmapToRegion(nullptr, kMagenta, 0), nullptr);

    HBITMAP all = MakeColour(37, 23, [](int, int) { return kMagenta; });
    HRGN none = NUV::BitmapToRegion(all, kMagenta, 0);
    ASSERT_NE(none, nullptr) << "all transparent gives an empty region, not null";
    RECT box;
    EXPECT_EQ(GetRgnBox(none, &box), NULLREGION);

    HBITMAP solid = MakeColour(37, 23, [](int x, int y) { return RGB(x, y, 7); });
    HRGN full = NUV::BitmapToRegion(solid, kMagenta, 0);
    HRGN whole = CreateRectRgn(0, 0, 37, 23);
    EXPECT_TRUE(EqualRgn(full, whole));
    EXPECT_EQ(GetRgnBox(full, &box), SIMPLEREGION);

    for (HGDIOBJ o : {static_cast<HGDIOBJ>(all), static_cast<HGDIOBJ>(solid), static_cast<HGDIOBJ>(none),
                      static_cast<HGDIOBJ>(full), static_cast<HGDIOBJ>(whole)})
        EXPECT_TRUE(DeleteObject(o));
    EXPECT_EQ(NUVWin::LiveGdiObjectCount(), before) << "every temporary object is released";
}

TEST(BitmapToRegion, ToleranceWindowsApplyToBytesInMemoryOrder) {
    // The colour value's channels (red first) are compared with the pixel's bytes in memory
    // order (blue first in this format), so an asymmetric colour matches its byte mirror image.
    struct Row {
        COLORREF transparent, tolerance;
        Bytes3 pixel;
        bool isTransparent;
    } rows[] = {
        {RGB(0x10, 0x20, 0x30), 0, {0x10, 0x20, 0x30}, true},
        {RGB(0x10, 0x20, 0x30), 0, {0x30, 0x20, 0x10}, false},  // the colour itself, as stored
        {RGB(0x10, 0x20, 0x30), RGB(5, 0, 2), {0x15, 0x20, 0x32}, true},
        {RGB(0x10, 0x20, 0x30), RGB(5, 0, 2), {0x16, 0x20, 0x30}, false},
        {RGB(0x10, 0x20, 0x30), RGB(5, 0, 2), {0x0F, 0x20, 0x30}, false},
        {RGB(0x10, 0x20, 0x30), RGB(5, 0, 2), {0x10, 0x21, 0x30}, false},
        {RGB(0x10, 0x20, 0x30), RGB(5, 0, 2), {0x10, 0x20, 0x33}, false},
        {RGB(250, 0, 0), RGB(10, 0, 0), {255, 0, 0}, true},  // the window stops at 255
        {RGB(250, 0, 0), RGB(10, 0, 0), {249, 0, 0}, false},
        {RGB(0, 0, 0), RGB(255, 255, 255), {123, 45, 67}, true},
    };
    for (const Row& r : rows) {
        HBITMAP b = MakeRaw(1, 1, [&](int, int) { return r.pixel; });
        HRGN rgn = NUV::BitmapToRegion(b, r.transparent, r.tolerance);
        ASSERT_NE(rgn, nullptr);
        EXPECT_EQ(PtInRegion(rgn, 0, 0) == 0, r.isTransparent)
            << std::hex << r.transparent << " tol " << r.tolerance << " bytes " << int(r.pixel[0]) << " " << int(r.pixel[1])
            << " " << int(r.pixel[2]);
        DeleteObject(rgn);
        DeleteObject(b);
    }
}

TEST(BitmapToRegion, ThousandsOfRunsAcrossBatches) {
    // A checker board: one run per opaque pixel, far more than one batch of rectangles.
    const int w = 151, h = 97;
    auto checker = [](int x, int y) { return (x + y) % 2 == 0; };
    HBITMAP board = MakeColour(w, h, [&](int x, int y) { return checker(x, y) ? RGB(9, 9, 9) : kMagenta; });
    const int before = NUVWin::LiveGdiObjectCount();
    HRGN r = NUV::BitmapToRegion(board, kMagenta, 0);
    ASSERT_NE(r, nullptr);
    // 7324 runs make four batches; each batch's region is merged and released, so only the
    // result is left.
    EXPECT_EQ(NUVWin::LiveGdiObjectCount(), before + 1);
    ExpectMask(r, w, h, checker);
    EXPECT_EQ(RectCount(r), (w * h + 1) / 2);
    DeleteObject(r);
    DeleteObject(board);

    // Columns: batches end in the middle of rows, yet equal rows join into one band.
    const int cw = 3001, ch = 7;
    auto column = [](int x, int) { return x % 3 != 0; };
    HBITMAP stripes = MakeColour(cw, ch, [&](int x, int y) { return column(x, y) ? RGB(1, 2, 3) : kMagenta; });
    HRGN s = NUV::BitmapToRegion(stripes, kMagenta, 0);
    ExpectMask(s, cw, ch, column);
    EXPECT_EQ(RectCount(s), 1000);
    RECT box;
    GetRgnBox(s, &box);
    EXPECT_EQ(box, (RECT{1, 0, 3000, 7}));
    DeleteObject(s);
    DeleteObject(stripes);
}

TEST(BitmapToRegion, OtherFormatsAreCopiedTo32Bits) {
    // 24-bit bottom-up DIB section: a diagonal of transparent pixels.
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 10, 6, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    const int stride = 32;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
            BYTE* p = static_cast<BYTE*>(bits) + (5 - y) * stride + 3 * x;  // row 0 is the bottom
            bool clear = x == y;
            p[0] = clear ? 0xFF : 0x40;
            p[1] = clear ? 0x00 : 0x40;
            p[2] = clear ? 0xFF : 0x40;
        }
    HRGN r = NUV::BitmapToRegion(dib, kMagenta, 0);
    ExpectMask(r, 10, 6, [](int x, int y) { return x != y; });
    DeleteObject(r);
    DeleteObject(dib);

    // Monochrome: 0 is black, 1 white; white made transparent leaves the set bits' complement.
    const BYTE rows[2][2] = {{0xF0, 0x00}, {0x0F, 0x00}};  // 8 pixels per byte, rows padded to words
    HBITMAP mono = CreateBitmap(8, 2, 1, 1, rows);
    HRGN m = NUV::BitmapToRegion(mono, RGB(255, 255, 255), 0);
    ExpectMask(m, 8, 2, [](int x, int y) { return y == 0 ? x >= 4 : x < 4; });
    DeleteObject(m);

    // A bitmap still selected into another context cannot be copied.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, mono);
    EXPECT_EQ(NUV::BitmapToRegion(mono, 0, 0), nullptr);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(mono);
}

// Runs the independent BMP reader on the bytes and returns its fields and pixel rows.
struct Decoded {
    std::map<std::string, std::string> fields;
    std::vector<std::vector<std::string>> rows;
};

Decoded Decode(const void* data, unsigned long size) {
    TempDir temp;
    const std::string path = temp.Touch("image.bmp", std::string(static_cast<const char*>(data), size));
    // The reader sits beside this file; __FILE__ may be relative to the build folder.
    const char* source = std::getenv("NUV_SOURCE_DIR");
    EXPECT_NE(source, nullptr);
    std::string cmd = "/usr/bin/python3 " + std::string(source ? source : ".") +
                      "/tests/kernel/settings/bmp_reader.py '" + path + "' 2>&1";
    Decoded d;
    const NUVTest::CommandOutput reader = NUVTest::RunCommand(cmd);
    const std::string& out = reader.out;
    EXPECT_EQ(reader.status, 0) << out;
    std::istringstream in(out);
    std::string line;
    bool pixels = false;
    while (std::getline(in, line)) {
        if (line == "pixels") {
            pixels = true;
            continue;
        }
        std::istringstream ls(line);
        if (pixels) {
            d.rows.emplace_back();
            std::string px;
            while (ls >> px) d.rows.back().push_back(px);
        } else {
            std::string k, v;
            ls >> k >> v;
            d.fields[k] = v;
        }
    }
    return d;
}

std::string Hex(COLORREF c) {
    char s[8];
    std::snprintf(s, sizeof s, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return s;
}

TEST(SaveBitmapToMemFile, FollowsTheDisplayDepthAndDecodesElsewhere) {
    // Colours each depth can hold exactly, so the decoded pixels must equal the source.
    struct Row {
        int screen, bits, entries;
        std::vector<COLORREF> colours;
    } rows[] = {
        {1, 1, 2, {RGB(0, 0, 0), RGB(255, 255, 255)}},
        {4, 4, 16, {RGB(128, 0, 0), RGB(0, 255, 255), RGB(192, 192, 192), RGB(0, 0, 0), RGB(255, 255, 0)}},
        {8, 8, 256, {RGB(166, 202, 240), RGB(51, 102, 153), RGB(255, 251, 240), RGB(0, 0, 255), RGB(204, 0, 51)}},
        {16, 24, 0, {RGB(1, 2, 3), RGB(250, 128, 7), RGB(17, 200, 99)}},
        {24, 24, 0, {RGB(1, 2, 3), RGB(250, 128, 7), RGB(17, 200, 99), RGB(254, 253, 252)}},
        {32, 32, 0, {RGB(1, 2, 3), RGB(250, 128, 7), RGB(17, 200, 99), RGB(254, 253, 252)}},
    };
    const int w = 13, h = 5;
    const int old = NUVWin::GetScreenBitsPerPixel();
    for (const Row& r : rows) {
        SCOPED_TRACE("screen " + std::to_string(r.screen));
        auto colour = [&](int x, int y) { return r.colours[(x * 3 + y * 7) % r.colours.size()]; };
        HBITMAP bmp = MakeColour(w, h, colour);
        NUVWin::SetScreenBitsPerPixel(r.screen);
        void* data = nullptr;
        unsigned long size = 0;
        ASSERT_EQ(NUV::SaveBitmapToMemFile(bmp, &data, size), 1);
        NUVWin::SetScreenBitsPerPixel(old);
        Decoded d = Decode(data, size);
        delete[] static_cast<unsigned char*>(data);
        DeleteObject(bmp);

        unsigned long pixelBytes = ((r.bits * w + 31) / 32) * 4 * h;
        std::map<std::string, std::string> want = {
            {"magic", "BM"},
            {"file_size", std::to_string(54 + 4 * r.entries + pixelBytes)},
            {"length", std::to_string(size)},
            {"reserved", "0"},
            {"offset", std::to_string(54 + 4 * r.entries)},
            {"info_size", "40"},
            {"width", std::to_string(w)},
            {"height", std::to_string(h)},
            {"planes", "1"},
            {"bits", std::to_string(r.bits)},
            {"compression", "0"},
            {"colours_used", "0"},
            {"table_entries", std::to_string(r.entries)},
        };
        for (const auto& [k, v] : want) EXPECT_EQ(d.fields[k], v) << k;
        EXPECT_EQ(static_cast<unsigned long>(std::stoul(d.fields["file_size"])), size);
        ASSERT_EQ(d.rows.size(), static_cast<std::size_t>(h));
        for (int y = 0; y < h; ++y) {
            ASSERT_EQ(d.rows[y].size(), static_cast<std::size_t>(w));
            for (int x = 0; x < w; ++x) EXPECT_EQ(d.rows[y][x], Hex(colour(x, y))) << x << "," << y;
        }
    }
}

TEST(SaveBitmapToMemFile, FailureLeavesTheOutputsAlone) {
    void* data = reinterpret_cast<void*>(0x1);
    unsigned long size = 77;
    EXPECT_EQ(NUV::SaveBitmapToMemFile(nullptr, &data, size), 0);
    HBITMAP gone = CreateBitmap(2, 2, 1, 32, nullptr);
    DeleteObject(gone);
    EXPECT_EQ(NUV::SaveBitmapToMemFile(gone, &data, size), 0);
    EXPECT_EQ(data, reinterpret_cast<void*>(0x1));
    EXPECT_EQ(size, 77u);
}

// The file follows the display's depth, not the bitmap's: a monochrome bitmap of 21483 x 49981
// (128 MiB, mapped lazily) has 0xFFFFFFFC bytes of pixels at 32 bits, which the pixel call still
// accepts, but with its 54 bytes of headers the file passes the header's 32-bit size. Computed in
// 32 bits the size wraps to a 50-byte buffer that 4 GiB of pixels are written into.
TEST(SaveBitmapToMemFile, AFileBeyondThirtyTwoBitSizesIsRefused) {
    const int old = NUVWin::GetScreenBitsPerPixel();
    const int before = NUVWin::LiveGdiObjectCount();
    HBITMAP mono = CreateBitmap(21483, 49981, 1, 1, nullptr);
    ASSERT_NE(mono, nullptr);
    void* data = reinterpret_cast<void*>(0x1);
    unsigned long size = 77;
    NUVWin::SetScreenBitsPerPixel(32);
    EXPECT_EQ(NUV::SaveBitmapToMemFile(mono, &data, size), 0);
    NUVWin::SetScreenBitsPerPixel(old);
    EXPECT_EQ(data, reinterpret_cast<void*>(0x1));
    EXPECT_EQ(size, 77u);
    DeleteObject(mono);
    EXPECT_EQ(NUVWin::LiveGdiObjectCount(), before) << "the screen context is released on this path too";
}

}  // namespace
