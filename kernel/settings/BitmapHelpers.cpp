#include "settings/BitmapHelpers.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "win/FileSystem.h"

namespace NUV {

bool MakeResourceFromModule(CString file, CString type, int id, HINSTANCE module) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCE(id), type);
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return false;
    const void* bytes = LockResource(loaded);
    DWORD size = SizeofResource(module, found);
    NUVWin::WriteFileAtomic(file, std::string_view(static_cast<const char*>(bytes), size));
    return true;
}

namespace {

constexpr DWORD kGrowBy = 100;      // rectangles added to the buffer whenever it is full
constexpr DWORD kBatch = 2000;      // rectangles turned into a region at a time

RGNDATA* AllocRegionData(DWORD rects) {
    return static_cast<RGNDATA*>(std::malloc(sizeof(RGNDATAHEADER) + sizeof(RECT) * rects));
}

void ResetHeader(RGNDATAHEADER& h) {
    h.nCount = 0;
    SetRect(&h.rcBound, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0);
}

// Turns the collected rectangles into a region and adds it to the result.
void Flush(RGNDATA* data, DWORD capacity, HRGN& result) {
    HRGN part = ExtCreateRegion(nullptr, sizeof(RGNDATAHEADER) + sizeof(RECT) * capacity, data);
    if (result) {
        CombineRgn(result, result, part, RGN_OR);
        DeleteObject(part);
    } else {
        result = part;
    }
    ResetHeader(data->rdh);
}

}  // namespace

HRGN BitmapToRegion(HBITMAP bitmap, COLORREF transparent, COLORREF tolerance) {
    if (!bitmap) return nullptr;
    HDC memDC = CreateCompatibleDC(nullptr);
    if (!memDC) return nullptr;

    BITMAP bm{};
    GetObject(bitmap, sizeof bm, &bm);

    // A 32-bit copy, whatever the bitmap's own format, so every pixel is four bytes.
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = bm.bmWidth;
    header.biHeight = bm.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    void* bits32 = nullptr;
    HBITMAP dib = CreateDIBSection(memDC, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits32, nullptr, 0);
    if (!dib) {
        DeleteDC(memDC);
        return nullptr;
    }
    HGDIOBJ oldMemBitmap = SelectObject(memDC, dib);

    HRGN result = nullptr;
    HDC srcDC = CreateCompatibleDC(memDC);
    HGDIOBJ oldSrcBitmap = srcDC ? SelectObject(srcDC, bitmap) : nullptr;
    if (srcDC && oldSrcBitmap) {
        BITMAP bm32{};
        GetObject(dib, sizeof bm32, &bm32);
        LONG stride = bm32.bmWidthBytes;
        while (stride % 4) ++stride;

        BitBlt(memDC, 0, 0, bm.bmWidth, bm.bmHeight, srcDC, 0, 0, SRCCOPY);

        // The window of each channel, in the order the channels are packed in the colour value.
        BYTE lr = GetRValue(transparent), lg = GetGValue(transparent), lb = GetBValue(transparent);
        BYTE hr = static_cast<BYTE>(std::min(0xFF, lr + GetRValue(tolerance)));
        BYTE hg = static_cast<BYTE>(std::min(0xFF, lg + GetGValue(tolerance)));
        BYTE hb = static_cast<BYTE>(std::min(0xFF, lb + GetBValue(tolerance)));
        auto isTransparent = [&](const BYTE* p) {
            return p[0] >= lr && p[0] <= hr && p[1] >= lg && p[1] <= hg && p[2] >= lb && p[2] <= hb;
        };

        DWORD capacity = kGrowBy;
        RGNDATA* data = AllocRegionData(capacity);
        if (data) {
            data->rdh.dwSize = sizeof(RGNDATAHEADER);
            data->rdh.iType = RDH_RECTANGLES;
            data->rdh.nRgnSize = 0;
            ResetHeader(data->rdh);

            // The copy is bottom-up: the top row of the image is the last row in memory.
            BYTE* row = static_cast<BYTE*>(bm32.bmBits) + static_cast<std::ptrdiff_t>(bm32.bmHeight - 1) * stride;
            for (LONG y = 0; y < bm.bmHeight && data; ++y, row -= stride) {
                for (LONG x = 0; x < bm.bmWidth; ++x) {
                    LONG x0 = x;
                    while (x < bm.bmWidth && !isTransparent(row + 4 * x)) ++x;
                    if (x == x0) continue;
                    if (data->rdh.nCount >= capacity) {
                        capacity += kGrowBy;
                        RGNDATA* grown = static_cast<RGNDATA*>(std::realloc(data, sizeof(RGNDATAHEADER) + sizeof(RECT) * capacity));
                        if (!grown) {
                            std::free(data);
                            data = nullptr;
                            break;
                        }
                        data = grown;
                    }
                    RECT* rects = reinterpret_cast<RECT*>(data->Buffer);
                    SetRect(&rects[data->rdh.nCount], x0, y, x, y + 1);
                    RECT& b = data->rdh.rcBound;
                    b.left = std::min(b.left, x0);
                    b.top = std::min(b.top, y);
                    b.right = std::max(b.right, x);
                    b.bottom = std::max(b.bottom, y + 1);
                    ++data->rdh.nCount;
                    if (data->rdh.nCount == kBatch) Flush(data, capacity, result);
                }
            }
            if (data) {
                Flush(data, capacity, result);
                std::free(data);
            } else if (result) {
                DeleteObject(result);
                result = nullptr;
            }
        }
    }
    if (srcDC) {
        if (oldSrcBitmap) SelectObject(srcDC, oldSrcBitmap);
        DeleteDC(srcDC);
    }
    SelectObject(memDC, oldMemBitmap);
    DeleteObject(dib);
    DeleteDC(memDC);
    return result;
}

