#include "win/Gdi.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <array>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "win/GdiDrawing.h"
#include "win/GdiObjects.h"

namespace NUVWin::gdi {

namespace {

struct Tracker {
    std::unordered_set<Object*> live;
};

Tracker& TheTracker() {
    static Tracker* t = new Tracker;  // stock objects stay registered until the process ends
    return *t;
}

}  // namespace

void Track(Object* o) {
    Tracker& t = TheTracker();
    t.live.insert(o);
}

void Untrack(Object* o) {
    Tracker& t = TheTracker();
    t.live.erase(o);
}

Object* Find(const void* handle, Kind kind) {
    if (!handle) return nullptr;
    Object* o = static_cast<Object*>(const_cast<void*>(handle));
    Tracker& t = TheTracker();
    if (!t.live.count(o) || o->kind != kind) return nullptr;
    return o;
}

namespace {
constexpr std::size_t kMapThreshold = std::size_t(4) << 20;
constexpr std::size_t kHugePage = std::size_t(2) << 20;
}  // namespace

PixelBuffer& PixelBuffer::operator=(const PixelBuffer& o) {
    if (this != &o) {
        Assign(o.size_);
        if (size_) std::memcpy(p_, o.p_, size_);
    }
    return *this;
}

void PixelBuffer::Assign(std::size_t n) {
    Release();
    if (n == 0) return;
    if (n >= kMapThreshold) {
        std::size_t length = (n + kHugePage - 1) / kHugePage * kHugePage;
        void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) return;
        madvise(p, length, MADV_HUGEPAGE);
        p_ = static_cast<std::uint8_t*>(p);
        mapped_ = true;
    } else {
        p_ = static_cast<std::uint8_t*>(std::calloc(n, 1));
        if (!p_) return;
    }
    size_ = n;
}

void PixelBuffer::Release() {
    if (mapped_)
        munmap(p_, (size_ + kHugePage - 1) / kHugePage * kHugePage);
    else
        std::free(p_);
    p_ = nullptr;
    size_ = 0;
    mapped_ = false;
}

}  // namespace NUVWin::gdi

using namespace NUVWin::gdi;

