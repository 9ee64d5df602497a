#include "calculate_one.h"

#include <cmath>
#include <memory>
#include <optional>
#include <stdexcept>

#include "cases.h"
#include "catalogue_binding.h"
#include "results/failure_text.h"
#include "results/model_range.h"
#include "units_binding.h"

namespace py = pybind11;

namespace aqvis::python {

namespace {

// A Python float (numpy float64 included) or int, as a finite double; false
// for anything else, which the general path checks and explains.
bool Plain_Number(PyObject* o, double& v)
{
    if (PyFloat_Check(o)) {
        v = PyFloat_AS_DOUBLE(o);
    } else if (PyLong_CheckExact(o)) {
        v = PyLong_AsDouble(o);
        if (v == -1.0 && PyErr_Occurred()) {
            PyErr_Clear();
            return false;
        }
    } else {
        return false;
    }
    return std::isfinite(v);
}

bool Plain_Optional(PyObject* o, std::optional<double>& v)
{
    if (o == Py_None) return true;
    double x = 0.0;
    if (!Plain_Number(o, x)) return false;
    v = x;
    return true;
}

// What the results are made of, formed once: the member names as interned
// keys and the kind's, the kind of a computed point (numpy's "") and
// numpy's float64 type.  Kept for the life of the process, as the module is.
struct ResultParts {
    std::vector<PyObject*> keys;  // of Output_Members(true)
    PyObject* kind = nullptr;
    PyObject* computed_kind = nullptr;
    PyObject* in_range[2] = {};  // numpy's False_ and True_
    PyTypeObject* float64 = nullptr;
    // Every key in order, the kind's last, each holding None: a copy takes
    // the keys' table whole, so filling it in grows no table and rehashes
    // nothing.  [1]: with the uncertainties.
    PyObject* all_keys[2] = {};
};

const ResultParts& Parts()
{
    static const ResultParts* parts = [] {
        auto* p = new ResultParts;
        for (const Member& m : Output_Members(true)) p->keys.push_back(PyUnicode_InternFromString(m.name));
        p->kind = PyUnicode_InternFromString("kind");
        for (const bool uncertainty : {false, true}) {
            PyObject*& all = p->all_keys[uncertainty];
            all = PyDict_New();
            for (std::size_t k = 0; all && k <= Output_Members(uncertainty).size(); ++k)
                if (PyDict_SetItem(all, k < Output_Members(uncertainty).size() ? p->keys[k] : p->kind, Py_None) != 0)
                    all = nullptr;
            if (!all) throw py::error_already_set();
        }
        const py::module_ numpy = py::module_::import("numpy");
        p->computed_kind = numpy.attr("str_")("").release().ptr();
        p->in_range[0] = py::object(numpy.attr("False_")).release().ptr();
        p->in_range[1] = py::object(numpy.attr("True_")).release().ptr();
        p->float64 = reinterpret_cast<PyTypeObject*>(py::object(numpy.attr("float64")).release().ptr());
        // A subtype of float keeps float's value where float has it: a new
        // instance takes the number there, with no call into numpy.
        if (!PyType_IsSubtype(p->float64, &PyFloat_Type) ||
            p->float64->tp_basicsize != static_cast<Py_ssize_t>(sizeof(PyFloatObject)))
            throw std::runtime_error("numpy.float64 is not laid out as a Python float");
        return p;
    }();
    return *parts;
}

void Put(py::dict& d, PyObject* key, PyObject* value)
{
    if (!value || PyDict_SetItem(d.ptr(), key, value) != 0) {
        Py_XDECREF(value);
        throw py::error_already_set();
    }
    Py_DECREF(value);
}

PyObject* Float64(double v)
{
    PyTypeObject* type = Parts().float64;
    PyObject* o = type->tp_alloc(type, 0);
    if (o) reinterpret_cast<PyFloatObject*>(o)->ob_fval = v;
    return o;
}

// One state for `solute` (a formula or a record tuple), T and P given in
// `units`: None when an input is not a plain finite number (aqvis.calculate
// takes the general path then); (dict, in_range, warning) when the point was
// computed, the dict holding the members asked for as numpy float64 scalars
// (energies in the unit asked for; the kind as numpy's ""); (failure code,
// explained message, in_range, warning) when it failed.  in_range is a
// numpy bool; the warning is "" where there is nothing to say.
py::object Calculate_One(const py::object& solute, py::handle T, py::handle P, py::handle xi, py::handle a,
                         py::handle b, const py::object& members, const py::object& unit_names)
{
    PointInputs in;
    if (!Plain_Number(T.ptr(), in.T) || !Plain_Number(P.ptr(), in.P) || !Plain_Optional(xi.ptr(), in.xi) ||
        !Plain_Optional(a.ptr(), in.a) || !Plain_Optional(b.ptr(), in.b))
        return py::none();
    const Units units = Units_Of(unit_names);
    in.T = Celsius_From(in.T, units.temp);
    in.P = Bar_From(in.P, units.press);
    const CatalogueEntry entry = Entry_Of(solute);
    // On the heap, for the reason cases.cpp keeps its solute there.
    thread_local std::unique_ptr<CaseResult> kept;
    if (!kept) kept = std::make_unique<CaseResult>();
    CaseResult& r = *kept;
    {
        py::gil_scoped_release release;
        Run_Point(entry, in, r);
    }
    const py::handle in_range = Parts().in_range[In_Model_Range(in.T, in.P)];
    const StateAsked state{in.T, in.P, r.ok ? r.pressure_used : std::nullopt, units};
    const std::string warning = State_Reasons(state) ? State_Warning(state, FrontEnd::Python) : std::string();
    if (!r.ok)
        return py::make_tuple(Failure_Code(r),
                              Explained_Case_Error(r.kind, r.error, r.TC, r.Pbar, FrontEnd::Python), in_range,
                              warning);

    const ResultParts& parts = Parts();
    const auto all = Output_Members(entry.covariance.has_value());
    const auto value = [&](std::size_t k) {
        return Float64(Member_Output(all[k], Output_Value(all[k], r), units.energy));
    };
    py::dict d = members.is_none() ? py::reinterpret_steal<py::dict>(PyDict_Copy(parts.all_keys[entry.covariance.has_value()])) : py::dict();
    if (!d) throw py::error_already_set();
    if (members.is_none()) {
        for (std::size_t k = 0; k < all.size(); ++k) Put(d, parts.keys[k], value(k));
        Put(d, parts.kind, Py_NewRef(parts.computed_kind));
    } else {
        for (const py::handle index : members.cast<py::tuple>()) {
            const auto k = index.cast<std::size_t>();
            if (k > all.size()) throw py::value_error("members: index out of range");
            if (k == all.size())
                Put(d, parts.kind, Py_NewRef(parts.computed_kind));
            else
                Put(d, parts.keys[k], value(k));
        }
    }
    return py::make_tuple(d, in_range, warning);
}

}  // namespace

std::vector<const Member*> Selected_Members(const py::object& members, std::span<const Member> all)
{
    std::vector<const Member*> out;
    if (members.is_none()) {
        for (const Member& m : all) out.push_back(&m);
        return out;
    }
    for (const py::handle index : members.cast<py::tuple>()) {
        const auto k = index.cast<std::size_t>();
        if (k > all.size()) throw py::value_error("members: index out of range");
        if (k < all.size()) out.push_back(&all[k]);
    }
    return out;
}

void Bind_Calculate_One(py::module_& m)
{
    Parts();
    m.def("calculate_one", &Calculate_One, py::arg("solute"), py::arg("T"), py::arg("P"), py::arg("xi"),
          py::arg("a"), py::arg("b"), py::arg("members") = py::none(), py::arg("units") = py::none(),
          "One state from plain numbers (None for xi, a, b keeps the solute's own) on the\n"
          "calling thread: None when an input is not a plain finite number, (dict of numpy\n"
          "float64 scalars, in_range as a numpy bool, warning) when computed, (failure code,\n"
          "explained message, in_range, warning) when failed.  `members` and `units` as for\n"
          "calculate().  Use aqvis.calculate instead.");
}

}  // namespace aqvis::python
