// Image lists keep Qt pixmaps; the platform's bitmaps are read with GetDIBits as 32-bit rows.
#include "mfc/ImageList.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <vector>

struct CImageList::Data {
    int cx = 0, cy = 0;
    UINT flags = 0;
    std::vector<QPixmap> images;
};

namespace {

// The bitmap as an image, with the pixels of mask colour (or where the mask bitmap is white)
// transparent.
bool ToImage(CBitmap* bitmap, QImage& out) {
    BITMAP bm{};
    if (!bitmap || !bitmap->GetBitmap(&bm)) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = -bm.bmHeight;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    QImage image(bm.bmWidth, bm.bmHeight, QImage::Format_RGB32);
    HDC dc = GetDC(nullptr);
    const int lines = GetDIBits(dc, static_cast<HBITMAP>(bitmap->m_hObject), 0, static_cast<UINT>(bm.bmHeight),
                                image.bits(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (lines != bm.bmHeight) return false;
    out = image.convertToFormat(QImage::Format_ARGB32);
    return true;
}

}  // namespace

CImageList::CImageList() : d_(new Data) {}
CImageList::~CImageList() = default;

BOOL CImageList::Create(int cx, int cy, UINT flags, int, int) {
    if (cx <= 0 || cy <= 0) return FALSE;
    d_->cx = cx, d_->cy = cy, d_->flags = flags;
    d_->images.clear();
    return TRUE;
}

BOOL CImageList::DeleteImageList() {
    d_->images.clear();
    d_->cx = d_->cy = 0;
    return TRUE;
}

int CImageList::Add(const QImage& image) {
    if (d_->cx <= 0 || image.isNull()) return -1;
    const int first = static_cast<int>(d_->images.size());
    for (int x = 0; x + d_->cx <= image.width(); x += d_->cx)
        d_->images.push_back(QPixmap::fromImage(image.copy(x, 0, d_->cx, std::min(d_->cy, image.height()))));
    return static_cast<int>(d_->images.size()) > first ? first : -1;
}

int CImageList::Add(CBitmap* bitmap, COLORREF mask) {
    QImage image;
    if (!ToImage(bitmap, image)) return -1;
    if (d_->flags & ILC_MASK) {
        const QRgb key = qRgb(GetRValue(mask), GetGValue(mask), GetBValue(mask));
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
            }
        }
    }
    return Add(image);
}

int CImageList::Add(CBitmap* bitmap, CBitmap* mask) {
    QImage image, m;
    if (!ToImage(bitmap, image)) return -1;
    if (mask && ToImage(mask, m) && m.size() == image.size()) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            const auto* bits = reinterpret_cast<const QRgb*>(m.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((bits[x] & 0xFFFFFF) == 0xFFFFFF) line[x] = 0;  // white in the mask: transparent
            }
        }
    }
    return Add(image);
}

BOOL CImageList::Remove(int index) {
    if (index == -1) {
        d_->images.clear();
        return TRUE;
    }
    if (index < 0 || index >= static_cast<int>(d_->images.size())) return FALSE;
    d_->images.erase(d_->images.begin() + index);
    return TRUE;
}

BOOL CImageList::Replace(int index, CBitmap* bitmap, CBitmap* mask) {
    if (index < 0 || index >= static_cast<int>(d_->images.size())) return FALSE;
    const std::size_t before = d_->images.size();
    if (Add(bitmap, mask) < 0) return FALSE;
    d_->images[static_cast<std::size_t>(index)] = d_->images[before];
    d_->images.resize(before);
    return TRUE;
}

int CImageList::GetImageCount() const { return static_cast<int>(d_->images.size()); }

BOOL CImageList::GetImageSize(int& cx, int& cy) const {
    cx = d_->cx, cy = d_->cy;
    return d_->cx > 0;
}

BOOL CImageList::Draw(CDC* dc, int index, POINT at, UINT) {
    const QPixmap* p = Pixmap(index);
    return dc && p && dc->DrawPixmap(*p, at.x, at.y);
}

const QPixmap* CImageList::Pixmap(int index) const {
    if (index < 0 || index >= static_cast<int>(d_->images.size())) return nullptr;
    return &d_->images[static_cast<std::size_t>(index)];
}
