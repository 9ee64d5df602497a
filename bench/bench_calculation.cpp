// Speed of one full calculation (from TC and Pbar to Cp2) and of the pieces
// it is made of.  Run: build/bench/aqvis_bench --benchmark_repetitions=5
//   --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "cli/app.h"
#include "driver/calculation.h"
#include "core/origin_values.h"
#include "solute/catalogue.h"
#include "water/helmholtz.h"

namespace {

using namespace aqvis;

void full_calculation(benchmark::State& st, double TC, double Pbar)
{
    CalcState s;
    Origin_Values(s);
    Load_Solute(s, *Find_Solute("N2"));
    for (auto _ : st) {
        s.TC = TC;
        s.Pbar = Pbar;
        Calculate_Properties(s);
        benchmark::DoNotOptimize(s.Cp2);
    }
}
BENCHMARK_CAPTURE(full_calculation, 25C_1bar, 25.0, 1.0);
BENCHMARK_CAPTURE(full_calculation, 300C_500bar, 300.0, 500.0);
BENCHMARK_CAPTURE(full_calculation, 400C_1bar_steam, 400.0, 1.0);
BENCHMARK_CAPTURE(full_calculation, 400C_1000bar, 400.0, 1000.0);

void helmholtz_evaluation(benchmark::State& st)
{
    CalcState s;
    Origin_Values(s);
    s.TK = 298.15;
    s.T = -s.Tcr / s.TK;
    s.dlT = s.T + 1.0;
    s.ro = 3.09;
    for (auto _ : st) {
        Helmholtz_H2O(s);
        benchmark::DoNotOptimize(s.A);
    }
}
BENCHMARK(helmholtz_evaluation);

// A batch of 100,000 cases with JSON output, through the command-line program.
void batch_json_100k(benchmark::State& st)
{
    std::string input;
    const char* solutes[] = {"H2", "N2", "CO2", "CH4", "H2S"};
    for (int i = 0; i < 100000; ++i) {
        char line[80];
        std::snprintf(line, sizeof line, "%s,%g,%g\n", solutes[i % 5], 5.0 + (i % 300),
                      1.0 + 10.0 * (i % 50));
        input += line;
    }
    for (auto _ : st) {
        std::FILE* in = fmemopen(input.data(), input.size(), "r");
        std::FILE* out = std::fopen("/dev/null", "w");
        char a0[] = "aqvis-cli", a1[] = "batch", a2[] = "-", a3[] = "--json";
        char* argv[] = {a0, a1, a2, a3};
        benchmark::DoNotOptimize(cli::Run(4, argv, in, out, stderr));
        std::fclose(in);
        std::fclose(out);
    }
}
BENCHMARK(batch_json_100k)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
