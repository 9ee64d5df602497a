#pragma once
// Where the density iteration starts: the saturation pressure and the
// starting density of water at a temperature and pressure.

namespace aqvis {

struct WaterStart {
    double Psat;  // bar: saturation pressure at TK; 0 above the critical temperature
    double Pbar;  // bar: the pressure of the calculation, raised to Psat when below it
    double ro;    // reduced starting density of the density iteration
};

// Above the critical temperature: the ideal-gas density at (TK, Pbar).  At or
// below it: the saturation pressure (Pcr at the critical temperature), Pbar
// raised to it when lower, and the saturated-liquid density when Pbar is the
// saturation pressure, otherwise the liquid density of the molar-volume
// polynomial of the pressure band.
WaterStart Water_Start(double TK, double Pbar);

}  // namespace aqvis
