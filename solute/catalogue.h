#pragma once
// The nineteen solutes known to the program, in menu order.

#include <array>
#include <string_view>

#include "core/calc_state.h"

namespace aqvis {

struct SoluteRecord {
    const char* Formula;  // also the caption of the menu entry
    double Xi;            // xi of the solute's equation of state
    double Coef1;         // a
    double Coef2;         // b
    double G0gas;         // Gibbs energy of formation of the ideal gas at TrK, cal/mol
    double S0gas;         // entropy of the ideal gas at TrK, cal/(mol K)
    double agas;          // Cp = a + b T - c / T^2: a, cal/(mol K)
    double bgasE3;        // b * 1e3
    double cgasEmin5;     // c * 1e-5
    bool hydrocarbon;     // entry of the submenu "Hydrocarbons"
};

extern const std::array<SoluteRecord, 19> Solute_Catalogue;

// The record whose Formula is `formula` (exact, case-sensitive), or nullptr.
const SoluteRecord* Find_Solute(std::string_view formula);

// Copies Formula, Xi, Coef1, Coef2, G0gas, S0gas, agas, bgasE3 and cgasEmin5
// of the record into the state.
void Load_Solute(CalcState& s, const SoluteRecord& r);

}  // namespace aqvis
