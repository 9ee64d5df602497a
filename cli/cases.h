#pragma once
// One case of the command-line calculator from its texts: a solute, a
// temperature and a pressure (and optionally xi, a, b), computed on a freshly
// prepared state; and the readable forms of its outcome.

#include <optional>
#include <string>
#include <string_view>

#include "driver/case_runner.h"
#include "solute/catalogue.h"

namespace aqvis::cli {

struct CaseInput {
    std::string solute;                  // the formula as given
    std::string temp = "";               // degC as text; exactly empty means 0
    std::string press = "";              // bar as text; exactly empty means 1
    std::optional<std::string> xi, a, b; // parameter texts; absent or empty: catalogue value
};

struct CaseRun {
    CaseResult result;
    bool accepted = false;  // the solute and its parameters were read: the report gets their header
};

// Reads a number given on the command line or in CSV ('.' as the separator).
// Negative zero is read as zero: it means the same and would print as "-0".
double Read_Machine_Number(std::string_view text);

// Reads the case's texts and runs it for `record` (nullptr: the solute is
// unknown, and the case fails saying so).  Never throws for a failure of
// the case itself.
CaseRun Run_Text_Case(const CaseInput& in, const CatalogueEntry* record);

// Appends one readable line of the case's main results (or its error).
void Append_Summary_Line(std::string& out, const CaseResult& r, std::string_view solute);

// Appends the readable table of a computed case.
void Append_Table(std::string& out, const CaseResult& r);

// Appends the readable form of a failed case: "error (kind): message".
void Append_Failure(std::string& out, const CaseResult& r);

}  // namespace aqvis::cli
