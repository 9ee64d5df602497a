#include "solute/critical_constants.h"

#include <array>

namespace aqvis {

namespace {

struct Row {
    const char* formula;
    CriticalConstants k;  // K, bar, 1
};

// Horstmann, Jablonec, Krafczyk, Fischer and Gmehling, Fluid Phase Equilib.
// 227 (2005) 157, appendix table of pure-component Tc, Pc and w (Pc given
// there in Pa), one consistent set for all of them.  Other handbooks give w
// 0.011 for CH4; the difference moves its solubility by less than 0.1 %.
constexpr std::array kTable{
    Row{"H2", {33.2, 12.9696, -0.22}},       Row{"N2", {126.2, 33.94388, 0.04}},
    Row{"O2", {154.6, 50.45985, 0.021}},     Row{"H2S", {372.8, 89.36865, 0.1}},
    Row{"CO2", {304.2, 73.7646, 0.2252}},    Row{"Ar", {150.8, 48.73732, -0.004}},
    Row{"Ne", {44.4, 27.5604, -0.0414}},     Row{"NH3", {405.6, 112.7747, 0.25}},
    Row{"SO2", {430.8, 78.83085, 0.251}},    Row{"CH4", {190.6, 46.00155, 0.008}},
    Row{"C2H4", {282.35, 50.41628, 0.085}},  Row{"C2H6", {305.4, 48.83865, 0.098}},
    Row{"C3H8", {369.95, 42.45518, 0.152}},  Row{"C4H10", {425.2, 37.99688, 0.193}},  // n-butane
    Row{"C6H6", {562.1, 48.93997, 0.212}},   Row{"HCl", {324.6, 83.0865, 0.12}},
    Row{"HF", {461.0, 64.848, 0.372}},
};

// Water, from the same table.
constexpr CriticalConstants kWater{647.3, 220.48321, 0.344};

}  // namespace

std::optional<CriticalConstants> Built_In_Critical_Constants(std::string_view formula)
{
    for (const Row& r : kTable)
        if (formula == r.formula) return r.k;
    return std::nullopt;
}

CriticalConstants Water_Critical_Constants() { return kWater; }

}  // namespace aqvis