namespace {

int g_screenBpp = 32;

bool ValidBitCount(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

RGBQUAD Quad(BYTE r, BYTE g, BYTE b) { return RGBQUAD{b, g, r, 0}; }
COLORREF ToColor(const RGBQUAD& q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }

// The twenty colours the system reserves in every palette: ten at the start, ten at the end.
const std::array<RGBQUAD, 20>& StaticColors() {
    static const std::array<RGBQUAD, 20> colors = {
        Quad(0, 0, 0),       Quad(128, 0, 0),     Quad(0, 128, 0),     Quad(128, 128, 0),
        Quad(0, 0, 128),     Quad(128, 0, 128),   Quad(0, 128, 128),   Quad(192, 192, 192),
        Quad(192, 220, 192), Quad(166, 202, 240), Quad(255, 251, 240), Quad(160, 160, 164),
        Quad(128, 128, 128), Quad(255, 0, 0),     Quad(0, 255, 0),     Quad(255, 255, 0),
        Quad(0, 0, 255),     Quad(255, 0, 255),   Quad(0, 255, 255),   Quad(255, 255, 255)};
    return colors;
}

const std::vector<RGBQUAD>& SystemTable(int bpp) {
    static const std::vector<RGBQUAD> mono = {Quad(0, 0, 0), Quad(255, 255, 255)};
    static const std::vector<RGBQUAD> vga = {
        Quad(0, 0, 0),       Quad(128, 0, 0),   Quad(0, 128, 0),   Quad(128, 128, 0),
        Quad(0, 0, 128),     Quad(128, 0, 128), Quad(0, 128, 128), Quad(192, 192, 192),
        Quad(128, 128, 128), Quad(255, 0, 0),   Quad(0, 255, 0),   Quad(255, 255, 0),
        Quad(0, 0, 255),     Quad(255, 0, 255), Quad(0, 255, 255), Quad(255, 255, 255)};
    static const std::vector<RGBQUAD> full = [] {
        std::vector<RGBQUAD> t(256);
        const auto& s = StaticColors();
        for (int i = 0; i < 10; ++i) t[i] = s[i];
        for (int i = 0; i < 10; ++i) t[246 + i] = s[10 + i];
        // The cube's eight corners are static colours already; 28 greys take their places.
        int k = 10;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) {
                    if ((r % 5 == 0) && (g % 5 == 0) && (b % 5 == 0)) continue;
                    t[k++] = Quad(static_cast<BYTE>(r * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(b * 51));
                }
        for (int i = 1; i <= 28; ++i) {
            BYTE v = static_cast<BYTE>((i * 255 + 14) / 29);
            t[k++] = Quad(v, v, v);
        }
        return t;
    }();
    return bpp == 1 ? mono : bpp == 4 ? vga : full;
}

const std::vector<RGBQUAD>& TableOf(const Bitmap& b) { return b.dib ? b.colors : SystemTable(b.bpp); }

int Nearest(const std::vector<RGBQUAD>& table, COLORREF c) {
    int best = 0;
    long bestD = -1;
    for (std::size_t i = 0; i < table.size(); ++i) {
        long dr = static_cast<long>(table[i].rgbRed) - GetRValue(c);
        long dg = static_cast<long>(table[i].rgbGreen) - GetGValue(c);
        long db = static_cast<long>(table[i].rgbBlue) - GetBValue(c);
        long d = dr * dr + dg * dg + db * db;
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = static_cast<int>(i);
            if (d == 0) break;
        }
    }
    return best;
}

// Maps colours to the nearest entry of one table, remembering the answers of a conversion.
class IndexMapper {
public:
    explicit IndexMapper(const std::vector<RGBQUAD>& table) : table_(table) {}
    int operator()(COLORREF c) {
        auto it = memo_.find(c);
        if (it != memo_.end()) return it->second;
        int i = Nearest(table_, c);
        memo_.emplace(c, i);
        return i;
    }

private:
    const std::vector<RGBQUAD>& table_;
    std::unordered_map<COLORREF, int> memo_;
};

int IndexAt(const std::uint8_t* row, int bpp, int x) {
    switch (bpp) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
        default: return row[x];
    }
}

void SetIndexAt(std::uint8_t* row, int bpp, int x, int index) {
    switch (bpp) {
        case 1: {
            std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
            row[x >> 3] = static_cast<std::uint8_t>(index ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
            break;
        }
        case 4: {
            int shift = (x & 1) ? 0 : 4;
            row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & ~(0xF << shift)) | ((index & 0xF) << shift));
            break;
        }
        default: row[x] = static_cast<std::uint8_t>(index);
    }
}

BYTE Expand5(int v) { return static_cast<BYTE>((v << 3) | (v >> 2)); }

// Colour of a pixel in a row of the given format; table serves the indexed formats.
COLORREF ColorAt(const std::uint8_t* row, int bpp, int x, const std::vector<RGBQUAD>& table) {
    switch (bpp) {
        case 1:
        case 4:
        case 8: {
            std::size_t i = static_cast<std::size_t>(IndexAt(row, bpp, x));
            return i < table.size() ? ToColor(table[i]) : RGB(0, 0, 0);
        }
        case 16: {
            int v = row[2 * x] | (row[2 * x + 1] << 8);
            return RGB(Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31));
        }
        case 24: return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        default: return RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    }
}

