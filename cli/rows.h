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

namespace aqvis::cli {

// Zero for negative zero: it means the same and would print as "-0".
inline double Plus_Zero(double v) { return v == 0.0 ? 0.0 : v; }

// Closes the JSON object of a failed point (the case's or a solubility
// point's): "error" and "kind", then the object's end and the line end.
void End_Json_Failure(JsonWriter& w, const std::string& message, ErrorKind kind);

using Columns = std::vector<const Member*>;

// The columns of CSV and table output unless others are asked for: the
// state and the solute's results, the quantities of a report-file line.
Columns Default_Columns();

// Appends the one-line JSON object of a case, with its line end: every
// member and the panel captions of a computed case; the inputs that could
// be read, the error and its kind for a failed one.  `solute` is the
// formula as given, written for a failed case.
void Append_Json_Line(std::string& out, const CaseResult& r, std::string_view solute);

// CSV: "Formula,<name> [<unit>],...,error", then one row per case; a failed
// case has its inputs, empty results and the kind of its error.
void Append_Csv_Header(std::string& out, const Columns& columns);
void Append_Csv_Row(std::string& out, const CaseResult& r, std::string_view formula,
                    const Columns& columns);

// Table: names and units over right-aligned columns of seven significant
// digits; a failed case shows its inputs, then "failed: <kind>".
void Append_Table_Header(std::string& out, const Columns& columns);
void Append_Table_Row(std::string& out, const CaseResult& r, std::string_view formula,
                      const Columns& columns);

}  // namespace aqvis::cli
