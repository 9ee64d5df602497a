#include "helmholtz_count.h"

#include "water/helmholtz.h"

namespace {
aqvis::count::HelmholtzCount g_count;
}

// The linker sends the solver's calls here (`__wrap_<symbol>`); the original
// functions stay reachable as `__real_<symbol>`.
extern "C" {
void __real__ZN5aqvis22Helmholtz_Density_PartERKNS_25HelmholtzTemperatureTermsEdRNS_21HelmholtzDensityTermsE(
    const aqvis::HelmholtzTemperatureTerms&, double, aqvis::HelmholtzDensityTerms&);
aqvis::Helmholtz __real__ZN5aqvis18Helmholtz_CompleteERKNS_25HelmholtzTemperatureTermsERKNS_21HelmholtzDensityTermsE(
    const aqvis::HelmholtzTemperatureTerms&, const aqvis::HelmholtzDensityTerms&);

void __wrap__ZN5aqvis22Helmholtz_Density_PartERKNS_25HelmholtzTemperatureTermsEdRNS_21HelmholtzDensityTermsE(
    const aqvis::HelmholtzTemperatureTerms& t, double ro, aqvis::HelmholtzDensityTerms& d)
{
    ++g_count.density_parts;
    __real__ZN5aqvis22Helmholtz_Density_PartERKNS_25HelmholtzTemperatureTermsEdRNS_21HelmholtzDensityTermsE(t, ro, d);
}

aqvis::Helmholtz __wrap__ZN5aqvis18Helmholtz_CompleteERKNS_25HelmholtzTemperatureTermsERKNS_21HelmholtzDensityTermsE(
    const aqvis::HelmholtzTemperatureTerms& t, const aqvis::HelmholtzDensityTerms& d)
{
    ++g_count.completions;
    return __real__ZN5aqvis18Helmholtz_CompleteERKNS_25HelmholtzTemperatureTermsERKNS_21HelmholtzDensityTermsE(t, d);
}
}

namespace aqvis::count {

void Reset_Helmholtz_Count() { g_count = {}; }
HelmholtzCount Helmholtz_Count() { return g_count; }

}  // namespace aqvis::count