// Writes a colour; indexed formats take the index from map.
template <class Map>
void PutColor(std::uint8_t* row, int bpp, int x, COLORREF c, Map&& map) {
    switch (bpp) {
        case 1:
        case 4:
        case 8: SetIndexAt(row, bpp, x, map(c)); break;
        case 16: {
            int v = ((GetRValue(c) >> 3) << 10) | ((GetGValue(c) >> 3) << 5) | (GetBValue(c) >> 3);
            row[2 * x] = static_cast<std::uint8_t>(v & 0xFF);
            row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
            break;
        }
        case 24:
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
            break;
        default:
            row[4 * x] = GetBValue(c);
            row[4 * x + 1] = GetGValue(c);
            row[4 * x + 2] = GetRValue(c);
            row[4 * x + 3] = 0;
    }
}

COLORREF ReadPixel(const Bitmap& b, int x, int y) { return ColorAt(b.Row(y), b.bpp, x, TableOf(b)); }

void WritePixel(Bitmap& b, int x, int y, COLORREF c) {
    PutColor(b.Row(y), b.bpp, x, c, [&](COLORREF v) { return Nearest(TableOf(b), v); });
}

// Row sizes in 64 bits: a caller's width times the bit count can pass 2^31.
std::int64_t DdbStride(std::int64_t width, int bpp) { return ((width * bpp + 15) / 16) * 2; }
std::int64_t DibStride(std::int64_t width, int bpp) { return ((width * bpp + 31) / 32) * 4; }

// The largest pixel block a bitmap may have: its row size and image size are reported in 32-bit
// signed fields (bmWidthBytes, and biSizeImage of what GetDIBits describes).
constexpr std::int64_t kMaxBitmapBytes = 0x7FFFFFFF;

Palette* DefaultPalette() {
    static Palette* p = [] {
        auto* pal = new Palette;
        pal->stock = true;
        for (const RGBQUAD& q : StaticColors()) pal->entries.push_back(PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
        Track(pal);
        return pal;
    }();
    return p;
}

// Every memory context starts with this one-pixel monochrome bitmap selected.
Bitmap* StockBitmap() {
    static Bitmap* b = [] {
        auto* bm = new Bitmap;
        bm->stock = true;
        bm->width = bm->height = 1;
        bm->bpp = 1;
        bm->stride = 2;
        bm->storage.Assign(2);
        Track(bm);
        return bm;
    }();
    return b;
}

Bitmap* NewBitmap(int width, int height, int bpp, bool dib) {
    const std::int64_t stride = dib ? DibStride(width, bpp) : DdbStride(width, bpp);
    // Both this bitmap's rows and its rows as a DIB must fit the fields they are reported in.
    const std::int64_t widest = std::max(stride, DibStride(width, bpp));
    if (widest > kMaxBitmapBytes / height) return nullptr;
    auto* b = new Bitmap;
    b->width = width;
    b->height = height;
    b->bpp = bpp;
    b->dib = dib;
    b->stride = static_cast<int>(stride);
    b->storage.Assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    if (!b->storage.data()) {
        delete b;
        return nullptr;
    }
    Track(b);
    return b;
}

// The colour table of an indexed DIB: its own RGB entries, or with DIB_PAL_COLORS indices into
// the context's palette. Empty for 16 bits and more; false when palette indices have no context.
bool DibColorTable(HDC hdc, const BITMAPINFO* info, UINT usage, std::vector<RGBQUAD>& colors) {
    colors.clear();
    int bpp = info->bmiHeader.biBitCount;
    if (bpp > 8) return true;
    std::size_t n = info->bmiHeader.biClrUsed ? std::min<std::size_t>(info->bmiHeader.biClrUsed, 1u << bpp) : (1u << bpp);
    if (usage == DIB_PAL_COLORS) {
        DC* dc = As<DC>(hdc, Kind::DC);
        if (!dc) return false;
        const WORD* idx = reinterpret_cast<const WORD*>(info->bmiColors);
        const auto& e = dc->palette->entries;
        for (std::size_t i = 0; i < n; ++i) {
            PALETTEENTRY pe = idx[i] < e.size() ? e[idx[i]] : PALETTEENTRY{0, 0, 0, 0};
            colors.push_back(Quad(pe.peRed, pe.peGreen, pe.peBlue));
        }
    } else {
        colors.assign(info->bmiColors, info->bmiColors + n);
    }
    return true;
}

int DcBitsPerPixel(const DC* dc) { return dc->memory ? dc->bpp : g_screenBpp; }

}  // namespace

