#pragma once
// `aqvis-cli grid`: one or more solutes over a grid of temperatures and
// pressures, computed on every core and written in a fixed order (solute,
// then pressure, then temperature) as CSV, JSON lines or an aligned table,
// optionally with a report file and a plot.

#include <cstddef>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace aqvis::cli {

// A command line that cannot be carried out; the message says why.
class GridUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The values of one axis of the grid:
//   "FROM:TO:STEP"  FROM, FROM+STEP, ... up to TO (included when reached);
//                   decimal texts step without accumulated rounding, so
//                   0:1:0.1 gives exactly the doubles of 0.1, 0.2, ...
//   "V1,V2,..."     the values as listed (one value is a list of one).
// Numbers use '.' as the decimal separator.  Throws GridUsageError.
std::vector<double> Parse_Axis(std::string_view text);

// "all" or a comma-separated list of catalogue formulas.  Throws GridUsageError.
std::vector<std::string> Parse_Solutes(std::string_view text);

enum class GridFormat { Csv, Json, Table, None };

struct GridJob {
    std::vector<std::string> solutes;  // catalogue formulas, in output order
    std::vector<double> temps;         // degC
    std::vector<double> pressures;     // bar; 0 = saturation pressure below Tcr
    std::optional<std::string> xi, a, b;  // parameter texts for every solute
    GridFormat format = GridFormat::Csv;
    std::vector<std::string> columns;  // CSV and table: members, {"all"}, or empty for the default
    unsigned threads = 0;              // 0: every core
    std::optional<std::string> report; // report file to append to

    std::optional<std::string> plot;   // .svg or .png
    std::vector<std::string> plot_members;
    bool plot_against_pressure = false;
    int plot_width = 0, plot_height = 0;  // 0: default size

    bool progress = true;              // progress bar when `err` is a terminal
    double progress_delay = 1.0;       // seconds before the bar appears
    std::size_t chunk_points = 1024;   // points per unit of work
};

struct GridSummary {
    std::size_t points = 0;
    std::size_t failed = 0;
    bool output_error = false;         // report, plot or output could not be written
};

// Runs the grid.  Rows go to `out` (nothing for GridFormat::None); messages
// and the progress bar go to `err`.  Throws GridUsageError for a job that
// cannot start (unknown solute or member, unreadable parameter, report file
// that cannot be opened, plotting not built).
GridSummary Run_Grid(const GridJob& job, std::FILE* out, std::FILE* err);

// `aqvis-cli grid ...` with argv[1] == "grid".  Exit status: 0 every point
// computed, 1 a point failed or an output file could not be written, 2 usage.
int Grid_Command(int argc, char** argv, std::FILE* out, std::FILE* err);

extern const char* const kGridUsage;

// Appends the same text as Append_Number ("%.17g" in the "C" locale), by a
// faster route for the magnitudes that results have.
void Append_Csv_Number(std::string& out, double v);

// Whether this build can write plots.
bool Plotting_Built();

}  // namespace aqvis::cli
