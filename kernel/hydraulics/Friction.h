// Duct and pipe friction: equivalent diameters, flow and velocity, the Reynolds number, the
// friction-factor formulas and the friction pressure loss. Pure functions of doubles; units are
// the caller's (the suite uses SI). Friction factors answer -1.0 outside a formula's range.
#pragma once

namespace NUV {

// Geometry and flow
double D(double Rs);                          // equivalent diameter 4*Rs
double Rs(double A, double P);                // hydraulic radius A/P
double D_V(double a, double b);               // velocity-equivalent diameter 2ab/(a+b)
double D_F(double a, double b);               // flow-equivalent diameter
double D_A(double a, double b);               // area-equivalent diameter
double D_Circle(double A);                    // diameter of the circle of area A
double L(double A, double v);                 // flow rate A*v
double L_Square(double a, double b, double v);
double L_Circle(double d, double v);
double V(double Q, double A);                 // velocity Q/A
double V_Square(double Q, double a, double b);
double V_Circle(double Q, double d);
double Re(double v, double d, double nu);     // Reynolds number v/nu*d

// Darcy friction factor
double x_LF(double Re);                       // laminar 64/Re
double x_TF_B(double Re);                     // Blasius, Re <= 100000
double x_TF_PN(double Re);                    // Prandtl-Nikuradse smooth pipe, Re < 3400000
double x_TF_CW(double Re, double delta);      // Colebrook-White
double x_TF_SJ(double Re, double delta);      // Swamee-Jain, 1e-6 < delta < 0.01, 5000 < Re < 1e8
double x_TF_A(double Re, double delta);       // Altshul
double x_TF_M(double Re, double delta);       // Moody, 4000 < Re < 1e7, delta <= 0.01, result < 0.05
double x_TF_KN(double delta);                 // Karman-Nikuradse, fully rough
double x_TF_X(double delta);                  // Shifrinson, fully rough

// Friction pressure loss of a length l, and per unit length (l = 1)
double Pl(double l, double lambda, double Rs, double v, double rho);
double Pl_Circle(double l, double lambda, double d, double v, double rho);
double Pl_Square(double l, double lambda, double a, double b, double v, double rho);
double Rm(double lambda, double Rs, double v, double rho);
double Rm_Circle(double lambda, double d, double v, double rho);
double Rm_Square(double lambda, double a, double b, double v, double rho);

}  // namespace NUV
