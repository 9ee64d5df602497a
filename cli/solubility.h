#pragma once
// `aqvis-cli solubility`: the gas-liquid equilibrium of solutes with water
// over a grid of temperatures and pressures (or, for the bubble pressure,
// molalities), computed on every core and written in a fixed order
// (solute, then pressure or molality, then temperature).

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/grid.h"
#include "cli/output.h"
#include "equilibrium/solubility.h"

namespace aqvis::cli {

struct SolubilityJob {
    std::vector<const CatalogueEntry*> solutes;
    std::vector<double> temps;      // degC
    std::vector<double> second;     // bar, or mol/kg for the bubble pressure
    bool bubble = false;            // `second` holds molalities
    std::optional<double> kij;      // replaces every solute's
    GridFormat format = GridFormat::Csv;
    unsigned threads = 0;           // 0: every core
    std::optional<std::string> plot;  // .svg or .png: x and y_water (Pbar for bubble pressures)
    bool progress = true;
};

struct SolubilitySummary {
    std::size_t points = 0, failed = 0;
    bool output_error = false;
    bool stopped = false;  // a stop signal came: the rows written are whole, no plot was drawn
};

// Throws UsageError for a solute without critical constants (naming it and
// what is missing) and for a job that cannot start.
SolubilitySummary Run_Solubility(const SolubilityJob& job, Output& out, std::FILE* err);

// The rows of one point (its line end included).
void Append_Solubility_Csv_Header(std::string& out, bool bubble);
void Append_Solubility_Csv_Row(std::string& out, const SolubilityResult& r, std::string_view formula,
                               bool bubble);
void Append_Solubility_Json_Line(std::string& out, const SolubilityResult& r, std::string_view formula,
                                 bool bubble);
void Append_Solubility_Table_Header(std::string& out);
void Append_Solubility_Table_Row(std::string& out, const SolubilityResult& r, std::string_view formula,
                                 bool bubble);

}  // namespace aqvis::cli
