#include <cstring>
#include <new>

#include "db/DbInternal.h"

namespace NUVDb {

namespace {

constexpr WORD kBitmapFileType = 19778;  // "BM" read as a little-endian word

// Releases the screen context and restores its palette on every path.
class ScreenContext {
public:
    ScreenContext() : dc_(GetDC(nullptr)) {}
    ~ScreenContext() {
        if (old_) SelectPalette(dc_, old_, TRUE);
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenContext(const ScreenContext&) = delete;
    ScreenContext& operator=(const ScreenContext&) = delete;
    HDC get() const { return dc_; }
    void UseDefaultPalette() {
        if (HGDIOBJ p = GetStockObject(DEFAULT_PALETTE)) {
            old_ = SelectPalette(dc_, static_cast<HPALETTE>(p), FALSE);
            RealizePalette(dc_);
        }
    }

private:
    HDC dc_;
    HPALETTE old_ = nullptr;
};

}  // namespace

bool BitmapToBlob(HBITMAP bitmap, std::vector<std::uint8_t>& blob) {
    if (!bitmap) return false;
    ScreenContext screen;
    if (!screen.get()) return false;
    int depth = GetDeviceCaps(screen.get(), PLANES) * GetDeviceCaps(screen.get(), BITSPIXEL);
    int bitCount = depth <= 1 ? 1 : depth <= 4 ? 4 : depth <= 8 ? 8 : depth <= 24 ? 24 : 32;

    // At the display's depth a small-format bitmap can grow past what the header's 32-bit sizes
    // hold: such a bitmap is refused before anything is allocated.
    BITMAP bm{};
    NUVWin::BitmapFileSizes sizes{};
    if (!GetObject(bitmap, sizeof bm, &bm) || !NUVWin::GetBitmapFileSizes(bm.bmWidth, bm.bmHeight, bitCount, sizes))
        return false;
    const std::size_t tableBytes = sizes.colorTable;
    try {
        blob.assign(sizes.file, 0);
    } catch (const std::bad_alloc&) {
        blob.clear();
        return false;
    }

    BITMAPFILEHEADER file{};
    file.bfType = kBitmapFileType;
    file.bfSize = sizes.file;
    file.bfOffBits = sizes.offBits;
    std::memcpy(blob.data(), &file, sizeof file);

    // The info header and colour table are filled in an aligned buffer: in the file they start
    // at offset 14.
    std::vector<std::uint32_t> infoWords((sizeof(BITMAPINFOHEADER) + tableBytes) / 4 + 1, 0);
    auto* info = reinterpret_cast<BITMAPINFO*>(infoWords.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = bm.bmWidth;
    info->bmiHeader.biHeight = bm.bmHeight;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = static_cast<WORD>(bitCount);
    info->bmiHeader.biCompression = BI_RGB;

    screen.UseDefaultPalette();
    int lines = GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(bm.bmHeight), blob.data() + file.bfOffBits, info,
                          DIB_RGB_COLORS);
    if (lines == 0) {
        blob.clear();
        return false;
    }
    // The call may fill in sizes; the stored header keeps only what the layout fixes.
    info->bmiHeader.biSizeImage = 0;
    info->bmiHeader.biXPelsPerMeter = info->bmiHeader.biYPelsPerMeter = 0;
    info->bmiHeader.biClrUsed = info->bmiHeader.biClrImportant = 0;
    std::memcpy(blob.data() + sizeof file, infoWords.data(), sizeof(BITMAPINFOHEADER) + tableBytes);
    return true;
}

HBITMAP BlobToBitmap(const std::uint8_t* data, std::size_t size) {
    if (!data || size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return nullptr;
    BITMAPFILEHEADER file;
    std::memcpy(&file, data, sizeof file);
    if (file.bfType != kBitmapFileType) return nullptr;

    // The info header and its colour table are copied out so they are aligned.
    BITMAPINFOHEADER header;
    std::memcpy(&header, data + sizeof file, sizeof header);
    int bitCount = header.biBitCount;
    if (header.biSize < sizeof header || header.biWidth <= 0 || header.biHeight == 0 || header.biCompression != BI_RGB)
        return nullptr;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) return nullptr;
    std::size_t colours = bitCount <= 8 ? (header.biClrUsed ? header.biClrUsed : (std::size_t{1} << bitCount)) : 0;
    if (colours > 256) return nullptr;
    std::size_t tableAt = sizeof file + header.biSize;
    if (tableAt + colours * sizeof(RGBQUAD) > size) return nullptr;
    // The pixels must lie inside the image.
    if (file.bfOffBits > size || NUVWin::DibImageBytes(header.biWidth, header.biHeight, bitCount) > size - file.bfOffBits)
        return nullptr;

    std::vector<std::uint8_t> infoBytes(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* info = reinterpret_cast<BITMAPINFO*>(infoBytes.data());
    info->bmiHeader = header;
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    std::memcpy(info->bmiColors, data + tableAt, colours * sizeof(RGBQUAD));

    ScreenContext screen;
    if (!screen.get()) return nullptr;
    // The caller receives a device-dependent bitmap: of the display's format, whatever the
    // stored one.
    return CreateDIBitmap(screen.get(), &info->bmiHeader, CBM_INIT, data + file.bfOffBits, info, DIB_RGB_COLORS);
}

}  // namespace NUVDb
