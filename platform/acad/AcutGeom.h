#pragma once
// The host's C helpers on bare three-double points.
#include "acad/AdsTypes.h"

// Angle of the line pt1 -> pt2 projected on the XY plane, from the X axis counter-clockwise, in
// [0, 2pi); 0 for points with the same X and Y.
ads_real acutAngle(const ads_point pt1, const ads_point pt2);
// result = pt moved dist along angle in the XY plane (Z kept); result may be pt itself.
// Returns RTNORM.
int acutPolar(const ads_point pt, ads_real angle, ads_real dist, ads_point result);
// Distance in space between the two points.
ads_real acutDistance(const ads_point pt1, const ads_point pt2);
