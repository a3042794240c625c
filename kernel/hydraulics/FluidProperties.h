// Properties of the two working fluids: humid air and water. Temperatures in degrees Celsius.
#pragma once

namespace NUV {

// Saturation vapour pressure of water, Pa, for -40..60 C (both ends inside); -1.0 outside.
double GetBhDqYl(double t);
// Humid-air density, kg/m3, from temperature, relative humidity (a fraction) and barometric
// pressure (Pa). Outside -40..60 C it falls back to 352/T, ignoring humidity and pressure.
double GetDensity(double t, double phi, double B);
// Water density, kg/m3.
double GetWaterMD(double t);
// Water kinematic viscosity in units of 1e-6 m2/s.
double GetWaterND(double t);
// Water mass flow, kg/s, that carries the heat load Q (W) at the temperature difference dt (K).
double GetWaterFlux(double Q, double dt);

}  // namespace NUV
