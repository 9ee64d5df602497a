// Speed of `aqvis-cli grid`: grid points per second, all the way from the
// command line to a CSV file, for 1 and 2 threads.
// Run: build/bench/aqvis_bench_grid   (items_per_second is points per second)

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/app.h"

namespace {

// 10 solutes x 1000 temperatures x 100 pressures = 1,000,000 points over the
// liquid range: 0 to 349.65 degC, from the saturation curve to 990 bar.
const std::vector<std::string> kLiquidGrid = {
    "grid", "H2,N2,O2,H2S,CO2,Ar,Ne,NH3,SO2,CH4", "--temp", "0:349.65:0.35", "--press", "0:990:10"};

// 5 solutes x 1000 x 100 over 0 to 699.3 degC and 10 to 1000 bar, half of it
// above the critical temperature, where the density of water costs more.
const std::vector<std::string> kWideGrid = {"grid", "N2,CO2,CH4,H2S,HCl", "--temp", "0:699.3:0.7",
                                            "--press", "10:1000:10"};

void run_grid(benchmark::State& st, std::vector<std::string> args, std::size_t points)
{
    args.push_back("--threads");
    args.push_back(std::to_string(st.range(0)));
    args.push_back("--no-progress");
    std::vector<std::string> storage = args;
    storage.insert(storage.begin(), "aqvis-cli");
    std::vector<char*> argv;
    for (std::string& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "aqvis_bench_grid.csv";
    for (auto _ : st) {
        std::filesystem::remove(file);  // a new file each time, as a user writes one
        std::FILE* out = std::fopen(file.c_str(), "wb");
        const int rc = aqvis::cli::Run(static_cast<int>(storage.size()), argv.data(), stdin, out, stderr);
        std::fclose(out);
        if (rc != 0) st.SkipWithError("the grid failed");
    }
    st.SetItemsProcessed(static_cast<std::int64_t>(st.iterations() * points));
    st.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    std::filesystem::remove(file);
}

void liquid_csv(benchmark::State& st) { run_grid(st, kLiquidGrid, 1'000'000); }
BENCHMARK(liquid_csv)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void liquid_csv_all_columns(benchmark::State& st)
{
    std::vector<std::string> args = kLiquidGrid;
    args.push_back("--columns");
    args.push_back("all");
    run_grid(st, args, 1'000'000);
}
BENCHMARK(liquid_csv_all_columns)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void wide_csv(benchmark::State& st) { run_grid(st, kWideGrid, 500'000); }
BENCHMARK(wide_csv)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
