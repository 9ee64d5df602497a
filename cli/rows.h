#pragma once
// The rows a case becomes on standard output: a JSON object per line, CSV
// rows and aligned table rows with their headers.  Names, units and order
// of the columns come from the member registry.

#include <string>
#include <string_view>
#include <vector>

#include "driver/case_runner.h"
#include "results/json_writer.h"
#include "results/members.h"
#include "results/model_range.h"

namespace aqvis::cli {

// Zero for negative zero: it means the same and would print as "-0".
inline double Plus_Zero(double v) { return v == 0.0 ? 0.0 : v; }

// Closes the JSON object of a failed point (the case's or a solubility
// point's): "error" and "kind", then the object's end and the line end.
void End_Json_Failure(JsonWriter& w, const std::string& message, ErrorKind kind);

using Columns = std::vector<const Member*>;

// What the rows are of and how their numbers are shown.
struct RowOptions {
    Units units;         // the units the temperatures and pressures were given in; energies in units.energy
    bool water = false;  // rows of water alone: Water_Members, no formula and no captions
    bool uncertainty = false;  // JSON lines carry Uncertainty_Members too (null where none)
};

// The columns of CSV and table output unless others are asked for: the
// state and the solute's results, the quantities of a report-file line;
// for water alone, every member of water; with `uncertainty`, followed by
// the uncertainties of the solute's results.
Columns Default_Columns(bool water = false, bool uncertainty = false);

// What the command line says about the state of a case (the model's range,
// a pressure raised to the saturation pressure, a unit slip), or "".
std::string Row_Warning(const CaseResult& r, const Units& units);

// True where Row_Warning has nothing to say for the common reason, decided
// in a few comparisons without forming any text.
inline bool Quiet_Row(const CaseResult& r, const Units& units)
{
    const double* used = r.ok && r.pressure_used ? &*r.pressure_used : nullptr;
    return r.TC && r.Pbar && Plainly_Inside(*r.TC, *r.Pbar, used, units);
}

// The error of a failed case with the sentence that explains it.
std::string Explained_Error(const CaseResult& r);

// Appends the one-line JSON object of a case, with its line end: every
// member, a "warning" where there is one, and the panel captions of a
// computed case; the inputs that could be read, the warning, the explained
// error and its kind for a failed one.  `solute` is the formula as given,
// written for a failed case.
void Append_Json_Line(std::string& out, const CaseResult& r, std::string_view solute,
                      const RowOptions& options = {});

// CSV: "Formula,<name> [<unit>],...,warning,error", then one row per case;
// a failed case has its inputs, empty results and the kind of its error.
// The warning is empty where there is nothing to say.
void Append_Csv_Header(std::string& out, const Columns& columns, const RowOptions& options = {});
void Append_Csv_Row(std::string& out, const CaseResult& r, std::string_view formula,
                    const Columns& columns, const RowOptions& options = {});

// Table: names and units over right-aligned columns of seven significant
// digits; a failed case shows its inputs, then "failed: <kind>"; a warning
// is a line of its own under the row.
void Append_Table_Header(std::string& out, const Columns& columns, const RowOptions& options = {});
void Append_Table_Row(std::string& out, const CaseResult& r, std::string_view formula,
                      const Columns& columns, const RowOptions& options = {});

}  // namespace aqvis::cli
