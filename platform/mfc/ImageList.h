// CImageList: small images of one size for list items and header columns, made from the
// platform's bitmaps (a colour or a mask bitmap marks the transparent pixels) or from Qt images.
#pragma once

#include <memory>

#include "mfc/Dc.h"

class QImage;
class QPixmap;

#define ILC_MASK 0x0001
#define ILC_COLOR 0x0000
#define ILC_COLOR4 0x0004
#define ILC_COLOR8 0x0008
#define ILC_COLOR16 0x0010
#define ILC_COLOR24 0x0018
#define ILC_COLOR32 0x0020
#define ILD_NORMAL 0x0000
#define ILD_TRANSPARENT 0x0001

class CImageList : public CObject {
public:
    CImageList();
    ~CImageList() override;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    BOOL DeleteImageList();
    // A bitmap as wide as several images adds them all; the index of the first, or -1.
    int Add(CBitmap* bitmap, COLORREF mask);
    int Add(CBitmap* bitmap, CBitmap* mask);
    int Add(const QImage& image);
    BOOL Remove(int index);  // -1 removes all
    BOOL Replace(int index, CBitmap* bitmap, CBitmap* mask);
    int GetImageCount() const;
    BOOL GetImageSize(int& cx, int& cy) const;
    BOOL Draw(CDC* dc, int index, POINT at, UINT style);
    // For the controls: the image as a Qt pixmap (null when there is none).
    const QPixmap* Pixmap(int index) const;

private:
    struct Data;
    std::unique_ptr<Data> d_;
};
