// The compiled core of the aqvis Python package: each job binds its own
// functions; the package (aqvis/__init__.py) checks arguments and shapes the
// results for users.

#include <pybind11/pybind11.h>

#include "calculate_binding.h"
#include "catalogue_binding.h"
#include "fit_binding.h"
#include "solubility_binding.h"
#include "units_binding.h"

PYBIND11_MODULE(_core, m)
{
    m.doc() = "Compiled core of aqvis; use the functions of the aqvis package.";
    m.attr("__version__") = AQVIS_VERSION;
    aqvis::python::Bind_Catalogue(m);
    aqvis::python::Bind_Calculate(m);
    aqvis::python::Bind_Fit(m);
    aqvis::python::Bind_Solubility(m);
    aqvis::python::Bind_Units(m);
}
