#include "calculate_binding.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "catalogue_binding.h"
#include "driver/case_runner.h"
#include "results/members.h"
#include "solute/catalogue.h"

namespace py = pybind11;

namespace aqvis::python {

namespace {

// The inputs of a point, in argument order.
enum Input { kT, kP, kXi, kA, kB, kInputs };
constexpr const char* kInputNames[kInputs] = {"T", "P", "xi", "a", "b"};

// Points handed to a thread at a time: small enough to share the slow points
// near the critical point fairly, large enough to cost nothing to hand out.
constexpr std::size_t kChunk = 256;

// An input array of the broadcast shape, read through its strides (a
// broadcast input has stride 0 along the axes it was stretched over).
struct InputView {
    const char* data = nullptr;  // null: not given
    std::vector<py::ssize_t> strides;
};

struct PointJob {
    const CatalogueEntry* record = nullptr;
    std::vector<py::ssize_t> shape;
    std::size_t n = 0;
    InputView in[kInputs];
    std::vector<double*> out;  // one per output member, C order
    std::uint8_t* codes = nullptr;  // 0: computed; 1 + ErrorKind: failed
    std::string message;            // of the failure, when there is one point
};

std::uint8_t Failure_Code(ErrorKind kind) { return static_cast<std::uint8_t>(1 + static_cast<int>(kind)); }

bool Same_Bits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

// Runs the points [begin, end) of the job.  `prepared` holds the solute with
// the parameters of the last point this thread ran, so a new one is prepared
// only when ξ, a or b change from point to point.
class PointRunner {
public:
    explicit PointRunner(PointJob& job) : job_(job), index_(job.shape.size()) {}

    void Run(std::size_t begin, std::size_t end)
    {
        Seek(begin);
        for (std::size_t i = begin; i < end; ++i) {
            double v[kInputs];
            for (int k = 0; k < kInputs; ++k)
                v[k] = job_.in[k].data ? *reinterpret_cast<const double*>(job_.in[k].data + offset_[k])
                                       : std::nan("");
            Run_Point(i, v);
            Step();
        }
    }

private:
    // Sets the multi-index and the input offsets to those of point i.
    void Seek(std::size_t i)
    {
        for (std::size_t d = job_.shape.size(); d-- > 0;) {
            const auto extent = static_cast<std::size_t>(job_.shape[d]);
            index_[d] = static_cast<py::ssize_t>(i % extent);
            i /= extent;
        }
        for (int k = 0; k < kInputs; ++k) {
            offset_[k] = 0;
            if (job_.in[k].data)
                for (std::size_t d = 0; d < index_.size(); ++d) offset_[k] += index_[d] * job_.in[k].strides[d];
        }
    }

    // Moves to the next point in C order.
    void Step()
    {
        for (std::size_t d = index_.size(); d-- > 0;) {
            const bool carry = ++index_[d] == job_.shape[d];
            for (int k = 0; k < kInputs; ++k)
                if (job_.in[k].data)
                    offset_[k] += carry ? -(job_.shape[d] - 1) * job_.in[k].strides[d] : job_.in[k].strides[d];
            if (!carry) return;
            index_[d] = 0;
        }
    }

    void Run_Point(std::size_t i, const double (&v)[kInputs])
    {
        const CatalogueEntry& rec = *job_.record;
        const std::optional<double> xi = job_.in[kXi].data ? std::optional(v[kXi]) : std::nullopt;
        const std::optional<double> a = job_.in[kA].data ? std::optional(v[kA]) : std::nullopt;
        const std::optional<double> b = job_.in[kB].data ? std::optional(v[kB]) : std::nullopt;

        int bad = -1;
        for (int k = 0; k < kInputs && bad < 0; ++k)
            if (job_.in[k].data && !std::isfinite(v[k])) bad = k;
        if (bad >= 0) {
            // A number the calculation cannot take: the point fails as a
            // text that is not a number does at the command line.
            r_.ok = false;
            r_.kind = ErrorKind::TypeMismatch;
            r_.error = std::string("Type mismatch: ") + kInputNames[bad] + " is not a finite number";
            r_.TC = v[kT];
            r_.Pbar = v[kP];
            r_.state.Xi = xi.value_or(rec.Xi);
            r_.state.Coef1 = a.value_or(rec.Coef1);
            r_.state.Coef2 = b.value_or(rec.Coef2);
        } else {
            if (!prepared_ || !Same_Bits(xi.value_or(0.0), xi_) || !Same_Bits(a.value_or(0.0), a_) ||
                !Same_Bits(b.value_or(0.0), b_)) {
                prepared_ = Prepare_Solute(rec, SoluteParameters{xi, a, b});
                xi_ = xi.value_or(0.0);
                a_ = a.value_or(0.0);
                b_ = b.value_or(0.0);
            }
            Run_Case(*prepared_, v[kT], v[kP], r_);
        }
        Store(i);
    }

    void Store(std::size_t i)
    {
        const auto members = Output_Members();
        if (r_.ok) {
            for (std::size_t k = 0; k < members.size(); ++k)
                job_.out[k][i] = Member_Value(members[k], r_.state, r_.derived);
            job_.codes[i] = 0;
            return;
        }
        // A failed point keeps its inputs; every result is NaN.
        for (std::size_t k = 0; k < members.size(); ++k) {
            const Member& m = members[k];
            double x = std::nan("");
            if (m.state == &CalcState::TC)
                x = r_.TC.value_or(x);
            else if (m.state == &CalcState::Pbar)
                x = r_.Pbar.value_or(x);
            else if (Is_Input_Member(m))
                x = r_.state.*(m.state);
            job_.out[k][i] = x;
        }
        job_.codes[i] = Failure_Code(r_.kind);
        if (job_.n == 1) job_.message = r_.error;
    }

