#pragma once
// Units as the Python module takes them (T_unit=, P_unit=, E_unit=), read
// here into the library's units, and the module's view of the water members.

#include <pybind11/pybind11.h>

#include "results/units.h"

namespace aqvis::python {

// None, or a tuple (T_unit, P_unit, E_unit) of unit names ("C", "bar",
// "cal" ...; None keeps the default).  A name not in the list raises
// ValueError naming the ones allowed.
Units Units_Of(const pybind11::object& units);

void Bind_Units(pybind11::module_& m);

}  // namespace aqvis::python
