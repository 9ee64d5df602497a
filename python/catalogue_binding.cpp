#include "catalogue_binding.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "core/errors.h"
#include "results/members.h"
#include "solute/parameter_covariance.h"
#include "solute/catalogue.h"

namespace py = pybind11;

namespace aqvis::python {

namespace {

// The menu a record stands in, as the window and `aqvis-cli list` name it.
const char* Menu_Name(const SoluteRecord& r) { return r.hydrocarbon ? "Hydrocarbons" : "Solutes Available"; }

py::list Solutes()
{
    py::list out;
    for (const SoluteRecord& r : Solute_Catalogue)
        out.append(py::make_tuple(r.Formula, r.Xi, r.Coef1, r.Coef2, r.G0gas, r.S0gas, r.agas, r.bgasE3,
                                  r.cgasEmin5, Menu_Name(r)));
    return out;
}

py::list Members()
{
    py::list out;
    for (const Member& m : Output_Members())
        out.append(py::make_tuple(m.name, m.unit, m.meaning, m.plot_unit, Is_Input_Member(m)));
    return out;
}

py::list Error_Kinds()
{
    py::list out;
    for (ErrorKind k : {ErrorKind::TypeMismatch, ErrorKind::DivisionByZero, ErrorKind::Overflow,
                        ErrorKind::InvalidOperation, ErrorKind::NoConvergence, ErrorKind::UnknownSolute,
                        ErrorKind::FileError, ErrorKind::NoCriticalConstants, ErrorKind::NoTwoPhase,
                        ErrorKind::LiquidBoils}) {
        if (static_cast<std::size_t>(k) != py::len(out))
            throw std::logic_error("error kinds out of order");
        out.append(Error_Kind_Id(k));
    }
    return out;
}

}  // namespace

CatalogueEntry Entry_Of(const py::object& solute)
{
    if (py::isinstance<py::str>(solute)) {
        static const Catalogue built_in;
        const std::string formula = solute.cast<std::string>();
        const CatalogueEntry* entry = built_in.Find(formula);
        if (!entry) throw py::value_error("solute: unknown solute \"" + formula + "\"");
        return *entry;
    }
    const py::tuple t = solute.cast<py::tuple>();
    if (t.size() < 9) throw py::value_error("solute: a record has 9 fields");
    CatalogueEntry e;
    e.Formula = t[0].cast<std::string>();
    double* fields[] = {&e.Xi, &e.Coef1, &e.Coef2, &e.G0gas, &e.S0gas, &e.agas, &e.bgasE3, &e.cgasEmin5};
    for (std::size_t k = 0; k < 8; ++k) *fields[k] = t[k + 1].cast<double>();
    // A tenth field: the covariance of xi, a and b, for the uncertainties.
    if (t.size() > 9 && !t[9].is_none()) {
        e.covariance = Covariance_From(t[9].cast<std::array<double, 6>>());
        if (const std::string problem = Covariance_Problem(*e.covariance); !problem.empty())
            throw py::value_error("solute: " + problem);
    }
    return e;
}

void Bind_Catalogue(py::module_& m)
{
    m.def("solutes", &Solutes,
          "The built-in solutes in menu order: tuples (formula, xi, a, b, G0gas, S0gas,\n"
          "agas, bgasE3, cgasEmin5, menu).");
    m.def("members", &Members,
          "The output members in output order, K last: tuples (name, unit, meaning,\n"
          "plot_unit, is_input).");
    m.def("error_kinds", &Error_Kinds, "Error kind ids; failure code c stands for error_kinds()[c - 1].");
    m.def("hardware_threads", [] { return std::max(1u, std::thread::hardware_concurrency()); },
          "The number of threads the machine runs at once.");
}

}  // namespace aqvis::python
