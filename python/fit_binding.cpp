#include "fit_binding.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "catalogue_binding.h"
#include "core/errors.h"
#include "fit/fit.h"
#include "fit/fit_json.h"
#include "fit/fit_units.h"
#include "interrupt.h"
#include "units_binding.h"
#include "solute/catalogue_file.h"

namespace py = pybind11;

namespace aqvis::python {

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

py::list Catalogue_Records(const std::vector<CatalogueEntry>& entries)
{
    py::list out;
    for (const CatalogueEntry& r : entries) {
        py::object covariance = py::none();
        if (r.covariance) covariance = py::cast(Covariance_Numbers(*r.covariance));
        out.append(py::make_tuple(r.Formula, r.Xi, r.Coef1, r.Coef2, r.G0gas, r.S0gas, r.agas, r.bgasE3,
                                  r.cgasEmin5, covariance));
    }
    return out;
}

// The records of the catalogue file at `path`, read by the one bounded
// reader of the command line: the same limit, rules and messages.
py::list Read_Catalogue_File_(const std::string& path)
{
    std::vector<CatalogueEntry> entries;
    std::string error;
    {
        py::gil_scoped_release release;
        try {
            entries = Read_Catalogue_File(path);
        } catch (const CalcError& e) {
            error = e.what();
        }
    }
    if (error.empty()) return Catalogue_Records(entries);
    // Refused whole; a file that cannot be read is an OSError in Python.
    if (error.starts_with("cannot read ")) {
        PyErr_SetString(PyExc_OSError, error.c_str());
        throw py::error_already_set();
    }
    throw py::value_error(error);
}

std::string Fit(const py::object& solute, const Doubles& T, const Doubles& P,
             const py::array_t<long, py::array::c_style | py::array::forcecast>& property, const Doubles& value,
             const Doubles& sigma, const std::array<std::optional<double>, 3>& fixed, bool sigma_known,
             const py::object& unit_names)
{
    const Units units = Units_Of(unit_names);
    const CatalogueEntry entry = Entry_Of(solute);
    const py::ssize_t n = T.size();
    if (P.size() != n || property.size() != n || value.size() != n || sigma.size() != n)
        throw py::value_error("T, P, property, value and sigma must have the same size");
    const auto properties = Fit_Properties();
    std::vector<FitPoint> points(static_cast<std::size_t>(n));
    for (py::ssize_t i = 0; i < n; ++i) {
        FitPoint& x = points[static_cast<std::size_t>(i)];
        const long code = property.data()[i];
        if (code < 0 || code >= static_cast<long>(properties.size())) throw py::value_error("property: unknown code");
        x.TC = T.data()[i];
        x.Pbar = P.data()[i];
        x.property = properties[static_cast<std::size_t>(code)];
        x.value = value.data()[i];
        x.sigma = sigma.data()[i];
    }
    FitOptions options{fixed, sigma_known};
    InterruptCheck interrupt;  // Ctrl-C stops the fit between its cases
    options.stop_requested = [&interrupt] { return interrupt(); };
    FitResult r;
    try {
        const std::vector<FitPoint> in_model_units = Points_In_Model_Units(points, units);
        py::gil_scoped_release release;
        r = Fit_Solute(entry, in_model_units, options);
    } catch (const FitStopped&) {
        throw py::error_already_set();
    } catch (const CalcError& e) {
        throw py::value_error(e.what());
    }
    Result_In_Given_Units(r, points, units, FrontEnd::Python);

    std::string json;
    Append_Fit_Json(json, r);
    return json;
}

}  // namespace

void Bind_Fit(py::module_& m)
{
    py::register_exception<FitError>(m, "FitError", PyExc_ValueError);
    m.def("read_catalogue_file", &Read_Catalogue_File_, py::arg("path"),
          "The records of the catalogue file at `path` as tuples (formula, xi, a, b,\n"
          "G0gas, S0gas, agas, bgasE3, cgasEmin5, covariance), covariance the six numbers\n"
          "var_xi, var_a, var_b, cov_xi_a, cov_xi_b, cov_a_b or None; ValueError naming\n"
          "the file, the line and the reason for a bad file, OSError for one that cannot\n"
          "be read (or is longer than 64 MiB).  Use aqvis.load_catalogue instead.");
    m.def("catalogue_path",
          [](const std::string& name, const std::vector<std::string>& folders) {
              return Catalogue_Path(name, folders);
          },
          py::arg("name"), py::arg("folders"),
          "The file a catalogue name stands for: the name itself when such a file exists\n"
          "or it holds a '/', else a catalogue of that name (.csv may be left out) in one\n"
          "of `folders`, else the name as it is.");
    m.def("fit_properties", [] {
        py::list out;
        for (const FitProperty p : Fit_Properties()) out.append(Property_Name(p));
        return out;
    }, "The properties a fit takes, in the order of their codes.");
    m.def("fit", &Fit, py::arg("solute"), py::arg("T"), py::arg("P"), py::arg("property"), py::arg("value"),
          py::arg("sigma"), py::arg("fixed"), py::arg("sigma_known"), py::arg("units") = py::none(),
          "Fits xi, a and b of `solute` (formula or record tuple) to 1-D arrays of one\n"
          "size given in `units` (None or (T_unit, P_unit, E_unit)); property holds codes\n"
          "into fit_properties().  The outcome is the JSON text of 'aqvis-cli fit --json'.\n"
          "Use aqvis.fit instead.");
}

}  // namespace aqvis::python
