#pragma once
// The critical constants of a pure substance, as a cubic equation of state
// for the gas phase needs them.

namespace aqvis {

struct CriticalConstants {
    double Tc = 0.0;     // K: critical temperature
    double Pc = 0.0;     // bar: critical pressure
    double omega = 0.0;  // 1: acentric factor
    bool operator==(const CriticalConstants&) const = default;
};

}  // namespace aqvis
