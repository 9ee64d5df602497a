#pragma once
// aqvis._core.calculate: one solute over arrays of temperature, pressure and
// parameters, every point run as one case on a pool of threads with the GIL
// released.

#include <pybind11/pybind11.h>

namespace aqvis::python {

void Bind_Calculate(pybind11::module_& m);

}  // namespace aqvis::python
