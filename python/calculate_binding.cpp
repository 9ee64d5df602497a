#include "calculate_binding.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "calculate_one.h"
#include "cases.h"
#include "catalogue_binding.h"
#include "interrupt.h"
#include "results/failure_text.h"
#include "results/members.h"
#include "results/model_range.h"
#include "units_binding.h"
#include "solute/catalogue.h"

namespace py = pybind11;

namespace aqvis::python {

namespace {

// The inputs of a point, in argument order.
enum Input { kT, kP, kXi, kA, kB, kInputs };
constexpr const char* kInputNames[kInputs] = {"T", "P", "xi", "a", "b"};

// Points handed to a thread at a time: small enough to share the slow points
// near the critical point fairly and to look for Ctrl-C often (a chunk takes
// well under a millisecond), large enough to cost nothing to hand out.  A
// call of one chunk runs on the calling thread alone.
constexpr std::size_t kChunk = 256;

// An input array of the broadcast shape, read through its strides (a
// broadcast input has stride 0 along the axes it was stretched over).
struct InputView {
    const char* data = nullptr;  // null: not given
    std::vector<py::ssize_t> strides;
};

// What a run says about the states of its points: how many lie outside the
// model's range, how many have something said about them, and the first of
// those in C order.
struct PointNotes {
    std::size_t outside = 0, noted = 0;
    std::size_t first = SIZE_MAX;
    StateAsked first_state;

    void Add(std::size_t i, const StateAsked& s, unsigned reasons)
    {
        outside += (reasons & (kOutsideTemperature | kOutsidePressure)) != 0;
        ++noted;
        if (i < first) {
            first = i;
            first_state = s;
        }
    }
    void Merge(const PointNotes& o)
    {
        outside += o.outside;
        noted += o.noted;
        if (o.first < first) {
            first = o.first;
            first_state = o.first_state;
        }
    }
};

struct PointJob {
    const CatalogueEntry* record = nullptr;  // null: water alone
    Units units;                             // of T and P given; energies shown in units.energy
    std::vector<py::ssize_t> shape;
    std::size_t n = 0;
    InputView in[kInputs];
    std::vector<const Member*> members;  // the output members asked for
    std::vector<double*> out;            // one per member asked for, C order
    std::uint8_t* codes = nullptr;  // 0: computed; 1 + ErrorKind: failed
    std::uint8_t* in_range = nullptr;  // 1 where the state lies inside the model's range
    std::string message;            // of the failure, when there is one point
    PointNotes notes;               // filled in when every point has run
};

// Runs the points [begin, end) of the job.
class PointRunner {
public:
    explicit PointRunner(PointJob& job) : job_(job), index_(job.shape.size()) {}

    void Run(std::size_t begin, std::size_t end)
    {
        Seek(begin);
        for (std::size_t i = begin; i < end; ++i) {
            PointInputs in;
            in.T = Celsius_From(Input_At(kT), job_.units.temp);
            in.P = Bar_From(Input_At(kP), job_.units.press);
            if (job_.in[kXi].data) in.xi = Input_At(kXi);
            if (job_.in[kA].data) in.a = Input_At(kA);
            if (job_.in[kB].data) in.b = Input_At(kB);
            if (job_.record)
                Run_Point(*job_.record, in, r_);
            else
                Run_Water_Point(in, r_);
            Store(i, in);
            Step();
        }
    }

    const PointNotes& Notes() const { return notes_; }

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

    double Input_At(int k) const { return *reinterpret_cast<const double*>(job_.in[k].data + offset_[k]); }

    void Store(std::size_t i, const PointInputs& in)
    {
        const EnergyUnit energy = job_.units.energy;
        for (std::size_t k = 0; k < job_.members.size(); ++k)
            job_.out[k][i] = Member_Output(*job_.members[k], Output_Value(*job_.members[k], r_), energy);
        job_.codes[i] = Failure_Code(r_);
        job_.in_range[i] = In_Model_Range(in.T, in.P);
        const StateAsked state{in.T, in.P, r_.ok ? r_.pressure_used : std::nullopt, job_.units};
        if (const unsigned reasons = State_Reasons(state)) notes_.Add(i, state, reasons);
        if (!r_.ok && job_.n == 1) job_.message = Explained_Case_Error(r_.kind, r_.error, r_.TC, r_.Pbar, FrontEnd::Python);
    }

    PointJob& job_;
    PointNotes notes_;
    std::vector<py::ssize_t> index_;
    py::ssize_t offset_[kInputs] = {};
    CaseResult r_;
};

// The chunks of one job shared among threads: which is next, whether the
// run stops, and how it ended.
struct ChunkRun {
    ChunkRun(PointJob& j, std::size_t n) : job(j), chunks(n) {}

    PointJob& job;
    std::size_t chunks;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable finished_cv;
    unsigned finished = 0;
    std::exception_ptr failure;
    InterruptCheck interrupt;
    bool interrupted = false;

    // Runs chunks until none is left or the run stops; the calling thread
    // looks for Ctrl-C after each of its chunks.
    void Run_Chunks(bool calling_thread)
    {
        try {
            PointRunner runner(job);
            for (std::size_t c; !stop.load(std::memory_order_relaxed) && (c = next.fetch_add(1)) < chunks;) {
                runner.Run(c * kChunk, std::min(job.n, (c + 1) * kChunk));
                if (calling_thread && interrupt()) interrupted = stop = true;
            }
            std::lock_guard lock(mutex);
            job.notes.Merge(runner.Notes());
        } catch (...) {
            std::lock_guard lock(mutex);
            if (!failure) failure = std::current_exception();
            stop = true;
        }
    }

