#pragma once
// One case of the command-line calculator from its texts: a solute, a
// temperature and a pressure (and optionally xi, a, b), computed on a freshly
// prepared state; and the readable forms of its outcome.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/case_runner.h"
#include "results/units.h"
#include "solute/catalogue.h"

namespace aqvis::cli {

struct CaseInput {
    std::string solute;                  // the formula as given
    std::string temp = "";               // in units.temp as text; exactly empty means 0 degC
    std::string press = "";              // in units.press as text; exactly empty means 1 bar
    std::optional<std::string> xi, a, b; // parameter texts; absent or empty: catalogue value
    Units units;                         // of temp and press
};

struct CaseRun {
    CaseResult result;
    bool accepted = false;  // the solute and its parameters were read: the report gets their header
};

// The help of the TEMP and PRESS arguments of `calc` and `water`.
inline constexpr const char* kTempArgumentHelp = "temperature in degC (or --temp-unit); an empty text is 0 degC";
inline constexpr const char* kPressArgumentHelp =
    "pressure in bar (or --press-unit); 0 is the saturation pressure below the critical temperature; an "
    "empty text is 1 bar";

// Reads a number given on the command line or in CSV ('.' as the separator).
// Negative zero is read as zero: it means the same and would print as "-0".
double Read_Machine_Number(std::string_view text);

// A temperature given in `u` in degC.  A negative value in kelvin throws a
// type mismatch that says so (the command line's own arguments check it
// first, as a usage error).
double Read_Temperature(double value, TempUnit u);

// The message that refuses a negative temperature in kelvin.
std::string Negative_Kelvin_Message(double value);

// Throws UsageError when the argument `text` of `what` ("TEMP") is a
// negative number and `u` is kelvin; anything else is left to the case.
void Check_Kelvin_Argument(const char* what, std::string_view text, TempUnit u);

// The values of an axis (--temp, --press) given in `u`, in degC or bar; a
// negative kelvin value is a usage error of `option`.
std::vector<double> Axis_In_Celsius(const char* option, const std::vector<double>& given, TempUnit u);
std::vector<double> Axis_In_Bar(const std::vector<double>& given, PressUnit u);

// Prepared solutes kept from case to case, so that a batch prepares each
// solute and parameter set once; every case still starts from a copy of the
// prepared state, exactly as from a freshly prepared one.
class PreparedSolutes {
public:
    const PreparedSolute& Get(const CatalogueEntry& record, const SoluteParameters& parameters);

private:
    struct Entry {
        const CatalogueEntry* record;
        SoluteParameters parameters;
        PreparedSolute solute;
    };
    static constexpr std::size_t kMaxEntries = 64;
    std::vector<std::unique_ptr<Entry>> entries_;
    std::size_t next_ = 0;  // the entry replaced once the list is full
};

// Reads the case's texts and runs it for `record` (nullptr: the solute is
// unknown, and the case fails saying so).  Never throws for a failure of
// the case itself.
CaseRun Run_Text_Case(const CaseInput& in, const CatalogueEntry* record);

// The same into `run`, which may be reused from case to case (its strings
// keep their room); the outcome is the same as that of a new CaseRun.
void Run_Text_Case(const CaseInput& in, const CatalogueEntry* record, CaseRun& run,
                   PreparedSolutes& prepared);

// Throws the UsageError of --uncertainty when the properties of `record`
// have no standard uncertainty (no covariance, or xi, a or b given), with
// what to do instead.
void Require_Uncertainty(const CatalogueEntry& record, bool parameters_given);

// Makes a reused `run` what a new CaseRun is.
void Clear_Case_Run(CaseRun& run);

// Appends one readable line of the case's main results (or its error), with
// their standard uncertainties where they were propagated, and a line with
// its warning where there is one.
void Append_Summary_Line(std::string& out, const CaseResult& r, std::string_view solute,
                         const Units& units = {});

// Appends the readable table of a computed case, energies in units.energy,
// with the standard uncertainties where they were propagated.
void Append_Table(std::string& out, const CaseResult& r, const Units& units = {});

// Appends the readable form of a failed case: "error (kind): message" with
// the sentence that explains it.
void Append_Failure(std::string& out, const CaseResult& r);

}  // namespace aqvis::cli
