#pragma once
// Texts of the results panel, computed from the state in one step.

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "core/calc_state.h"

namespace aqvis {

struct PanelCaptions {
    std::string lbllnfH2O, lbldH2O, lblVH2O, lblCpH2O, lblCompr, lblExpan, lblFormula,
        lbllnkH, lblK0, lblV, lblgcal, lblScal, lblCpcal, lblgJ, lblSJ, lblCpJ;

    // (control name, caption) in the panel's order, lbllnfH2O first, lblCpJ last.
    std::array<std::pair<const char*, const std::string*>, 16> items() const;
};

// A calorie value in joule (times 4.184).  Throws CalcError(ErrorKind::Overflow)
// when the product leaves the range of a double.
double Joule_Value(double cal_value);

// All sixteen captions.  Throws CalcError(ErrorKind::Overflow) when K cannot be
// computed; nothing is returned half-done.
PanelCaptions Result_Captions(const CalcState& s, std::string_view decimal_sep = ".");

}  // namespace aqvis
