#pragma once
// The range the model is meant for, 0–500 °C and 1–2000 bar, and what a
// front end says about a state: that it lies outside, that a pressure below
// the saturation pressure was raised to it, or that a number looks like one
// typed in another unit.  A state outside is still computed; the front ends
// flag it with these texts.

#include <optional>
#include <string>

#include "results/units.h"

namespace aqvis {

// °C and bar: the range the model is meant for.
inline constexpr double kRangeMinC = 0.0;
inline constexpr double kRangeMaxC = 500.0;
inline constexpr double kRangeMinBar = 1.0;
inline constexpr double kRangeMaxBar = 2000.0;

// True when the state asked for lies inside the range: 0–500 °C and at most
// 2000 bar, and at least 1 bar or 0 (the saturation pressure, which fails
// above the critical temperature of water, saying why).  Below the critical
// temperature any lower pressure counts as inside: whatever lies below the
// saturation pressure stands for it, and the pressures between it and 1 bar
// are liquid water between two states of the range.  False for a
// temperature or pressure that is not a number.
bool In_Model_Range(double TC, double Pbar);

struct StateAsked {
    double TC = 0.0;                      // °C
    double Pbar = 0.0;                    // bar, as asked (0 = the saturation pressure)
    std::optional<double> pressure_used;  // bar, of a case that went through: above Pbar when raised
    Units units;                          // the units TC and Pbar were given in
};

// Why a front end says something about a state: bits of State_Reasons.
enum StateReason : unsigned {
    kOutsideTemperature = 1u << 0,  // below 0 or above 500 °C
    kOutsidePressure = 1u << 1,     // above 2000 bar, or below 1 (not 0) above the critical temperature
    kPressureRaised = 1u << 2,      // a pressure below the saturation pressure, raised to it
    kKelvinSlip = 1u << 3,          // °C that would lie inside in kelvin, or end in .15 like kelvin
    kCelsiusSlip = 1u << 4,         // kelvin that would lie inside in °C
    kPressureSlip = 1u << 5,        // bar above the range that would lie inside in Pa or kPa
};

// True for the common state that nothing is said about, decided in a few
// comparisons: given in °C and bar, from 0 to below 273.15 °C (no number
// that could be kelvin), at 1 to 2000 bar or 0, and not raised.
inline bool Plainly_Inside(double TC, double Pbar, const double* pressure_used, const Units& u)
{
    return TC >= kRangeMinC && TC < kZeroCelsius && Pbar <= kRangeMaxBar &&
           (Pbar >= kRangeMinBar || Pbar == 0.0) && !(pressure_used && *pressure_used > Pbar && Pbar != 0.0) &&
           u.temp == TempUnit::C && u.press == PressUnit::Bar;
}
inline bool Plainly_Inside(const StateAsked& s)
{
    return Plainly_Inside(s.TC, s.Pbar, s.pressure_used ? &*s.pressure_used : nullptr, s.units);
}

// The reasons there are to say something about the state (0: none), for a
// finite temperature and pressure; cheap, and no text is formed.
unsigned State_Reasons(const StateAsked& s);

// What `fe` says about the state, or "" when there is nothing to say: every
// reason it lies outside the range, a non-zero pressure raised to the
// saturation pressure (with the value used), and a hint where a number looks
// like a unit slip (a temperature that would lie inside the range in kelvin
// or in °C, one ending in .15 typed as °C, a pressure above 2000 that would
// lie inside in Pa or kPa), naming the option that reads it so.  Pieces are
// joined by "; " and hold no comma, so the text is one CSV field.
std::string State_Warning(const StateAsked& s, FrontEnd fe);

}  // namespace aqvis
