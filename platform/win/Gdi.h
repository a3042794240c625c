// Graphics objects in memory: bitmaps (device-dependent and DIB sections), device contexts (the
// screen and memory contexts), the stock palette and regions, under the platform's names.
//
// The screen has no pixels here; it only has a colour depth, 32 bits per pixel unless
// NUVWin::SetScreenBitsPerPixel says otherwise, which decides what "compatible" means and what a
// caller that follows the display writes. Colours of indexed formats come from the system's
// default palette: black and white at 1 bit, the 16 VGA colours at 4 bits, and at 8 bits the 20
// static colours (indices 0-9 and 246-255) around a 6x6x6 colour cube without its corners and
// 28 greys; colours are
// mapped to the nearest entry.
//
// Regions are kept as y-bands of rectangles (bands sorted top to bottom, rectangles in a band
// sorted left to right, neither touching nor overlapping; touching bands with equal spans
// merged), so two regions covering the same pixels have the same rectangles.
#pragma once

#include "win/WinTypes.h"

DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HBITMAP);
DECLARE_HANDLE(HRGN);
DECLARE_HANDLE(HPALETTE);
typedef void* HGDIOBJ;

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};
typedef BITMAP* LPBITMAP;

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // positive: bottom-up rows; negative: top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes in files");
typedef BITMAPINFOHEADER* LPBITMAPINFOHEADER;

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

// Followed in memory by the rest of the colour table when there is one.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
typedef BITMAPINFO* LPBITMAPINFO;

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14, "BITMAPFILEHEADER is 14 bytes in files");

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
};

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

struct RGNDATAHEADER {
    DWORD dwSize;
    DWORD iType;
    DWORD nCount;
    DWORD nRgnSize;
    RECT rcBound;
};
static_assert(sizeof(RGNDATAHEADER) == 32, "RGNDATAHEADER is 32 bytes");

// The header followed by nCount RECTs.
struct RGNDATA {
    RGNDATAHEADER rdh;
    char Buffer[1];
};
typedef RGNDATA* LPRGNDATA;

struct XFORM {
    FLOAT eM11;
    FLOAT eM12;
    FLOAT eM21;
    FLOAT eM22;
    FLOAT eDx;
    FLOAT eDy;
};

// Compression, colour usage, raster operation.
#define BI_RGB 0
#define BI_BITFIELDS 3
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1
#define SRCCOPY 0x00CC0020
#define CBM_INIT 0x04

// Region data, combination modes and results.
#define RDH_RECTANGLES 1
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define RGN_ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3

// Device capabilities.
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define RC_BITBLT 1
#define RC_PALETTE 0x0100

// Stock objects and object types.
#define DEFAULT_PALETTE 15
#define OBJ_PAL 5
#define OBJ_DC 3
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10

#define CLR_INVALID 0xFFFFFFFF

namespace NUVWin {

// Colour depth of the display (1, 4, 8, 16, 24 or 32); false for any other value.
bool SetScreenBitsPerPixel(int bits);
int GetScreenBitsPerPixel();

// Number of live graphics objects (bitmaps, regions, contexts; stock objects excluded), for
// tests that check every object made is also released.
int LiveGdiObjectCount();

// Bytes of a DIB's pixel rows, each padded to 4 bytes: ((bitCount x width + 31) / 32) x 4 x
// |height|. In 64 bits, which no header's or caller's LONG dimensions can wrap; 0 for a width
// below 1 or a bit count outside 1..32.
std::uint64_t DibImageBytes(LONG width, LONG height, int bitCount);

// The layout of a bitmap file: 14-byte file header, 40-byte info header, colour table (2^bitCount
// entries of 4 bytes up to 8 bits, none above), pixel rows.
struct BitmapFileSizes {
    DWORD colorTable;
    DWORD image;
    DWORD offBits;  // 54 + colour table
    DWORD file;     // offBits + image
};
// False, with `sizes` unchanged, for a width or height below 1 or a file that would not fit the
// header's 32-bit size fields.
bool GetBitmapFileSizes(LONG width, LONG height, int bitCount, BitmapFileSizes& sizes);

}  // namespace NUVWin

// Bitmaps.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
int GetDIBits(HDC dc, HBITMAP bitmap, UINT startScan, UINT scanLines, LPVOID bits, LPBITMAPINFO info, UINT usage);
// Writes DIB rows into a bitmap not selected into any context, converting them to its format.
// Scan lines count from the bottom of a bottom-up DIB and from the top of a top-down one, bits
// holding the first of them; colours of indexed DIBs come from info, or with DIB_PAL_COLORS from
// the palette of dc (which may be null for DIB_RGB_COLORS). The number of lines written, 0 on
// failure.
int SetDIBits(HDC dc, HBITMAP bitmap, UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage);
// A device-dependent bitmap of dc's format and of header's size; with CBM_INIT its pixels are
// set from bits and info as SetDIBits does, otherwise they start black.
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage);

// Objects in general: BITMAP or DIBSECTION for bitmaps, the entry count (WORD) for palettes.
int GetObjectA(HGDIOBJ object, int size, LPVOID out);
inline int GetObject(HGDIOBJ object, int size, LPVOID out) { return GetObjectA(object, size, out); }
DWORD GetObjectType(HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
HGDIOBJ GetStockObject(int which);

// Device contexts. Any window's context is the screen's.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
int GetDeviceCaps(HDC dc, int index);
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
UINT RealizePalette(HDC dc);
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
// Only SRCCOPY. A colour source copied to a monochrome bitmap gives white where the pixel equals
// the source context's background colour and black elsewhere; a monochrome source copied to a
// colour bitmap gives the destination's text colour for 0 and its background colour for 1.
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);

// Regions.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
// Identity, scaling and translation transforms only.
HRGN ExtCreateRegion(const XFORM* transform, DWORD count, const RGNDATA* data);
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
// The required size when data is null; 0 when size is too small; otherwise size.
DWORD GetRegionData(HRGN region, DWORD size, LPRGNDATA data);
int GetRgnBox(HRGN region, LPRECT box);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL EqualRgn(HRGN a, HRGN b);
int OffsetRgn(HRGN region, int dx, int dy);
