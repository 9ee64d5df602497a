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

// Makes a reused `run` what a new CaseRun is.
void Clear_Case_Run(CaseRun& run);

// Appends one readable line of the case's main results (or its error).
void Append_Summary_Line(std::string& out, const CaseResult& r, std::string_view solute);

// Appends the readable table of a computed case.
void Append_Table(std::string& out, const CaseResult& r);

// Appends the readable form of a failed case: "error (kind): message".
void Append_Failure(std::string& out, const CaseResult& r);

}  // namespace aqvis::cli
