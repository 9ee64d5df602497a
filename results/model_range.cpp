#include "results/model_range.h"

#include <cmath>
#include <optional>

#include "core/constants.h"
#include "results/number_text.h"
#include "water/constants.h"

namespace aqvis {

namespace {

// Six significant digits, as "%.6g" writes them; zero without a sign.
std::string number(double v)
{
    std::string text;
    Append_General(text, v == 0.0 ? 0.0 : v, 6);
    return text;
}

// "600 °C", or "873.15 K (600 °C)" when it was given in kelvin.
std::string temperature(const StateAsked& s)
{
    const std::string c = number(s.TC) + " \xC2\xB0" "C";
    if (s.units.temp == TempUnit::C) return c;
    return number(Celsius_To(s.TC, s.units.temp)) + " K (" + c + ")";
}

// "5000 bar", or "500 MPa (5000 bar)" when it was given in another unit.
std::string pressure(double bar, PressUnit u)
{
    const std::string b = number(bar) + " bar";
    if (u == PressUnit::Bar) return b;
    return number(Bar_To(bar, u)) + " " + Unit_Symbol(u) + " (" + b + ")";
}

void add(std::string& text, const std::string& piece)
{
    if (!text.empty()) text += "; ";
    text += piece;
}

bool above_critical(double TC) { return kZeroCelsius + TC > water::Tcr; }

bool inside_temperature(double TC) { return TC >= kRangeMinC && TC <= kRangeMaxC; }

bool inside_pressure(double TC, double Pbar)
{
    return Pbar <= kRangeMaxBar && (Pbar >= kRangeMinBar || Pbar == 0.0 || !above_critical(TC));
}

// A temperature in °C whose decimals are .15, as a kelvin value has.
bool looks_like_kelvin(double TC)
{
    const double scaled = TC * 100.0;  // TC is below 1e6 here: the integer holds it
    const long long hundredths = std::llround(scaled);
    return std::fabs(scaled - static_cast<double>(hundredths)) < 1e-6 && hundredths % 100 == 15;
}

// The unit a pressure above the range would lie inside in (Pa, then kPa).
std::optional<PressUnit> pressure_slip(const StateAsked& s)
{
    if (s.units.press != PressUnit::Bar || s.Pbar <= kRangeMaxBar) return std::nullopt;
    for (const PressUnit u : {PressUnit::Pa, PressUnit::KPa}) {
        const double bar = Bar_From(s.Pbar, u);
        if (bar >= kRangeMinBar && bar <= kRangeMaxBar) return u;
    }
    return std::nullopt;
}

}  // namespace

bool In_Model_Range(double TC, double Pbar)
{
    return inside_temperature(TC) && inside_pressure(TC, Pbar);
}

unsigned State_Reasons(const StateAsked& s)
{
    if (Plainly_Inside(s) || !std::isfinite(s.TC) || !std::isfinite(s.Pbar)) return 0;
    const bool raised = s.pressure_used && *s.pressure_used > s.Pbar && s.Pbar != 0.0;
    unsigned r = 0;
    if (!inside_temperature(s.TC)) r |= kOutsideTemperature;
    if (!inside_pressure(s.TC, s.Pbar)) r |= kOutsidePressure;
    if (raised) r |= kPressureRaised;
    const double as_kelvin = s.TC - kZeroCelsius;  // °C if the number was in kelvin
    if (s.units.temp == TempUnit::C && s.TC >= kZeroCelsius && inside_temperature(as_kelvin) &&
        (s.TC > kRangeMaxC || looks_like_kelvin(s.TC)))
        r |= kKelvinSlip;
    if (s.units.temp == TempUnit::K && !inside_temperature(s.TC) &&
        inside_temperature(Celsius_To(s.TC, s.units.temp)))
        r |= kCelsiusSlip;
    if (pressure_slip(s)) r |= kPressureSlip;
    return r;
}

std::string State_Warning(const StateAsked& s, FrontEnd fe)
{
    const unsigned r = State_Reasons(s);
    std::string text;
    if (!r) return text;
    if (r & kOutsideTemperature)
        add(text, temperature(s) + (s.TC > kRangeMaxC ? " is above" : " is below") +
                      " the model's range of 0 to 500 \xC2\xB0" "C");
    if (r & kOutsidePressure)
        add(text, pressure(s.Pbar, s.units.press) +
                      (s.Pbar > kRangeMaxBar ? " is above" : " is below") +
                      " the model's range of 1 to 2000 bar" +
                      (s.Pbar < kRangeMinBar ? " above the critical temperature of water" : ""));
    if (r & kPressureRaised)
        add(text, pressure(s.Pbar, s.units.press) + " is below the saturation pressure of water at " +
                      temperature(s) + ": computed at the saturation pressure " +
                      pressure(*s.pressure_used, s.units.press));
    const double as_kelvin = s.TC - kZeroCelsius;
    const std::string kelvin_request = Temp_Unit_Request(fe, TempUnit::K);
    if ((r & kKelvinSlip) && s.TC > kRangeMaxC)
        add(text, "was it kelvin (" + number(as_kelvin) + " \xC2\xB0" "C)? use " + kelvin_request);
    else if (r & kKelvinSlip)
        add(text, temperature(s) + " looks like a temperature in kelvin (" + number(as_kelvin) +
                      " \xC2\xB0" "C); if so use " + kelvin_request);
    if (r & kCelsiusSlip) add(text, "was it \xC2\xB0" "C? leave out " + kelvin_request);
    if (r & kPressureSlip) {
        const PressUnit u = *pressure_slip(s);
        add(text, std::string("was it ") + Unit_Symbol(u) + " (" + number(Bar_From(s.Pbar, u)) +
                      " bar)? use " + Press_Unit_Request(fe, u));
    }
    return text;
}

}  // namespace aqvis
