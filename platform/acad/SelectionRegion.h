// The geometric selection modes on an entity's plan-view outline: inside a window or polygon
// (every point of the entity within it), crossing one (any part inside or cutting its border),
// and touching a fence. Boundaries count as inside. Points are world XY.
#pragma once

#include <functional>
#include <vector>

#include "acad/AcGePoint2d.h"
#include "acad/EntityOutline.h"

namespace NUVAcad {

class SelectionRegion {
public:
    enum Kind { Window, Crossing, WindowPolygon, CrossingPolygon, Fence };

    // A window or crossing rectangle from two corners.
    static SelectionRegion rectangle(const AcGePoint2d& a, const AcGePoint2d& b, bool crossing);
    // A polygon (closed by itself) or a fence (an open chain of points).
    static SelectionRegion polygon(std::vector<AcGePoint2d> points, bool crossing);
    static SelectionRegion fence(std::vector<AcGePoint2d> points);

    Kind kind() const { return kind_; }
    // Whether an entity with this outline is selected. An entity without any outline never is.
    bool selects(const std::vector<OutlinePart>& outline) const;

private:
    bool inside(const AcGePoint2d& p) const;
    bool cuts(const AcGePoint2d& a, const AcGePoint2d& b) const;  // the segment meets the border

    Kind kind_ = Window;
    std::vector<AcGePoint2d> pts_;  // rectangle corners, polygon or fence
};

// Each part as the chains of points it is drawn with (texts by their boxes, fills by their loops).
void ForEachChain(const std::vector<OutlinePart>& outline,
                  const std::function<void(const std::vector<AcGePoint2d>&, bool closed)>& fn);

}  // namespace NUVAcad
