#pragma once
// One case of the command-line calculator: a solute, a temperature and a
// pressure (and optionally xi, a, b), computed on a freshly initialised state.

#include <optional>
#include <string>
#include <string_view>

#include "core/calc_state.h"
#include "core/errors.h"
#include "driver/case_runner.h"

namespace aqvis::cli {

struct CaseInput {
    std::string solute;                  // catalogue formula
    std::string temp = "";               // degC as text; exactly empty means 0
    std::string press = "";              // bar as text; exactly empty means 1
    std::optional<std::string> xi, a, b; // parameter texts; absent or empty: catalogue value
};

struct CaseRun {
    CaseResult result;
    bool accepted = false;  // the solute and its parameters were read: the report gets their header
};

// The decimal separator of the environment's LC_NUMERIC locale.  Only the
// report file uses it; everything machine-readable keeps '.'.
std::string Locale_Decimal_Separator();

// Reads a number given on the command line or in CSV ('.' as the separator).
double Read_Machine_Number(std::string_view text);

// Reads the case's texts and runs it.  Never throws for a failure of the
// case itself.
CaseRun Run_Text_Case(const CaseInput& in);

// Appends the one-line JSON object of a case (with a trailing newline).
void Append_Json(std::string& out, const CaseResult& r, std::string_view solute);

// Appends one readable line of the case's main results (or its error).
void Append_Summary_Line(std::string& out, const CaseResult& r, std::string_view solute);

// Appends a readable table of the case.
void Append_Table(std::string& out, const CaseResult& r);

void Append_Json_String(std::string& out, std::string_view text);

}  // namespace aqvis::cli
