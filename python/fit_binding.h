#pragma once
// aqvis._core.fit and aqvis._core.read_catalogue: fitting a solute's xi, a
// and b to measurements, and the records of a catalogue file.

#include <pybind11/pybind11.h>

namespace aqvis::python {

void Bind_Fit(pybind11::module_& m);

}  // namespace aqvis::python
