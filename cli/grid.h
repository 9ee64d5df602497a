#pragma once
// `aqvis-cli grid`: one or more solutes over a grid of temperatures and
// pressures, computed on every core and written in a fixed order (solute,
// then pressure, then temperature) as CSV, JSON lines or an aligned table,
// optionally with a report file and a plot.

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/output.h"
#include "cli/rows.h"
#include "driver/case_runner.h"
#include "results/members.h"
#include "solute/catalogue.h"

namespace aqvis::cli {

// A grid larger than this is refused before anything is computed.
inline constexpr std::size_t kMaxGridPoints = 1'000'000'000;
// At most this many numbers are kept for a plot (points times curves).
inline constexpr std::size_t kMaxPlotValues = 200'000'000;
// Points computed but not yet written, at most, whatever the thread count.
inline constexpr std::size_t kMaxPointsInFlight = 65536;

enum class GridFormat { Csv, Json, Table, None };

struct GridJob {
    std::vector<const CatalogueEntry*> solutes;  // in output order; {nullptr} for water alone
    bool water = false;                        // water alone: rows of Water_Members, no report
    std::vector<double> temps;                 // degC
    std::vector<double> pressures;             // bar; 0 = saturation pressure below Tcr
    Units units;                               // of the numbers given; energies shown in units.energy
    SoluteParameters parameters;               // xi, a, b for every solute
    GridFormat format = GridFormat::Csv;
    Columns columns;                           // CSV and table; empty: Default_Columns()
    bool uncertainty = false;                  // the u_ members too (every solute has a covariance)
    unsigned threads = 0;                      // 0: every core; never more than the cores
    std::optional<std::string> report;         // report file to append to

    std::optional<std::string> plot;           // .svg or .png
    std::vector<const Member*> plot_members;   // empty: lnkH
    bool plot_against_pressure = false;
    int plot_width = 0, plot_height = 0;       // 0: default size

    bool progress = true;                      // progress bar when `err` is a terminal
    double progress_delay = 1.0;               // seconds before the bar appears
    std::size_t chunk_points = 1024;           // points per unit of work, at most
};

struct GridSummary {
    std::size_t points = 0;
    std::size_t failed = 0;
    bool output_error = false;  // the report or the plot could not be written (messages on err)
    bool stopped = false;       // a stop signal came: the rows written are whole, no plot was drawn
};

// Throws UsageError when a grid of these sizes has no points or more than
// kMaxGridPoints.
void Check_Grid_Size(std::size_t solutes, std::size_t pressures, std::size_t temps);

// Runs the grid.  Rows go to `out` (nothing for GridFormat::None) and stop
// when a write to it fails, or after the rows of the chunk being written once
// StopSignals::Requested(); messages and the progress bar go to `err`.
// Throws UsageError for a job that cannot start (no points, too many points
// or plot values, plotting not built).  A report that cannot be opened is
// said on `err` and nothing is computed.
GridSummary Run_Grid(const GridJob& job, Output& out, std::FILE* err);

// Whether this build can write plots.
bool Plotting_Built();

// Loads the plot module (which draws with Qt) unless it is loaded; where it
// cannot be loaded, says on `err` that the plot cannot be drawn and why, and
// returns false.  Commands call it before they compute.
bool Plot_Module_Ready(std::FILE* err);

}  // namespace aqvis::cli