namespace NUVWin {

bool SetScreenBitsPerPixel(int bits) {
    if (!ValidBitCount(bits)) return false;
    g_screenBpp = bits;
    return true;
}

int GetScreenBitsPerPixel() { return g_screenBpp; }

int LiveGdiObjectCount() {
    Tracker& t = TheTracker();
    return static_cast<int>(std::count_if(t.live.begin(), t.live.end(), [](const Object* o) { return !o->stock; }));
}

std::uint64_t DibImageBytes(LONG width, LONG height, int bitCount) {
    if (width < 1 || bitCount < 1 || bitCount > 32) return 0;
    const std::int64_t h = height;
    const std::uint64_t rows = static_cast<std::uint64_t>(h < 0 ? -h : h);
    // At most about 2^33 bytes a row times 2^31 rows: below 2^64.
    return static_cast<std::uint64_t>(DibStride(width, bitCount)) * rows;
}

bool GetBitmapFileSizes(LONG width, LONG height, int bitCount, BitmapFileSizes& sizes) {
    if (width < 1 || height < 1 || !ValidBitCount(bitCount)) return false;
    const std::uint64_t table = bitCount <= 8 ? (std::uint64_t{1} << bitCount) * sizeof(RGBQUAD) : 0;
    const std::uint64_t offBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + table;
    const std::uint64_t image = DibImageBytes(width, height, bitCount);
    if (offBits + image > 0xFFFFFFFFu) return false;
    sizes = BitmapFileSizes{static_cast<DWORD>(table), static_cast<DWORD>(image), static_cast<DWORD>(offBits),
                            static_cast<DWORD>(offBits + image)};
    return true;
}

}  // namespace NUVWin

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
    if (width <= 0 || height <= 0 || planes != 1 || !ValidBitCount(static_cast<int>(bitCount))) return nullptr;
    Bitmap* b = NewBitmap(width, height, static_cast<int>(bitCount), false);
    if (!b) return nullptr;
    if (bits) std::memcpy(b->storage.data(), bits, b->storage.size());
    return reinterpret_cast<HBITMAP>(static_cast<Object*>(b));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
    DC* dc = As<DC>(hdc, Kind::DC);
    if (!dc || width <= 0 || height <= 0) return nullptr;
    int bpp = dc->memory ? dc->bitmap->bpp : g_screenBpp;
    Bitmap* b = NewBitmap(width, height, bpp, false);
    return b ? reinterpret_cast<HBITMAP>(static_cast<Object*>(b)) : nullptr;
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
    if (!info || section) return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    int bpp = h.biBitCount;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1 ||
        !ValidBitCount(bpp) || h.biCompression != BI_RGB)
        return nullptr;
    std::vector<RGBQUAD> colors;
    if (!DibColorTable(hdc, info, usage, colors)) return nullptr;
    LONG height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    Bitmap* b = NewBitmap(h.biWidth, height, bpp, true);
    if (!b) return nullptr;
    b->topDown = h.biHeight < 0;
    b->colors = std::move(colors);
    if (bits) *bits = b->storage.data();
    return reinterpret_cast<HBITMAP>(static_cast<Object*>(b));
}

