#pragma once
// Number of evaluations of the Helmholtz function made by the density solver
// since the last reset.  Available in programs linked with
//   -Wl,--wrap=<mangled Helmholtz_Density_Part>,--wrap=<mangled Helmholtz_Complete>
// which route the solver's calls through counting wrappers.

namespace aqvis::count {

struct HelmholtzCount {
    long density_parts = 0;  // Helmholtz_Density_Part: one per density tried
    long completions = 0;    // Helmholtz_Complete: one per solution kept
};

void Reset_Helmholtz_Count();
HelmholtzCount Helmholtz_Count();

}  // namespace aqvis::count
