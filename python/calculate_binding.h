#pragma once
// aqvis._core.calculate and calculate_one: one solute over arrays of
// temperature, pressure and parameters, or at one state given as plain
// numbers, with the GIL released.

#include <pybind11/pybind11.h>

namespace aqvis::python {

void Bind_Calculate(pybind11::module_& m);

}  // namespace aqvis::python
