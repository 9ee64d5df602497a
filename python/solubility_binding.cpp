#include "solubility_binding.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "equilibrium/solubility.h"
#include "results/members.h"
#include "solute/catalogue_file.h"

namespace py = pybind11;

namespace aqvis::python {

namespace {

// Points handed to a thread at a time.
constexpr std::size_t kChunk = 64;

struct Job {
    const SolubilitySolute* solute = nullptr;
    bool bubble = false;
    const double* T = nullptr;
    const double* second = nullptr;  // bar, or mol/kg for the bubble pressure
    std::size_t n = 0;
    std::vector<double*> out;        // one per member
    std::uint8_t* codes = nullptr;   // 0: computed; 1 + ErrorKind: failed
    std::vector<std::string> warnings, messages;
};

void run_range(Job& job, std::size_t begin, std::size_t end, CaseResult& scratch, SolubilityResult& r)
{
    const auto members = Solubility_Members();
    for (std::size_t i = begin; i < end; ++i) {
        if (!std::isfinite(job.T[i]) || !std::isfinite(job.second[i])) {
            r = SolubilityResult{};
            r.v.TC = job.T[i];
            (job.bubble ? r.v.molality : r.v.Pbar) = job.second[i];
            r.kind = ErrorKind::TypeMismatch;
            r.error = "Type mismatch: an input is not a finite number";
        } else if (job.bubble) {
            Bubble_Pressure(*job.solute, job.T[i], job.second[i], r, scratch);
        } else {
            Solubility(*job.solute, job.T[i], job.second[i], r, scratch);
        }
        for (std::size_t k = 0; k < members.size(); ++k) {
            const Member& m = members[k];
            job.out[k][i] = r.ok || Is_Solubility_Input(m, job.bubble) ? Solubility_Value(m, r.v) : std::nan("");
        }
        job.codes[i] = r.ok ? 0 : static_cast<std::uint8_t>(1 + static_cast<int>(r.kind));
        job.warnings[i] = r.ok ? r.warning : std::string();
        job.messages[i] = r.ok ? std::string() : r.error;
    }
}

void run_all(Job& job, unsigned threads)
{
    const std::size_t chunks = (job.n + kChunk - 1) / kChunk;
    threads = static_cast<unsigned>(std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(chunks, 1)));
    std::atomic<std::size_t> next{0};
    std::mutex m;
    std::exception_ptr failure;
    auto worker = [&] {
        try {
            CaseResult scratch;
            SolubilityResult r;
            for (std::size_t c; (c = next.fetch_add(1)) < chunks;)
                run_range(job, c * kChunk, std::min(job.n, (c + 1) * kChunk), scratch, r);
        } catch (...) {
            std::lock_guard lock(m);
            if (!failure) failure = std::current_exception();
            next = chunks;
        }
    };
    {
        py::gil_scoped_release release;
        std::vector<std::thread> pool;
        for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
        for (std::thread& t : pool) t.join();
    }
    if (failure) std::rethrow_exception(failure);
}

// The catalogue entry of `formula`: built in, or from the catalogue file at
// `path` (which may add critical constants of its own).
CatalogueEntry entry_of(const std::string& formula, const std::optional<std::string>& path)
{
    const Catalogue c = path ? Load_Catalogue(*path) : Catalogue();
    const CatalogueEntry* e = c.Find(formula);
    if (!e) throw py::value_error("solute: unknown solute \"" + formula + "\"");
    return *e;
}

py::tuple solubility(const std::string& formula, const std::optional<std::string>& catalogue,
                     py::array_t<double, py::array::c_style | py::array::forcecast> T,
                     py::array_t<double, py::array::c_style | py::array::forcecast> second, bool bubble,
                     std::optional<double> kij, long threads)
{
    if (T.size() != second.size()) throw py::value_error("T and the second input differ in size");
    SolubilitySolute solute;
    try {
        solute = Prepare_Solubility(entry_of(formula, catalogue), kij);
    } catch (const CalcError& e) {
        throw py::value_error(e.what());
    }
    Job job;
    job.solute = &solute;
    job.bubble = bubble;
    job.T = T.data();
    job.second = second.data();
    job.n = static_cast<std::size_t>(T.size());
    py::dict values;
    for (const Member& m : Solubility_Members()) {
        py::array_t<double> arr(static_cast<py::ssize_t>(job.n));
        job.out.push_back(arr.mutable_data());
        values[m.name] = arr;
    }
    py::array_t<std::uint8_t> codes(static_cast<py::ssize_t>(job.n));
    job.codes = codes.mutable_data();
    job.warnings.resize(job.n);
    job.messages.resize(job.n);
    run_all(job, static_cast<unsigned>(std::clamp<long>(threads, 1, 1024)));
    return py::make_tuple(values, codes, job.warnings, job.messages);
}

}  // namespace

void Bind_Solubility(py::module_& m)
{
    m.def("solubility", &solubility, py::arg("solute"), py::arg("catalogue"), py::arg("T"), py::arg("second"),
          py::arg("bubble"), py::arg("kij"), py::arg("threads"),
          "Gas-liquid equilibrium at every point of the flat float64 arrays T and P (or\n"
          "molality, with bubble=True).  Returns (members, codes, warnings, messages).\n"
          "Use aqvis.solubility or aqvis.bubble_pressure instead.");
}

}  // namespace aqvis::python