int GetObjectA(HGDIOBJ object, int size, LPVOID out) {
    if (Bitmap* b = As<Bitmap>(object, Kind::Bitmap)) {
        if (!out) return sizeof(BITMAP);
        BITMAP bm{0, b->width, b->height, b->stride, 1, static_cast<WORD>(b->bpp), b->dib ? b->storage.data() : nullptr};
        if (b->dib && size >= static_cast<int>(sizeof(DIBSECTION))) {
            DIBSECTION ds{};
            ds.dsBm = bm;
            ds.dsBmih = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), b->width, b->topDown ? -b->height : b->height, 1,
                                         static_cast<WORD>(b->bpp), BI_RGB, static_cast<DWORD>(b->storage.size()), 0, 0,
                                         static_cast<DWORD>(b->colors.size()), 0};
            std::memcpy(out, &ds, sizeof ds);
            return sizeof(DIBSECTION);
        }
        if (size < static_cast<int>(sizeof(BITMAP))) return 0;
        std::memcpy(out, &bm, sizeof bm);
        return sizeof(BITMAP);
    }
    if (Palette* p = As<Palette>(object, Kind::Palette)) {
        if (!out) return sizeof(WORD);
        if (size < static_cast<int>(sizeof(WORD))) return 0;
        WORD n = static_cast<WORD>(p->entries.size());
        std::memcpy(out, &n, sizeof n);
        return sizeof(WORD);
    }
    return GetDrawingObject(object, size, out);
}

DWORD GetObjectType(HGDIOBJ object) {
    if (As<Bitmap>(object, Kind::Bitmap)) return OBJ_BITMAP;
    if (As<Region>(object, Kind::Region)) return OBJ_REGION;
    if (As<Palette>(object, Kind::Palette)) return OBJ_PAL;
    if (DC* dc = As<DC>(object, Kind::DC)) return dc->memory ? OBJ_MEMDC : OBJ_DC;
    return DrawingObjectType(object);
}

BOOL DeleteObject(HGDIOBJ object) {
    Object* o = nullptr;
    if (Bitmap* b = As<Bitmap>(object, Kind::Bitmap)) {
        if (b->selectedIn && !b->stock) return FALSE;  // still in use by a context
        o = b;
    } else if (!(o = Find(object, Kind::Region)) && !(o = Find(object, Kind::Palette))) {
        if (!IsDrawingObject(object)) return FALSE;
        o = static_cast<Object*>(object);
    }
    if (o->stock) return TRUE;
    Untrack(o);
    delete o;
    return TRUE;
}

HGDIOBJ GetStockObject(int which) {
    if (which == DEFAULT_PALETTE) return static_cast<Object*>(DefaultPalette());
    return StockDrawingObject(which);
}

HDC GetDC(HWND) {
    auto* dc = new DC;
    dc->palette = DefaultPalette();
    Track(dc);
    return reinterpret_cast<HDC>(static_cast<Object*>(dc));
}

int ReleaseDC(HWND, HDC hdc) {
    DC* dc = As<DC>(hdc, Kind::DC);
    if (!dc || dc->memory) return 0;
    Untrack(dc);
    delete dc;
    return 1;
}

HDC CreateCompatibleDC(HDC hdc) {
    int bpp = g_screenBpp;
    if (hdc) {
        DC* ref = As<DC>(hdc, Kind::DC);
        if (!ref) return nullptr;
        bpp = DcBitsPerPixel(ref);
    }
    auto* dc = new DC;
    dc->memory = true;
    dc->bpp = bpp;
    dc->stockBitmap = dc->bitmap = StockBitmap();
    dc->palette = DefaultPalette();
    Track(dc);
    return reinterpret_cast<HDC>(static_cast<Object*>(dc));
}

BOOL DeleteDC(HDC hdc) {
    DC* dc = As<DC>(hdc, Kind::DC);
    if (!dc) return FALSE;
    if (dc->bitmap && !dc->bitmap->stock) dc->bitmap->selectedIn = nullptr;
    Untrack(dc);
    delete dc;
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
    DC* dc = As<DC>(hdc, Kind::DC);
    Bitmap* b = As<Bitmap>(object, Kind::Bitmap);
    if (!dc || !b || !dc->memory) return nullptr;
    if (b == dc->bitmap) return object;
    if (b->selectedIn && !b->stock) return nullptr;  // a bitmap is in one context at a time
    Bitmap* old = dc->bitmap;
    if (!old->stock) old->selectedIn = nullptr;
    dc->bitmap = b;
    if (!b->stock) b->selectedIn = dc;
    return static_cast<Object*>(old);
}

