#pragma once
// Units at the edges.  The calculation works in °C (K inside), bar and
// thermochemical calories; a front end reads temperatures and pressures in
// the units the user names and shows energies, entropies and heat capacities
// in calories or joules.  Every conversion is here, applied once where a
// number enters or leaves.

#include <optional>
#include <string>
#include <string_view>

#include "core/constants.h"

namespace aqvis {

enum class TempUnit { C, K };
enum class PressUnit { Bar, MPa, KPa, Pa };
enum class EnergyUnit { Cal, J };

// What a member is, for the unit it is shown in.
enum class Quantity {
    Other,        // a unit of its own that no option changes
    Temperature,  // TC in °C, TK in K: the name says which
    Pressure,     // in bar
    Energy,       // cal/mol: a Gibbs energy or an enthalpy
    Entropy,      // cal/(mol·K): an entropy or a heat capacity
};

// Which front end a text is for: each names the unit options its own way.
enum class FrontEnd { Window, CommandLine, Python };

struct Units {
    TempUnit temp = TempUnit::C;
    PressUnit press = PressUnit::Bar;
    EnergyUnit energy = EnergyUnit::Cal;

    // °C, bar and cal: every number as the calculation has it.
    bool Default() const
    {
        return temp == TempUnit::C && press == PressUnit::Bar && energy == EnergyUnit::Cal;
    }
};

// The units by their names as the options take them ("C", "K"; "bar",
// "MPa", "kPa", "Pa"; "cal", "J"), case as written; nullopt for another text.
std::optional<TempUnit> Parse_Temp_Unit(std::string_view name);
std::optional<PressUnit> Parse_Press_Unit(std::string_view name);
std::optional<EnergyUnit> Parse_Energy_Unit(std::string_view name);

// The names the options take, for the help and for the message that refuses
// another: "C|K", "bar|MPa|kPa|Pa", "cal|J".
const char* Temp_Unit_Choices();
const char* Press_Unit_Choices();
const char* Energy_Unit_Choices();

// How `fe` asks for a unit: "--temp-unit K" on the command line,
// "T_unit='K'" in Python (and so for "--press-unit" and "P_unit=").
std::string Temp_Unit_Request(FrontEnd fe, TempUnit u);
std::string Press_Unit_Request(FrontEnd fe, PressUnit u);

// The name of a unit as a message shows a value in it ("°C", "K", "bar",
// "MPa", "kPa", "Pa").
const char* Unit_Symbol(TempUnit u);
const char* Unit_Symbol(PressUnit u);

// A temperature given in `u` in °C (K: the value less 273.15).
double Celsius_From(double value, TempUnit u);
// A temperature in °C in `u`.
double Celsius_To(double celsius, TempUnit u);
// A pressure given in `u` in bar (MPa × 10, kPa / 100, Pa / 100000).
double Bar_From(double value, PressUnit u);
// A pressure in bar in `u`.
double Bar_To(double bar, PressUnit u);

// A value of `q` in the calculation's unit (cal/mol, cal/(mol·K)) shown in
// `u`: joules are the calorie value × 4.184, formed as the report's joule
// columns are.  Other quantities are returned as they are.
inline double Energy_To(double value, Quantity q, EnergyUnit u)
{
    const bool energy = q == Quantity::Energy || q == Quantity::Entropy;
    return energy && u == EnergyUnit::J ? value * kJoulePerCalorie : value;
}
// A value of `q` given in `u` in the calculation's unit (joules / 4.184).
inline double Energy_From(double value, Quantity q, EnergyUnit u)
{
    const bool energy = q == Quantity::Energy || q == Quantity::Entropy;
    return energy && u == EnergyUnit::J ? value / kJoulePerCalorie : value;
}

// The unit text of a member of quantity `q` whose calculation unit is
// `unit` ("cal/(mol K)"), as shown with `u`: "J/(mol K)" for an energy or
// entropy in joules, else `unit` itself.  The texts are ASCII, or the plot's
// UTF-8 form when `plot` is set.
const char* Energy_Unit_Text(const char* unit, Quantity q, EnergyUnit u, bool plot = false);

}  // namespace aqvis