    void Worker()
    {
        Run_Chunks(false);
        std::lock_guard lock(mutex);
        ++finished;
        finished_cv.notify_all();
    }

    // Waits for the `workers` other threads, looking for Ctrl-C meanwhile.
    void Wait_For(std::size_t workers)
    {
        std::unique_lock lock(mutex);
        while (!finished_cv.wait_for(lock, std::chrono::milliseconds(20), [&] { return finished == workers; })) {
            lock.unlock();
            if (!interrupted && interrupt()) interrupted = stop = true;
            lock.lock();
        }
    }
};

// Runs every point of the job on `threads` threads, the calling thread one
// of them (a job of one chunk runs on it alone), with the GIL released.
// The calling thread looks for Ctrl-C between its chunks and while it waits
// for the others; returns false when it came, with the Python error set.
bool Run_Points(PointJob& job, unsigned threads)
{
    ChunkRun run(job, (job.n + kChunk - 1) / kChunk);
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(run.chunks, 1)));
    {
        py::gil_scoped_release release;
        std::vector<std::thread> pool;
        pool.reserve(threads - 1);
        try {
            for (unsigned t = 1; t < threads; ++t) pool.emplace_back([&run] { run.Worker(); });
        } catch (...) {
            run.stop = true;
            for (std::thread& t : pool) t.join();
            throw;
        }
        run.Run_Chunks(true);
        run.Wait_For(pool.size());
        for (std::thread& t : pool) t.join();
    }
    if (run.interrupted) return false;
    if (run.failure) std::rethrow_exception(run.failure);
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

// Every point of T, P and the optional xi, a, b (None or float64 arrays of
// one shape) for `solute` (None: water alone), on `threads` threads, with
// T and P given in `units` and energies shown in them: (dict of the members
// asked for, uint8 failure codes, explained message of the failure when
// there is one point, bool array in_range, notes (points outside the range,
// points with a warning, the warning of the first of them or "", its index)).
py::tuple Calculate(const py::object& solute, const py::object& T, const py::object& P, const py::object& xi,
                    const py::object& a, const py::object& b, long threads, const py::object& members,
                    const py::object& units)
{
    const bool water = solute.is_none();
    const CatalogueEntry entry = water ? CatalogueEntry{} : Entry_Of(solute);
    PointJob job;
    job.record = water ? nullptr : &entry;
    job.units = Units_Of(units);
    if (threads < 1 || threads > 1024) throw py::value_error("threads: a number from 1 to 1024");
    if (T.is_none() || P.is_none()) throw py::value_error("T and P are needed");

    std::vector<py::array> keep;
    const py::object* args[kInputs] = {&T, &P, &xi, &a, &b};
    for (int k = 0; k < kInputs; ++k) job.in[k] = Input_View(*args[k], kInputNames[k], job.shape, k == 0, keep);
    job.n = 1;
    for (py::ssize_t e : job.shape) job.n *= static_cast<std::size_t>(e);

    job.members = Selected_Members(members, water ? Water_Members() : Output_Members(entry.covariance.has_value()));
    py::dict values;
    for (const Member* m : job.members) {
        py::array_t<double> arr(job.shape);
        job.out.push_back(arr.mutable_data());
        values[m->name] = arr;
    }
    py::array_t<std::uint8_t> codes(job.shape);
    job.codes = codes.mutable_data();
    py::array_t<bool> in_range(job.shape);
    job.in_range = reinterpret_cast<std::uint8_t*>(in_range.mutable_data());

    if (job.n > 0 && !Run_Points(job, static_cast<unsigned>(threads))) throw py::error_already_set();
    const PointNotes& n = job.notes;
    const std::string warning = n.noted ? State_Warning(n.first_state, FrontEnd::Python) : std::string();
    return py::make_tuple(values, codes, job.message, in_range,
                          py::make_tuple(n.outside, n.noted, warning, n.noted ? n.first : 0));
}

}  // namespace

void Bind_Calculate(py::module_& m)
{
    m.def("calculate", &Calculate, py::arg("solute"), py::arg("T"), py::arg("P"), py::arg("xi"),
          py::arg("a"), py::arg("b"), py::arg("threads"), py::arg("members") = py::none(),
          py::arg("units") = py::none(),
          "Computes every point of float64 arrays of one shape (xi, a, b may be None) for\n"
          "`solute`, a formula or a record tuple, or None for water alone; `members` is None\n"
          "(all) or a tuple of indices into members_in('case') (members_in('uncertainty')\n"
          "for a record with a covariance, members_in('water') for water); an index past\n"
          "the last stands for the kind, left out.  `units` is None or (T_unit, P_unit,\n"
          "E_unit).  Returns (members, codes, message, in_range, notes): a dict of result\n"
          "arrays, a uint8 array (0 computed, 1 + error kind index failed), the explained\n"
          "failure message when there is exactly one point, a bool array, and (points\n"
          "outside the model's range, points with a warning, the first warning or '', its\n"
          "index).  Use aqvis.calculate or aqvis.water instead.");
    Bind_Calculate_One(m);
}

}  // namespace aqvis::python
