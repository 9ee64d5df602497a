// Speed of one full calculation (from TC and Pbar to Cp2) and of the pieces
// it is made of.  Run: build/bench/aqvis_bench --benchmark_repetitions=5
//   --benchmark_report_aggregates_only=true
//
//   case_mix      one case on a mix of states: 0-350 degC on the saturation
//                 curve and 25-600 degC x 1-5000 bar (time per case; no
//                 temperature repeats, so nothing kept per temperature serves)
//   case_steam    one case in steam, 380-600 degC x 1-50 bar, where the density
//                 comes from the safeguarded search
//   batch_json_100k  `aqvis-cli batch --json` on 100,000 cases; ns_per_case

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/app.h"
#include "driver/calculation.h"
#include "driver/case_runner.h"
#include "solute/catalogue.h"
#include "water/constants.h"
#include "water/helmholtz.h"

namespace {

using namespace aqvis;

void full_calculation(benchmark::State& st, double TC, double Pbar)
{
    const CatalogueEntry n2(*Find_Solute("N2"));
    CalcValues v;
    for (auto _ : st) {
        benchmark::DoNotOptimize(Calculate(n2, TC, Pbar, v));
        benchmark::DoNotOptimize(v.Cp2);
    }
}
BENCHMARK_CAPTURE(full_calculation, 25C_1bar, 25.0, 1.0);
BENCHMARK_CAPTURE(full_calculation, 300C_500bar, 300.0, 500.0);
BENCHMARK_CAPTURE(full_calculation, 400C_1bar_steam, 400.0, 1.0);
BENCHMARK_CAPTURE(full_calculation, 400C_1000bar, 400.0, 1000.0);

// A fixed, well-spread list of states: every k-th point of a grid, so that
// neighbouring iterations do not repeat one temperature.
std::vector<std::pair<double, double>> spread(double t0, double t1, double p0, double p1, int n)
{
    std::vector<std::pair<double, double>> v;
    for (int i = 0; i < n; ++i) {
        const double ft = ((i * 37) % n) / double(n - 1), fp = ((i * 61) % n) / double(n - 1);
        v.emplace_back(t0 + (t1 - t0) * ft, p0 + (p1 - p0) * fp);
    }
    return v;
}

std::vector<std::pair<double, double>> mix_states()
{
    std::vector<std::pair<double, double>> v = spread(0.0, 350.0, 0.0, 0.0, 256);  // saturation
    const auto dense = spread(25.0, 600.0, 1.0, 5000.0, 768);
    v.insert(v.end(), dense.begin(), dense.end());
    return v;
}

void run_cases(benchmark::State& st, const std::vector<std::pair<double, double>>& states)
{
    const PreparedSolute solute = Prepare_Solute(*Find_Solute("N2"));
    CaseResult r;
    std::size_t i = 0, failed = 0;
    // Each pass through the list moves every temperature by a micro-kelvin,
    // so that no temperature comes back and the terms kept per temperature
    // never serve: the time is that of a calculation at a new temperature.
    double shift = 0.0;
    for (auto _ : st) {
        Run_Case(solute, states[i].first + shift, states[i].second, r);
        failed += !r.ok;
        benchmark::DoNotOptimize(r.values.Cp2);
        if (++i == states.size()) {
            i = 0;
            shift += 1e-6;
        }
    }
    if (failed) st.SkipWithError("a case failed");
}

void case_mix(benchmark::State& st) { run_cases(st, mix_states()); }
BENCHMARK(case_mix);

void case_steam(benchmark::State& st) { run_cases(st, spread(380.0, 600.0, 1.0, 50.0, 1024)); }
BENCHMARK(case_steam);

void helmholtz_evaluation(benchmark::State& st)
{
    const double T = -water::Tcr / 298.15;
    for (auto _ : st) {
        const Helmholtz h = Helmholtz_H2O(T, 3.09);
        benchmark::DoNotOptimize(h.A);
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
    // Time divided by the counter: seconds per case, times 1e9.
    st.counters["ns_per_case"] =
        benchmark::Counter(static_cast<double>(st.iterations()) * 100000.0 / 1e9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(batch_json_100k)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
