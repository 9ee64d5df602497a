#include "results/units.h"


namespace aqvis {

namespace {

// Pa, kPa and MPa per bar (exact: 1 bar = 100 kPa = 0.1 MPa).
constexpr double kPaPerBar = 100000.0;
constexpr double kKPaPerBar = 100.0;
constexpr double kBarPerMPa = 10.0;

}  // namespace

std::optional<TempUnit> Parse_Temp_Unit(std::string_view name)
{
    if (name == "C") return TempUnit::C;
    if (name == "K") return TempUnit::K;
    return std::nullopt;
}

std::optional<PressUnit> Parse_Press_Unit(std::string_view name)
{
    if (name == "bar") return PressUnit::Bar;
    if (name == "MPa") return PressUnit::MPa;
    if (name == "kPa") return PressUnit::KPa;
    if (name == "Pa") return PressUnit::Pa;
    return std::nullopt;
}

std::optional<EnergyUnit> Parse_Energy_Unit(std::string_view name)
{
    if (name == "cal") return EnergyUnit::Cal;
    if (name == "J") return EnergyUnit::J;
    return std::nullopt;
}

const char* Temp_Unit_Choices() { return "C|K"; }
const char* Press_Unit_Choices() { return "bar|MPa|kPa|Pa"; }
const char* Energy_Unit_Choices() { return "cal|J"; }

const char* Unit_Symbol(TempUnit u) { return u == TempUnit::K ? "K" : "\xC2\xB0" "C"; }

const char* Unit_Symbol(PressUnit u)
{
    switch (u) {
        case PressUnit::MPa: return "MPa";
        case PressUnit::KPa: return "kPa";
        case PressUnit::Pa: return "Pa";
        case PressUnit::Bar: break;
    }
    return "bar";
}

std::string Temp_Unit_Request(FrontEnd fe, TempUnit u)
{
    const char* name = u == TempUnit::K ? "K" : "C";
    return fe == FrontEnd::Python ? std::string("T_unit='") + name + "'"
                                  : std::string("--temp-unit ") + name;
}

std::string Press_Unit_Request(FrontEnd fe, PressUnit u)
{
    const std::string name = u == PressUnit::Bar ? "bar" : Unit_Symbol(u);
    return fe == FrontEnd::Python ? "P_unit='" + name + "'" : "--press-unit " + name;
}

double Celsius_From(double value, TempUnit u) { return u == TempUnit::K ? value - kZeroCelsius : value; }

double Celsius_To(double celsius, TempUnit u) { return u == TempUnit::K ? celsius + kZeroCelsius : celsius; }

double Bar_From(double value, PressUnit u)
{
    switch (u) {
        case PressUnit::MPa: return value * kBarPerMPa;
        case PressUnit::KPa: return value / kKPaPerBar;
        case PressUnit::Pa: return value / kPaPerBar;
        case PressUnit::Bar: break;
    }
    return value;
}

double Bar_To(double bar, PressUnit u)
{
    switch (u) {
        case PressUnit::MPa: return bar / kBarPerMPa;
        case PressUnit::KPa: return bar * kKPaPerBar;
        case PressUnit::Pa: return bar * kPaPerBar;
        case PressUnit::Bar: break;
    }
    return bar;
}

const char* Energy_Unit_Text(const char* unit, Quantity q, EnergyUnit u, bool plot)
{
    if (u != EnergyUnit::J) return unit;
    if (q == Quantity::Energy) return "J/mol";
    if (q == Quantity::Entropy) return plot ? "J/(mol\xC2\xB7K)" : "J/(mol K)";
    return unit;
}

}  // namespace aqvis