    PointJob& job_;
    std::vector<py::ssize_t> index_;
    py::ssize_t offset_[kInputs] = {};
    std::optional<PreparedSolute> prepared_;
    double xi_ = 0.0, a_ = 0.0, b_ = 0.0;
    CaseResult r_;
};

// Runs every point of the job on `threads` threads.  The caller holds the
// GIL; it is released while the threads run and taken back now and then to
// let Ctrl-C stop the run (returns false then, with the Python error set).
bool Run_Points(PointJob& job, unsigned threads)
{
    const std::size_t chunks = (job.n + kChunk - 1) / kChunk;
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(chunks, 1)));
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable finished_cv;
    unsigned finished = 0;
    std::exception_ptr failure;
    bool interrupted = false;

    auto worker = [&] {
        try {
            PointRunner runner(job);
            for (std::size_t c; !stop.load(std::memory_order_relaxed) && (c = next.fetch_add(1)) < chunks;)
                runner.Run(c * kChunk, std::min(job.n, (c + 1) * kChunk));
        } catch (...) {
            std::lock_guard lock(mutex);
            if (!failure) failure = std::current_exception();
            stop = true;
        }
        std::lock_guard lock(mutex);
        ++finished;
        finished_cv.notify_all();
    };

    {
        py::gil_scoped_release release;
        std::vector<std::thread> pool;
        pool.reserve(threads);
        try {
            for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
        } catch (...) {
            stop = true;
            for (std::thread& t : pool) t.join();
            throw;
        }
        std::unique_lock lock(mutex);
        while (!finished_cv.wait_for(lock, std::chrono::milliseconds(100),
                                     [&] { return finished == pool.size(); })) {
            lock.unlock();
            {
                py::gil_scoped_acquire acquire;
                interrupted = PyErr_CheckSignals() != 0;
            }
            lock.lock();
            if (interrupted) {
                stop = true;
                break;
            }
        }
        lock.unlock();
        for (std::thread& t : pool) t.join();
    }
    if (interrupted) return false;
    if (failure) std::rethrow_exception(failure);
    return true;
}

// The input `name` as a view of the broadcast shape.  The Python side checks
// the user's arguments; this guards the contract between the two.
InputView Input_View(const py::object& obj, const char* name, std::vector<py::ssize_t>& shape,
                     bool first, std::vector<py::array>& keep)
{
    InputView v;
    if (obj.is_none()) return v;
    if (!py::isinstance<py::array>(obj)) throw py::type_error(std::string(name) + ": expected a numpy array");
    py::array arr = py::reinterpret_borrow<py::array>(obj);
    if (!arr.dtype().is(py::dtype::of<double>()))
        throw py::type_error(std::string(name) + ": expected an array of float64");
    std::vector<py::ssize_t> s(arr.shape(), arr.shape() + arr.ndim());
    if (first)
        shape = s;
    else if (s != shape)
        throw py::value_error(std::string(name) + ": shape differs from that of T");
    v.data = static_cast<const char*>(arr.data());
    v.strides.assign(arr.strides(), arr.strides() + arr.ndim());
    keep.push_back(arr);
    return v;
}

}  // namespace

py::tuple Calculate_Points(const CatalogueEntry& solute, const py::object& T, const py::object& P,
                           const py::object& xi, const py::object& a, const py::object& b, long threads)
{
    PointJob job;
    job.record = &solute;
    if (threads < 1 || threads > 1024) throw py::value_error("threads: a number from 1 to 1024");
    if (T.is_none() || P.is_none()) throw py::value_error("T and P are needed");

    std::vector<py::array> keep;
    const py::object* args[kInputs] = {&T, &P, &xi, &a, &b};
    for (int k = 0; k < kInputs; ++k) job.in[k] = Input_View(*args[k], kInputNames[k], job.shape, k == 0, keep);
    job.n = 1;
    for (py::ssize_t e : job.shape) job.n *= static_cast<std::size_t>(e);

    py::dict values;
    for (const Member& m : Output_Members()) {
        py::array_t<double> arr(job.shape);
        job.out.push_back(arr.mutable_data());
        values[m.name] = arr;
    }
    py::array_t<std::uint8_t> codes(job.shape);
    job.codes = codes.mutable_data();

    if (job.n > 0 && !Run_Points(job, static_cast<unsigned>(threads))) throw py::error_already_set();
    return py::make_tuple(values, codes, job.message);
}

namespace {

py::tuple Calculate(const py::object& solute, const py::object& T, const py::object& P,
                    const py::object& xi, const py::object& a, const py::object& b, long threads)
{
    const CatalogueEntry entry = Entry_Of(solute);
    return Calculate_Points(entry, T, P, xi, a, b, threads);
}

}  // namespace

void Bind_Calculate(py::module_& m)
{
    m.def("calculate", &Calculate, py::arg("solute"), py::arg("T"), py::arg("P"), py::arg("xi"),
          py::arg("a"), py::arg("b"), py::arg("threads"),
          "Computes every point of float64 arrays of one shape (xi, a, b may be None) for\n"
          "`solute`, a formula or a record tuple.\n"
          "Returns (members, codes, message): a dict of result arrays in output order,\n"
          "a uint8 array (0 computed, 1 + error kind index failed) and the failure\n"
          "message when there is exactly one point.  Use aqvis.calculate instead.");
}

}  // namespace aqvis::python
