#pragma once
// Texts of the results panel, computed from the state in one step.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "driver/case_runner.h"
#include "driver/derived.h"
#include "results/number_format.h"

namespace aqvis {

struct PanelCaptions {
    std::string lbllnfH2O, lbldH2O, lblVH2O, lblCpH2O, lblCompr, lblExpan, lblFormula,
        lbllnkH, lblK0, lblV, lblgcal, lblScal, lblCpcal, lblgJ, lblSJ, lblCpJ;

    // (control name, caption) in the panel's order, lbllnfH2O first, lblCpJ last.
    std::array<std::pair<const char*, const std::string*>, 16> items() const;
};

// One caption of the panel: its control name, where PanelCaptions keeps it,
// and how its text is formed: `value` written with `pattern`, or, where the
// pattern is null, the solute's formula as it is.
struct CaptionField {
    const char* control;
    std::string PanelCaptions::*text;
    const NumberPattern* pattern;
    double (*value)(const CaseValues& s, const DerivedValues& d);
};

// The sixteen captions in the panel's order, lbllnfH2O first, lblCpJ last.
std::span<const CaptionField> Caption_Fields();

// All sixteen captions of a finished calculation and its derived values.
PanelCaptions Result_Captions(const CaseValues& s, const DerivedValues& d,
                              std::string_view decimal_sep = ".");

// The text an input box shows for a temperature or pressure once it has been
// read ("####0.0#": 25 shows as 25.0, 0.0317 as 0.03), and its pattern.
std::string Input_Box_Text(double value, std::string_view decimal_sep = ".");
const NumberPattern& Input_Box_Pattern();

}  // namespace aqvis
