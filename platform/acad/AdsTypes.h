#pragma once
// The host's plain C types for reals and points handed through the entity-name and AutoLISP
// layers. A point is three doubles (x, y, z); functions take it as a pointer.

typedef double ads_real;
typedef ads_real ads_point[3];
typedef ads_real* ads_pointp;

// Indices into an ads_point.
enum { X = 0, Y = 1, Z = 2 };
