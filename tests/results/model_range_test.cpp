#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "results/model_range.h"

using aqvis::FrontEnd;
using aqvis::PressUnit;
using aqvis::StateAsked;
using aqvis::TempUnit;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

// The edges of the range, and the pressures below 1 bar that count as
// inside only where a lower pressure stands for the saturation pressure.
TEST(ModelRange, EdgesAndPressuresBelowOneBar) {
    const struct {
        double tc, pbar;
        bool inside;
    } cases[] = {
        {0, 1, true},        {500, 2000, true},   {-0.01, 1, false},  {500.01, 1, false},
        {25, 2000.01, false}, {25, 0, true},      {25, 0.5, true},    {25, -3, true},
        {373.917, 0.5, true}, {373.918, 0.5, false}, {400, 0, true}, {400, 1, true},
        {kNaN, 1, false},     {25, kNaN, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(aqvis::In_Model_Range(c.tc, c.pbar), c.inside) << c.tc << " " << c.pbar;
}

// Each reason and each unit slip is named, with the option spelled as the
// front end takes it; a state inside with nothing raised has no text, and no
// text holds a comma (it is one CSV field).
TEST(ModelRange, WarningsNameReasonsAndUnitSlips) {
    const double raised = 83.5748;
    const struct {
        StateAsked s;
        FrontEnd fe;
        std::vector<std::string> parts;  // empty: no text at all
    } cases[] = {
        {{25, 1, 1.0, {}}, FrontEnd::CommandLine, {}},
        {{25, 0, 0.0317, {}}, FrontEnd::CommandLine, {}},
        {{600, 100, 100.0, {}}, FrontEnd::CommandLine,
         {"600 \u00B0C is above the model's range of 0 to 500 \u00B0C",
          "; was it kelvin (326.85 \u00B0C)? use --temp-unit K"}},
        {{600, 100, 100.0, {}}, FrontEnd::Python, {"use T_unit='K'"}},
        {{-5, 1, 1.0, {}}, FrontEnd::CommandLine, {"-5 \u00B0C is below the model's range"}},
        {{1000, 1, 1.0, {}}, FrontEnd::CommandLine, {"1000 \u00B0C is above"}},
        {{298.15, 1, raised, {}}, FrontEnd::CommandLine,
         {"1 bar is below the saturation pressure of water at 298.15 \u00B0C: computed at the "
          "saturation pressure 83.5748 bar",
          "298.15 \u00B0C looks like a temperature in kelvin (25 \u00B0C); if so use --temp-unit K"}},
        {{25, 0.01, 0.0317, {}}, FrontEnd::Python, {"0.01 bar is below the saturation pressure"}},
        {{25, 101325, 101325.0, {}}, FrontEnd::CommandLine,
         {"101325 bar is above the model's range of 1 to 2000 bar",
          "was it Pa (1.01325 bar)? use --press-unit Pa"}},
        {{25, 5000, 5000.0, {}}, FrontEnd::Python, {"was it kPa (50 bar)? use P_unit='kPa'"}},
        {{400, 0.5, 0.5, {}}, FrontEnd::CommandLine,
         {"0.5 bar is below the model's range of 1 to 2000 bar above the critical temperature"}},
        {{-248.15, 1, 1.0, {TempUnit::K, PressUnit::Bar}}, FrontEnd::CommandLine,
         {"25 K (-248.15 \u00B0C) is below", "was it \u00B0C? leave out --temp-unit K"}},
        {{25, 10000, 10000.0, {TempUnit::C, PressUnit::MPa}}, FrontEnd::CommandLine,
         {"1000 MPa (10000 bar) is above"}},
        {{kNaN, 1, {}, {}}, FrontEnd::CommandLine, {}},
    };
    for (const auto& c : cases) {
        const std::string text = aqvis::State_Warning(c.s, c.fe);
        if (c.parts.empty()) {
            EXPECT_EQ(text, "") << c.s.TC << " " << c.s.Pbar;
        }
        for (const std::string& part : c.parts)
            EXPECT_NE(text.find(part), std::string::npos) << text << "\n  lacks: " << part;
        EXPECT_EQ(text.find(','), std::string::npos) << text;
    }
}
