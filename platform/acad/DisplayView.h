// The view of a drawing on the screen: a plan view of the world XY plane, given by its centre and
// height in drawing units, shown in a graphics area of so many pixels (whose shape gives the
// view's width). Screen positions count pixels from the lower left corner, as slides do.
#pragma once

#include "acad/AcGePoint2d.h"

namespace NUVAcad {

struct DisplayView {
    // A new drawing shows its limits (0,0)-(420,297) in a 1024 x 768 graphics area.
    AcGePoint2d center{210.0, 148.5};
    double height = 297.0;
    int screenWidth = 1024;
    int screenHeight = 768;

    // The largest graphics area a slide can describe (dots are 15-bit numbers).
    static constexpr int kMaxScreen = 32767;

    double ratio() const { return static_cast<double>(screenWidth) / screenHeight; }
    double width() const { return height * ratio(); }
    AcGePoint2d lowerLeft() const { return {center.x - width() / 2, center.y - height / 2}; }
    AcGePoint2d upperRight() const { return {center.x + width() / 2, center.y + height / 2}; }
    double pixelsPerUnit() const { return screenHeight / height; }
    // World XY to screen pixels (continuous) and back.
    AcGePoint2d toScreen(const AcGePoint2d& p) const {
        AcGePoint2d ll = lowerLeft();
        double k = pixelsPerUnit();
        return {(p.x - ll.x) * k, (p.y - ll.y) * k};
    }
    AcGePoint2d toWorld(const AcGePoint2d& s) const {
        AcGePoint2d ll = lowerLeft();
        double k = pixelsPerUnit();
        return {ll.x + s.x / k, ll.y + s.y / k};
    }
    bool operator==(const DisplayView& o) const {
        return center.x == o.center.x && center.y == o.center.y && height == o.height &&
               screenWidth == o.screenWidth && screenHeight == o.screenHeight;
    }
};

}  // namespace NUVAcad