int GetDeviceCaps(HDC hdc, int index) {
    DC* dc = As<DC>(hdc, Kind::DC);
    if (!dc) return 0;
    int bpp = DcBitsPerPixel(dc);
    switch (index) {
        case BITSPIXEL: return bpp;
        case PLANES: return 1;
        case HORZRES: return 1920;
        case VERTRES: return 1080;
        case LOGPIXELSX:
        case LOGPIXELSY: return 96;
        case NUMCOLORS: return bpp == 1 ? 2 : bpp == 4 ? 16 : bpp == 8 ? 20 : -1;
        case SIZEPALETTE: return bpp == 8 ? 256 : 0;
        case RASTERCAPS: return RC_BITBLT | (bpp == 8 ? RC_PALETTE : 0);
        default: return 0;
    }
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL) {
    DC* dc = As<DC>(hdc, Kind::DC);
    Palette* p = As<Palette>(palette, Kind::Palette);
    if (!dc || !p) return nullptr;
    Palette* old = dc->palette;
    dc->palette = p;
    return reinterpret_cast<HPALETTE>(static_cast<Object*>(old));
}

UINT RealizePalette(HDC hdc) { return As<DC>(hdc, Kind::DC) ? 0 : static_cast<UINT>(-1); }

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
    Palette* p = As<Palette>(palette, Kind::Palette);
    if (!p) return 0;
    UINT total = static_cast<UINT>(p->entries.size());
    if (!entries) return total;
    if (start >= total) return 0;
    UINT n = std::min(count, total - start);
    std::copy_n(p->entries.begin() + start, n, entries);
    return n;
}

COLORREF SetBkColor(HDC hdc, COLORREF colour) {
    DC* dc = As<DC>(hdc, Kind::DC);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->bkColor, colour & 0xFFFFFF);
}

COLORREF SetTextColor(HDC hdc, COLORREF colour) {
    DC* dc = As<DC>(hdc, Kind::DC);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->textColor, colour & 0xFFFFFF);
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    DC* dc = As<DC>(hdc, Kind::DC);
    if (!dc || !dc->memory || x < 0 || y < 0 || x >= dc->bitmap->width || y >= dc->bitmap->height) return CLR_INVALID;
    return ReadPixel(*dc->bitmap, x, y);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour) {
    DC* dc = As<DC>(hdc, Kind::DC);
    if (!dc || !dc->memory || x < 0 || y < 0 || x >= dc->bitmap->width || y >= dc->bitmap->height) return CLR_INVALID;
    WritePixel(*dc->bitmap, x, y, colour & 0xFFFFFF);
    return ReadPixel(*dc->bitmap, x, y);
}

