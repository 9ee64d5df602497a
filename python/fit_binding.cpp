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
#include "interrupt.h"
#include "solute/catalogue_file.h"

namespace py = pybind11;

namespace aqvis::python {

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

py::list Read_Catalogue(const py::bytes& text, const std::string& name)
{
    std::vector<CatalogueEntry> entries;
    try {
        entries = Read_Catalogue_Text(std::string(text));
    } catch (const CalcError& e) {
        throw py::value_error(name + " " + e.what());
    }
    py::list out;
    for (const CatalogueEntry& r : entries)
        out.append(py::make_tuple(r.Formula, r.Xi, r.Coef1, r.Coef2, r.G0gas, r.S0gas, r.agas, r.bgasE3,
                                  r.cgasEmin5));
    return out;
}

py::dict parameters(const std::array<double, 3>& v)
{
    py::dict d;
    for (int j = 0; j < 3; ++j) d[kFitParameterNames[j]] = v[j];
    return d;
}

py::object matrix(const std::array<std::array<double, 3>, 3>& m, bool present)
{
    if (!present) return py::none();
    py::array_t<double> a({3, 3});
    auto w = a.mutable_unchecked<2>();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) w(i, j) = m[i][j];
    return a;
}

py::dict Fit(const py::object& solute, const Doubles& T, const Doubles& P,
             const py::array_t<long, py::array::c_style | py::array::forcecast>& property, const Doubles& value,
             const Doubles& sigma, const std::array<std::optional<double>, 3>& fixed, bool sigma_known)
{
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
        py::gil_scoped_release release;
        r = Fit_Solute(entry, points, options);
    } catch (const FitStopped&) {
        throw py::error_already_set();
    }

    py::dict d;
    d["solute"] = r.formula;
    for (int j = 0; j < 3; ++j) d[kFitParameterNames[j]] = r.value[j];
    py::dict fixed_flags, stderr_values;
    for (int j = 0; j < 3; ++j) {
        fixed_flags[kFitParameterNames[j]] = r.fixed[j];
        stderr_values[kFitParameterNames[j]] = r.has_uncertainty ? py::object(py::float_(r.standard_error[j])) : py::none();
    }
    d["fixed"] = fixed_flags;
    d["start"] = parameters(r.start);
    d["stderr"] = stderr_values;
    d["covariance"] = matrix(r.covariance, r.has_uncertainty);
    d["correlation"] = matrix(r.correlation, r.has_uncertainty);
    d["covariance_from"] = !r.has_uncertainty ? py::object(py::none())
                                              : py::str(r.covariance_scaled ? "scatter" : "sigma");
    d["chi2"] = r.chi2;
    d["dof"] = r.dof;
    d["n"] = r.n;
    d["failed"] = r.failed();
    py::dict rms, rms_start;
    for (const PropertyRms& p : r.rms) {
        rms[Property_Name(p.property)] = p.rms;
        if (p.rms_start) rms_start[Property_Name(p.property)] = *p.rms_start;
    }
    d["rms"] = rms;
    d["rms_start"] = rms_start;

    py::array_t<double> press_used(n), fitted(n), residual(n);
    py::array_t<bool> used(n);
    py::list names, errors, kinds;
    for (py::ssize_t i = 0; i < n; ++i) {
        const FitRow& row = r.rows[static_cast<std::size_t>(i)];
        press_used.mutable_data()[i] = row.pressure_used.value_or(std::nan(""));
        used.mutable_data()[i] = row.used;
        fitted.mutable_data()[i] = row.used ? row.fitted : std::nan("");
        residual.mutable_data()[i] = row.used ? row.residual : std::nan("");
        names.append(Property_Name(row.point.property));
        errors.append(row.used ? "" : row.error);
        kinds.append(row.used ? "" : Error_Kind_Id(row.kind));
    }
    py::dict rows;
    rows["temp"] = T;
    rows["press"] = P;
    rows["press_used"] = press_used;
    rows["property"] = names;
    rows["value"] = value;
    rows["sigma"] = sigma;
    rows["used"] = used;
    rows["fitted"] = fitted;
    rows["residual"] = residual;
    rows["error"] = errors;
    rows["kind"] = kinds;
    d["rows"] = rows;
    return d;
}

}  // namespace

void Bind_Fit(py::module_& m)
{
    py::register_exception<FitError>(m, "FitError", PyExc_ValueError);
    m.def("read_catalogue", &Read_Catalogue, py::arg("text"), py::arg("name"),
          "The records of a catalogue file's text as tuples (formula, xi, a, b, G0gas,\n"
          "S0gas, agas, bgasE3, cgasEmin5); ValueError naming `name`, the line and the\n"
          "reason for a bad file.  Use aqvis.load_catalogue instead.");
    m.def("fit_properties", [] {
        py::list out;
        for (const FitProperty p : Fit_Properties()) out.append(Property_Name(p));
        return out;
    }, "The properties a fit takes, in the order of their codes.");
    m.def("fit", &Fit, py::arg("solute"), py::arg("T"), py::arg("P"), py::arg("property"), py::arg("value"),
          py::arg("sigma"), py::arg("fixed"), py::arg("sigma_known"),
          "Fits xi, a and b of `solute` (formula or record tuple) to 1-D arrays of one\n"
          "size; property holds codes into fit_properties().  Use aqvis.fit instead.");
}

}  // namespace aqvis::python
