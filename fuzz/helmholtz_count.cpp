#include "helmholtz_count.h"

#include "water/helmholtz.h"

namespace {
aqvis::count::HelmholtzCount g_count;
}

// The linker sends the solver's calls here (`__wrap_<symbol>`); the original
// functions stay reachable as `__real_<symbol>`.
extern "C" {
void __real__ZN5aqvis22Helmholtz_Density_PartERNS_9CalcStateERKNS_25HelmholtzTemperatureTermsERNS_21HelmholtzDensityTermsE(
    aqvis::CalcState&, const aqvis::HelmholtzTemperatureTerms&, aqvis::HelmholtzDensityTerms&);
void __real__ZN5aqvis18Helmholtz_CompleteERNS_9CalcStateERKNS_25HelmholtzTemperatureTermsERKNS_21HelmholtzDensityTermsE(
    aqvis::CalcState&, const aqvis::HelmholtzTemperatureTerms&, const aqvis::HelmholtzDensityTerms&);

void __wrap__ZN5aqvis22Helmholtz_Density_PartERNS_9CalcStateERKNS_25HelmholtzTemperatureTermsERNS_21HelmholtzDensityTermsE(
    aqvis::CalcState& s, const aqvis::HelmholtzTemperatureTerms& t, aqvis::HelmholtzDensityTerms& d)
{
    ++g_count.density_parts;
    __real__ZN5aqvis22Helmholtz_Density_PartERNS_9CalcStateERKNS_25HelmholtzTemperatureTermsERNS_21HelmholtzDensityTermsE(s, t, d);
}

void __wrap__ZN5aqvis18Helmholtz_CompleteERNS_9CalcStateERKNS_25HelmholtzTemperatureTermsERKNS_21HelmholtzDensityTermsE(
    aqvis::CalcState& s, const aqvis::HelmholtzTemperatureTerms& t, const aqvis::HelmholtzDensityTerms& d)
{
    ++g_count.completions;
    __real__ZN5aqvis18Helmholtz_CompleteERNS_9CalcStateERKNS_25HelmholtzTemperatureTermsERKNS_21HelmholtzDensityTermsE(s, t, d);
}
}

namespace aqvis::count {

void Reset_Helmholtz_Count() { g_count = {}; }
HelmholtzCount Helmholtz_Count() { return g_count; }

}  // namespace aqvis::count