BOOL BitBlt(HDC hdest, int x, int y, int width, int height, HDC hsrc, int srcX, int srcY, DWORD rop) {
    DC* d = As<DC>(hdest, Kind::DC);
    DC* s = As<DC>(hsrc, Kind::DC);
    if (!d || !s || rop != SRCCOPY || !d->memory || !s->memory || width < 0 || height < 0) return FALSE;
    Bitmap& db = *d->bitmap;
    Bitmap& sb = *s->bitmap;
    // Clip the copied rectangle to both bitmaps.
    if (x < 0) { srcX -= x; width += x; x = 0; }
    if (y < 0) { srcY -= y; height += y; y = 0; }
    if (srcX < 0) { x -= srcX; width += srcX; srcX = 0; }
    if (srcY < 0) { y -= srcY; height += srcY; srcY = 0; }
    width = std::min({width, db.width - x, sb.width - srcX});
    height = std::min({height, db.height - y, sb.height - srcY});
    if (width <= 0 || height <= 0) return TRUE;

    // The same bitmap on both sides may overlap: read from a snapshot.
    Bitmap snapshot;
    const Bitmap* src = &sb;
    if (&sb == &db) {
        snapshot.width = sb.width;
        snapshot.height = sb.height;
        snapshot.bpp = sb.bpp;
        snapshot.stride = sb.stride;
        snapshot.topDown = sb.topDown;
        snapshot.dib = sb.dib;
        snapshot.colors = sb.colors;
        snapshot.storage = sb.storage;
        src = &snapshot;
    }
    const std::vector<RGBQUAD>& srcTable = TableOf(*src);
    IndexMapper map(TableOf(db));
    bool direct = src->bpp == db.bpp && db.bpp >= 16;
    bool sameIndexed = src->bpp == db.bpp && db.bpp <= 8 && TableOf(*src).size() == TableOf(db).size() &&
                       std::equal(srcTable.begin(), srcTable.end(), TableOf(db).begin(), [](const RGBQUAD& a, const RGBQUAD& b) {
                           return ToColor(a) == ToColor(b);
                       });
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* sr = src->Row(srcY + row);
        std::uint8_t* dr = db.Row(y + row);
        if (direct) {
            int bytes = db.bpp / 8;
            std::memcpy(dr + static_cast<std::size_t>(x) * bytes, sr + static_cast<std::size_t>(srcX) * bytes,
                        static_cast<std::size_t>(width) * bytes);
            continue;
        }
        for (int col = 0; col < width; ++col) {
            if (sameIndexed) {
                SetIndexAt(dr, db.bpp, x + col, IndexAt(sr, src->bpp, srcX + col));
                continue;
            }
            COLORREF c;
            if (src->Monochrome() && !db.Monochrome())
                c = IndexAt(sr, 1, srcX + col) ? d->bkColor : d->textColor;
            else
                c = ColorAt(sr, src->bpp, srcX + col, srcTable);
            if (db.Monochrome() && !src->Monochrome())
                SetIndexAt(dr, 1, x + col, c == s->bkColor ? 1 : 0);
            else
                PutColor(dr, db.bpp, x + col, c, map);
        }
    }
    return TRUE;
}