int SaveBitmapToMemFile(HBITMAP bitmap, void** data, unsigned long& size) {
    if (!bitmap || !data) return 0;
    HDC screen = GetDC(nullptr);
    if (!screen) return 0;
    int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    WORD bitCount = bits <= 1 ? 1 : bits <= 4 ? 4 : bits <= 8 ? 8 : bits <= 24 ? 24 : 32;

    // Sizes come from the bitmap's dimensions at the display's depth, which may be far deeper
    // than the bitmap's own: a file beyond the header's 32-bit sizes is refused, not wrapped.
    BITMAP bm{};
    NUVWin::BitmapFileSizes sizes{};
    if (!GetObject(bitmap, sizeof bm, &bm) || !NUVWin::GetBitmapFileSizes(bm.bmWidth, bm.bmHeight, bitCount, sizes)) {
        ReleaseDC(nullptr, screen);
        return 0;
    }
    auto* file = new (std::nothrow) unsigned char[sizes.file];
    if (!file) {
        ReleaseDC(nullptr, screen);
        return 0;
    }

    // The information header and colour table are filled in an aligned buffer (in the file they
    // start at offset 14); the pixels go straight to their place in the file.
    std::vector<std::uint32_t> infoWords((sizeof(BITMAPINFOHEADER) + sizes.colorTable) / 4, 0);
    auto* info = reinterpret_cast<BITMAPINFOHEADER*>(infoWords.data());
    info->biSize = sizeof(BITMAPINFOHEADER);
    info->biWidth = bm.bmWidth;
    info->biHeight = bm.bmHeight;
    info->biPlanes = 1;
    info->biBitCount = bitCount;
    info->biCompression = BI_RGB;

    HPALETTE oldPalette = nullptr;
    if (HGDIOBJ palette = GetStockObject(DEFAULT_PALETTE)) {
        oldPalette = SelectPalette(screen, static_cast<HPALETTE>(palette), FALSE);
        RealizePalette(screen);
    }
    int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(bm.bmHeight), file + sizes.offBits,
                          reinterpret_cast<BITMAPINFO*>(info), DIB_RGB_COLORS);
    if (oldPalette) {
        SelectPalette(screen, oldPalette, TRUE);
        RealizePalette(screen);
    }
    ReleaseDC(nullptr, screen);
    if (lines == 0) {
        delete[] file;
        return 0;
    }
    // The header keeps only what the layout fixes, whatever the call filled in.
    info->biSizeImage = 0;
    info->biXPelsPerMeter = info->biYPelsPerMeter = 0;
    info->biClrUsed = info->biClrImportant = 0;

    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;  // "BM"
    fh.bfSize = sizes.file;
    fh.bfOffBits = sizes.offBits;
    std::memcpy(file, &fh, sizeof fh);
    std::memcpy(file + sizeof fh, infoWords.data(), sizeof(BITMAPINFOHEADER) + sizes.colorTable);
    *data = file;
    size = sizes.file;
    return 1;
}

}  // namespace NUV
