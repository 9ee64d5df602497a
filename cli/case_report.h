#pragma once
// The report of `calc` and `batch`, written like the window writes it: a
// header whenever the solute or its parameters change (that is an
// acceptance), then one line per computed case.

#include <optional>
#include <string>

#include "cli/cases.h"
#include "results/report.h"

namespace aqvis::cli {

class CaseReport {
public:
    explicit CaseReport(std::string path);

    // Writes what `run` adds to the report; a write that fails turns the case
    // into a failure of kind file_error.
    void Record(CaseRun& run);

private:
    struct Key {
        std::string formula;
        double xi, a, b;
    };
    ReportFile file_;
    std::string sep_;
    std::optional<Key> last_;
};

}  // namespace aqvis::cli
