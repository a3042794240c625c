// Dynamic pressure, local (fitting) losses and the local resistance coefficients of elbows and
// tees. Angles are in radians. The coefficients never fail: arguments beyond the tables are
// clamped to the end values and out-of-range tee ratios give 0.
#pragma once

namespace NUV {

double Pd(double zeta, double v, double rho);                 // local pressure loss zeta*v*v*rho/2
double hd(double zeta, double v, double g);                   // local head loss zeta/g*v*v/2
double GetDY(double v, double rho);                           // dynamic pressure v*v*rho/2
double GetDLLength(double l, double zeta, double d, double lambda);  // l + zeta/lambda*d

// Round elbow: bend angle, relative bend radius R/D.
double GetSyphonDragLocalIndexCircle(double angle, double rOverD);
// Rectangular elbow: bend angle, relative bend radius r, Reynolds number, sides h and b (only h/b
// is used).
double GetSyphonDragLocalIndexSquare(double angle, double r, double Re, double h, double b);
// Converging tee: combined stream (vc, Qc), incoming streams (v1, Q1) and (v2, Q2) at angles a1
// and a2 to the combined stream; which non-zero asks for stream 1's coefficient, zero for stream 2.
double GetHeLiuSanTongDragLocalIndex(double vc, double Qc, double v1, double Q1, double v2,
                                     double Q2, double a1, double a2, int which);
// Diverging tee: four cases by the selectors s1 and s2 over the ratios of p1..p4; the angle a
// matters only when both selectors are non-zero.
double GetFenLiuSanTongDragLocalIndex(double p1, double p2, double p3, double p4, double a, int s1,
                                      int s2);

}  // namespace NUV