int GetDIBits(HDC hdc, HBITMAP hbm, UINT startScan, UINT scanLines, LPVOID bits, LPBITMAPINFO info, UINT usage) {
    Bitmap* b = As<Bitmap>(hbm, Kind::Bitmap);
    if (!As<DC>(hdc, Kind::DC) || !b || !info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return 0;
    BITMAPINFOHEADER& h = info->bmiHeader;

    if (!bits && h.biBitCount == 0) {
        // Only describe the bitmap.
        h.biWidth = b->width;
        h.biHeight = b->height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(b->bpp);
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(DibStride(b->width, b->bpp) * b->height);  // bounded by NewBitmap
        h.biClrUsed = h.biClrImportant = 0;
        return 1;
    }
    int bpp = h.biBitCount;
    if (!ValidBitCount(bpp) || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0) return 0;
    int width = h.biWidth;
    std::int64_t height = h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
    bool topDown = h.biHeight < 0;
    std::int64_t stride = DibStride(width, bpp);
    // The caller's rows must be describable: their size is reported in a 32-bit field.
    if (static_cast<std::uint64_t>(stride * height) > 0xFFFFFFFFu) return 0;

    const std::vector<RGBQUAD>* table = nullptr;
    if (bpp <= 8) {
        table = &SystemTable(bpp);
        if (usage == DIB_PAL_COLORS) {
            WORD* idx = reinterpret_cast<WORD*>(info->bmiColors);
            for (std::size_t i = 0; i < table->size(); ++i) idx[i] = static_cast<WORD>(i);
        } else {
            std::copy(table->begin(), table->end(), info->bmiColors);
        }
    }
    if (!bits) {
        h.biSizeImage = static_cast<DWORD>(stride * height);
        return 1;
    }

    auto* out = static_cast<std::uint8_t*>(bits);
    const std::vector<RGBQUAD>& srcTable = TableOf(*b);
    std::vector<RGBQUAD> none;
    IndexMapper map(table ? *table : none);
    UINT end = static_cast<UINT>(std::min<std::int64_t>(std::int64_t{startScan} + scanLines, height));
    int copied = 0;
    for (UINT scan = startScan; scan < end; ++scan, ++copied) {
        std::uint8_t* dr = out + static_cast<std::size_t>(scan - startScan) * stride;
        std::memset(dr, 0, static_cast<std::size_t>(stride));
        int srcRow = topDown ? static_cast<int>(scan) : b->height - 1 - static_cast<int>(scan);
        if (srcRow < 0 || srcRow >= b->height) continue;
        const std::uint8_t* sr = b->Row(srcRow);
        int n = std::min(width, b->width);
        if (b->bpp == bpp && bpp >= 24) {
            int bytes = bpp / 8;
            std::memcpy(dr, sr, static_cast<std::size_t>(n) * bytes);
            if (bpp == 32)
                for (int x = 0; x < n; ++x) dr[4 * x + 3] = 0;
            continue;
        }
        for (int x = 0; x < n; ++x) PutColor(dr, bpp, x, ColorAt(sr, b->bpp, x, srcTable), map);
    }
    return copied;
}

int SetDIBits(HDC hdc, HBITMAP hbm, UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage) {
    Bitmap* b = As<Bitmap>(hbm, Kind::Bitmap);
    if (!b || b->stock || b->selectedIn || !bits || !info || (hdc && !As<DC>(hdc, Kind::DC))) return 0;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    int bpp = h.biBitCount;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || !ValidBitCount(bpp) || h.biCompression != BI_RGB || h.biWidth <= 0 ||
        h.biHeight == 0 || h.biPlanes != 1)
        return 0;
    std::vector<RGBQUAD> srcTable;
    if (!DibColorTable(hdc, info, usage, srcTable)) return 0;
    std::int64_t height = h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
    bool topDown = h.biHeight < 0;
    if (static_cast<std::uint64_t>(DibStride(h.biWidth, bpp) * height) > 0xFFFFFFFFu) return 0;
    std::size_t stride = static_cast<std::size_t>(DibStride(h.biWidth, bpp));
    if (startScan >= static_cast<UINT>(height)) return 0;
    UINT end = std::min<UINT>(startScan + std::min<UINT>(scanLines, static_cast<UINT>(height)), static_cast<UINT>(height));

    const auto* in = static_cast<const std::uint8_t*>(bits);
    IndexMapper map(TableOf(*b));
    int n = std::min(h.biWidth, static_cast<LONG>(b->width));
    int copied = 0;
    for (UINT scan = startScan; scan < end; ++scan, ++copied) {
        int dstRow = topDown ? static_cast<int>(scan) : b->height - 1 - static_cast<int>(scan);
        if (dstRow < 0 || dstRow >= b->height) continue;
        const std::uint8_t* sr = in + static_cast<std::size_t>(scan - startScan) * stride;
        std::uint8_t* dr = b->Row(dstRow);
        if (b->bpp == bpp && bpp >= 24) {
            std::memcpy(dr, sr, static_cast<std::size_t>(n) * (bpp / 8));
            if (bpp == 32)
                for (int x = 0; x < n; ++x) dr[4 * x + 3] = 0;
            continue;
        }
        for (int x = 0; x < n; ++x) PutColor(dr, b->bpp, x, ColorAt(sr, bpp, x, srcTable), map);
    }
    return copied;
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage) {
    if (!header || header->biWidth <= 0 || header->biHeight == 0) return nullptr;
    int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    HBITMAP made = CreateCompatibleBitmap(hdc, header->biWidth, height);
    if (!made || !(init & CBM_INIT)) return made;
    // A bitmap that cannot take the pixels it was asked to start with is no bitmap at all.
    if (SetDIBits(hdc, made, 0, static_cast<UINT>(height), bits, info, usage) == 0) {
        DeleteObject(made);
        return nullptr;
    }
    return made;
}
