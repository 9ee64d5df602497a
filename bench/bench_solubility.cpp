// A solubility point against a `calculate` point at the same states, side by
// side.  Run: build/bench/aqvis_bench --benchmark_filter='two_phase'
//   --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
//   two_phase_case        one case (Run_Case) of CO2 on a mix of states with
//                         liquid and gas: 5-300 degC, from just above the
//                         saturation pressure to 1000 bar
//   two_phase_solubility  the solubility point at the same states
//   two_phase_bubble      the bubble pressure at 0.01-1 mol/kg, 5-300 degC
// Every pass moves the temperatures by a micro-kelvin, so that nothing kept
// per temperature serves.

#include <benchmark/benchmark.h>

#include <cmath>
#include <utility>
#include <vector>

#include "driver/case_runner.h"
#include "equilibrium/solubility.h"
#include "solute/catalogue.h"

namespace {

using namespace aqvis;

// (degC, bar) spread over the two-phase region; the saturation pressure at
// 300 degC is 86 bar, so pressures start above it at every temperature.
std::vector<std::pair<double, double>> two_phase_states()
{
    std::vector<std::pair<double, double>> v;
    const int n = 512;
    for (int i = 0; i < n; ++i) {
        const double ft = ((i * 37) % n) / double(n - 1), fp = ((i * 61) % n) / double(n - 1);
        v.emplace_back(5.0 + 295.0 * ft, 90.0 * std::pow(1000.0 / 90.0, fp));
    }
    return v;
}

template <class Point>
void over_states(benchmark::State& st, const std::vector<std::pair<double, double>>& states, Point point)
{
    std::size_t i = 0;
    double shift = 0.0;
    for (auto _ : st) {
        point(states[i].first + shift, states[i].second);
        if (++i == states.size()) {
            i = 0;
            shift += 1e-6;
        }
    }
}

void two_phase_case(benchmark::State& st)
{
    const PreparedSolute solute = Prepare_Solute(*Find_Solute("CO2"));
    CaseResult r;
    over_states(st, two_phase_states(), [&](double T, double P) {
        Run_Case(solute, T, P, r);
        benchmark::DoNotOptimize(r.values.lnkH);
    });
}
BENCHMARK(two_phase_case);

void two_phase_solubility(benchmark::State& st)
{
    const SolubilitySolute solute = Prepare_Solubility(*Catalogue().Find("CO2"));
    CaseResult scratch;
    SolubilityResult r;
    std::size_t failed = 0;
    over_states(st, two_phase_states(), [&](double T, double P) {
        Solubility(solute, T, P, r, scratch);
        failed += !r.ok;
        benchmark::DoNotOptimize(r.v.x);
    });
    if (failed) st.SkipWithError("a point failed");
}
BENCHMARK(two_phase_solubility);

void two_phase_bubble(benchmark::State& st)
{
    const SolubilitySolute solute = Prepare_Solubility(*Catalogue().Find("CO2"));
    CaseResult scratch;
    SolubilityResult r;
    std::vector<std::pair<double, double>> states;
    for (int i = 0; i < 64; ++i) states.emplace_back(5.0 + 295.0 * ((i * 37) % 64) / 63.0, 0.01 * std::pow(100.0, ((i * 11) % 64) / 63.0));
    over_states(st, states, [&](double T, double m) {
        Bubble_Pressure(solute, T, m, r, scratch);
        benchmark::DoNotOptimize(r.v.Pbar);
    });
}
BENCHMARK(two_phase_bubble);

}  // namespace
